#include "flow/GameFlow.h"

#include "platform/Random.h"
#include "platform/Ticks.h"
#include "render/RenderFrame.h"
#include "rules/GameView.h"
#include "rules/Snake.h"

#include <cmath>
#include <string>

namespace ModMain {
namespace {

// Every snake back on its start square, lives and colour kept.
void placeAllSnakes()
{
    ++RoundsStarted;
    if (TwoPlayerGame()) {
        Snakes[0]->Place(StartLength, TwoPlayerStartColumns[0], HumanStartRow, DirUp);
        Snakes[1]->Place(StartLength, TwoPlayerStartColumns[1], HumanStartRow, DirUp);
    } else if (!Snakes.empty()) {
        Snakes[0]->Place(StartLength, OnePlayerStartColumn, HumanStartRow, DirUp);
    }
    if (ComSnakesOn) {
        for (const auto& snake : ComSnakes) {
            // Columns 1..27, not NewGame's 2..28, on purpose (see NewGame).
            const auto x = static_cast<Int16>(1 + std::floor(platform::Rnd() * 27));
            snake->Place(StartLength, x, ComputerStartRow, DirDown);
        }
    }
}

} // namespace

void LevelCompleted()
{
    // After "Game Over" nothing plays on: no caption, no map, no snakes
    // placed, no "level.wav". An abort still lets the sequence run its course.
    if (GameIsOver())
        return;
    MoveAll();
    if (GameIsOver())
        return;
    Render::RenderFrame();
    View().SetMessageCaption("Level " + std::to_string(Level) + " Completed!");
    View().SetMessageVisible(true);
    Wait(2000, true);
    View().SetMessageVisible(false);
    platform::DoEvents();
    Render::RenderFrame();
    Level = platform::Add16(Level, 1);

    if (MapFileExists("map" + std::to_string(Level) + ".dat")) {
        LoadMap("Map" + std::to_string(Level) + ".dat");
        // The extra move above may have cost a life, and the restarted round
        // then laid a batch that the new map has just wiped from the grid.
        ApplesLeft = 0;
        placeAllSnakes();
        PlaceAppleBatch();
        AppleTimer = 0;
        MoveAll();
        if (GameIsOver())
            return;
        Render::RenderFrame();
        PlaySound(SndLevel);
        Wait(1000, false);
        // A pause chosen during the caption was hidden with it.
        if (Paused && GameRunning) {
            View().SetMessageCaption("Paused");
            View().SetMessageVisible(true);
        }
    } else {
        View().ShowAllLevelsCompleted();
        GameOver();
    }
}

void RestartRound()
{
    ClearApples();
    AppleTimer = 0;
    PlaceAppleBatch();
    placeAllSnakes();
    MoveAll();
    // The last life may have gone in that move: no frozen second behind the title.
    if (GameIsOver())
        return;
    Render::RenderFrame();
    Wait(1000, false);
}

} // namespace ModMain
