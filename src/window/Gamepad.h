#pragma once
// Playing with game controllers: a pad's D-pad and left stick steer like the
// arrow keys, Start and Back work the Game menu. Pads are read only while one
// is connected or may just have been plugged in: once per pass during a
// game, otherwise by a slow timer.
#include "platform/GameControllers.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>

class QFileSystemWatcher;
struct MainMenu;

namespace Gamepad {

// Index into Snakes of the snake that pad `pad` of `padCount` steers, or -1.
// One player: every pad steers player one. Two players: a lone pad steers
// player two (player one keeps the arrows); with more, the first connected
// steers player one and the second player two.
int PlayerForPad(int pad, int padCount, bool twoPlayers);

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
    bool IdlePolling() const { return IdleTimer.isActive(); }
    // A game's passes read the pads: a pad is connected, one may be
    // arriving, or new devices can't be seen coming.
    bool PassPolling() const { return IdlePolling() || !DeviceWatcher; }

    void PadPressed(const platform::PadPress& press) override;
    void PadsChanged(int padCount) override;

  private:
    void IdleTick();
    void UpdateIdleTimer();
    void Steer(const platform::PadPress& press) const;
    void Command(platform::PadButton button) const;

    const MainMenu& Menu;
    const QString DeviceFolder;
    QTimer IdleTimer;
    std::unique_ptr<QFileSystemWatcher> DeviceWatcher;
    int HotPlugTicks = 0; // slow polls left after a device node came or went
    std::uint64_t PollsAtLastTick = 0;
};
