#include "support/FakeTime.h"

#include <QCoreApplication>

void FakeTime::processEvents()
{
    ++processEventsCalls;
    if (pumpQt && QCoreApplication::instance())
        QCoreApplication::processEvents();
    if (onProcessEvents)
        onProcessEvents();
}

void FakeTime::waitProcessingEvents(std::uint32_t deadline)
{
    ++pumpedWaits;
    processEvents();
    if (!platform::TickReached(now, deadline)) {
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
