#pragma once
// Wakes the event loop at the very moment the millisecond clock turns to a
// given tick. A Qt timer counts whole milliseconds from when it is started,
// so it rings up to a millisecond after the tick begins; at the fastest
// speeds that lateness alone stretches every pass by about one per cent.
#include <chrono>
#include <functional>
#include <memory>

namespace platform {

class TickAlarm {
  public:
    explicit TickAlarm(std::function<void()> ring);
    ~TickAlarm();
    TickAlarm(const TickAlarm&) = delete;
    TickAlarm& operator=(const TickAlarm&) = delete;

    // Rings once, from the event loop, when the steady clock reaches `at`.
    // Starting again moves the alarm.
    void start(std::chrono::steady_clock::time_point at);
    void stop();
    // How long the alarm, as the kernel or Qt holds it now, has left to run;
    // zero when it is off or due. Tells whether it was set where asked.
    std::chrono::nanoseconds timeLeft() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
