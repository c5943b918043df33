#include "support/ScoreFiles.h"

#include "flow/ResetAll.h"
#include "platform/Files.h"
#include "platform/KeptFile.h"
#include "scores/ModHigh.h"
#include "scores/ScoreFile.h"
#include "support/FileBytes.h"
#include "window/FrmHigh.h"
#include "window/NamePrompt.h"

#include <QDir>
#include <QFile>

namespace {

// A message nobody expected is printed rather than shown in a box that
// nobody would close.
void PrintUnexpected(const std::string& message)
{
    qWarning("unexpected score file message: %s", message.c_str());
}

void ResetScoreModule()
{
    CloseHallOfFame();
    ModHigh::ResetState();
    ModHigh::SetErrorReporter(PrintUnexpected);
}

} // namespace

ScoreFolder::ScoreFolder()
{
    ResetScoreModule();
    platform::SetAppPath(dir.path().toStdString());
    platform::SetUserDataPath(userPath().toStdString());
}

ScoreFolder::~ScoreFolder()
{
    // Give back write access so that the folder can be removed.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CloseHallOfFame();
    ResetAll();
}

QString ScoreFolder::path() const
{
    return dir.path();
}

QString ScoreFolder::userPath() const
{
    return home.filePath(QStringLiteral("share/snake-game"));
}

QString ScoreFolder::userFile() const
{
    return userPath() + QStringLiteral("/scores.dat");
}

QString ScoreFolder::file(const QString& name) const
{
    return dir.filePath(name);
}

void ScoreFolder::write(const QByteArray& bytes, const QString& name) const
{
    WriteFileBytes(file(name), bytes);
}

QByteArray ScoreFolder::read(const QString& name) const
{
    return ReadFileBytes(file(name));
}

QStringList ScoreFolder::entries() const
{
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray NameRecord(const QByteArray& bytes, int length, char filler)
{
    QByteArray record;
    record.append(static_cast<char>(length & 0xFF));
    record.append(static_cast<char>((length >> 8) & 0xFF));
    record.append(bytes.left(126));
    record.append(128 - record.size(), filler);
    return record;
}

QByteArray NameRecord(const QByteArray& bytes, char filler)
{
    return NameRecord(bytes, static_cast<int>(bytes.size()), filler);
}

QByteArray ScoreRecordBytes(unsigned char low, unsigned char high, char filler)
{
    QByteArray record;
    record.append(static_cast<char>(low));
    record.append(static_cast<char>(high));
    record.append(126, filler);
    return record;
}

QByteArray ScoreRecord(int score, char filler)
{
    const auto bits = static_cast<unsigned>(score) & 0xFFFF;
    return ScoreRecordBytes(bits & 0xFF, bits >> 8, filler);
}

QByteArray ScoreFileBytes(const QList<QPair<QByteArray, int>>& entries, char filler)
{
    QByteArray bytes;
    for (const auto& [name, score] : entries)
        bytes += NameRecord(name, filler) + ScoreRecord(score, filler);
    while (bytes.size() < 10 * 256)
        bytes += NameRecord("", filler) + ScoreRecord(0, filler);
    return bytes;
}

QByteArray NegativeTable()
{
    QList<QPair<QByteArray, int>> entries;
    for (int i = 0; i < 10; ++i)
        entries.append({"Loser " + QByteArray::number(i), -10 - i});
    return ScoreFileBytes(entries);
}

CapturedErrors::CapturedErrors()
{
    ModHigh::SetErrorReporter([this](const std::string& message) { messages.append(QString::fromStdString(message)); });
}

CapturedErrors::~CapturedErrors()
{
    ModHigh::SetErrorReporter(PrintUnexpected);
}

std::string TopScoreView::AskTopScoreName()
{
    ++asked;
    return answer ? answer() : ModHigh::AskForTopScoreName();
}

void TopScoreView::ShowHallOfFame()
{
    OpenHallOfFame();
}
