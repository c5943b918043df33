#include "support/FakeTime.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace {

// Counts what the application delivers, as the real waits' filter sees it.
struct EventCounter final : QObject {
    explicit EventCounter(std::uint64_t& count) : count(count) {}
    bool eventFilter(QObject*, QEvent*) override
    {
        ++count;
        return false;
    }
    std::uint64_t& count;
};

} // namespace

void FakeTime::processEvents()
{
    ++processEventsCalls;
    EventCounter counter(eventsHandled); // the hook's keys and clicks count too
    if (pumpQt && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(&counter);
        QCoreApplication::processEvents();
    }
    if (onProcessEvents)
        onProcessEvents();
}

void FakeTime::waitProcessingEvents(std::uint32_t deadline)
{
    ++pumpedWaits;
    const std::uint64_t before = eventsHandled;
    processEvents();
    if (eventsHandled == before && !platform::TickReached(now, deadline)) {
        pumpedMs += deadline - now;
        now = deadline;
    }
}

void FakeTime::sleepUntil(std::uint32_t deadline)
{
    ++sleeps;
    if (!platform::TickReached(now, deadline)) {
        sleptMs += deadline - now;
        now = deadline;
    }
}

void FakeTime::waitForEvent()
{
    ++eventWaits;
    ++waiting;
    const std::uint64_t before = eventsHandled;
    for (int round = 0; eventsHandled == before; ++round) {
        if (round == 100000)
            qFatal("the game waits for an event that nothing sends");
        processEvents();
    }
    --waiting;
}
