#include "support/FakeTime.h"

#include <QCoreApplication>
#include <QtGlobal>

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

void FakeTime::waitForWake()
{
    if (++heldWaits > 100000)
        qFatal("the game clock was held and never let go");
    processEvents();
}
