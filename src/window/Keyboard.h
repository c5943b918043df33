#pragma once
// Steering from the keyboard: arrow keys for player one, W A S D for player
// two. Keys arrive as Windows virtual-key codes.
#include "platform/Int16.h"

#include <QFlags>
#include <Qt>

class QKeyEvent;

namespace Keyboard {

using platform::Int16;

constexpr Int16 VkLeft = 37, VkUp = 38, VkRight = 39, VkDown = 40;
constexpr Int16 VkA = 65, VkD = 68, VkS = 83, VkW = 87;

// Virtual-key code of a Qt key; 0 for keys the game has no code for. Letter
// keys give the same code with or without Shift and Caps Lock.
Int16 VirtualKeyFromQt(int qtKey);
// Virtual-key code of a key press on any layout: letter keys of a layout
// that types no Latin letters give the code of the US letter in their place,
// as the virtual-key codes of the game's original platform do.
Int16 VirtualKeyFromEvent(const QKeyEvent& event);
// Shift state bits: 1 Shift, 2 Ctrl, 4 Alt.
Int16 ShiftStateFromQt(Qt::KeyboardModifiers modifiers);

// Turns one key press into a direction request on the right snake. Ignored
// while paused or between games; W A S D only in a two-player game.
void SteerFromKey(Int16 keyCode);

} // namespace Keyboard
