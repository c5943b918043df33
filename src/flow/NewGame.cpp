#include "flow/GameFlow.h"

#include "platform/Random.h"
#include "render/RenderFrame.h"
#include "rules/GameView.h"
#include "rules/Snake.h"

#include <cmath>
#include <string>

namespace ModMain {

namespace {

// The game ended inside its own setup: it never starts its loop, and its
// snakes go as the loop's end would release them.
bool endedInSetup()
{
    if (Ended == GameEnd::None)
        return false;
    Snakes.clear();
    ComSnakes.clear();
    return true;
}

} // namespace

void NewGame()
{
    Ended = GameEnd::None;
    Paused = false;
    View().SetMessageVisible(false);
    View().SetPauseCaption("Pause");
    AppleTimer = 0;
    LoadMap("map1.dat");
    Level = 1;

    SnakeList humans;
    humans.push_back(std::make_shared<Snake>());
    if (NumPlayers == 2) {
        humans.push_back(std::make_shared<Snake>());
        humans[0]->init(StartLength, TwoPlayerStartColumns[0], HumanStartRow, DirUp);
        humans[1]->init(StartLength, TwoPlayerStartColumns[1], HumanStartRow, DirUp);
    } else {
        humans[0]->init(StartLength, OnePlayerStartColumn, HumanStartRow, DirUp);
    }
    // Releases the snakes of an earlier game, if any.
    Snakes = std::move(humans);
    ++RoundsStarted;
    View().SetTwoPlayerLayout(TwoPlayerGame());

    if (NumComPlayers > 0) {
        ComSnakesOn = true;
        SnakeList computers;
        for (Int16 i = 0; i < NumComPlayers; ++i) {
            auto snake = std::make_shared<Snake>();
            // Columns 2..28 here, while the level sequences re-place computer
            // snakes in columns 1..27. The ranges differ on purpose: that is
            // how the game has always placed them, and a game replayed from
            // its seed must draw the same squares. Do not unify them.
            const auto x = static_cast<Int16>(2 + std::floor(platform::Rnd() * 27));
            snake->init(StartLength, x, ComputerStartRow, DirDown);
            snake->IsComputer = true;
            computers.push_back(std::move(snake));
        }
        ComSnakes = std::move(computers);
    } else {
        ComSnakesOn = false;
    }

    ApplesLeft = 0;
    PlaceAppleBatch();
    // Not UpdateApplesLabel: on a field with no room for apples its
    // level-completed test would run the whole level sequence, with its
    // waits and event handling, before the game has even started.
    ShowApplesLeft();
    UpdateScoreLabels();
    UpdateLivesLabels();
    // An Abort chosen in the label refresh above.
    if (endedInSetup())
        return;
    View().SetTitleVisible(false);
    MoveAll();
    // Every life lost on a blocked start square, or an Abort inside that move.
    if (endedInSetup())
        return;
    Render::RenderFrame();
    Wait(1000, false);
    PlaySound(SndNewGame);
    RenderLoop();
}

void AbortGame()
{
    if (Ended == GameEnd::None)
        Ended = GameEnd::Aborted;
    GameRunning = false;
    View().SetTitleVisible(true);
}

} // namespace ModMain
