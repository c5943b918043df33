#include "platform/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace platform {
namespace {

std::string& overridePath()
{
    static std::string path;
    return path;
}

std::string executableFolder()
{
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                               : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!QCoreApplication::instance())
        dir = QFileInfo(dir).absolutePath();
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir.toStdString();
}

bool isOrdinaryFile(const QFileInfo& info)
{
    return info.isFile() && !info.isHidden();
}

} // namespace

const std::string& AppPath()
{
    if (!overridePath().empty())
        return overridePath();
    static const std::string real = executableFolder();
    return real;
}

void SetAppPath(const std::string& folder)
{
    overridePath() = folder;
}

std::optional<std::string> FindFile(const std::string& folder, const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    const QDir dir(QString::fromStdString(folder));
    const QFileInfo exact(dir, wanted);
    if (isOrdinaryFile(exact))
        return exact.filePath().toStdString();
    // Linux names are case-sensitive; the game's are not.
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().compare(wanted, Qt::CaseInsensitive) == 0 && isOrdinaryFile(entry))
            return entry.filePath().toStdString();
    }
    return std::nullopt;
}

std::optional<std::string> FindAppFile(const std::string& name)
{
    return FindFile(AppPath(), name);
}

bool AppFileExists(const std::string& name)
{
    return FindAppFile(name).has_value();
}

} // namespace platform
