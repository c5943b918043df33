#include "window/Gamepad.h"

#include "platform/Ticks.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "window/MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <algorithm>
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

namespace {

int SeatOf(const Seats& seats, int instance)
{
    for (std::size_t i = 0; i < seats.size(); ++i) {
        if (seats[i] && seats[i]->instance == instance)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

void SeatPads(Seats& seats, const std::vector<platform::PadIdentity>& connected)
{
    const auto in = [&connected](const std::optional<platform::PadIdentity>& holder) {
        return holder && std::any_of(connected.begin(), connected.end(), [&holder](const platform::PadIdentity& pad) {
                   return pad.instance == holder->instance;
               });
    };
    const bool fresh = !seats[0] && !seats[1];
    for (const platform::PadIdentity& pad : connected) {
        if (SeatOf(seats, pad.instance) >= 0)
            continue;
        // A pad plugged in again comes back with a new instance id.
        int seat = -1;
        for (std::size_t i = 0; i < seats.size() && seat < 0; ++i) {
            if (seats[i] && seats[i]->device == pad.device && !in(seats[i]))
                seat = static_cast<int>(i);
        }
        if (seat < 0 && fresh && connected.size() == 1)
            seat = 1;
        for (std::size_t i = 0; i < seats.size() && seat < 0; ++i) {
            if (!seats[i])
                seat = static_cast<int>(i);
        }
        for (std::size_t i = 0; i < seats.size() && seat < 0; ++i) {
            if (!in(seats[i]))
                seat = static_cast<int>(i);
        }
        if (seat >= 0)
            seats[static_cast<std::size_t>(seat)] = pad;
    }
}

int PlayerForPad(const Seats& seats, int instance, bool twoPlayers)
{
    return twoPlayers ? SeatOf(seats, instance) : 0;
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
            // SDL reads pads whatever has the focus; keys reach only an
            // active window.
            if (!QApplication::activeWindow())
                return;
            if (press.button == PadButton::Start || press.button == PadButton::Back)
                Command(press.button);
            else
                Steer(press);
        },
        Qt::QueuedConnection);
}

void GamepadInput::GameStarts()
{
    Seats = {};
    Gamepad::SeatPads(Seats, platform::ConnectedPadIdentities());
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

void GamepadInput::Steer(const platform::PadPress& press)
{
    // A held clock means the menus have the keyboard, bar or open menu alike.
    if (ModMain::Paused || !ModMain::GameRunning || platform::ClockHeld())
        return;
    const bool twoPlayers = ModMain::TwoPlayerGame();
    if (twoPlayers) // pads that came since the last press
        Gamepad::SeatPads(Seats, platform::ConnectedPadIdentities());
    const int player = Gamepad::PlayerForPad(Seats, press.pad, twoPlayers);
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
