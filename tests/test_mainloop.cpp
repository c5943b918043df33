// The main loop: pacing by the tick counter, pause, the order of moves, and
// how a pass ends when the game ends inside it.
#include "support/DataRows.h"
#include "support/GameTest.h"

#include "flow/GameFlow.h"
#include "platform/Ticks.h"

#include <QTimer>

class TestMainLoop : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(GameFixture::FirstMap::Empty); }
    void cleanup() { fx.tearDown(); }

    // A pass waits out the rest of SpeedDelay; over 200 ms of work counts as none.
    void passWaitsTheRestOfTheDelay_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("work");
        QTest::addColumn<int>("waited");
        QTest::newRow("90: 15 ms of work waits 75") << 90 << 15 << 75;
        QTest::newRow("90: no work waits 90") << 90 << 0 << 90;
        QTest::newRow("90: 90 ms of work waits 0") << 90 << 90 << 0;
        QTest::newRow("90: 120 ms of work waits 0") << 90 << 120 << 0;
        QTest::newRow("90: 200 ms of work waits 0") << 90 << 200 << 0;
        QTest::newRow("90: 201 ms is not charged") << 90 << 201 << 90;
        QTest::newRow("90: 250 ms is not charged") << 90 << 250 << 90;
        QTest::newRow("200: 199 ms waits 1") << 200 << 199 << 1;
        QTest::newRow("200: 250 ms waits 200") << 200 << 250 << 200;
        QTest::newRow("30: 15 ms waits 15") << 30 << 15 << 15;
        QTest::newRow("fastest: no wait") << 0 << 0 << 0;
        QTest::newRow("fastest: 250 ms, still no wait") << 0 << 250 << 0;
    }

    void passWaitsTheRestOfTheDelay()
    {
        QFETCH(int, delay);
        QFETCH(int, work);
        QFETCH(int, waited);
        ModMain::SpeedDelay = static_cast<platform::Int16>(delay);
        fx.view().onPresentFrame = [&] { fx.time().advance(static_cast<std::uint32_t>(work)); };
        const auto start = fx.time().now;
        ModMain::RunPass();
        QCOMPARE(int(fx.time().now - start), work + waited);
        QCOMPARE(int(fx.time().pumpedMs), waited);
        QCOMPARE(fx.time().sleeps, 0);
        QCOMPARE(fx.view().frames, 1);
        // Events are handled once more at the end of every pass.
        QVERIFY(fx.time().processEventsCalls >= 1);
    }

    // SpeedDelay is read at the wait: a change during the pass already counts.
    void speedChangeDuringAPassCountsAtItsWait()
    {
        ModMain::SpeedDelay = 90;
        fx.view().onPresentFrame = [&] {
            fx.time().advance(15);
            ModMain::SpeedDelay = 30;
        };
        const auto start = fx.time().now;
        ModMain::RunPass();
        QCOMPARE(int(fx.time().now - start), 30);
    }

    // Paused: the frame is drawn, the timer stands, nothing moves or draws,
    // and each pass then sleeps until something happens.
    void pausedPassOnlyRenders()
    {
        auto human = fx.addHuman(GameFixture::line(10, 10, 0, 1, 5), DirUp);
        auto computer = fx.addComputer(GameFixture::line(20, 10, 0, -1, 5), DirDown);
        ModMain::Map[10][9] = ModMain::GreenApple;
        ModMain::Map[25][25] = ModMain::GreenApple;
        ModMain::ApplesLeft = 2;
        ModMain::AppleTimer = 42.0;
        ModMain::Paused = true;
        ModMain::GameRunning = true;
        const Body humanBefore = human->body();
        const Body computerBefore = computer->body();
        // Something happens while each pass sleeps, and only then.
        fx.time().onProcessEvents = [&] {
            if (fx.time().waiting > 0)
                fx.time().eventHandled();
        };
        for (int i = 0; i < 3; ++i)
            ModMain::RunPass();
        QCOMPARE(fx.view().frames, 3);
        QCOMPARE(ModMain::AppleTimer, 42.0);
        QCOMPARE(human->body(), humanBefore);
        QCOMPARE(computer->body(), computerBefore);
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{2});
        QCOMPARE(platform::RandomDrawCount(), std::uint64_t{0});
        // Still paced: three full waits, each followed by a sleep.
        QCOMPARE(int(fx.time().pumpedMs), 3 * 90);
        QCOMPARE(fx.time().eventWaits, 3);

        ModMain::Paused = false;
        ModMain::RunPass();
        QCOMPARE(fx.time().eventWaits, 3);
        QCOMPARE(human->body()[0], (Seg{10, 9}));
        QCOMPARE(human->score, platform::Int16{1});
        QCOMPARE(ModMain::AppleTimer, 42.4);
    }

    // On the real clock a paused game makes no pass until an event comes.
    void pausedGameSleepsUntilAnEvent()
    {
        fx.addHuman(GameFixture::line(10, 10, 0, 1, 5), DirUp);
        ModMain::Paused = true;
        platform::SetTimeSource(nullptr);
        // 600 ms of 90 ms passes would be seven frames; asleep, the game draws
        // one, until the timer's event ends it (a stray event may add one).
        QTimer::singleShot(600, [] { ModMain::AbortGame(); });
        ModMain::RenderLoop();
        platform::SetTimeSource(&fx.time());
        QVERIFY2(fx.view().frames <= 2, qPrintable(QString::number(fx.view().frames)));
    }

    // Player one, player two, then computer snakes by index.
    void snakesMoveInFixedOrder_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        AddRow("player one before player two", "human", "human");
        AddRow("player two before computer 0", "human", "computer");
        AddRow("computer 0 before computer 1", "computer", "computer");
    }

    void snakesMoveInFixedOrder()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        // Both head for (5,5); `a` comes first in the order of moves.
        if (first == "human" && second == "computer")
            fx.addHuman(Body{{20, 20}, {20, 21}}, DirUp); // player one, elsewhere
        const auto add = [&](const QString& kind, Body body, platform::Int16 dir) {
            return kind == "human" ? fx.addHuman(std::move(body), dir) : fx.addComputer(std::move(body), dir);
        };
        const auto a = add(first, GameFixture::line(4, 5, -1, 0, 4), DirRight);
        const auto b = add(second, GameFixture::line(6, 5, 1, 0, 4), DirLeft);
        // Computers keep their way (0.5); a blocked computer draws only its
        // refused reverse (0.7 gives 1, right, while its neck is to the right).
        std::vector<double> draws;
        if (first == "computer")
            draws.push_back(0.5);
        draws.push_back(0.5);
        for (int i = 0; i < 6; ++i)
            draws.push_back(0.7);
        platform::ScriptRandom(draws);

        ModMain::MoveAll();
        QCOMPARE(a->body()[0], (Seg{5, 5}));
        QCOMPARE(b->body()[0], (Seg{6, 5}));
        QCOMPARE(b->body().size(), std::size_t{3});
    }

    // A game that ends mid-MoveAll still finishes the pass, then the loop
    // ends and releases the snakes (ComSnakesOn may stay true).
    void gameOverMidPassFinishesThePass()
    {
        ModMain::Map[15][5] = ModMain::Wall;
        auto human = fx.addHuman(GameFixture::line(15, 6, 0, 1, 4), DirUp);
        human->Lives = 1;
        auto computer = fx.addComputer(GameFixture::line(3, 10, 0, -1, 4), DirDown);
        platform::ScriptRandom({0.5}); // the computer keeps heading down

        Seg computerHeadAtFrame{};
        std::uint32_t frameTime = 0;
        double timerAtFrame = -1;
        fx.view().onPresentFrame = [&] {
            computerHeadAtFrame = ModMain::ComSnakes.at(0)->body()[0];
            frameTime = fx.time().now;
            timerAtFrame = ModMain::AppleTimer;
        };
        ModMain::RenderLoop();

        QVERIFY(!ModMain::GameRunning);
        QCOMPARE(human->Lives, platform::Int16{0});
        QCOMPARE(fx.sound().names(), std::vector<std::string>{"gameover.wav"});
        // One pass: game over inside it, then the computer's move, the timer tick,
        // the frame and the wait.
        QCOMPARE(fx.view().frames, 1);
        QVERIFY(fx.view().find("caption Game Over") < fx.view().find("frame"));
        QCOMPARE(computerHeadAtFrame, (Seg{3, 11}));
        QCOMPARE(timerAtFrame, 0.4);
        QCOMPARE(int(fx.time().now - frameTime), 90);
        QVERIFY(ModMain::Snakes.empty());
        QVERIFY(ModMain::ComSnakes.empty());
        QVERIFY(ModMain::ComSnakesOn);
        // The released snakes are gone for good once the test lets go.
        const std::weak_ptr<Snake> released = computer;
        computer.reset();
        QVERIFY(released.expired());
    }

    // Abort takes effect at the end of the pass in which it is chosen.
    void abortEndsTheLoopAfterTheCurrentPass()
    {
        auto human = fx.addHuman(GameFixture::line(10, 20, 0, 1, 5), DirUp);
        int calls = 0;
        // Two processing points per pass: the wait and the final processing.
        fx.time().onProcessEvents = [&] {
            if (++calls == 5) // inside the third pass's wait
                ModMain::AbortGame();
        };
        ModMain::RenderLoop();
        QCOMPARE(fx.view().frames, 3);
        QCOMPARE(calls, 6);
        QCOMPARE(human->body()[0], (Seg{10, 17}));
        QVERIFY(fx.view().titleVisible);
        QVERIFY(ModMain::Snakes.empty());
    }

    // A menu holds the game's clock: a wait, pumped or plain, ends exactly
    // the held time later than it would have.
    void heldClockStretchesAWaitByTheHeldTime_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("pump");
        QTest::addColumn<int>("openAfter");
        QTest::addColumn<int>("heldSteps");
        QTest::newRow("level wait, menu opened half-way") << 2000 << true << 1000 << 10;
        QTest::newRow("level wait, menu opened at its start") << 2000 << true << 0 << 3;
        QTest::newRow("frame wait, menu opened at once") << 90 << true << 0 << 5;
        QTest::newRow("menu already open at a pumped wait") << 2000 << true << -1 << 3;
        QTest::newRow("menu already open at a plain wait") << 1000 << false << -1 << 3;
    }

    void heldClockStretchesAWaitByTheHeldTime()
    {
        QFETCH(int, ms);
        QFETCH(bool, pump);
        QFETCH(int, openAfter);
        QFETCH(int, heldSteps);
        Menu menu;
        driveMenu(menu, openAfter, heldSteps);
        const std::uint32_t start = fx.time().now;
        const std::uint32_t gameStart = platform::GetTickCount();
        ModMain::Wait(static_cast<platform::Int16>(ms), pump);
        QVERIFY(menu.opened && !menu.open);
        const auto held = static_cast<int>(menu.closedAt - menu.openedAt);
        QVERIFY(held >= 100 * heldSteps);
        QCOMPARE(int(fx.time().now - start), ms + held);
        QCOMPARE(int(platform::GetTickCount() - gameStart), ms);
        // Blocked, not polling: the held wait returns once, on the event
        // that closes the menu.
        QCOMPARE(fx.time().eventWaits, 1);
    }

    // No pass runs under an open menu; afterwards the same pace, no pass
    // made up and none skipped.
    void heldClockStopsPassesThenResumesAtPace()
    {
        auto human = fx.addHuman(GameFixture::line(10, 25, 0, 1, 5), DirUp);
        std::vector<std::uint32_t> frameTimes;
        std::vector<int> headRows;
        fx.view().onPresentFrame = [&] {
            frameTimes.push_back(fx.time().now);
            headRows.push_back(human->body()[0].y);
        };
        Menu menu;
        // Each pass handles events twice, in its wait and once more at its end:
        // the menu opens in the second pass's wait.
        int calls = 0;
        driveMenu(menu, 0, 10);
        const auto drive = fx.time().onProcessEvents;
        fx.time().onProcessEvents = [&] {
            if (++calls >= 3)
                drive();
        };
        for (int pass = 0; pass < 4; ++pass)
            ModMain::RunPass();

        QVERIFY(menu.opened && !menu.open);
        const auto held = menu.closedAt - menu.openedAt;
        QCOMPARE(held, std::uint32_t{1000}); // opened at the wait's start, left open 10 x 100 ms
        QCOMPARE(frameTimes.size(), std::size_t{4});
        QCOMPARE(frameTimes[1], menu.openedAt);
        QCOMPARE(frameTimes[1] - frameTimes[0], std::uint32_t{90});
        QCOMPARE(frameTimes[2] - frameTimes[1], 90 + held);
        QCOMPARE(frameTimes[3] - frameTimes[2], std::uint32_t{90});
        QCOMPARE(headRows, (std::vector<int>{24, 23, 22, 21}));
        QCOMPARE(ModMain::AppleTimer, 0.4 + 0.4 + 0.4 + 0.4);
    }

  private:
    // A menu the test opens and closes: the clock's hold, opened `openAfter`
    // ms into the first event processing (-1: open already), then kept open
    // for `heldSteps` rounds of 100 ms each in which nothing happens.
    struct Menu {
        bool open = false;
        bool opened = false;
        std::uint32_t openedAt = 0;
        std::uint32_t closedAt = 0;
        int steps = 0;
    };
    void driveMenu(Menu& menu, int openAfter, int heldSteps)
    {
        platform::SetClockHold([&menu] { return menu.open; });
        const auto openNow = [this, &menu] {
            menu.open = menu.opened = true;
            menu.openedAt = fx.time().now;
            fx.time().eventHandled(); // as a menu opens: on an event
        };
        if (openAfter < 0)
            openNow();
        fx.time().onProcessEvents = [this, &menu, openAfter, heldSteps, openNow] {
            if (!menu.opened) {
                fx.time().advance(static_cast<std::uint32_t>(openAfter));
                openNow();
            } else if (menu.open && menu.steps++ < heldSteps) {
                fx.time().advance(100);
            } else if (menu.open) {
                menu.open = false;
                menu.closedAt = fx.time().now;
                fx.time().eventHandled();
            }
        };
    }

    GameFixture fx;
};

QTEST_MAIN(TestMainLoop)
#include "test_mainloop.moc"
