#pragma once
// The game module's state and rules of play: the shared game state, squares,
// maps, apples, labels and sound. The flow of play that runs a game is
// flow/GameFlow.h; the sequences a step starts are rules/Sequences.h.
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

// Squares along each side of the playfield.
constexpr int FieldSize = 30;
// The map, indexed [x][y]. It has 31 rows and columns; the playfield is
// 0..29 and row and column 30 are never used.
using MapGrid = std::array<std::array<std::uint8_t, FieldSize + 1>, FieldSize + 1>;

// Snakes stay alive while any sequence still works on them (shared ownership).
using SnakeList = std::vector<std::shared_ptr<Snake>>;

// Direction codes.
constexpr Int16 DirUp = -2, DirLeft = -1, DirRight = 1, DirDown = 2;

// Where snakes start, with all their segments stacked on one square: the
// humans at the bottom heading up, the computers on row 1 heading down.
constexpr Int16 StartLength = 10;
constexpr Int16 HumanStartRow = 28;
constexpr Int16 OnePlayerStartColumn = 15;
constexpr std::array<Int16, 2> TwoPlayerStartColumns{10, 20};
constexpr Int16 ComputerStartRow = 1;

// Apple kinds for PlaceApples, and the batch laid out at the start of every
// level, round and apple-timer run-out.
constexpr Int16 GreenApples = 1, RedApples = 2;
constexpr Int16 GreenBatch = 10, RedBatch = 5;

// Speed delays of the five speed items, Slowest .. Fastest.
constexpr std::array<Int16, 5> SpeedDelays{200, 130, 90, 30, 0};

extern MapGrid Map;         // walls and apples; snakes are never written here
extern SnakeList Snakes;    // the human snakes: one or two
extern SnakeList ComSnakes; // the computer snakes: none to four
extern bool ComSnakesOn;    // whether ComSnakes move and are drawn
extern Int16 NumPlayers;    // setting: 1 or 2 human players
extern Int16 NumComPlayers; // setting: 0 to 4 computer players
extern Int16 Level;         // number of the map being played
extern Int16 ApplesLeft;    // apples on the field; 0 completes the level
extern bool GameRunning;    // the main loop goes on while this is set
extern bool Paused;         // snakes and apple timer stand still
extern Int16 SpeedDelay;    // setting: milliseconds per pass
extern bool SoundOn;        // setting: sound effects on
extern double AppleTimer;   // 0..100; at 100 a new batch of apples drops

// Advanced each time every snake is put on its start square: a new game, a new
// level, a restarted round. A step that finds it changed after its look-ahead
// was interrupted by one of these and is over. Level alone cannot tell: a
// restarted round keeps it, and a new game takes it back to 1.
extern std::uint32_t RoundsStarted;

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

// Whether two humans play: Snakes holds exactly two.
bool TwoPlayerGame();

// Squares.
// Whether (x, y) is free of walls and snakes; `strict` also counts apples.
bool SquareIsFree(Int16 x, Int16 y, bool strict);

// Level maps.
// Reads the walls of map file `name` into Map (all other cells empty); a
// missing or unreadable map is a fatal error.
void LoadMap(const std::string& name);
// Fills Map's rows from `in` as LoadMap does; returns the rows read (30 when
// the whole field was there).
int ReadMapRows(std::istream& in);
// Whether map file `name` exists in the program's folder, in any letter case.
bool MapFileExists(const std::string& name);

// Apples.
// Lays `count` apples of `kind` (GreenApples or RedApples) on random free
// squares, as many as fit, then refreshes the apples label.
void PlaceApples(Int16 kind, Int16 count);
// The green and then the red batch: GreenBatch and RedBatch apples.
void PlaceAppleBatch();
// Removes every apple from Map and zeroes ApplesLeft.
void ClearApples();

// Labels and sound.
// The apples label, then the level-completed sequence when none are left.
void UpdateApplesLabel();
// The apples label alone, without the level-completed test.
void ShowApplesLeft();
// The score labels: player one's, then player two's.
void UpdateScoreLabels();
// The lives labels, with window events handled between the two.
void UpdateLivesLabels();
// The sound effects, by the file they play: "apple.wav" .. "newgame.wav".
enum SoundCode : std::int32_t { SndApple = 0, SndDie = 1, SndLevel = 2, SndGameOver = 3, SndNewGame = 4 };
// Starts the sound when sound is on and its file is there; silent otherwise.
void PlaySound(SoundCode code);

} // namespace ModMain
