#pragma once
// Playing with game controllers: a pad's D-pad and left stick steer like the
// arrow keys, Start and Back work the Game menu, while the main window is
// the active one, as keys do. Pads are read only while one is connected or may
// just have been plugged in: once per pass during a game, otherwise by a
// slow timer.
#include "platform/GameControllers.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QFileSystemWatcher;
class QWidget;
struct MainMenu;

namespace Gamepad {

// A player's seat in a two-player game: the pad that holds the player for
// the game, and one that steers for it while that pad is out.
struct Seat {
    std::optional<platform::PadIdentity> owner;
    std::optional<platform::PadIdentity> standIn;
};
// Player one's seat first.
using Seats = std::array<Seat, 2>;

// Gives a player to each connected pad without one, in the order they
// came. Empty seats: a lone pad takes player two (player one keeps the
// arrows); with more, the first takes player one and the second player two.
// Later, a pad plugged in again takes its own player back, from a stand-in
// too; any other takes an empty seat, else stands in for a pad that is out.
void SeatPads(Seats& seats, const std::vector<platform::PadIdentity>& connected);

// A new game: with two pads or more, each keeps the player it steered, so
// that a dropout in the last game swaps no one; a lone pad is seated afresh.
void SeatPadsForNewGame(Seats& seats, const std::vector<platform::PadIdentity>& connected);

// Index into Snakes of the snake that pad `instance` steers, or -1. In a
// one-player game every pad steers player one.
int PlayerForPad(const Seats& seats, int instance, bool twoPlayers);

// Interval of the slow timer.
constexpr int IdlePollMs = 250;

} // namespace Gamepad

class GamepadInput final : public QObject, public platform::PadSink {
  public:
    // Starts the controller layer shortly after `window` is up, so the
    // window shows as fast as without it. Pads act only while `window` is
    // the active one. New pads appear as device nodes in `deviceFolder`.
    GamepadInput(const QWidget& window, const MainMenu& menu, QString deviceFolder = QStringLiteral("/dev/input"));
    ~GamepadInput() override;
    GamepadInput(const GamepadInput&) = delete;
    GamepadInput& operator=(const GamepadInput&) = delete;

    // Starts reading pads now; does nothing if the layer can't start.
    void Start();
    // A game starts: the pads connected now take their players.
    void GameStarts();
    bool IdlePolling() const { return IdleTimer.isActive(); }
    // A game's passes read the pads: a pad is connected, one may be
    // arriving, or new devices can't be seen coming.
    bool PassPolling() const { return IdlePolling() || !DeviceWatcher; }

    void PadPressed(const platform::PadPress& press) override;
    void PadsChanged(int padCount) override;

  private:
    void WatchDeviceFolder();
    void IdleTick();
    void UpdateIdleTimer();
    void Steer(const platform::PadPress& press);
    void Command(platform::PadButton button) const;

    const QWidget& Window;
    const MainMenu& Menu;
    const QString DeviceFolder;
    QTimer IdleTimer;
    std::unique_ptr<QFileSystemWatcher> DeviceWatcher;
    Gamepad::Seats Seats;
    int HotPlugTicks = 0; // slow polls left after a device node came or went
    std::uint64_t PollsAtLastTick = 0;
};
