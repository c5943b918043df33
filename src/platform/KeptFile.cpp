#include "platform/KeptFile.h"

#include "platform/Files.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Takes up a lock as soon as it is let go, and leaves the core to its holder.
constexpr std::chrono::milliseconds Poll{20};
std::chrono::steady_clock::duration WaitLimit = std::chrono::seconds(5);
std::chrono::steady_clock::duration Waited{};
std::string UserPathSetting;
// The game ignores SIGXFSZ from its start: past a file-size limit a save (or a
// sound's loading) then fails with EFBIG, which is put back and reported.
[[maybe_unused]] const auto FileSizeSignal = std::signal(SIGXFSZ, SIG_IGN);

// An open file, closed with the object (closing -1 is a harmless EBADF).
struct Fd {
    int N = -1;
    ~Fd() { ::close(N); }
};

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Root may write anything, but what its owner made read-only stays so.
bool MayWrite(const std::string& path)
{
    struct stat st {};
    return ::access(path.c_str(), W_OK) == 0 && ::stat(path.c_str(), &st) == 0 &&
           (st.st_uid != ::geteuid() || (st.st_mode & S_IWUSR));
}

// Where a chain of symbolic links ends, following in a folder others may write only links of the player or of the
// folder's owner (as the kernel's protected_symlinks does in sticky folders).
struct Links {
    std::string End;
    int Hops = 0;
    std::string Refused; // the folder of a link not followed
};
Links FollowLinks(const std::string& path)
{
    Links links{path, 0, {}};
    struct stat link {};
    struct stat dir {};
    char target[PATH_MAX];
    for (; links.Hops < 40 && ::lstat(links.End.c_str(), &link) == 0 && S_ISLNK(link.st_mode); ++links.Hops) {
        const std::string folder = FolderOf(links.End);
        if (::stat(folder.c_str(), &dir) == 0 && (dir.st_mode & (S_IWGRP | S_IWOTH)) && link.st_uid != ::geteuid() &&
            link.st_uid != dir.st_uid)
            return {links.End, links.Hops, folder};
        const ssize_t n = std::max<ssize_t>(::readlink(links.End.c_str(), target, sizeof target), 0);
        links.End = (n > 0 && target[0] == '/' ? "" : folder + "/") + std::string(target, static_cast<size_t>(n));
    }
    return links;
}

enum class Use { Read, ReadOrCreate, Save };

struct BusyPointer {
    BusyPointer() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
};

