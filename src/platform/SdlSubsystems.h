#pragma once
// Starting and stopping SDL's subsystems. SDL counts them without a lock,
// and the sound device is closed on a thread of its own, so every start and
// stop in the game goes through here.
#include <SDL.h>

namespace platform {

// SDL_InitSubSystem under the lock: true when the subsystems run.
bool StartSdlSubsystems(Uint32 flags);
// SDL_QuitSubSystem under the lock.
void StopSdlSubsystems(Uint32 flags);

} // namespace platform
