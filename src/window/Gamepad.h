#pragma once
// Playing with game controllers: a pad's D-pad and left stick steer like the
// arrow keys, Start and Back work the Game menu, while a window of the game
// is active, as keys do. Pads are read only while one is connected or may
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
struct MainMenu;

namespace Gamepad {

// The pads that hold the two players of a two-player game, player one's
// first. A pad keeps its player for the rest of the game, out or in.
using Seats = std::array<std::optional<platform::PadIdentity>, 2>;

// Gives a player to each connected pad without one, in the order they
// came. Empty seats: a lone pad takes player two (player one keeps the
// arrows); with more, the first takes player one and the second player two.
// Later, a pad plugged in again takes its own player back if no other pad
// holds it; any other takes an empty seat, else one whose pad is out.
void SeatPads(Seats& seats, const std::vector<platform::PadIdentity>& connected);

// Index into Snakes of the snake that pad `instance` steers, or -1. In a
// one-player game every pad steers player one.
int PlayerForPad(const Seats& seats, int instance, bool twoPlayers);

// Interval of the slow timer.
constexpr int IdlePollMs = 250;

} // namespace Gamepad

class GamepadInput final : public QObject, public platform::PadSink {
  public:
    // Starts the controller layer shortly after the window is up, so the
    // window shows as fast as without it. New pads appear as device nodes
    // in `deviceFolder`.
    explicit GamepadInput(const MainMenu& menu, QString deviceFolder = QStringLiteral("/dev/input"));
    ~GamepadInput() override;
    GamepadInput(const GamepadInput&) = delete;
    GamepadInput& operator=(const GamepadInput&) = delete;

    // Starts reading pads now; does nothing if the layer can't start.
    void Start();
    // A game starts: the pads connected now take their players afresh.
    void GameStarts();
    bool IdlePolling() const { return IdleTimer.isActive(); }
    // A game's passes read the pads: a pad is connected, one may be
    // arriving, or new devices can't be seen coming.
    bool PassPolling() const { return IdlePolling() || !DeviceWatcher; }

    void PadPressed(const platform::PadPress& press) override;
    void PadsChanged(int padCount) override;

  private:
    void IdleTick();
    void UpdateIdleTimer();
    void Steer(const platform::PadPress& press);
    void Command(platform::PadButton button) const;

    const MainMenu& Menu;
    const QString DeviceFolder;
    QTimer IdleTimer;
    std::unique_ptr<QFileSystemWatcher> DeviceWatcher;
    Gamepad::Seats Seats;
    int HotPlugTicks = 0; // slow polls left after a device node came or went
    std::uint64_t PollsAtLastTick = 0;
};
