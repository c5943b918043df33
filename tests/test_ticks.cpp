// Ticks and waits: deadline arithmetic across the counter's wrap, the game's
// Wait on the test clock, and the real clock's waits in Qt's event loop.
#include "support/DataRows.h"
#include "support/GameFixture.h"
#include "support/TableColumns.h"

#include "flow/GameFlow.h"
#include "platform/Ticks.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>
#include <QtTest>

class TestTicks : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(); }
    void cleanup() { fx.tearDown(); }

    // A deadline is reached once the clock is at or past it, even when the
    // 32-bit counter wraps in between.
    void tickReachedIsWrapSafe_data()
    {
        Columns<quint32, quint32, bool>("now", "end", "reached");
        AddRow("equal", 1000u, 1000u, true);
        AddRow("one before", 999u, 1000u, false);
        AddRow("one after", 1001u, 1000u, true);
        AddRow("end past wrap, now before", 0xFFFFFFF0u, 0x00000010u, false);
        AddRow("end past wrap, now wrapped", 0x00000011u, 0x00000010u, true);
        AddRow("now wrapped past end", 0x00000005u, 0xFFFFFFF0u, true);
        AddRow("across sign bit", 0x7FFFFFF0u, 0x80000010u, false);
        AddRow("across sign bit, reached", 0x80000010u, 0x7FFFFFF0u, true);
    }

    void tickReachedIsWrapSafe()
    {
        const auto [now, end, reached] = Fetch<quint32, quint32, bool>("now", "end", "reached");
        QCOMPARE(platform::TickReached(now, end), reached);
    }

    // A wait across the wrap of the counter lasts exactly its length.
    void waitAcrossCounterWrapLastsItsLength()
    {
        fx.time().now = 0xFFFFFFC0u; // 64 ms before the wrap
        ModMain::Wait(90, true);
        QCOMPARE(fx.time().now, 0xFFFFFFC0u + 90u);
        QCOMPARE(fx.time().pumpedMs, 90u);
    }

    // Wait(n, true) handles events while it waits; Wait(n, false) never does.
    // Wait(0) and negative waits return at once without handling events.
    void waitPumpsEventsOnlyWhenAsked_data()
    {
        Columns<int, bool>("ms", "pump");
        AddRow("0 pumping", 0, true);
        AddRow("0 not pumping", 0, false);
        AddRow("-5 pumping", -5, true);
        AddRow("-110 pumping", -110, true);
        AddRow("-32768 pumping", -32768, true);
        AddRow("1 ms pumping", 1, true);
        AddRow("2000 ms pumping", 2000, true);
        AddRow("1 ms silent", 1, false);
        AddRow("1000 ms silent", 1000, false);
    }

    void waitPumpsEventsOnlyWhenAsked()
    {
        const auto [ms, pump] = Fetch<int, bool>("ms", "pump");
        int seen = 0;
        fx.time().onProcessEvents = [&] { ++seen; };
        const auto before = fx.time().now;
        ModMain::Wait(static_cast<platform::Int16>(ms), pump);
        QCOMPARE(fx.time().now - before, static_cast<quint32>(std::max(ms, 0)));
        if (ms <= 0) {
            QCOMPARE(fx.time().processEventsCalls, 0);
            QCOMPARE(fx.time().pumpedWaits, 0);
            QCOMPARE(fx.time().sleeps, 0);
        }
        if (pump && ms > 0)
            QVERIFY(seen >= 1);
        else
            QCOMPARE(seen, 0);
    }

    // The real clock under a held hold: the wait blocks in the event loop,
    // without polling, and looks again at each event; the game's clock skips
    // the time held.
    void realClockBlocksWhileHeld()
    {
        platform::SetTimeSource(nullptr); // the real clock and Qt's event loop
        bool held = true;
        int asked = 0;
        platform::SetClockHold([&] {
            ++asked;
            return held;
        });
        bool released = false;
        QTimer::singleShot(300, [&] {
            held = false;
            released = true;
        });
        const std::uint32_t gameStart = platform::GetTickCount();
        ModMain::Wait(20, true);
        const std::uint32_t gameWaited = platform::GetTickCount() - gameStart;
        platform::SetClockHold(nullptr);
        platform::SetTimeSource(&fx.time());
        QVERIFY(released);
        // The game saw 20 ms and a little more (the event loop's own delays),
        // never the 300 ms held.
        QVERIFY2(gameWaited >= 20 && gameWaited < 300, qPrintable(QString::number(gameWaited)));
        // A polling wait would have asked thousands of times.
        QVERIFY2(asked < 20, qPrintable(QString::number(asked)));
    }

    void realClockWaitsEndOnTheirTick_data()
    {
        Columns<int, bool>("ms", "pump");
        AddRow("1 ms pumping", 1, true);
        AddRow("7 ms pumping", 7, true);
        AddRow("7 ms silent", 7, false);
    }

    // The real clock's waits end once ticks() has reached the deadline, not a
    // moment before: the game's loop would otherwise wait again. A pumped
    // wait leaves the event loop nothing to do: ending it costs no wake-up
    // of its own (a nested QEventLoop's quit() would leave one).
    void realClockWaitsEndOnTheirTick()
    {
        const auto [ms, pump] = Fetch<int, bool>("ms", "pump");
        platform::SetTimeSource(nullptr);
        platform::TimeSource& real = platform::CurrentTimeSource();
        platform::SetTimeSource(&fx.time());
        for (int i = 0; i < 20; ++i) {
            const std::uint32_t deadline = real.ticks() + static_cast<std::uint32_t>(ms);
            if (pump)
                real.waitProcessingEvents(deadline);
            else
                real.sleepUntil(deadline);
            const auto past = static_cast<std::int32_t>(real.ticks() - deadline);
            QVERIFY2(past >= 0 && past < 1000, qPrintable(QString::number(past)));
            QVERIFY(!QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents));
        }
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestTicks)
#include "test_ticks.moc"
