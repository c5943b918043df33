#include "platform/KeptFile.h"

#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/HeadWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace platform {
namespace {

std::string& overrideUserPath()
{
    static std::string path;
    return path;
}

bool OwnedByUs(const QFileInfo& info)
{
    return info.ownerId() == ::geteuid() && info.groupId() == ::getegid();
}

// access() says yes to root everywhere; the owner's write bit still counts,
// so a folder or file the owner protected stays protected.
bool MayWrite(const QFileInfo& info)
{
    if (!info.exists() || !info.isWritable())
        return false;
    return info.ownerId() != ::geteuid() || (info.permissions() & QFileDevice::WriteOwner);
}

// A symbolic link stands for the file it names, even one not made yet.
std::string ThroughLinks(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return (target.isEmpty() ? info.symLinkTarget() : target).toStdString();
}

std::string UserFile(const std::string& name)
{
    const std::string folder = UserDataPath();
    if (folder.empty())
        return {};
    return ThroughLinks(FindFile(folder, name).value_or(folder + "/" + name));
}

std::string Text(const QString& s)
{
    return s.toStdString();
}

FileError SaveError(const QString& reason)
{
    return {"cannot be saved", Text(reason)};
}

// Replacing a file makes it ours, so only our own file in a folder we may
// write is replaced; anyone else's is written through, in place.
bool WritesInPlace(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    const QFileInfo folder(info.absolutePath());
    return !(OwnedByUs(info) && MayWrite(folder));
}

} // namespace

std::string UserDataPath()
{
    if (!overrideUserPath().empty())
        return overrideUserPath();
    return Text(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

void SetUserDataPath(const std::string& folder)
{
    overrideUserPath() = folder;
}

KeptFile LocateKeptFile(const std::string& name)
{
    const std::string folder = AppPath();
    const std::string game = ThroughLinks(FindFile(folder, name).value_or(folder + "/" + name));
    const QFileInfo info(QString::fromStdString(game));
    // Damage, not a choice of place: reported where it is.
    if (info.isDir())
        return {KeptFile::Place::GameFolder, game, {}};
    const QFileInfo folderInfo(info.absolutePath());
    const bool folderWritable = folderInfo.isDir() && MayWrite(folderInfo);
    if (info.exists()) {
        if (!MayWrite(info))
            return {KeptFile::Place::UserFolder, UserFile(name), game};
        // Replacing a file makes it ours; someone else's file is written in place.
        if (folderWritable && OwnedByUs(info))
            return {KeptFile::Place::GameFolder, game, {}};
        return {KeptFile::Place::SharedFile, game, {}};
    }
    if (folderWritable)
        return {KeptFile::Place::GameFolder, game, {}};
    return {KeptFile::Place::UserFolder, UserFile(name), {}};
}

FileRead ReadFileHead(const std::string& path, qsizetype maxBytes)
{
    FileRead result;
    if (path.empty())
        return result;
    const QString qpath = QString::fromStdString(path);
    const QFileInfo info(qpath);
    if (info.isDir()) {
        result.Exists = true;
        result.Error = FileError{"cannot be read", "it is a folder, not a file"};
        return result;
    }
    if (!info.exists())
        return result;
    result.Exists = true;
    QFile file(qpath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.Error = FileError{"cannot be opened", Text(file.errorString())};
        return result;
    }
    (void)WaitForLock(file.handle(), false); // a lock held too long is read past
    result.Bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        result.Bytes.clear();
        result.Error = FileError{"cannot be read", Text(file.errorString())};
    }
    return result;
}

std::optional<FileError> CreateEmptyFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return FileError{"cannot be created", Text(file.errorString())};
    return std::nullopt;
}

std::optional<FileError> UpdateFileHead(const KeptFile& file, qsizetype headBytes, const HeadUpdate& update)
{
    if (file.Path.empty())
        return SaveError(QStringLiteral("no per-user data folder is known (is HOME set?)"));
    const QFileInfo info(QString::fromStdString(file.Path));
    if (info.isDir())
        return SaveError(QStringLiteral("it is a folder, not a file"));
    if (info.exists() && !MayWrite(info))
        return SaveError(QStringLiteral("the file is read-only"));
    if (!info.exists() && file.Where == KeptFile::Place::UserFolder && !QDir().mkpath(info.absolutePath()))
        return SaveError(QStringLiteral("the folder \"%1\" cannot be created").arg(info.absolutePath()));
    for (;;) {
        const LockedFile locked = LockExistingFile(file.Path);
        if (locked.Error)
            return locked.Error;
        QByteArray oldHead;
        if (locked.Fd) {
            const auto read = ReadHead(locked.Fd.get(), headBytes);
            if (!read)
                return FileError{"cannot be read", std::strerror(errno)};
            oldHead = *read;
        } else if (!file.Seed.empty()) {
            FileRead seed = ReadFileHead(file.Seed, headBytes);
            if (seed.Error)
                return seed.Error;
            oldHead = seed.Bytes;
        }
        const std::optional<QByteArray> head = update(oldHead);
        if (!head)
            return std::nullopt;
        if (locked.Fd && WritesInPlace(file.Path))
            return WriteHeadInPlace(locked.Fd.get(), oldHead, *head);
        const Replaced replaced = ReplaceHead(file.Path, locked.Fd ? locked.Fd.get() : -1, *head);
        if (!replaced.Appeared)
            return replaced.Error;
        // Another copy made the file while this one wrote: start from theirs.
    }
}

} // namespace platform
