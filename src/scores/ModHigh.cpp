#include "scores/ModHigh.h"

#include "platform/Files.h"
#include "scores/FrmHigh.h"
#include "scores/NamePrompt.h"
#include "scores/ScoreFile.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>

#include <iostream>
#include <utility>

namespace ModHigh {

std::array<ScoreEntry, 10> HighScores;
bool ScoresLoaded = false;

namespace {

constexpr char FileName[] = "scores.dat";

ErrorReporter Reporter;
NamePrompt Prompt;

void ShowError(const std::string& message)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("High Scores"),
                             QString::fromStdString(message));
    } else {
        std::cerr << message << '\n';
    }
}

// One message per failure: what could not be done to which file, and why.
void Report(const QString& path, const char* failure, const QString& reason)
{
    const QString message = QStringLiteral("The high score file \"%1\" %2: %3.")
                                .arg(path, QString::fromLatin1(failure), reason);
    if (Reporter)
        Reporter(message.toStdString());
    else
        ShowError(message.toStdString());
}

bool UserMadeReadOnly(const QFileInfo& info)
{
    // The owner's write bit, not access(): running as root must still
    // respect a file the player protected.
    return !info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

void ResetState()
{
    HighScores = {};
    ScoresLoaded = false;
}

std::string ScoreFilePath()
{
    return platform::FindAppFile(FileName).value_or(platform::AppPath() + "/" + FileName);
}

void SetErrorReporter(ErrorReporter reporter) { Reporter = std::move(reporter); }

void SetNamePrompt(NamePrompt prompt) { Prompt = std::move(prompt); }

bool IsTopScore(platform::Int16 score) { return score > HighScores[9].Score; }

void LoadScores()
{
    ScoresLoaded = true;
    const QString path = QString::fromStdString(ScoreFilePath());
    const QFileInfo info(path);
    if (info.isDir()) {
        Report(path, "cannot be read", QStringLiteral("it is a folder, not a file"));
        return;
    }
    QFile file(path);
    if (!info.exists()) {
        // A missing table is an empty one, and the empty file stays behind.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            Report(path, "cannot be created", file.errorString());
            return;
        }
        HighScores = DecodeScoreFile({});
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        Report(path, "cannot be opened", file.errorString());
        return;
    }
    const QByteArray bytes = file.read(TableBytes);
    if (file.error() != QFileDevice::NoError) {
        Report(path, "cannot be read", file.errorString());
        return;
    }
    HighScores = DecodeScoreFile(bytes);
}

void SaveScores()
{
    const QString path = QString::fromStdString(ScoreFilePath());
    const QFileInfo info(path);
    if (info.isDir()) {
        Report(path, "cannot be saved", QStringLiteral("it is a folder, not a file"));
        return;
    }
    QByteArray oldBytes;
    if (info.exists()) {
        if (UserMadeReadOnly(info)) {
            Report(path, "cannot be saved", QStringLiteral("the file is read-only"));
            return;
        }
        // Bytes past the table belong to someone else and are kept.
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly)) {
            Report(path, "cannot be opened", old.errorString());
            return;
        }
        oldBytes = old.readAll();
        if (old.error() != QFileDevice::NoError) {
            Report(path, "cannot be read", old.errorString());
            return;
        }
    }
    // Written beside the old file and renamed over it, so that a crash or a
    // full disk never leaves half a table.
    QSaveFile file(path);
    const QByteArray bytes = EncodeScoreFile(HighScores, oldBytes);
    // Unbuffered: a buffered flush that falls short is not noticed by commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Report(path, "cannot be saved", file.errorString());
        return;
    }
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const QString reason = written < 0 ? file.errorString()
                                           : QStringLiteral("only %1 of %2 bytes could be written")
                                                 .arg(written)
                                                 .arg(bytes.size());
        Report(path, "cannot be saved", reason);
        return; // the temporary file is dropped and the old one stays
    }
    if (!file.commit())
        Report(path, "cannot be saved", file.errorString());
}

void AddTopScore(platform::Int16 score)
{
    const std::string name = CutToNameLength(Prompt ? Prompt() : AskForTopScoreName());
    if (name.empty())
        return;

    std::size_t place = 0;
    while (place < HighScores.size() - 1 && score < HighScores[place].Score)
        ++place;
    for (std::size_t j = HighScores.size() - 1; j > place; --j)
        HighScores[j] = std::move(HighScores[j - 1]);
    HighScores[place] = ScoreEntry{name, score};

    SaveScores();
    OpenHallOfFame();
}

} // namespace ModHigh
