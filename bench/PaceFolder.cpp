#include "PaceFolder.h"

#include <QDir>
#include <QFile>

namespace {

// 30 lines of 30 spaces: a field without walls.
bool WriteOpenField(const QString& folder)
{
    QFile map(folder + QStringLiteral("/map1.dat"));
    const QByteArray line = QByteArray(30, ' ') + "\r\n";
    return map.open(QIODevice::WriteOnly) && map.write(line.repeated(30)) == line.size() * 30;
}

bool CopyFirstLevel(const QString& folder)
{
    return QFile::copy(QStringLiteral(SNAKE_GAME_DIR "/map1.dat"), folder + QStringLiteral("/map1.dat"));
}

bool CopySounds(const QString& folder)
{
    const QDir from(QStringLiteral(SNAKE_GAME_DIR "/sounds"));
    if (!QDir(folder).mkdir(QStringLiteral("sounds")))
        return false;
    for (const QString& name : from.entryList({QStringLiteral("*.wav")}, QDir::Files)) {
        if (!QFile::copy(from.filePath(name), folder + QStringLiteral("/sounds/") + name))
            return false;
    }
    return true;
}

} // namespace

bool PrepareGameFolder(const QString& folder, bool busy)
{
    return (busy ? CopyFirstLevel(folder) : WriteOpenField(folder)) && CopySounds(folder);
}
