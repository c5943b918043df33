#pragma once
// The top-score entry at the end of a one-player game.
#include "platform/Int16.h"

namespace ModHigh {

// Asks the game view for the player's name and enters `score`, which beats
// HighScores[9], into the table (EnterTopScore); then opens the Hall of Fame,
// which shows what was saved. A cancelled or empty name changes nothing and
// opens no window.
void AddTopScore(platform::Int16 score);

} // namespace ModHigh
