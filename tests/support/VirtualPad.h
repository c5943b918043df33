#pragma once
// A game controller with no hardware behind it: SDL's virtual joystick with
// the standard pad layout, plugged in while the object lives. It exists only
// inside this process. The controller layer must be started first.
#include <SDL.h>

class VirtualPad {
  public:
    // Pads of different `product` numbers are different makes: a game knows
    // each again when it is plugged in again.
    explicit VirtualPad(Uint16 product = 0);
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool plugged() const { return Joystick != nullptr; }
    // The new state is seen at the next poll; a press and release before it
    // would go unseen, as on a real pad read too slowly.
    void press(SDL_GameControllerButton button) { set(button, 1); }
    void release(SDL_GameControllerButton button) { set(button, 0); }
    // Left stick, -32768..32767 on each axis; y grows downwards.
    void stick(int x, int y);
    void unplug();

  private:
    void set(SDL_GameControllerButton button, Uint8 state);

    SDL_Joystick* Joystick = nullptr;
};
