#include "platform/FileLock.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::chrono::milliseconds DefaultLockWait{5000};
// Short enough that a lock let go is taken up at once, long enough to leave
// the core to the copy that holds it.
constexpr std::chrono::milliseconds LockPoll{20};

std::chrono::milliseconds WaitSetting{0};

std::string SystemReason(int error)
{
    return std::strerror(error);
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

UniqueFd::~UniqueFd()
{
    if (Fd >= 0)
        ::close(Fd);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other) {
        if (Fd >= 0)
            ::close(Fd);
        Fd = other.Fd;
        other.Fd = -1;
    }
    return *this;
}

std::chrono::milliseconds LockWait()
{
    return WaitSetting.count() > 0 ? WaitSetting : DefaultLockWait;
}

void SetLockWait(std::chrono::milliseconds wait)
{
    WaitSetting = wait;
}

bool WaitForLock(int fd, bool exclusive)
{
    // Polled rather than blocking: a blocking flock cannot be given a time limit.
    const auto deadline = std::chrono::steady_clock::now() + LockWait();
    while (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        // A file system without locks (some network mounts) still saves, as
        // the game always did; only a lock that someone holds is waited for.
        if (errno != EWOULDBLOCK && errno != EINTR)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(LockPoll);
    }
    return true;
}

LockedFile LockExistingFile(const std::string& path)
{
    for (;;) {
        UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
        if (!fd) {
            if (errno == ENOENT)
                return {};
            return {UniqueFd(), FileError{"cannot be opened", SystemReason(errno)}};
        }
        if (!WaitForLock(fd.get(), true)) {
            std::ostringstream reason;
            reason << "another program, perhaps another copy of the game, has kept it locked for "
                   << std::chrono::duration<double>(LockWait()).count() << " seconds; nothing was changed";
            return {UniqueFd(), FileError{"cannot be saved", reason.str()}};
        }
        struct stat held {};
        struct stat now {};
        if (::fstat(fd.get(), &held) != 0)
            return {UniqueFd(), FileError{"cannot be read", SystemReason(errno)}};
        if (::stat(path.c_str(), &now) == 0 && SameFile(held, now))
            return {std::move(fd), std::nullopt};
        // Replaced (or removed) by a copy that saved while we waited: the
        // lock we hold is on a file nobody reads any more.
    }
}

} // namespace platform
