#include "platform/Ticks.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>
#include <QTimer>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace platform {
namespace {

// Qt's event loop and a monotonic clock. Waits block in the kernel instead of
// spinning, so a running game costs next to no CPU.
class RealTime final : public TimeSource {
public:
    std::uint32_t ticks() override
    {
        const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
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
        // Waits nest (a level sequence waits inside a pass); each depth keeps
        // its own loop and timer, made once and reused.
        Waiter& waiter = waiterAt(depth_);
        ++depth_;
        waiter.timer.start(remaining);
        waiter.loop.exec(QEventLoop::AllEvents);
        waiter.timer.stop();
        --depth_;
    }

    void sleepUntil(std::uint32_t deadline) override
    {
        const auto remaining = static_cast<std::int32_t>(deadline - ticks());
        if (remaining > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(remaining));
        while (!TickReached(ticks(), deadline))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }

    double secondsSinceMidnight() override { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

private:
    struct Waiter {
        Waiter()
        {
            timer.setSingleShot(true);
            timer.setTimerType(Qt::PreciseTimer);
            QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        }
        QEventLoop loop;
        QTimer timer;
    };

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

} // namespace

void SetTimeSource(TimeSource* source) { current = source; }

TimeSource& CurrentTimeSource() { return current ? *current : realTime(); }

std::uint32_t GetTickCount() { return CurrentTimeSource().ticks(); }

void DoEvents() { CurrentTimeSource().processEvents(); }

} // namespace platform
