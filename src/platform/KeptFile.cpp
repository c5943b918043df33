#include "platform/KeptFile.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

std::string UserFile(const std::string& name)
{
    const std::string folder = UserDataPath();
    if (folder.empty())
        return {};
    return FindFile(folder, name).value_or(folder + "/" + name);
}

std::string Text(const QString& s)
{
    return s.toStdString();
}

FileError SaveError(const QString& reason)
{
    return {"cannot be saved", Text(reason)};
}

std::optional<FileError> WriteInPlace(const QString& path, QByteArrayView head)
{
    // No temporary file: the folder may not take one, and the file keeps its
    // inode, owner and mode. Unbuffered, so a short write is seen here.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return SaveError(file.errorString());
    const qint64 written = file.write(head.data(), head.size());
    if (written != head.size()) {
        return SaveError(written < 0
                             ? file.errorString()
                             : QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(head.size()));
    }
    if (::fsync(file.handle()) != 0)
        return SaveError(QString::fromLocal8Bit(std::strerror(errno)));
    return std::nullopt;
}

std::optional<FileError> Replace(const QString& path, QByteArrayView head)
{
    const QFileInfo info(path);
    QByteArray bytes = head.toByteArray();
    if (info.exists()) {
        if (!MayWrite(info))
            return SaveError(QStringLiteral("the file is read-only"));
        // Bytes past the head belong to someone else and are kept.
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly))
            return FileError{"cannot be opened", Text(old.errorString())};
        const QByteArray oldBytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return FileError{"cannot be read", Text(old.errorString())};
        if (oldBytes.size() > head.size())
            bytes.append(oldBytes.sliced(head.size()));
    }
    // Written beside the old file and renamed over it, so that a crash or a
    // full disk never leaves half a file; QSaveFile keeps the old mode.
    QSaveFile file(path);
    // Unbuffered: a buffered flush that falls short is not noticed by commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return SaveError(file.errorString());
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        return SaveError(written < 0
                             ? file.errorString()
                             : QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(bytes.size()));
    }
    if (!file.commit())
        return SaveError(file.errorString());
    return std::nullopt;
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
    const std::string game = FindFile(folder, name).value_or(folder + "/" + name);
    const QFileInfo info(QString::fromStdString(game));
    // Damage, not a choice of place: reported where it is.
    if (info.isDir())
        return {KeptFile::Place::GameFolder, game, {}};
    const QFileInfo folderInfo(QString::fromStdString(folder));
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

std::optional<FileError> WriteFileHead(const KeptFile& file, QByteArrayView head)
{
    if (file.Path.empty())
        return SaveError(QStringLiteral("no per-user data folder is known (is HOME set?)"));
    const QString path = QString::fromStdString(file.Path);
    if (QFileInfo(path).isDir())
        return SaveError(QStringLiteral("it is a folder, not a file"));
    if (file.Where == KeptFile::Place::SharedFile)
        return WriteInPlace(path, head);
    if (file.Where == KeptFile::Place::UserFolder) {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QDir().mkpath(folder))
            return SaveError(QStringLiteral("the folder \"%1\" cannot be created").arg(folder));
    }
    return Replace(path, head);
}

} // namespace platform
