#include "scores/ModHigh.h"

#include "platform/Files.h"
#include "platform/KeptFile.h"
#include "platform/Message.h"
#include "scores/Cp1252.h"
#include "scores/ScoreFile.h"

#include <QString>

#include <algorithm>
#include <iostream>
#include <utility>

namespace ModHigh {

std::array<ScoreEntry, 10> HighScores;
bool ScoresLoaded = false;

namespace {

constexpr char FileName[] = "scores.dat";

ErrorReporter Reporter;

void ShowError(const std::string& message)
{
    if (!platform::ShowMessage(platform::MessageIcon::Warning, "High Scores", message))
        std::cerr << message << '\n';
}

void Tell(const QString& message)
{
    if (Reporter)
        Reporter(message.toStdString());
    else
        ShowError(message.toStdString());
}

// One message per failure: what could not be done to which file, and why.
void Report(const platform::FileError& error, const QString& more = {})
{
    Tell(QStringLiteral("The high score file \"%1\" %2: %3%4.")
             .arg(QString::fromStdString(error.Path), QString::fromStdString(error.Failure),
                  QString::fromStdString(error.Reason), more));
}

void ReportSaveError(const platform::KeptFile& place, const platform::FileError& error)
{
    if (!place.UsersOwn)
        return Report(error);
    // The game's own place was passed over as read-only: say so too.
    const QString skipped = place.Seed.empty()
                                ? QStringLiteral("folder \"%1\"").arg(QString::fromStdString(platform::AppPath()))
                                : QStringLiteral("\"%1\"").arg(QString::fromStdString(place.Seed));
    Report(error,
           QStringLiteral("; the game's own %1 is read-only, so the score cannot be kept there either").arg(skipped));
}

// The top-score rule and the place it gives: a score must beat entry 9, and
// goes above every entry it equals. False when it no longer enters.
bool InsertEntry(ScoreTable& table, const ScoreEntry& entry)
{
    if (entry.Score <= table[9].Score)
        return false;
    std::size_t place = 0;
    while (entry.Score < table[place].Score)
        ++place;
    std::move_backward(table.begin() + static_cast<std::ptrdiff_t>(place), table.end() - 1, table.end());
    table[place] = entry;
    return true;
}

// Saves `change` made to the table as it is on disk, under the file's lock;
// HighScores is then what the file holds. False, with the message given,
// when it could not be saved.
bool SaveChanged(const std::function<bool(ScoreTable&)>& change)
{
    const platform::KeptFile place = platform::LocateKeptFile(FileName);
    ScoreTable table;
    const auto error =
        platform::UpdateKeptFile(place, TableBytes, [&](const QByteArray& oldHead) -> std::optional<QByteArray> {
            table = DecodeScoreFile(oldHead);
            if (!change(table))
                return std::nullopt;
            return EncodeScoreFile(table);
        });
    if (error) {
        ReportSaveError(place, *error);
        return false;
    }
    HighScores = std::move(table);
    return true;
}

} // namespace

void ResetState()
{
    HighScores = {};
    ScoresLoaded = false;
    Reporter = {};
}

void SetErrorReporter(ErrorReporter reporter)
{
    Reporter = std::move(reporter);
}

bool IsTopScore(platform::Int16 score)
{
    return score > HighScores[9].Score;
}

void LoadScores()
{
    ScoresLoaded = true;
    platform::StartLockWait();
    QByteArray bytes;
    if (const auto error = platform::ReadKeptFile(platform::LocateKeptFile(FileName), TableBytes, bytes))
        Report(*error);
    else
        HighScores = DecodeScoreFile(bytes);
}

void SaveScores()
{
    SaveChanged([](ScoreTable& table) {
        table = HighScores;
        return true;
    });
}

bool EnterTopScore(platform::Int16 score, const std::string& typed)
{
    // Shown from the start as the file will give it back ("?ukasz").
    const std::string name = Cp1252ToUtf8(Utf8ToCp1252(CutToNameLength(typed)));
    if (name.empty())
        return false;
    // Into the table as it is on disk now, which another copy of the game
    // may have changed while the name was typed.
    const ScoreEntry entry{name, score};
    bool entered = false;
    if (!SaveChanged([&](ScoreTable& table) { return entered = InsertEntry(table, entry); }))
        InsertEntry(HighScores, entry); // shown for the moment, though not kept
    else if (!entered)
        Tell(QStringLiteral("Your score of %1 is no longer among the ten best: other players saved higher scores "
                            "while you typed your name.")
                 .arg(score));
    return true;
}

} // namespace ModHigh
