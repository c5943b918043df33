#include "platform/TickAlarm.h"

#include <QSocketNotifier>
#include <QTimer>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace platform {

// A timerfd rings at an absolute time on the same clock as steady_clock, to
// the microsecond. Where the kernel refuses one, a precise Qt timer rounded up
// to whole milliseconds does: late, never early.
struct TickAlarm::Impl {
    explicit Impl(std::function<void()> ring) : ring(std::move(ring))
    {
        fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd >= 0) {
            notifier.emplace(fd, QSocketNotifier::Read);
            QObject::connect(&*notifier, &QSocketNotifier::activated, [this] {
                // The descriptor stays readable until its count is read.
                std::uint64_t expiries = 0;
                [[maybe_unused]] const ssize_t got = ::read(fd, &expiries, sizeof expiries);
                armed = false;
                this->ring();
            });
        } else {
            fallback.setSingleShot(true);
            fallback.setTimerType(Qt::PreciseTimer);
            QObject::connect(&fallback, &QTimer::timeout, [this] { this->ring(); });
        }
    }

    ~Impl()
    {
        notifier.reset();
        if (fd >= 0)
            ::close(fd);
    }

    void arm(std::chrono::nanoseconds since) const
    {
        itimerspec when{};
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
        when.it_value.tv_sec = static_cast<time_t>(seconds.count());
        when.it_value.tv_nsec = static_cast<long>((since - seconds).count());
        // A zero time would disarm it; the clock's start is long past anyway.
        if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0)
            when.it_value.tv_nsec = 1;
        ::timerfd_settime(fd, TFD_TIMER_ABSTIME, &when, nullptr);
    }

    std::function<void()> ring;
    int fd = -1;
    bool armed = false;
    std::optional<QSocketNotifier> notifier;
    QTimer fallback;
};

TickAlarm::TickAlarm(std::function<void()> ring) : impl_(std::make_unique<Impl>(std::move(ring))) {}

TickAlarm::~TickAlarm() = default;

void TickAlarm::start(std::chrono::steady_clock::time_point at)
{
    if (impl_->fd >= 0) {
        impl_->arm(at.time_since_epoch());
        impl_->armed = true;
        return;
    }
    const auto left = at - std::chrono::steady_clock::now();
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    impl_->fallback.start(static_cast<int>(ms > 0 ? ms : 0));
}

void TickAlarm::stop()
{
    if (impl_->fd < 0) {
        impl_->fallback.stop();
        return;
    }
    // An alarm that has rung is already off: the usual case costs nothing.
    // Setting the time afresh also forgets an expiry not yet read.
    if (!impl_->armed)
        return;
    itimerspec off{};
    ::timerfd_settime(impl_->fd, 0, &off, nullptr);
    impl_->armed = false;
}

std::chrono::nanoseconds TickAlarm::timeLeft() const
{
    if (impl_->fd < 0)
        return std::chrono::milliseconds(std::max(impl_->fallback.remainingTime(), 0));
    itimerspec left{};
    ::timerfd_gettime(impl_->fd, &left);
    return std::chrono::seconds(left.it_value.tv_sec) + std::chrono::nanoseconds(left.it_value.tv_nsec);
}

} // namespace platform
