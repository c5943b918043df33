#pragma once
// A clock and event pump that the test drives: waits cost no real time.
#include "platform/Ticks.h"

#include <cstdint>
#include <functional>

class FakeTime final : public platform::TimeSource {
  public:
    FakeTime() { platform::SetTimeSource(this); }
    ~FakeTime() override { platform::SetTimeSource(nullptr); }
    FakeTime(const FakeTime&) = delete;
    FakeTime& operator=(const FakeTime&) = delete;

    std::uint32_t ticks() override { return now; }
    void processEvents() override;
    void waitProcessingEvents(std::uint32_t deadline) override;
    void sleepUntil(std::uint32_t deadline) override;
    // Moves with the fake clock, so the seeds a game draws repeat run after run.
    double secondsSinceMidnight() override { return timeOfDay + now / 1000.0; }
    // As the real waits, both return once a round of event handling has
    // handled an event (Qt's with pumpQt, or one the hook reports), the
    // pumped one also at its deadline. A wait that nothing ends fails the
    // test instead of hanging it.
    void waitForEvent() override;
    void eventHandled() { ++eventsHandled; }

    void advance(std::uint32_t ms) { now += ms; }

    std::uint32_t now = 1000;
    double timeOfDay = 43200.0;
    // Runs at every event-processing point (DoEvents and pumped waits).
    std::function<void()> onProcessEvents;
    int processEventsCalls = 0;
    int pumpedWaits = 0;
    int sleeps = 0;
    std::uint32_t sleptMs = 0;
    std::uint32_t pumpedMs = 0;
    int eventWaits = 0; // waitForEvent calls: the game stood still, held or paused
    int waiting = 0;    // of them still waiting
    std::uint64_t eventsHandled = 0;
    // Also handle real Qt events at each processing point (window tests).
    bool pumpQt = false;
};
