#pragma once
// The flow of play: a game from New Game through its passes and level
// sequences to its end. It drives the rules, the renderer and the score table.
#include "rules/ModMain.h"
#include "rules/Sequences.h"

namespace ModMain {

// Main loop (hosted by the window).
// Every snake makes one step: player one, player two, then the computers.
void MoveAll();
// Advances the apple timer by one pass; at 100 drops a batch and restarts.
void AppleTimerTick();
// Waits `milliseconds` by the tick count, handling window events meanwhile
// only when `pumpMessages` is set.
void Wait(Int16 milliseconds, bool pumpMessages);
// One pass of the main loop: move, timer, render, wait, pump.
void RunPass();
// Runs passes from the start of a game until GameRunning is cleared.
void RenderLoop();

// New game and abort.
// Sets up a game from the settings and runs it; returns when it has ended.
void NewGame();
// Stops the running game at the end of its pass and shows the title picture.
void AbortGame();

} // namespace ModMain
