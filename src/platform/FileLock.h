#pragma once
// Advisory locks (flock) that let two copies of the game take turns with a
// file they share. A lock belongs to its open file, so it holds against other
// opens in this process too, and it ends when the file is closed.
#include "platform/KeptFile.h"

#include <chrono>
#include <optional>
#include <string>

namespace platform {

// An open file descriptor, closed with the object.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : Fd(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : Fd(other.Fd) { other.Fd = -1; }
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return Fd; }
    explicit operator bool() const { return Fd >= 0; }

  private:
    int Fd = -1;
};

// How long a lock is waited for before giving up. Tests shorten it; zero
// restores the default of a few seconds.
std::chrono::milliseconds LockWait();
void SetLockWait(std::chrono::milliseconds wait);

// Waits for the lock on `fd` (exclusive or shared); whether it was had in time.
bool WaitForLock(int fd, bool exclusive);

// The file at `path`, open for reading and writing and locked exclusively.
// A file that another copy replaced while we waited is opened and locked
// afresh, so the lock is always on the file that is at `path` now.
struct LockedFile {
    UniqueFd Fd;                    // empty when there is no file at `path`
    std::optional<FileError> Error; // "cannot be saved": opening or locking failed
};
LockedFile LockExistingFile(const std::string& path);

} // namespace platform
