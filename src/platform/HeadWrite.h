#pragma once
// Saving the first bytes of a file (its head) while every byte after them
// stays as it was, without holding the file in memory. A save that fails
// leaves the old content whole.
#include "platform/KeptFile.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <string>

namespace platform {

// Up to `maxBytes` from the start of the open file `fd`; nothing on a read error.
std::optional<QByteArray> ReadHead(int fd, qsizetype maxBytes);

// Overwrites the start of the open file `fd` with `head`, in place: the file
// keeps its inode, owner and mode. `oldHead` holds what is there now (less
// when the file is shorter). A file shorter than `head` is given the room
// before any byte changes; a write that comes up short puts the old bytes back.
std::optional<FileError> WriteHeadInPlace(int fd, QByteArrayView oldHead, QByteArrayView head);

// Writes `head`, then the bytes of the open file `fd` past head.size(), to a
// new file beside `path`, and renames it over `path` with the old file's mode.
// With no `fd` (-1: no file there yet) the new file is given the name only if
// nothing has taken it meanwhile; Appeared says that something had.
struct Replaced {
    std::optional<FileError> Error;
    bool Appeared = false;
};
Replaced ReplaceHead(const std::string& path, int fd, QByteArrayView head);

} // namespace platform
