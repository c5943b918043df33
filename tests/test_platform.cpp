// The platform layer the engine stands on: tick arithmetic, waits, file
// lookup, the random generator and 16-bit overflow.
#include "support/DataRows.h"
#include "support/GameFixture.h"

#include "platform/Fatal.h"
#include "platform/Files.h"
#include "platform/Int16.h"
#include "platform/KeyPlaces.h"
#include "platform/Random.h"
#include "platform/TickAlarm.h"
#include "platform/Ticks.h"
#include "platform/WindowSystem.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <optional>
#include <set>

namespace {

std::vector<double> Draws(int count)
{
    std::vector<double> draws;
    for (int i = 0; i < count; ++i)
        draws.push_back(platform::Rnd());
    return draws;
}

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(); }
    void cleanup() { fx.tearDown(); }

    // Ticks: a deadline is reached once the clock is at or past it, even
    // when the 32-bit counter wraps in between.
    void tickReachedIsWrapSafe_data()
    {
        QTest::addColumn<quint32>("now");
        QTest::addColumn<quint32>("end");
        QTest::addColumn<bool>("reached");
        QTest::newRow("equal") << 1000u << 1000u << true;
        QTest::newRow("one before") << 999u << 1000u << false;
        QTest::newRow("one after") << 1001u << 1000u << true;
        QTest::newRow("end past wrap, now before") << 0xFFFFFFF0u << 0x00000010u << false;
        QTest::newRow("end past wrap, now wrapped") << 0x00000011u << 0x00000010u << true;
        QTest::newRow("now wrapped past end") << 0x00000005u << 0xFFFFFFF0u << true;
        QTest::newRow("across sign bit") << 0x7FFFFFF0u << 0x80000010u << false;
        QTest::newRow("across sign bit, reached") << 0x80000010u << 0x7FFFFFF0u << true;
    }

    void tickReachedIsWrapSafe()
    {
        QFETCH(quint32, now);
        QFETCH(quint32, end);
        QFETCH(bool, reached);
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
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("pump");
        QTest::newRow("0 pumping") << 0 << true;
        QTest::newRow("0 not pumping") << 0 << false;
        QTest::newRow("-5 pumping") << -5 << true;
        QTest::newRow("-110 pumping") << -110 << true;
        QTest::newRow("-32768 pumping") << -32768 << true;
        QTest::newRow("1 ms pumping") << 1 << true;
        QTest::newRow("2000 ms pumping") << 2000 << true;
        QTest::newRow("1 ms silent") << 1 << false;
        QTest::newRow("1000 ms silent") << 1000 << false;
    }

    void waitPumpsEventsOnlyWhenAsked()
    {
        QFETCH(int, ms);
        QFETCH(bool, pump);
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
    // without polling, until the hold lets go; the game's clock skips it.
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
            platform::ClockHoldChanged();
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
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("pump");
        QTest::newRow("1 ms pumping") << 1 << true;
        QTest::newRow("7 ms pumping") << 7 << true;
        QTest::newRow("7 ms silent") << 7 << false;
    }

    // The real clock's waits end once ticks() has reached the deadline, not a
    // moment before: the game's loop would otherwise wait again. A pumped
    // wait leaves the event loop nothing to do: ending it costs no wake-up
    // of its own (a nested QEventLoop's quit() would leave one).
    void realClockWaitsEndOnTheirTick()
    {
        QFETCH(int, ms);
        QFETCH(bool, pump);
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

    // wake() ends every wait in progress, however deeply nested, and each
    // at once.
    void realClockWakeEndsNestedWaits()
    {
        platform::SetTimeSource(nullptr);
        platform::TimeSource& real = platform::CurrentTimeSource();
        platform::SetTimeSource(&fx.time());
        QElapsedTimer clock;
        clock.start();
        qint64 innerEnded = -1;
        const QObject timers; // none outlives the test
        QTimer::singleShot(0, &timers, [&] {
            real.waitProcessingEvents(real.ticks() + 60000);
            innerEnded = clock.elapsed();
        });
        QTimer::singleShot(50, &timers, [&] { real.wake(); });
        // Only a wait that missed the first wake() sees this one.
        QTimer::singleShot(3000, &timers, [&] { real.wake(); });
        real.waitForWake();
        QVERIFY2(innerEnded >= 40 && innerEnded < 1000, qPrintable(QString::number(innerEnded)));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

    void tickAlarmRingsOnceWhereLastSet_data()
    {
        // Offsets from now in ms; "stop" stops the alarm after setting it. Each
        // case runs again with no descriptor to spare, on the Qt timer.
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("rings");
        QTest::addColumn<bool>("timerfd");
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
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(bool, stop);
        QFETCH(int, rings);
        QFETCH(bool, timerfd);
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
        const auto at = [](int ms) { return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms); };
        alarm.start(at(first));
        alarm.start(at(second));
        if (stop)
            alarm.stop();
        QEventLoop watch;
        QTimer::singleShot(80, &watch, &QEventLoop::quit);
        watch.exec();
        QCOMPARE(rang, rings);
    }

    void usLetterAtKeyFollowsTheRows_data()
    {
        QTest::addColumn<int>("scanCode");
        QTest::addColumn<QString>("letter");
        QTest::newRow("Tab, before the top row") << 23 << "";
        QTest::newRow("Q") << 24 << "Q";
        QTest::newRow("W") << 25 << "W";
        QTest::newRow("P") << 33 << "P";
        QTest::newRow("bracket after P") << 34 << "";
        QTest::newRow("Ctrl, before the home row") << 37 << "";
        QTest::newRow("A") << 38 << "A";
        QTest::newRow("S") << 39 << "S";
        QTest::newRow("D") << 40 << "D";
        QTest::newRow("L") << 46 << "L";
        QTest::newRow("semicolon after L") << 47 << "";
        QTest::newRow("Z") << 52 << "Z";
        QTest::newRow("M") << 58 << "M";
        QTest::newRow("comma after M") << 59 << "";
        QTest::newRow("no code") << 0 << "";
    }

    void usLetterAtKeyFollowsTheRows()
    {
        QFETCH(int, scanCode);
        QFETCH(QString, letter);
        const char found = platform::UsLetterAtKey(static_cast<std::uint32_t>(scanCode));
        QCOMPARE(found ? QString(QLatin1Char(found)) : QString(), letter);
    }

    void waylandDesktopsPreferX11AndFallBack_data()
    {
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("userChoice");
        QTest::addColumn<QString>("chosen");
        AddRow("Wayland with XWayland, or a stale DISPLAY", "wayland-0", ":0", "", "xcb;wayland");
        AddRow("Wayland without XWayland", "wayland-0", "", "", "wayland");
        AddRow("X11 only", "", ":0", "", "");
        AddRow("user chose wayland", "wayland-0", ":0", "wayland", "");
        AddRow("user chose xcb", "wayland-0", ":0", "xcb", "");
        AddRow("user chose a list, no Wayland", "", ":0", "wayland;xcb", "");
        AddRow("nothing", "", "", "", "");
    }

    // Under Wayland the game asks for X11 first and Wayland if X11 fails,
    // Wayland alone without a DISPLAY; otherwise, and always when the user
    // named a platform, Qt's own choice stands.
    void waylandDesktopsPreferX11AndFallBack()
    {
        QFETCH(QString, wayland);
        QFETCH(QString, display);
        QFETCH(QString, userChoice);
        QFETCH(QString, chosen);
        QProcessEnvironment environment;
        const auto setIf = [&environment](const char* name, const QString& value) {
            if (!value.isEmpty())
                environment.insert(QString::fromLatin1(name), value);
        };
        setIf("WAYLAND_DISPLAY", wayland);
        setIf("DISPLAY", display);
        setIf("QT_QPA_PLATFORM", userChoice);
        QCOMPARE(QString::fromLatin1(platform::ChosenQtPlatform(environment)), chosen);
    }

    // File names match without regard to case, an exact match first; folders
    // and hidden files never.
    void findFileMatchesOrdinaryFilesCaseInsensitively_data()
    {
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<QString>("found"); // file name found, "" for none
        AddRow("lower finds mixed", "map2.dat", "Map2.dat");
        AddRow("upper finds mixed", "MAP2.DAT", "Map2.dat");
        AddRow("exact", "Map2.dat", "Map2.dat");
        AddRow("folder is not a file", "map3.dat", "");
        AddRow("folder in other case", "MAP3.DAT", "");
        AddRow("hidden file", ".secret.dat", "");
        AddRow("missing", "map4.dat", "");
        AddRow("no partial match", "map2.da", "");
        AddRow("exact name wins over another case", "scores.dat", "scores.dat");
    }

    void findFileMatchesOrdinaryFilesCaseInsensitively()
    {
        QFETCH(QString, wanted);
        QFETCH(QString, found);
        fx.writeFile("Map2.dat", "x");
        fx.writeFile(".secret.dat", "x");
        fx.writeFile("SCORES.DAT", "upper");
        fx.writeFile("scores.dat", "lower");
        QVERIFY(QDir(fx.appDir()).mkdir("map3.dat"));

        const auto result = platform::FindFile(fx.appDir().toStdString(), wanted.toStdString());
        if (found.isEmpty()) {
            QVERIFY2(!result, result ? result->c_str() : "");
        } else {
            QVERIFY(result);
            QCOMPARE(QFileInfo(QString::fromStdString(*result)).fileName(), found);
        }
    }

    // The program folder can be redirected and restored.
    void appFileExistsLooksInTheProgramFolder()
    {
        fx.writeFile("MAP7.DAT", "");
        QVERIFY(platform::AppFileExists("map7.dat"));
        QVERIFY(!platform::AppFileExists("map8.dat"));
        QCOMPARE(QString::fromStdString(platform::AppPath()), fx.appDir());
        platform::SetAppPath("");
        QVERIFY(!platform::AppPath().empty());
        QVERIFY(!platform::AppPath().ends_with('/'));
        QVERIFY(!platform::AppFileExists("map7.dat"));
    }

    // Randomize with the same time twice does not restart the sequence.
    void randomizeWithSameTimeDoesNotRepeat()
    {
        platform::SeedRandom(42);
        platform::Randomize(3600.5);
        const std::vector<double> first = Draws(5);
        platform::Randomize(3600.5);
        QVERIFY(Draws(5) != first);
    }

    // Four snakes created at once still get different draws after init.
    void snakesCreatedTogetherGetDifferentSequences()
    {
        // The same fixed time for all four, as in one millisecond.
        std::set<double> afterFixed;
        for (int i = 0; i < 4; ++i) {
            platform::Randomize(43200.0);
            afterFixed.insert(platform::Rnd());
        }
        QCOMPARE(afterFixed.size(), std::size_t{4});

        // And through init itself, which re-seeds from the clock.
        std::set<double> afterInit;
        for (int i = 0; i < 4; ++i) {
            Snake snake;
            snake.init(10, 15, 1, ModMain::DirDown);
            QVERIFY(snake.Colour >= 0 && snake.Colour <= 4);
            afterInit.insert(platform::Rnd());
        }
        QCOMPARE(afterInit.size(), std::size_t{4});
    }

    // Fractions stay in [0, 1); scripted fractions come first and are counted.
    void fractionsStayInUnitInterval()
    {
        platform::SeedRandom(7);
        double lowest = 1.0, highest = 0.0;
        std::array<int, 30> columns{};
        for (int i = 0; i < 200000; ++i) {
            const double f = platform::Rnd();
            QVERIFY(f >= 0.0 && f < 1.0);
            lowest = std::min(lowest, f);
            highest = std::max(highest, f);
            ++columns[static_cast<std::size_t>(f * 30)];
        }
        // Every column of the field is reachable, and roughly evenly.
        for (int n : columns)
            QVERIFY2(n > 5000 && n < 8400, qPrintable(QString::number(n)));
    }

    void scriptedFractionsComeFirstAndAreCounted()
    {
        platform::SeedRandom(3);
        const double plain = platform::Rnd();
        platform::SeedRandom(3);
        platform::ScriptRandom({0.25, 0.75});
        QCOMPARE(platform::Rnd(), 0.25);
        QCOMPARE(platform::Rnd(), 0.75);
        QCOMPARE(platform::Rnd(), plain);
        QCOMPARE(platform::RandomDrawCount(), std::uint64_t{3});
    }

    void sameSeedGivesSameSequence()
    {
        platform::SeedRandom(99);
        const std::vector<double> first = Draws(10);
        platform::SeedRandom(99);
        QCOMPARE(Draws(10), first);
    }

    // 16-bit results outside -32768..32767 go to the fatal handler.
    void int16OverflowIsFatal_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("fatal");
        QTest::newRow("max stays") << 32766 << 1 << false;
        QTest::newRow("min stays") << -32767 << -1 << false;
        QTest::newRow("max + 1") << 32767 << 1 << true;
        QTest::newRow("min - 1") << -32768 << -1 << true;
        QTest::newRow("big jump") << 0 << 70000 << true;
    }

    void int16OverflowIsFatal()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, fatal);
        try {
            const platform::Int16 sum = platform::Add16(static_cast<platform::Int16>(a), b);
            QVERIFY2(!fatal, "overflow went unnoticed");
            QCOMPARE(int(sum), a + b);
        } catch (const FatalMessage& e) {
            QVERIFY2(fatal, e.what());
            QVERIFY(QString(e.what()).contains("Overflow"));
        }
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
