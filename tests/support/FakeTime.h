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
    // Handles events once per call (the test's hook decides when the hold
    // ends); a hold that never ends fails the test instead of hanging it.
    void waitForWake() override;
    // Something happened at once: the pass goes on as if it had not waited.
    void waitForEvent() override { ++eventWaits; }
    void wake() override { ++wakes; }

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
    int heldWaits = 0; // waitForWake calls: the clock was held
    int wakes = 0;
    int eventWaits = 0; // waitForEvent calls: a paused game slept
    // Also handle real Qt events at each processing point (window tests).
    bool pumpQt = false;
};
