#pragma once
// Files the game keeps (scores.dat), shared by every copy of the game: where
// they live, and how they are read and saved so that no copy hangs on them,
// sees one half written or loses another copy's change.
#include <QByteArray>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace platform {

struct KeptFile {
    std::string Path;      // read from and saved to
    std::string Seed;      // read while Path is missing or empty; may be ""
    bool UsersOwn = false; // the player's own copy: the game folder's is read-only
};

// Where `name` is kept, decided afresh at every call: the game folder's file
// when the game may write it (anything odd of that name is reported there),
// else the player's own copy in the per-user data folder, which tests may set.
KeptFile LocateKeptFile(const std::string& name);
void SetUserDataPath(const std::string& folder);

// What went wrong with which file: "cannot be read", and why.
struct FileError {
    std::string Path;
    std::string Failure;
    std::string Reason;
};

// Gives back whole the one wait for other programs' locks that the load and
// the save of a game over share; tests shorten it.
void StartLockWait(std::chrono::milliseconds wait = std::chrono::seconds(5));

// Up to `maxBytes` from the start of the kept file, under a shared lock. A
// missing file reads as empty; the game folder's is then created empty.
std::optional<FileError> ReadKeptFile(const KeptFile& file, qsizetype maxBytes, QByteArray& bytes);

// Saves the first bytes of the kept file as `update` makes them from what they hold now (nothing: left as they are),
// in place under an exclusive lock: the bytes after them and the file's owner, group, mode, ACLs and links stay; a
// short write puts the old bytes back. A missing file is first made empty.
using HeadUpdate = std::function<std::optional<QByteArray>(const QByteArray& oldHead)>;
std::optional<FileError> UpdateKeptFile(const KeptFile& file, qsizetype headBytes, const HeadUpdate& update);

} // namespace platform
