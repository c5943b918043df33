#include "flow/GameFlow.h"

#include "platform/GameControllers.h"
#include "platform/Ticks.h"
#include "render/RenderFrame.h"
#include "rules/Snake.h"

namespace ModMain {

void MoveAll()
{
    // The bounds are read once; a snake is held while it moves, so a nested
    // sequence can never release it under our feet.
    const std::size_t humans = Snakes.size();
    for (std::size_t i = 0; i < humans && i < Snakes.size(); ++i) {
        const std::shared_ptr<Snake> snake = Snakes[i];
        snake->Move();
    }
    if (ComSnakesOn) {
        const std::size_t computers = ComSnakes.size();
        for (std::size_t i = 0; i < computers && i < ComSnakes.size(); ++i) {
            const std::shared_ptr<Snake> snake = ComSnakes[i];
            snake->Move();
        }
    }
}

void AppleTimerTick()
{
    AppleTimer += 0.4;
    if (AppleTimer >= 100) {
        PlaceAppleBatch();
        AppleTimer = 0;
    }
}

void RunPass()
{
    const std::uint32_t t0 = platform::GetTickCount();
    if (!Paused) {
        MoveAll();
        AppleTimerTick();
    }
    Render::RenderFrame();
    auto elapsed = static_cast<std::int32_t>(platform::GetTickCount() - t0);
    if (elapsed > 200)
        elapsed = 0;
    // SpeedDelay is 0..200 and elapsed is at most 200, so this stays in range.
    Wait(platform::ToInt16Checked(static_cast<long long>(SpeedDelay) - elapsed), true);
    // A paused game would draw the same frame pass after pass; it sleeps
    // until something happens instead (the key that resumes it, a menu
    // command, the window closing), and a pass follows at once.
    if (Paused && GameRunning)
        platform::WaitForEvent();
    // Pads are read here, once a pass; what they ask is handled just below.
    platform::PollGameControllersInPass();
    platform::DoEvents();
}

void RenderLoop()
{
    GameRunning = true;
    do {
        RunPass();
    } while (GameRunning);
    Snakes.clear();
    ComSnakes.clear();
}

} // namespace ModMain
