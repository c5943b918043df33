#include "flow/GameFlow.h"

#include "platform/Ticks.h"

namespace ModMain {

void Wait(Int16 milliseconds, bool pumpMessages)
{
    const std::uint32_t end =
        platform::GetTickCount() + static_cast<std::uint32_t>(static_cast<std::int32_t>(milliseconds));
    if (platform::TickReached(platform::GetTickCount(), end))
        return;
    // Blocks until the end time instead of polling the clock.
    while (!platform::TickReached(platform::GetTickCount(), end)) {
        if (pumpMessages)
            platform::WaitProcessingEvents(end);
        else
            platform::SleepUntil(end);
    }
}

} // namespace ModMain
