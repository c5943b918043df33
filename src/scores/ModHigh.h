#pragma once
// The score module: the table of the ten best one-player scores and scores.dat.
#include "platform/Int16.h"

#include <array>
#include <functional>
#include <string>

namespace ModHigh {

struct ScoreEntry {
    std::string Name; // UTF-8 in memory; Windows-1252 on disk
    platform::Int16 Score = 0;
};

extern std::array<ScoreEntry, 10> HighScores;
extern bool ScoresLoaded;

void ResetState();
void LoadScores();
void SaveScores();
// Asks for the name and records `score`, which beats HighScores[9].
void AddTopScore(platform::Int16 score);

// Whether a one-player final score enters the table: it must beat entry 9.
bool IsTopScore(platform::Int16 score);
// The scores.dat that is read and saved now: the program folder's (found in
// any letter case) or, when the game may not write there, the player's own.
std::string ScoreFilePath();

// Receives the one message of a failed load or save; empty restores the
// default, a message box.
using ErrorReporter = std::function<void(const std::string&)>;
void SetErrorReporter(ErrorReporter reporter);
// Asks for the player's name and returns it, or "" when cancelled; empty
// restores the default, the real input dialog.
using NamePrompt = std::function<std::string()>;
void SetNamePrompt(NamePrompt prompt);

} // namespace ModHigh
