#pragma once
// The modal prompt that asks a player with a top score for a name.
#include <string>

namespace ModHigh {

// Shows the prompt and returns the name exactly as typed, or "" when the
// player cancels. The field takes at most MaxNameLength characters.
std::string AskForTopScoreName();

} // namespace ModHigh
