#pragma once
// Game controllers through SDL's game-controller layer: which pads are
// plugged in, in the order they came, and what the player pressed on them.
// The left stick reads as a D-pad. Nothing here runs until Start is called,
// and without a pad a poll costs next to nothing.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The inputs the game listens to; everything else on a pad is ignored.
enum class PadButton : std::uint8_t { Up, Down, Left, Right, Start, Back };

struct PadPress {
    PadButton button;
    int pad; // SDL's instance id, which a pad keeps while it stays plugged in
};

// A connected pad: its instance id, and what names the device itself (its
// GUID and serial number, where it has one), which it keeps when it is
// plugged in again. Two pads of one make without serial numbers share it.
struct PadIdentity {
    int instance;
    std::string device;
};

// Receives what a poll finds, in the order it happened.
class PadSink {
  public:
    virtual ~PadSink() = default;
    virtual void PadPressed(const PadPress& press) = 0;
    virtual void PadsChanged(int padCount) = 0;
};

// The stick counts once it is past half its travel, by its dominant axis.
constexpr int StickDeadZone = 16384;

// Starts the controller layer once; false if it can't start (no devices, a
// sandbox), and then every other call here does nothing. Silent either way.
bool StartGameControllers();
// Closes every pad and the layer: back to the state at program start.
void StopGameControllers();

// Not owned; nullptr drops what polls find.
void SetPadSink(PadSink* sink);

// Reads every controller event since the last poll. Holding a button or the
// stick reports nothing more; each new press or stick direction reports once.
void PollGameControllers();

// A game's pass reads the pads through this: only while reading can find
// something. The window turns it off while no pad is connected and none is
// arriving, which it learns without polling; it is on from the start.
void PollGameControllersInPass();
void SetPassPolling(bool on);

int ConnectedPads();
// The pads connected now, the one connected longest first.
std::vector<PadIdentity> ConnectedPadIdentities();
// Polls so far, so an idle timer can tell whether the game polled meanwhile.
std::uint64_t PadPolls();

} // namespace platform
