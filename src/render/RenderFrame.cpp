#include "render/RenderFrame.h"

#include "rules/GameView.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"

#include <algorithm>
#include <cmath>

namespace Render {

namespace {

constexpr platform::Rgb White = platform::WhiteRgb;

void DrawSnake(const ModMain::SnakeList& list, std::size_t index, platform::Surface& dest,
               const platform::Surface& sheet)
{
    if (index < list.size() && list[index])
        list[index]->Draw(dest, sheet);
}

// Halves go to the even neighbour, as the game's number conversion does.
int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

platform::Surface& BackBuffer()
{
    static platform::Surface surface(FrameWidth, FrameHeight);
    return surface;
}

const platform::Surface& PicMap()
{
    static const platform::Surface surface = platform::Surface::Load(":/assets/tiles.png", StripWidth, StripHeight);
    return surface;
}

const platform::Surface& Picture1()
{
    static const platform::Surface surface = platform::Surface::Load(":/assets/sprites.png", SheetWidth, SheetHeight);
    return surface;
}

void DrawMap(platform::Surface& dest, const platform::Surface& tiles)
{
    for (int x = 0; x < ModMain::FieldSize; ++x) {
        for (int y = 0; y < ModMain::FieldSize; ++y) {
            const int k = ModMain::Map[x][y];
            if (k != 0)
                platform::BitBlt(dest, x * TileSize, y * TileSize, TileSize, TileSize, tiles, (k - 1) * TileSize, 0);
        }
    }
}

TimerBar AppleTimerBar(double v)
{
    // The timer stays in [0, 100) while frames are drawn; anything else is
    // drawn as the nearest end of that range.
    if (!(v >= 0.0))
        v = 0.0;
    v = std::min(v, 100.0);
    const int top = std::min(static_cast<int>(std::floor(v * 3)), FrameHeight);
    const int red = RoundHalfEven(v / 100 * 255);
    const int green = RoundHalfEven((100 - v) / 100 * 255);
    return {top, platform::MakeRgb(red, green, 0)};
}

void DrawAppleTimerBar(platform::Surface& dest, double v)
{
    const TimerBar bar = AppleTimerBar(v);
    dest.FillRect(BarLeft, bar.top, BarWidth, FrameHeight - bar.top, bar.colour);
}

void ComposeFrame(platform::Surface& back)
{
    const platform::Surface& sheet = Picture1();
    back.Clear(White);
    DrawMap(back, PicMap());

    // Later snakes cover earlier ones: player one, player two, computers.
    DrawSnake(ModMain::Snakes, 0, back, sheet);
    if (ModMain::TwoPlayerGame())
        DrawSnake(ModMain::Snakes, 1, back, sheet);
    if (ModMain::ComSnakesOn) {
        for (std::size_t i = 0; i < ModMain::ComSnakes.size(); ++i)
            DrawSnake(ModMain::ComSnakes, i, back, sheet);
    }

    DrawAppleTimerBar(back, ModMain::AppleTimer);
}

void RenderFrame()
{
    platform::Surface& back = BackBuffer();
    ComposeFrame(back);
    ModMain::View().PresentFrame(back);
}

} // namespace Render
