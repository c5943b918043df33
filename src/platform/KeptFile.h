#pragma once
// Files the game keeps for the player (scores.dat): where they live and how
// they are read and saved. The game folder's copy when the game may write
// there; otherwise the player's own copy in the per-user data folder, which
// starts from the game folder's copy as a read-only seed.
#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <string>

namespace platform {

struct KeptFile {
    enum class Place {
        GameFolder, // beside the executable; saved by replacing the file whole
        SharedFile, // a writable file in a folder that is not: written in place
        UserFolder, // the player's own copy; the game folder is read-only
    };
    Place Where = Place::GameFolder;
    std::string Path; // read from and saved to
    std::string Seed; // UserFolder only: read while Path does not exist; may be ""
};

// Where `name` is kept for this run: decided afresh at every call, so that a
// folder made writable or read-only meanwhile is honoured.
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
FileRead ReadFileHead(const std::string& path, qsizetype maxBytes);

// Creates `path` empty when it is missing.
std::optional<FileError> CreateEmptyFile(const std::string& path);

// Replaces the first head.size() bytes of the kept file, leaving any bytes
// after them as they were. A GameFolder or UserFolder file is replaced whole
// through a temporary file (never half written); a SharedFile is overwritten
// in place with one write and flushed to disk. The owner and permissions of
// an existing file never change. The user folder is created as needed.
std::optional<FileError> WriteFileHead(const KeptFile& file, QByteArrayView head);

} // namespace platform
