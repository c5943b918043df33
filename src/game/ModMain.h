#pragma once
// The game module: shared game state and the procedures that work on it.
#include "platform/Int16.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class Snake;

namespace ModMain {

using platform::Int16;

// Map cell codes.
enum Cell : std::uint8_t { Empty = 0, Wall = 1, GreenApple = 2, RedApple = 3 };

constexpr int FieldSize = 30;
// Map(0 To 30, 0 To 30), indexed [x][y]; row and column 30 are never used.
using MapGrid = std::array<std::array<std::uint8_t, FieldSize + 1>, FieldSize + 1>;

// Snakes stay alive while any sequence still works on them (shared ownership).
using SnakeList = std::vector<std::shared_ptr<Snake>>;

// Direction codes.
constexpr Int16 DirUp = -2, DirLeft = -1, DirRight = 1, DirDown = 2;

// Speed delays of the five speed items, Slowest .. Fastest.
constexpr std::array<Int16, 5> SpeedDelays{200, 130, 90, 30, 0};

extern MapGrid Map;
extern SnakeList Snakes;
extern SnakeList ComSnakes;
extern bool ComSnakesOn;
extern Int16 NumPlayers;
extern Int16 NumComPlayers;
extern Int16 Level;
extern Int16 ApplesLeft;
extern bool GameRunning;
extern bool Paused;
extern Int16 SpeedDelay;
extern bool SoundOn;
extern double AppleTimer;

// How the current game has ended, if it has (NewGame clears it). GameRunning
// cannot tell: it is false during the setup as well, and after an abort a
// sequence still runs to its end, while after a game over nothing plays on.
enum class GameEnd : std::uint8_t { None, Aborted, Over };
extern GameEnd Ended;
bool GameIsOver(); // GameOver has run in this game

// Back to the values at program start (all zero, false or empty).
void ResetState();
// The window's start-up defaults: 1 player, 0 computer, Medium, sound on.
void SetDefaultSettings();

bool TwoPlayerGame(); // upper bound of Snakes is 1

// Main loop (hosted by the window).
void MoveAll();
void AppleTimerTick();
void Wait(Int16 milliseconds, bool pumpMessages);
// One pass of the main loop: move, timer, render, wait, pump.
void RunPass();
void RenderLoop();

// Squares.
bool SquareIsFree(Int16 x, Int16 y, bool strict);

// Level maps.
void LoadMap(const std::string& name);
// Fills Map's rows from `in` as LoadMap does; returns the rows read (30 when
// the whole field was there).
int ReadMapRows(std::istream& in);
bool MapFileExists(const std::string& name);

// Apples.
void PlaceApples(Int16 kind, Int16 count);
void ClearApples();
int CountAppleCells();

// New game and abort.
void NewGame();
void AbortGame();

// Level sequences.
void LevelCompleted();
void RestartRound();
void GameOver();

// Labels and sound.
void UpdateApplesLabel();
// The apples label alone, without the level-completed test.
void ShowApplesLeft();
void UpdateScoreLabels();
void UpdateLivesLabels();
enum SoundCode : std::int32_t { SndApple = 0, SndDie = 1, SndLevel = 2, SndGameOver = 3, SndNewGame = 4 };
void PlaySound(std::int32_t code);

} // namespace ModMain
