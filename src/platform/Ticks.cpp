#include "platform/Ticks.h"

#include "platform/TickAlarm.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace platform {
namespace {

// Qt's event loop and a monotonic clock. Waits block in the kernel instead of
// spinning, so a running game costs next to no CPU.
class RealTime final : public TimeSource {
    using Clock = std::chrono::steady_clock;

  public:
    std::uint32_t ticks() override
    {
        const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
    }

    // The moment ticks() turns to `deadline`: the start of that millisecond,
    // where the game's own loop of clock readings would have ended.
    static Clock::time_point momentOf(std::uint32_t deadline)
    {
        const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
        const auto left = static_cast<std::int32_t>(deadline - static_cast<std::uint32_t>(now.count()));
        return Clock::time_point(now + std::chrono::milliseconds(left));
    }

    void processEvents() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    void waitProcessingEvents(std::uint32_t deadline) override
    {
        const auto remaining = static_cast<std::int32_t>(deadline - ticks());
        if (remaining <= 0)
            return;
        if (!QCoreApplication::instance()) {
            sleepUntil(deadline);
            return;
        }
        runLoop(momentOf(deadline));
    }

    void waitForEvent() override
    {
        if (QCoreApplication::instance())
            runLoop(std::nullopt);
    }

    void sleepUntil(std::uint32_t deadline) override
    {
        while (!TickReached(ticks(), deadline))
            std::this_thread::sleep_until(momentOf(deadline));
    }

    double secondsSinceMidnight() override { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

  private:
    class AnyEvent final : public QObject {
      public:
        explicit AnyEvent(bool& done) : done_(done) {}
        bool eventFilter(QObject*, QEvent*) override
        {
            done_ = true;
            return false;
        }

      private:
        bool& done_;
    };

    struct Waiter {
        bool done = false;
        TickAlarm alarm{[this] { done = true; }};
    };

    // Runs the event loop until it has handled an event, or until `until`.
    // Every event the application delivers passes the filter: the first one
    // ends the wait once it has been handled, and the caller reads the clock,
    // and with it the hold, again. Waits nest (a level sequence waits inside
    // a pass); each depth keeps its own flag and alarm, made once and reused.
    void runLoop(std::optional<Clock::time_point> until)
    {
        Waiter& waiter = waiterAt(depth_);
        ++depth_;
        waiter.done = false;
        AnyEvent filter(waiter.done);
        QCoreApplication::instance()->installEventFilter(&filter);
        if (until)
            waiter.alarm.start(*until);
        // Each round blocks until the loop has handled something, and what
        // ends the wait is handled in one. A nested QEventLoop would cost
        // more: its quit() wakes the dispatcher through a pipe, and the wake
        // is read and handled in the next round (about 30 us of CPU a pass).
        while (!waiter.done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        waiter.alarm.stop();
        QCoreApplication::instance()->removeEventFilter(&filter);
        --depth_;
    }

    Waiter& waiterAt(std::size_t depth)
    {
        while (waiters_.size() <= depth)
            waiters_.push_back(std::make_unique<Waiter>());
        return *waiters_[depth];
    }

    std::vector<std::unique_ptr<Waiter>> waiters_;
    std::size_t depth_ = 0;
};

RealTime& realTime()
{
    static RealTime instance;
    return instance;
}

TimeSource* current = nullptr;

// Held time is kept in the source's ticks: `since` is when the present hold
// began, `total` the length of all holds that have ended.
struct ClockHold {
    std::function<bool()> held;
    bool on = false;
    std::uint32_t since = 0;
    std::uint32_t total = 0;
};

ClockHold hold;

void RefreshHold()
{
    const bool on = hold.held && hold.held();
    if (on == hold.on)
        return;
    const std::uint32_t now = CurrentTimeSource().ticks();
    if (on)
        hold.since = now;
    else
        hold.total += now - hold.since;
    hold.on = on;
}

// Handles events, without a timer, until the hold is let go. The hold is
// read again after every event: a key, the pointer, a resize or the window's
// activation may have ended it, and nothing but an event can.
void WaitOutHold()
{
    while (ClockHeld())
        CurrentTimeSource().waitForEvent();
}

} // namespace

void SetTimeSource(TimeSource* source)
{
    current = source;
}

TimeSource& CurrentTimeSource()
{
    return current ? *current : realTime();
}

std::uint32_t GetTickCount()
{
    RefreshHold();
    return (hold.on ? hold.since : CurrentTimeSource().ticks()) - hold.total;
}

void DoEvents()
{
    CurrentTimeSource().processEvents();
    WaitOutHold();
}

void WaitProcessingEvents(std::uint32_t end)
{
    WaitOutHold();
    CurrentTimeSource().waitProcessingEvents(end + hold.total);
}

void WaitForEvent()
{
    if (!ClockHeld())
        CurrentTimeSource().waitForEvent();
}

void SleepUntil(std::uint32_t end)
{
    // No event can open a menu during a plain sleep; one already open is
    // waited out first, or the stopped clock would never reach `end`.
    WaitOutHold();
    CurrentTimeSource().sleepUntil(end + hold.total);
}

void SetClockHold(std::function<bool()> held)
{
    hold = ClockHold{};
    hold.held = std::move(held);
}

bool ClockHeld()
{
    RefreshHold();
    return hold.on;
}

} // namespace platform
