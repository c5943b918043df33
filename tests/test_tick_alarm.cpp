// The alarm that ends a wait on its tick: on a timerfd, or on a Qt timer
// when the process has no descriptor to spare.
#include "support/TableColumns.h"

#include "platform/TickAlarm.h"

#include <QEventLoop>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <optional>

class TestTickAlarm : public QObject {
    Q_OBJECT

  private slots:
    void tickAlarmRingsOnceWhereLastSet_data()
    {
        // Offsets from now in ms; "stop" stops the alarm after setting it. Each
        // case runs again with no descriptor to spare, on the Qt timer.
        Columns<int, int, bool, int, bool>("first", "second", "stop", "rings", "timerfd");
        for (const bool timerfd : {true, false}) {
            const char* const how = timerfd ? "" : ", Qt timer";
            QTest::addRow("set in the past%s", how) << -5 << -5 << false << 1 << timerfd;
            QTest::addRow("stopped before its time%s", how) << 20 << 20 << true << 0 << timerfd;
            QTest::addRow("stopped when due, unheard%s", how) << -5 << -5 << true << 0 << timerfd;
            QTest::addRow("moved earlier%s", how) << 100000 << 10 << false << 1 << timerfd;
            QTest::addRow("moved past the watch%s", how) << 10 << 100000 << false << 0 << timerfd;
        }
    }

    void tickAlarmRingsOnceWhereLastSet()
    {
        const auto [first, second, stop, rings, timerfd] =
            Fetch<int, int, bool, int, bool>("first", "second", "stop", "rings", "timerfd");
        int rang = 0;
        std::optional<platform::TickAlarm> made;
        if (timerfd) {
            made.emplace([&] { ++rang; });
        } else {
            // Descriptors are numbered from the lowest free one: a limit there
            // makes the next one fail, as when a process has run out.
            rlimit limit{};
            QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
            const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            QVERIFY(lowestFree >= 0);
            ::close(lowestFree);
            rlimit none = limit;
            none.rlim_cur = static_cast<rlim_t>(lowestFree);
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
            made.emplace([&] { ++rang; });
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &limit), 0);
        }
        platform::TickAlarm& alarm = *made;
        using namespace std::chrono;
        alarm.start(steady_clock::now() + milliseconds(first));
        const auto asked = steady_clock::now() + milliseconds(second);
        alarm.start(asked);
        // Set for the moment asked (Qt's timer rounds up to whole ms): what it
        // has left, read between two clock readings, brackets that moment.
        const auto before = steady_clock::now();
        const auto left = alarm.timeLeft();
        const auto after = steady_clock::now();
        if (second > 0)
            QVERIFY(before + left <= asked + milliseconds(timerfd ? 0 : 2) && asked <= after + left);
        if (stop)
            alarm.stop();
        QEventLoop watch;
        QTimer::singleShot(80, &watch, &QEventLoop::quit);
        watch.exec();
        QCOMPARE(rang, rings);
    }
};

QTEST_MAIN(TestTickAlarm)
#include "test_tick_alarm.moc"
