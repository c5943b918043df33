// The main loop: pacing by the tick counter, pause, the order of moves, and
// how a pass ends when the game ends inside it.
#include "support/GameTest.h"

class TestMainLoop : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(GameFixture::FirstMap::Empty); }
    void cleanup() { fx.tearDown(); }

    // A pass waits out the rest of SpeedDelay; over 200 ms of work counts as none.
    void passWaitsTheRestOfTheDelay_data();
    void passWaitsTheRestOfTheDelay();
    // SpeedDelay is read at the wait: a change during the pass already counts.
    void speedChangeDuringAPassCountsAtItsWait();
    // Paused: the frame is drawn, the timer stands, nothing moves or draws.
    void pausedPassOnlyRenders();
    // Player one, player two, then computer snakes by index.
    void snakesMoveInFixedOrder_data();
    void snakesMoveInFixedOrder();
    // A game that ends mid-MoveAll still finishes the pass, then the loop
    // ends and releases the snakes (ComSnakesOn may stay true).
    void gameOverMidPassFinishesThePass();
    // Abort takes effect at the end of the pass in which it is chosen.
    void abortEndsTheLoopAfterTheCurrentPass();

  private:
    GameFixture fx;
};

void TestMainLoop::passWaitsTheRestOfTheDelay_data()
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

void TestMainLoop::passWaitsTheRestOfTheDelay()
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

void TestMainLoop::speedChangeDuringAPassCountsAtItsWait()
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

void TestMainLoop::pausedPassOnlyRenders()
{
    auto human = fx.addHuman(GameFixture::line(10, 10, 0, 1, 5), DirUp);
    auto computer = fx.addComputer(GameFixture::line(20, 10, 0, -1, 5), DirDown);
    ModMain::Map[10][9] = ModMain::GreenApple;
    ModMain::Map[25][25] = ModMain::GreenApple;
    ModMain::ApplesLeft = 2;
    ModMain::AppleTimer = 42.0;
    ModMain::Paused = true;
    const Body humanBefore = human->body();
    const Body computerBefore = computer->body();
    for (int i = 0; i < 3; ++i)
        ModMain::RunPass();
    QCOMPARE(fx.view().frames, 3);
    QCOMPARE(ModMain::AppleTimer, 42.0);
    QCOMPARE(human->body(), humanBefore);
    QCOMPARE(computer->body(), computerBefore);
    QCOMPARE(ModMain::ApplesLeft, platform::Int16{2});
    QCOMPARE(platform::RandomDrawCount(), std::uint64_t{0});
    // Still paced: three full waits.
    QCOMPARE(int(fx.time().pumpedMs), 3 * 90);

    ModMain::Paused = false;
    ModMain::RunPass();
    QCOMPARE(human->body()[0], (Seg{10, 9}));
    QCOMPARE(human->score, platform::Int16{1});
    QCOMPARE(ModMain::AppleTimer, 42.4);
}

void TestMainLoop::snakesMoveInFixedOrder_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("player one before player two") << "human"
                                                  << "human";
    QTest::newRow("player two before computer 0") << "human"
                                                  << "computer";
    QTest::newRow("computer 0 before computer 1") << "computer"
                                                  << "computer";
}

void TestMainLoop::snakesMoveInFixedOrder()
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

void TestMainLoop::gameOverMidPassFinishesThePass()
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

void TestMainLoop::abortEndsTheLoopAfterTheCurrentPass()
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

QTEST_MAIN(TestMainLoop)
#include "test_mainloop.moc"
