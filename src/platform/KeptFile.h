#pragma once
// Files the game keeps for the player (scores.dat): where they live and how
// they are read and saved. The game folder's copy when the game may write
// there; otherwise the player's own copy in the per-user data folder, which
// starts from the game folder's copy as a read-only seed.
#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <optional>
#include <string>

namespace platform {

struct KeptFile {
    enum class Place {
        GameFolder, // beside the executable
        SharedFile, // a writable file in a folder that is not
        UserFolder, // the player's own copy; the game folder is read-only
    };
    Place Where = Place::GameFolder;
    std::string Path; // read from and saved to; a symbolic link's target
    std::string Seed; // UserFolder only: read while Path does not exist; may be ""
};

// Where `name` is kept for this run: decided afresh at every call, so that a
// folder made writable or read-only meanwhile is honoured. A symbolic link
// stands for its target, which is judged and written as any other file.
KeptFile LocateKeptFile(const std::string& name);

// The per-user data folder (XDG data home of the game). Tests point it at a
// folder of their own; "" restores the real one.
std::string UserDataPath();
void SetUserDataPath(const std::string& folder);

// What went wrong with a file: "cannot be read", and why.
struct FileError {
    std::string Failure;
    std::string Reason;
};

struct FileRead {
    bool Exists = false;
    QByteArray Bytes; // at most the bytes asked for
    std::optional<FileError> Error;
};

// Up to `maxBytes` from the start of `path`. A missing file is no error.
// Read under a shared lock (waited for as long as a save would), so that an
// in-place save is never seen half done.
FileRead ReadFileHead(const std::string& path, qsizetype maxBytes);

// Creates `path` empty when it is missing.
std::optional<FileError> CreateEmptyFile(const std::string& path);

// The new head made from the old one (at most the bytes asked for; the Seed's
// while the file does not exist); nothing to leave the file as it is.
using HeadUpdate = std::function<std::optional<QByteArray>(const QByteArray& oldHead)>;

// Saves the first bytes of the kept file as `update` makes them from what
// they hold now, under an exclusive lock, so that two copies of the game
// saving at once take turns and neither loses the other's change. Any bytes
// after the head stay as they are and are never loaded. A file we own in a
// folder we may write is replaced through a temporary file; any other
// writable file is overwritten in place and flushed, after making sure of
// the room, and a short write puts the old bytes back. The owner and
// permissions of an existing file never change; the user folder is created
// as needed. On failure the message says whether the file is unchanged.
std::optional<FileError> UpdateFileHead(const KeptFile& file, qsizetype headBytes, const HeadUpdate& update);

} // namespace platform
