#include "window/Keyboard.h"

#include "platform/KeyPlaces.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"

#include <QChar>
#include <QKeyEvent>

#include <array>

namespace Keyboard {
namespace {

struct KeyRule {
    Int16 keyCode;
    int player; // index into Snakes
    Int16 direction;
};

// Tested in this order; the first match wins.
constexpr std::array<KeyRule, 8> Rules{{
    {VkLeft, 0, ModMain::DirLeft},
    {VkRight, 0, ModMain::DirRight},
    {VkDown, 0, ModMain::DirDown},
    {VkUp, 0, ModMain::DirUp},
    {VkA, 1, ModMain::DirLeft},
    {VkD, 1, ModMain::DirRight},
    {VkS, 1, ModMain::DirDown},
    {VkW, 1, ModMain::DirUp},
}};

} // namespace

Int16 VirtualKeyFromQt(int qtKey)
{
    // Qt reports letters as upper-case key codes whatever the Shift state,
    // and letters and digits share their codes with the virtual keys.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<Int16>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return static_cast<Int16>(112 + (qtKey - Qt::Key_F1));
    switch (qtKey) {
    case Qt::Key_Left: return VkLeft;
    case Qt::Key_Up: return VkUp;
    case Qt::Key_Right: return VkRight;
    case Qt::Key_Down: return VkDown;
    case Qt::Key_Space: return 32;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    default: return 0;
    }
}

Int16 VirtualKeyFromEvent(const QKeyEvent& event)
{
    const int qtKey = event.key();
    // Qt reports a key of a non-Latin script (Cyrillic, Greek, ...) by its
    // character, above Latin-1; a Latin layout keeps its letters wherever
    // they lie.
    if (qtKey > 0xff && qtKey <= 0xffff && QChar(static_cast<char16_t>(qtKey)).isLetter()) {
        if (const char letter = platform::UsLetterAtKey(event.nativeScanCode()))
            return static_cast<Int16>(letter);
    }
    return VirtualKeyFromQt(qtKey);
}

Int16 ShiftStateFromQt(Qt::KeyboardModifiers modifiers)
{
    Int16 state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= 1;
    if (modifiers & Qt::ControlModifier)
        state |= 2;
    if (modifiers & Qt::AltModifier)
        state |= 4;
    return state;
}

void SteerFromKey(Int16 keyCode)
{
    if (ModMain::Paused || !ModMain::GameRunning)
        return;
    for (const KeyRule& rule : Rules) {
        if (rule.keyCode != keyCode)
            continue;
        if (rule.player == 1 && !ModMain::TwoPlayerGame())
            return;
        // Bounds re-checked: the arrays may be empty while a game unwinds.
        if (static_cast<std::size_t>(rule.player) < ModMain::Snakes.size())
            ModMain::Snakes[rule.player]->ChangeDirection(rule.direction);
        return;
    }
}

} // namespace Keyboard
