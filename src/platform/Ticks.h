#pragma once
// Time and message processing: the tick counter, the event pump and the two
// ways of waiting. Everything time-driven goes through here so that tests can
// run the game on a clock they control.
#include <cstdint>
#include <functional>

namespace platform {

// What the game needs from time and the window system. The real one runs on
// a monotonic clock and Qt's event loop; tests install their own.
class TimeSource {
  public:
    virtual ~TimeSource() = default;
    // Milliseconds from a fixed start, 32 bits, wrapping.
    virtual std::uint32_t ticks() = 0;
    // Handles every pending window event, then returns.
    virtual void processEvents() = 0;
    // Blocks in the event loop until it has handled an event or ticks()
    // reaches `deadline`; callers re-check the clock (and with it the hold).
    virtual void waitProcessingEvents(std::uint32_t deadline) = 0;
    // Sleeps until ticks() reaches `deadline` without handling any event.
    virtual void sleepUntil(std::uint32_t deadline) = 0;
    // The time of day in seconds since midnight: what the random numbers are
    // seeded from, so a test clock makes a whole game replayable.
    virtual double secondsSinceMidnight() = 0;
    // Blocks in the event loop until it has handled an event (a timer's too).
    virtual void waitForEvent() = 0;
};

// Installs `source` (nullptr restores the real one). Not owned.
void SetTimeSource(TimeSource* source);
TimeSource& CurrentTimeSource();

// The game's clock: the time source's ticks, less every span in which the
// clock was held. Waits and event processing go through these, so a held
// clock stops the game where it is.
std::uint32_t GetTickCount();
// Handles pending events; while the clock is held, keeps handling them until
// it is let go.
void DoEvents();
// Waits, handling events, until GetTickCount() reaches `end`; may return
// early. A held clock blocks here until it is let go.
void WaitProcessingEvents(std::uint32_t end);
// Sleeps without handling events until GetTickCount() reaches `end`.
void SleepUntil(std::uint32_t end);
// Handles events as they come until one has been handled, with no timer of
// its own: nothing wakes the program until something happens. Returns at
// once while the clock is held (DoEvents waits that out).
void WaitForEvent();

// The clock stands still while `held` answers true (a menu is open). It is
// asked at every reading of the clock, and a wait that the hold stopped asks
// again after every event it handles: whatever ends a hold is an event.
// Installing (nullptr: never held) starts the count of held time afresh.
void SetClockHold(std::function<bool()> held);
// The clock stands still now (a menu is open or a title is selected).
bool ClockHeld();

// True once `now` has reached `end`, with wrap-safe 32-bit arithmetic.
inline bool TickReached(std::uint32_t now, std::uint32_t end)
{
    return static_cast<std::int32_t>(now - end) >= 0;
}

} // namespace platform
