#include "rules/ModMain.h"

#include "rules/Snake.h"

namespace ModMain {

MapGrid Map{};
SnakeList Snakes;
SnakeList ComSnakes;
bool ComSnakesOn = false;
Int16 NumPlayers = 0;
Int16 NumComPlayers = 0;
Int16 Level = 0;
Int16 ApplesLeft = 0;
bool GameRunning = false;
bool Paused = false;
Int16 SpeedDelay = 0;
bool SoundOn = false;
double AppleTimer = 0.0;
std::uint32_t RoundsStarted = 0;
GameEnd Ended = GameEnd::None;

void ResetState()
{
    Map = MapGrid{};
    Snakes.clear();
    ComSnakes.clear();
    ComSnakesOn = false;
    NumPlayers = 0;
    NumComPlayers = 0;
    Level = 0;
    ApplesLeft = 0;
    GameRunning = false;
    Paused = false;
    SpeedDelay = 0;
    SoundOn = false;
    AppleTimer = 0.0;
    RoundsStarted = 0;
    Ended = GameEnd::None;
}

void SetDefaultSettings()
{
    NumPlayers = 1;
    NumComPlayers = 0;
    SpeedDelay = 90;
    SoundOn = true;
}

bool TwoPlayerGame()
{
    return Snakes.size() == 2;
}

bool GameIsOver()
{
    return Ended == GameEnd::Over;
}

bool SquareIsFree(Int16 x, Int16 y, bool strict)
{
    const std::uint8_t cell = Map[x][y];
    if (strict ? cell != Empty : cell == Wall)
        return false;
    for (const auto& snake : Snakes) {
        if (snake->UsesSquare(x, y))
            return false;
    }
    if (ComSnakesOn) {
        for (const auto& snake : ComSnakes) {
            if (snake->UsesSquare(x, y))
                return false;
        }
    }
    return true;
}

} // namespace ModMain
