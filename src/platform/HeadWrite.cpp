#include "platform/HeadWrite.h"

#include "platform/FileLock.h"

#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

FileError SaveError(const std::string& reason)
{
    return {"cannot be saved", reason};
}

std::string SystemReason(int error)
{
    return std::strerror(error);
}

// Bytes written from `data` to `fd` at `at` before the first failure; errno
// tells why it stopped short.
qint64 WriteAt(int fd, const char* data, qint64 size, off_t at)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, static_cast<size_t>(size - done), at + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            break;
        }
        done += n;
    }
    return done;
}

// Bytes [from, size) of `in` copied to the same offsets of `out`, a chunk at
// a time. Holes are skipped, so a sparse tail stays sparse.
bool CopyTail(int in, int out, off_t from, off_t size)
{
    std::array<char, 64 * 1024> chunk{};
    for (off_t at = from; at < size;) {
        off_t data = ::lseek(in, at, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // only a hole is left
        if (data < 0)
            data = at; // no hole support here: copy it all
        off_t end = ::lseek(in, data, SEEK_HOLE);
        if (end < 0 || end > size)
            end = size;
        while (data < end) {
            const ssize_t n =
                ::pread(in, chunk.data(), static_cast<size_t>(std::min<off_t>(chunk.size(), end - data)), data);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0)
                    errno = EIO; // shorter than it said
                return false;
            }
            if (WriteAt(out, chunk.data(), n, data) != n)
                return false;
            data += n;
        }
        at = end;
    }
    return ::ftruncate(out, size) == 0;
}

// Gives `temp` the name `path` unless something already has it (EEXIST).
int RenameNew(const std::string& temp, const std::string& path)
{
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // Network file systems lack the flag; a hard link is just as exclusive.
    if (::link(temp.c_str(), path.c_str()) == 0) {
        ::unlink(temp.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    // Nor hard links (FAT): a plain rename, as the game always did.
    return ::rename(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::optional<QByteArray> ReadHead(int fd, qsizetype maxBytes)
{
    QByteArray bytes(maxBytes, '\0');
    qsizetype done = 0;
    while (done < maxBytes) {
        const ssize_t n = ::pread(fd, bytes.data() + done, static_cast<size_t>(maxBytes - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

std::optional<FileError> WriteHeadInPlace(int fd, QByteArrayView oldHead, QByteArrayView head)
{
    struct stat before {};
    if (::fstat(fd, &before) != 0)
        return SaveError(SystemReason(errno));
    const bool grows = before.st_size < head.size();
    if (grows) {
        // A full disk or a size limit shows here, before any byte has changed.
        int error = ::posix_fallocate(fd, 0, head.size());
        if (error == EOPNOTSUPP || error == EINVAL)
            error = ::ftruncate(fd, head.size()) == 0 ? 0 : errno;
        if (error != 0) {
            // Back to its old length; already so unless grown.
            const bool shrunk = ::ftruncate(fd, before.st_size) == 0;
            return SaveError(SystemReason(error) +
                             (shrunk ? "; nothing was changed" : "; no byte was changed, but the file may have grown"));
        }
    }
    const qint64 written = WriteAt(fd, head.data(), head.size(), 0);
    if (written == head.size()) {
        if (::fsync(fd) != 0)
            return SaveError(SystemReason(errno) + "; what was written may not have reached the disk");
        return std::nullopt;
    }
    const int error = errno;
    std::string reason = written == 0 ? SystemReason(error)
                                      : "only " + std::to_string(written) + " of " + std::to_string(head.size()) +
                                            " bytes could be written (" + SystemReason(error) + ")";
    // What did change is put back, byte for byte, and the old length with it.
    const qint64 changed = std::min<qint64>(written, oldHead.size());
    const bool restored = WriteAt(fd, oldHead.data(), changed, 0) == changed &&
                          (!grows || ::ftruncate(fd, before.st_size) == 0) && ::fsync(fd) == 0;
    if (restored)
        return SaveError(reason + "; the old bytes were written back, so nothing was changed");
    return SaveError(reason + "; writing the old bytes back failed too (" + SystemReason(errno) +
                     "), so the file may hold old and new bytes mixed");
}

Replaced ReplaceHead(const std::string& path, int fd, QByteArrayView head)
{
    // Written beside the old file and renamed over it, so that a crash or a
    // full disk never leaves half a file.
    std::string temp = path + ".XXXXXX";
    const UniqueFd out(::mkostemp(temp.data(), O_CLOEXEC));
    if (!out)
        return {SaveError(SystemReason(errno) + "; nothing was changed")};
    auto removeTemp = qScopeGuard([&temp] { ::unlink(temp.c_str()); });
    const auto failed = [](int error) { return Replaced{SaveError(SystemReason(error) + "; nothing was changed")}; };

    struct stat old {};
    if (fd >= 0 && ::fstat(fd, &old) != 0)
        return failed(errno);
    if (WriteAt(out.get(), head.data(), head.size(), 0) != head.size())
        return failed(errno);
    if (fd >= 0 && !CopyTail(fd, out.get(), head.size(), std::max<off_t>(old.st_size, head.size())))
        return failed(errno);
    if (::fchmod(out.get(), fd >= 0 ? old.st_mode & 07777 : NewFileMode()) != 0 || ::fsync(out.get()) != 0)
        return failed(errno);
    const int error = fd >= 0 ? (::rename(temp.c_str(), path.c_str()) == 0 ? 0 : errno) : RenameNew(temp, path);
    if (error == EEXIST && fd < 0)
        return {std::nullopt, true};
    if (error != 0)
        return failed(error);
    removeTemp.dismiss();
    return {};
}

} // namespace platform
