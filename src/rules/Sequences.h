#pragma once
// The sequences a snake's step starts from inside its look-ahead: eating the
// last apple completes the level, a lost life restarts the round or ends the
// game. They belong to the flow of play (flow/), which defines them; they are
// declared here so that the rules call them without reaching up.

namespace ModMain {

// The last apple is eaten: caption, next map or "All levels completed!".
void LevelCompleted();
// The one-player human lost a life: fresh apples, every snake to its start.
void RestartRound();
// Ends the game: "Game Over", idle menus, and a top score offered to the table.
void GameOver();

} // namespace ModMain
