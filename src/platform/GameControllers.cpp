#include "platform/GameControllers.h"

#include "platform/SdlSubsystems.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
namespace {

struct ControllerCloser {
    void operator()(SDL_GameController* controller) const { SDL_GameControllerClose(controller); }
};

struct Pad {
    SDL_JoystickID id = -1;
    std::string device; // see PadIdentity
    std::unique_ptr<SDL_GameController, ControllerCloser> controller;
    int stickX = 0, stickY = 0;
    std::optional<PadButton> stickZone; // direction the stick points, past the dead zone
};

enum class State { Untried, Running, Failed };

struct Controllers {
    State state = State::Untried;
    std::vector<Pad> pads; // in the order they were connected
    PadSink* sink = nullptr;
    std::uint64_t polls = 0;
    bool passPolling = true;
};

Controllers& controllers()
{
    static Controllers instance;
    return instance;
}

std::optional<PadButton> StickZone(int x, int y)
{
    if (std::max(std::abs(x), std::abs(y)) <= StickDeadZone)
        return std::nullopt;
    if (std::abs(x) > std::abs(y))
        return x < 0 ? PadButton::Left : PadButton::Right;
    return y < 0 ? PadButton::Up : PadButton::Down;
}

std::optional<PadButton> ButtonFromSdl(Uint8 button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadButton::Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadButton::Down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadButton::Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadButton::Right;
    case SDL_CONTROLLER_BUTTON_START: return PadButton::Start;
    case SDL_CONTROLLER_BUTTON_BACK: return PadButton::Back;
    default: return std::nullopt;
    }
}

int PadIndex(SDL_JoystickID id)
{
    const std::vector<Pad>& pads = controllers().pads;
    const auto found = std::find_if(pads.begin(), pads.end(), [id](const Pad& pad) { return pad.id == id; });
    return found == pads.end() ? -1 : static_cast<int>(found - pads.begin());
}

void Report(SDL_JoystickID pad, PadButton button)
{
    Controllers& c = controllers();
    if (c.sink)
        c.sink->PadPressed({button, pad});
}

void PadsChanged()
{
    Controllers& c = controllers();
    if (c.sink)
        c.sink->PadsChanged(static_cast<int>(c.pads.size()));
}

void Connect(int deviceIndex)
{
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0 || PadIndex(id) >= 0)
        return;
    Pad pad;
    pad.controller.reset(SDL_GameControllerOpen(deviceIndex));
    if (!pad.controller)
        return;
    pad.id = id;
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(deviceIndex), guid, sizeof guid);
    const char* serial = SDL_GameControllerGetSerial(pad.controller.get());
    pad.device = std::string(guid) + '/' + (serial ? serial : "");
    // A stick already pushed when the pad arrives steers only once it moves.
    pad.stickX = SDL_GameControllerGetAxis(pad.controller.get(), SDL_CONTROLLER_AXIS_LEFTX);
    pad.stickY = SDL_GameControllerGetAxis(pad.controller.get(), SDL_CONTROLLER_AXIS_LEFTY);
    pad.stickZone = StickZone(pad.stickX, pad.stickY);
    controllers().pads.push_back(std::move(pad));
    PadsChanged();
}

void Disconnect(SDL_JoystickID id)
{
    const int index = PadIndex(id);
    if (index < 0)
        return;
    std::vector<Pad>& pads = controllers().pads;
    pads.erase(pads.begin() + index);
    PadsChanged();
}

// The axes of one stick reading arrive as separate events with the same
// time stamp; its direction is judged once all of them are in, so that a
// stick let go from a diagonal never reads as the half-way state between.
struct PendingStick {
    SDL_JoystickID id = -1;
    Uint32 timestamp = 0;
};

void JudgeStick(PendingStick& pending)
{
    const int index = PadIndex(pending.id);
    pending.id = -1;
    if (index < 0)
        return;
    Pad& pad = controllers().pads[static_cast<std::size_t>(index)];
    const std::optional<PadButton> zone = StickZone(pad.stickX, pad.stickY);
    if (zone == pad.stickZone)
        return;
    pad.stickZone = zone;
    if (zone)
        Report(pad.id, *zone);
}

void MoveStick(const SDL_ControllerAxisEvent& motion, PendingStick& pending)
{
    if (motion.axis != SDL_CONTROLLER_AXIS_LEFTX && motion.axis != SDL_CONTROLLER_AXIS_LEFTY)
        return;
    const int index = PadIndex(motion.which);
    if (index < 0)
        return;
    Pad& pad = controllers().pads[static_cast<std::size_t>(index)];
    (motion.axis == SDL_CONTROLLER_AXIS_LEFTX ? pad.stickX : pad.stickY) = motion.value;
    pending = {motion.which, motion.timestamp};
}

void Handle(const SDL_Event& event, PendingStick& pending)
{
    // Raw joystick events come between the controller's own: not ours.
    if (event.type < SDL_CONTROLLERAXISMOTION || event.type > SDL_CONTROLLERDEVICEREMOVED)
        return;
    const bool sameReading = event.type == SDL_CONTROLLERAXISMOTION && event.caxis.which == pending.id &&
                             event.caxis.timestamp == pending.timestamp;
    if (pending.id >= 0 && !sameReading)
        JudgeStick(pending);
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: Connect(event.cdevice.which); break;
    case SDL_CONTROLLERDEVICEREMOVED: Disconnect(event.cdevice.which); break;
    case SDL_CONTROLLERBUTTONDOWN:
        if (const std::optional<PadButton> button = ButtonFromSdl(event.cbutton.button)) {
            if (PadIndex(event.cbutton.which) >= 0)
                Report(event.cbutton.which, *button);
        }
        break;
    case SDL_CONTROLLERAXISMOTION: MoveStick(event.caxis, pending); break;
    default: break;
    }
}

} // namespace

bool StartGameControllers()
{
    Controllers& c = controllers();
    if (c.state == State::Untried) {
        // SDL would otherwise take over SIGINT/SIGTERM.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        c.state = StartSdlSubsystems(SDL_INIT_GAMECONTROLLER) ? State::Running : State::Failed;
    }
    return c.state == State::Running;
}

void StopGameControllers()
{
    Controllers& c = controllers();
    c.pads.clear();
    if (c.state == State::Running) {
        StopSdlSubsystems(SDL_INIT_GAMECONTROLLER);
        // The event queue outlives the layer while sound keeps SDL running.
        SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_CONTROLLERSENSORUPDATE);
    }
    c.state = State::Untried;
    c.polls = 0;
    c.passPolling = true;
}

void SetPadSink(PadSink* sink)
{
    controllers().sink = sink;
}

void PollGameControllers()
{
    Controllers& c = controllers();
    if (c.state != State::Running)
        return;
    ++c.polls;
    SDL_Event event;
    PendingStick pending;
    while (SDL_PollEvent(&event))
        Handle(event, pending);
    if (pending.id >= 0)
        JudgeStick(pending);
}

void PollGameControllersInPass()
{
    // SDL's look for new devices alone costs a few dozen microseconds.
    if (controllers().passPolling)
        PollGameControllers();
}

void SetPassPolling(bool on)
{
    controllers().passPolling = on;
}

int ConnectedPads()
{
    return static_cast<int>(controllers().pads.size());
}

std::vector<PadIdentity> ConnectedPadIdentities()
{
    std::vector<PadIdentity> identities;
    for (const Pad& pad : controllers().pads)
        identities.push_back({pad.id, pad.device});
    return identities;
}

std::uint64_t PadPolls()
{
    return controllers().polls;
}

} // namespace platform
