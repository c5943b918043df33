#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>

namespace platform {
namespace {

std::string OverridePath;

} // namespace

const std::string& AppPath()
{
    static const std::string real = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath().toStdString();
    return OverridePath.empty() ? real : OverridePath;
}

void SetAppPath(const std::string& folder)
{
    OverridePath = folder;
}

std::optional<std::string> FindFile(const std::string& folder, const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    const QDir dir(QString::fromStdString(folder));
    const QFileInfo exact(dir, wanted);
    if (exact.isFile() && !exact.isHidden())
        return exact.filePath().toStdString();
    // Linux names are case-sensitive; the game's are not.
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().compare(wanted, Qt::CaseInsensitive) == 0 && entry.isFile() && !entry.isHidden())
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
