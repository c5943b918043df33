#pragma once
// The score module: the table of the ten best one-player scores and scores.dat.
#include "platform/Int16.h"

#include <array>
#include <functional>
#include <string>

namespace ModHigh {

// One row of the table.
struct ScoreEntry {
    std::string Name; // UTF-8 in memory; Windows-1252 on disk
    platform::Int16 Score = 0;
};

// The table, best first; entry 9 is the score to beat.
extern std::array<ScoreEntry, 10> HighScores;
// Whether scores.dat has been read in this run (the Hall of Fame reads it once).
extern bool ScoresLoaded;

// Back to program start: an empty table, nothing loaded, the message box as
// the error reporter.
void ResetState();
// Reads scores.dat into HighScores; a missing file is an empty table and a
// damaged one gives a message, never a crash.
void LoadScores();
// Writes HighScores to scores.dat without touching any bytes after the table,
// under the file's lock.
void SaveScores();
// Records `score`, which beats HighScores[9], under `name` (as the player
// typed it) into the table as scores.dat holds it at that moment (another copy
// of the game may have saved meanwhile). False when the name is empty: then
// nothing changes. The top-score entry that asks the name is AddTopScore
// (flow/TopScore.h).
bool EnterTopScore(platform::Int16 score, const std::string& name);

// Whether a one-player final score enters the table: it must beat entry 9.
bool IsTopScore(platform::Int16 score);

// Receives the one message of a failed load or save; empty restores the
// default, a message box.
using ErrorReporter = std::function<void(const std::string&)>;
void SetErrorReporter(ErrorReporter reporter);

} // namespace ModHigh
