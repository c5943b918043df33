#include "support/VirtualPad.h"

VirtualPad::VirtualPad(Uint16 product)
{
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    // This type gives the pad SDL's standard mapping: button i is controller
    // button i, axis i is controller axis i.
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Virtual pad";
    // SDL names a virtual pad by its name alone unless both numbers are set.
    desc.vendor_id = 1;
    desc.product_id = product;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index >= 0)
        Joystick = SDL_JoystickOpen(index);
}

void VirtualPad::stick(int x, int y)
{
    if (!Joystick)
        return;
    SDL_JoystickSetVirtualAxis(Joystick, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
    SDL_JoystickSetVirtualAxis(Joystick, SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(y));
}

void VirtualPad::unplug()
{
    if (!Joystick)
        return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(Joystick);
    SDL_JoystickClose(Joystick);
    Joystick = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == id) {
            SDL_JoystickDetachVirtual(i);
            return;
        }
    }
}

void VirtualPad::set(SDL_GameControllerButton button, Uint8 state)
{
    if (Joystick)
        SDL_JoystickSetVirtualButton(Joystick, button, state);
}
