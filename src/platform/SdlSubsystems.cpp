#include "platform/SdlSubsystems.h"

#include <mutex>

namespace platform {
namespace {

std::mutex& subsystemLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

bool StartSdlSubsystems(Uint32 flags)
{
    const std::lock_guard guard(subsystemLock());
    return SDL_InitSubSystem(flags) == 0;
}

void StopSdlSubsystems(Uint32 flags)
{
    const std::lock_guard guard(subsystemLock());
    SDL_QuitSubSystem(flags);
}

} // namespace platform
