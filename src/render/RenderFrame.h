#pragma once
// Frame composition: the map tiles, the snakes and the apple-timer bar are
// drawn into the off-screen back buffer, which then goes to the window.
#include "platform/Surface.h"

namespace Render {

using platform::TileSize;
constexpr int FrameWidth = 330;
constexpr int FrameHeight = 300;
constexpr int BarLeft = 300;
constexpr int BarWidth = FrameWidth - BarLeft;
constexpr int StripWidth = 128, StripHeight = 10;
constexpr int SheetWidth = 142, SheetHeight = 50;

// Composes one frame from the game state and hands it to the game view.
void RenderFrame();
// The whole frame drawn into `back`: white, the map, the snakes, the bar.
void ComposeFrame(platform::Surface& back);

// Copies the tile of every wall or apple cell of the map into dest.
void DrawMap(platform::Surface& dest, const platform::Surface& tiles);

// Top row and colour of the apple-timer bar for a timer value v.
struct TimerBar {
    int top = 0;
    platform::Rgb colour = 0;
};
TimerBar AppleTimerBar(double v);
// Fills the bar's rows top..bottom of columns BarLeft..BarLeft+BarWidth-1.
void DrawAppleTimerBar(platform::Surface& dest, double v);

// The surfaces, made on first use and kept for the whole run.
platform::Surface& BackBuffer();
const platform::Surface& PicMap();   // tile strip, 128 x 10
const platform::Surface& Picture1(); // snake sprite sheet, 142 x 50

} // namespace Render