// `path` open in `fd`, locked (shared to read) once the lock is on the file the path names, which another copy may
// have replaced; fd.N < 0 when a file only read is missing. Nothing blocks: what is not a regular file is refused
// unopened, and a lock is polled within the one wait, the pointer busy.
std::optional<FileError> OpenLocked(const std::string& path, Use use, Fd& fd)
{
    const bool save = use == Use::Save;
    const auto fail = [&path, save](const std::string& reason) {
        return FileError{path, save ? "cannot be saved" : "cannot be read",
                         reason + (save ? "; nothing was changed" : "")};
    };
    std::optional<BusyPointer> busy;
    for (;; ::close(fd.N), fd.N = -1) {
        const Links links = FollowLinks(path);
        if (!links.Refused.empty())
            return fail("it is a symbolic link that another user made in \"" + links.Refused +
                        "\", a folder others may write, so the game does not follow it");
        struct stat st {};
        if (::stat(links.End.c_str(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                return fail(std::strerror(errno));
            if (links.Hops > 0)
                return fail("it is a symbolic link to \"" + links.End + "\", which does not exist");
            if (use == Use::Read)
                return std::nullopt;
            // Made empty, an empty table, then written as any other file: no
            // copy ever sees it half written. EEXIST: another copy made it first.
            fd.N = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
            if (fd.N < 0 && errno != EEXIST)
                return FileError{path, "cannot be created", std::strerror(errno)};
            const Fd folder{::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
            ::fsync(folder.N); // so that the new name outlives a crash, where the folder can be flushed
            continue;
        }
        if (!S_ISREG(st.st_mode))
            return fail(S_ISDIR(st.st_mode)    ? "it is a folder, not a file"
                        : S_ISFIFO(st.st_mode) ? "it is a named pipe (FIFO), not a file"
                                               : "it is a device or a socket, not a file");
        // The end of the chain as checked: a link put there since is not
        // followed (ELOOP) but looked at again, as a replaced file is.
        fd.N = ::open(links.End.c_str(), (save ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd.N < 0 && errno != ELOOP)
            return fail(std::strerror(errno));
        // A file system without locks (some network mounts) is used as the game always did.
        const bool locked =
            fd.N < 0 || ::flock(fd.N, (save ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0 || errno != EWOULDBLOCK;
        struct stat held {};
        if (fd.N >= 0 && locked && ::fstat(fd.N, &held) == 0 && ::lstat(links.End.c_str(), &st) == 0 &&
            held.st_ino == st.st_ino && held.st_dev == st.st_dev)
            return std::nullopt;
        if (Waited >= WaitLimit)
            return fail("another program, perhaps another copy of the game, has " +
                        std::string(locked ? "kept replacing it" : "kept it locked") + " for " +
                        QString::number(std::chrono::duration<double>(Waited).count(), 'g', 2).toStdString() +
                        " seconds");
        if (!busy && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            busy.emplace();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(Poll, WaitLimit - Waited));
        Waited += std::chrono::steady_clock::now() - start;
    }
}

// Up to `maxBytes` from the start of `path`, open and locked in `fd`; a regular file gives all it holds to one read.
std::optional<FileError> ReadLocked(const std::string& path, Use use, Fd& fd, qsizetype maxBytes, QByteArray& bytes)
{
    if (auto error = OpenLocked(path, use, fd))
        return error;
    bytes = QByteArray(maxBytes, '\0');
    const ssize_t n = fd.N < 0 ? 0 : ::pread(fd.N, bytes.data(), static_cast<size_t>(maxBytes), 0);
    bytes.truncate(std::max<ssize_t>(n, 0));
    return n < 0 ? std::optional(FileError{path, "cannot be read", std::strerror(errno)}) : std::nullopt;
}

// Bytes written from the start of `fd` before the first failure; errno tells why.
qsizetype WriteHead(int fd, const QByteArray& bytes, qsizetype size)
{
    qsizetype done = 0;
    ssize_t n = 0;
    while (done < size && (n = ::pwrite(fd, bytes.data() + done, static_cast<size_t>(size - done), done)) > 0)
        done += n;
    return done;
}

} // namespace

KeptFile LocateKeptFile(const std::string& name)
{
    const std::string game = FindFile(AppPath(), name).value_or(AppPath() + "/" + name);
    struct stat st {};
    const bool there = ::lstat(game.c_str(), &st) == 0;
    const bool seed = there && ::stat(game.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !MayWrite(game);
    if (there ? !seed : MayWrite(AppPath()))
        return {game, {}, false};
    const std::string folder = UserPathSetting.empty()
                                   ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString()
                                   : UserPathSetting;
    return {FindFile(folder, name).value_or(folder + "/" + name), seed ? game : "", true};
}

void SetUserDataPath(const std::string& folder)
{
    UserPathSetting = folder;
}

void StartLockWait(std::chrono::milliseconds wait)
{
    WaitLimit = wait;
    Waited = {};
}

std::optional<FileError> ReadKeptFile(const KeptFile& file, qsizetype maxBytes, QByteArray& bytes)
{
    Fd fd;
    auto error = ReadLocked(file.Path, file.UsersOwn ? Use::Read : Use::ReadOrCreate, fd, maxBytes, bytes);
    return error || !bytes.isEmpty() || file.Seed.empty() ? error
                                                          : ReadKeptFile({file.Seed, {}, true}, maxBytes, bytes);
}

std::optional<FileError> UpdateKeptFile(const KeptFile& file, qsizetype headBytes, const HeadUpdate& update)
{
    const std::string folder = FolderOf(file.Path);
    if (file.UsersOwn && !QDir().mkpath(QString::fromStdString(folder)))
        return FileError{file.Path, "cannot be saved", "the folder \"" + folder + "\" cannot be made"};
    Fd fd;
    QByteArray old;
    QByteArray seed;
    if (auto error = ReadLocked(file.Path, Use::Save, fd, headBytes, old))
        return error;
    if (auto error = old.isEmpty() ? ReadKeptFile({file.Seed, {}, true}, headBytes, seed) : std::nullopt)
        return error;
    const std::optional<QByteArray> head = update(old.isEmpty() ? seed : old);
    if (!head)
        return std::nullopt;
    const qsizetype written = WriteHead(fd.N, *head, head->size());
    if (written == head->size() && ::fsync(fd.N) == 0)
        return std::nullopt;
    const std::string reason = std::strerror(errno);
    // What did change is put back, byte for byte, and the old length with it.
    const qsizetype changed = std::min(written, old.size());
    const bool restored = WriteHead(fd.N, old, changed) == changed &&
                          (old.size() >= head->size() || ::ftruncate(fd.N, old.size()) == 0) && ::fsync(fd.N) == 0;
    return FileError{file.Path, "cannot be saved",
                     reason + (restored ? "; the old bytes were written back, so nothing was changed"
                                        : "; putting the old bytes back failed too, so it may hold old and new mixed")};
}

} // namespace platform
