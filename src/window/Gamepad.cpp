#include "window/Gamepad.h"

#include "game/ModMain.h"
#include "platform/Ticks.h"
#include "snake/Snake.h"
#include "window/MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <utility>

namespace {

using platform::PadButton;

constexpr int StartDelayMs = 500;
// After a device node appears, the system may take a moment to hand the new
// pad to SDL: keep looking for about two seconds.
constexpr int HotPlugPolls = 8;

platform::Int16 DirectionOf(PadButton button)
{
    switch (button) {
    case PadButton::Up: return ModMain::DirUp;
    case PadButton::Down: return ModMain::DirDown;
    case PadButton::Left: return ModMain::DirLeft;
    case PadButton::Right: return ModMain::DirRight;
    default: return 0;
    }
}

bool MenuOrDialogOpen()
{
    // The clock is held while the bar has the keyboard or any of its menus is open.
    return platform::ClockHeld() || QApplication::activeModalWidget();
}

} // namespace

namespace Gamepad {

int PlayerForPad(int pad, int padCount, bool twoPlayers)
{
    if (!twoPlayers)
        return 0;
    if (padCount == 1)
        return 1;
    return pad < 2 ? pad : -1;
}

} // namespace Gamepad

GamepadInput::GamepadInput(const MainMenu& menu, QString deviceFolder)
    : Menu(menu), DeviceFolder(std::move(deviceFolder))
{
    IdleTimer.setInterval(Gamepad::IdlePollMs);
    connect(&IdleTimer, &QTimer::timeout, this, &GamepadInput::IdleTick);
    QTimer::singleShot(StartDelayMs, this, &GamepadInput::Start);
}

GamepadInput::~GamepadInput()
{
    platform::SetPadSink(nullptr);
    platform::SetPassPolling(true);
}

void GamepadInput::Start()
{
    if (!platform::StartGameControllers())
        return;
    platform::SetPadSink(this);
    // Without the folder (a container), a pad would first make it appear in
    // the folder above.
    const QFileInfo folder(DeviceFolder);
    const QString watched = folder.isDir() ? DeviceFolder : folder.dir().path();
    if (!DeviceWatcher && QFileInfo(watched).isDir()) {
        // Tells us without any polling when a device may have been plugged in.
        DeviceWatcher = std::make_unique<QFileSystemWatcher>(QStringList{watched});
        connect(DeviceWatcher.get(), &QFileSystemWatcher::directoryChanged, this, [this] {
            HotPlugTicks = HotPlugPolls;
            UpdateIdleTimer();
        });
    }
    platform::PollGameControllers(); // the pads already there
    UpdateIdleTimer();
}

void GamepadInput::PadPressed(const platform::PadPress& press)
{
    // Handled with the window's other events, like a key press: in order,
    // and under the conditions in force then.
    QMetaObject::invokeMethod(
        this,
        [this, press] {
            if (press.button == PadButton::Start || press.button == PadButton::Back)
                Command(press.button);
            else
                Steer(press);
        },
        Qt::QueuedConnection);
}

void GamepadInput::PadsChanged(int /*padCount*/)
{
    UpdateIdleTimer();
}

void GamepadInput::IdleTick()
{
    if (HotPlugTicks > 0)
        --HotPlugTicks;
    // A game's pass polls on its own; the timer only covers the time between.
    if (platform::PadPolls() == PollsAtLastTick)
        platform::PollGameControllers();
    PollsAtLastTick = platform::PadPolls();
    UpdateIdleTimer();
}

void GamepadInput::UpdateIdleTimer()
{
    const bool wanted = platform::ConnectedPads() > 0 || HotPlugTicks > 0;
    if (wanted && !IdleTimer.isActive())
        IdleTimer.start();
    else if (!wanted && IdleTimer.isActive())
        IdleTimer.stop();
    platform::SetPassPolling(PassPolling());
}

void GamepadInput::Steer(const platform::PadPress& press) const
{
    // A held clock means the menus have the keyboard, bar or open menu alike.
    if (ModMain::Paused || !ModMain::GameRunning || platform::ClockHeld())
        return;
    const int player = Gamepad::PlayerForPad(press.pad, press.padCount, ModMain::TwoPlayerGame());
    // Bounds re-checked: the arrays may be empty while a game unwinds.
    if (player >= 0 && static_cast<std::size_t>(player) < ModMain::Snakes.size())
        ModMain::Snakes[static_cast<std::size_t>(player)]->ChangeDirection(DirectionOf(press.button));
}

void GamepadInput::Command(PadButton button) const
{
    // Where F2 and F4 would not reach the menu, neither does the pad.
    if (MenuOrDialogOpen())
        return;
    const bool inGame = !Menu.MenuItemNewGame->isEnabled();
    if (button == PadButton::Start)
        (inGame ? Menu.MenuItemPause : Menu.MenuItemNewGame)->trigger();
    else if (inGame && Menu.MenuItemAbort->isEnabled())
        Menu.MenuItemAbort->trigger();
}
