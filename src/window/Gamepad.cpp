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

bool Connected(const std::optional<platform::PadIdentity>& pad, const std::vector<platform::PadIdentity>& connected)
{
    return pad && std::any_of(connected.begin(), connected.end(),
                              [&pad](const platform::PadIdentity& other) { return other.instance == pad->instance; });
}

int SeatOf(const Seats& seats, int instance)
{
    const auto is = [instance](const std::optional<platform::PadIdentity>& pad) {
        return pad && pad->instance == instance;
    };
    for (std::size_t i = 0; i < seats.size(); ++i) {
        if (is(seats[i].owner) || is(seats[i].standIn))
            return static_cast<int>(i);
    }
    return -1;
}

// The first seat that passes `test`, or -1.
template <typename Test> int FirstSeat(const Seats& seats, Test test)
{
    const auto found = std::find_if(seats.begin(), seats.end(), test);
    return found == seats.end() ? -1 : static_cast<int>(found - seats.begin());
}

} // namespace

void SeatPads(Seats& seats, const std::vector<platform::PadIdentity>& connected)
{
    const bool fresh = !seats[0].owner && !seats[1].owner;
    for (const platform::PadIdentity& pad : connected) {
        if (SeatOf(seats, pad.instance) >= 0)
            continue;
        // A pad plugged in again comes back with a new instance id.
        int seat = FirstSeat(seats, [&](const Seat& s) {
            return s.owner && s.owner->device == pad.device && !Connected(s.owner, connected);
        });
        if (seat >= 0) {
            seats[static_cast<std::size_t>(seat)] = {pad, std::nullopt};
            continue;
        }
        seat = fresh && connected.size() == 1 ? 1 : FirstSeat(seats, [](const Seat& s) { return !s.owner; });
        if (seat >= 0) {
            seats[static_cast<std::size_t>(seat)].owner = pad;
            continue;
        }
        seat = FirstSeat(
            seats, [&](const Seat& s) { return !Connected(s.owner, connected) && !Connected(s.standIn, connected); });
        if (seat >= 0)
            seats[static_cast<std::size_t>(seat)].standIn = pad;
    }
}

void SeatPadsForNewGame(Seats& seats, const std::vector<platform::PadIdentity>& connected)
{
    if (connected.size() < 2)
        seats = {};
    // Pads plugged in again first take their players back.
    SeatPads(seats, connected);
    for (Seat& seat : seats) {
        if (!Connected(seat.owner, connected))
            seat.owner = seat.standIn;
        seat.standIn.reset();
    }
}

int PlayerForPad(const Seats& seats, int instance, bool twoPlayers)
{
    return twoPlayers ? SeatOf(seats, instance) : 0;
}

} // namespace Gamepad

GamepadInput::GamepadInput(const QWidget& window, const MainMenu& menu, QString deviceFolder)
    : Window(window), Menu(menu), DeviceFolder(std::move(deviceFolder))
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
    WatchDeviceFolder();
    platform::PollGameControllers(); // the pads already there
    UpdateIdleTimer();
}

void GamepadInput::WatchDeviceFolder()
{
    // Without the folder (a container, or the last device gone), a pad would
    // first make it appear in the folder above; then new pads appear in it.
    const QFileInfo folder(DeviceFolder);
    const QString watched = folder.isDir() ? DeviceFolder : folder.dir().path();
    if (!QFileInfo(watched).isDir())
        return;
    if (!DeviceWatcher) {
        // Tells us without any polling when a device may have been plugged in.
        DeviceWatcher = std::make_unique<QFileSystemWatcher>();
        connect(DeviceWatcher.get(), &QFileSystemWatcher::directoryChanged, this, [this] {
            HotPlugTicks = HotPlugPolls;
            WatchDeviceFolder();
            UpdateIdleTimer();
        });
    }
    const QStringList before = DeviceWatcher->directories();
    if (before == QStringList{watched})
        return;
    if (!before.isEmpty())
        DeviceWatcher->removePaths(before);
    DeviceWatcher->addPath(watched);
}

void GamepadInput::PadPressed(const platform::PadPress& press)
{
    // Handled with the window's other events, like a key press: in order,
    // and under the conditions in force then.
    QMetaObject::invokeMethod(
        this,
        [this, press] {
            // SDL reads pads whatever has the focus; the game's keys reach
            // only the main window, and only while it is active.
            if (QApplication::activeWindow() != &Window)
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
    Gamepad::SeatPadsForNewGame(Seats, platform::ConnectedPadIdentities());
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
