// The snake's body: placement, unfolding, turns against the neck, growth and
// the square test.
#include "support/GameTest.h"
#include "support/TableColumns.h"

class TestSnake : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(GameFixture::FirstMap::Empty); }
    void cleanup() { fx.tearDown(); }

    // Placement
    // init: five lives, a colour 0..4, all segments on the start square.
    void initStacksTheWholeBodyOnTheStartSquare()
    {
        Snake snake;
        snake.init(10, 15, 28, DirUp);
        QCOMPARE(snake.Lives, platform::Int16{5});
        QCOMPARE(snake.dir, DirUp);
        QVERIFY(snake.Colour >= 0 && snake.Colour <= 4);
        QCOMPARE(snake.body(), Body(10, Seg{15, 28}));
        QCOMPARE(snake.score, platform::Int16{0});
        QVERIFY(!snake.IsComputer);
    }

    // A given colour is kept; Place keeps colour, lives, score and IsComputer.
    void placeKeepsEverythingButBodyAndDirection()
    {
        Snake snake;
        snake.init(10, 5, 5, DirRight, platform::Int16{3});
        QCOMPARE(snake.Colour, platform::Int16{3});
        snake.IsComputer = true;
        snake.Lives = 2;
        snake.score = 77;
        snake.grow(4);
        snake.Place(10, 20, 1, DirDown);
        QCOMPARE(snake.body(), Body(10, Seg{20, 1}));
        QCOMPARE(snake.dir, DirDown);
        QCOMPARE(snake.Colour, platform::Int16{3});
        QVERIFY(snake.IsComputer);
        QCOMPARE(snake.Lives, platform::Int16{2});
        QCOMPARE(snake.score, platform::Int16{77});
    }

    // Unfolding
    // One step leaves nine segments on the start square; nine steps straighten it.
    void stackedBodyUnfoldsOneSquarePerStep()
    {
        auto snake = std::make_shared<Snake>();
        snake->init(10, 15, 28, DirUp);
        ModMain::Snakes.push_back(snake);

        snake->Move();
        Body expected(10, Seg{15, 28});
        expected[0] = Seg{15, 27};
        QCOMPARE(snake->body(), expected);

        for (int i = 0; i < 8; ++i)
            snake->Move();
        QCOMPARE(snake->body(), GameFixture::line(15, 19, 0, 1, 10));
    }

    // A fully stacked snake takes the reverse of its direction.
    void stackedSnakeAcceptsTheReverse()
    {
        auto snake = std::make_shared<Snake>();
        snake->init(10, 15, 28, DirUp);
        ModMain::Snakes.push_back(snake);
        snake->ChangeDirection(DirDown);
        QCOMPARE(snake->dir, DirDown);
        snake->Move();
        QCOMPARE(snake->body()[0], (Seg{15, 29}));
        QCOMPARE(snake->body()[1], (Seg{15, 28}));
    }

    // Turns
    // A turn is refused only when the neck lies on the square it would enter.
    void turnIsRefusedOnlyTowardTheNeck_data()
    {
        // neckDx: neck relative to the head at (10, 10)
        Columns<int, int, int, int, int>("neckDx", "neckDy", "dir", "request", "expected");
        // Moving right: the neck is to the left.
        QTest::newRow("right, left refused") << -1 << 0 << 1 << -1 << 1;
        QTest::newRow("right, up taken") << -1 << 0 << 1 << -2 << -2;
        QTest::newRow("right, down taken") << -1 << 0 << 1 << 2 << 2;
        QTest::newRow("right, right again") << -1 << 0 << 1 << 1 << 1;
        // Moving left: the neck is to the right.
        QTest::newRow("left, right refused") << 1 << 0 << -1 << 1 << -1;
        QTest::newRow("left, up taken") << 1 << 0 << -1 << -2 << -2;
        // Moving up: the neck is below.
        QTest::newRow("up, down refused") << 0 << 1 << -2 << 2 << -2;
        QTest::newRow("up, left taken") << 0 << 1 << -2 << -1 << -1;
        QTest::newRow("up, right taken") << 0 << 1 << -2 << 1 << 1;
        // Moving down: the neck is above.
        QTest::newRow("down, up refused") << 0 << -1 << 2 << -2 << 2;
        QTest::newRow("down, right taken") << 0 << -1 << 2 << 1 << 1;
        // Codes other than -2, -1, 1, 2 are ignored.
        QTest::newRow("code 0 ignored") << -1 << 0 << 1 << 0 << 1;
        QTest::newRow("code 3 ignored") << -1 << 0 << 1 << 3 << 1;
        QTest::newRow("code -3 ignored") << -1 << 0 << 1 << -3 << 1;
        QTest::newRow("code 32767 ignored") << 0 << 1 << -2 << 32767 << -2;
        // The neck, not dir, decides: dir says up but the neck is to the left.
        QTest::newRow("neck decides, not dir") << -1 << 0 << -2 << -1 << -2;
        QTest::newRow("neck decides, reverse of dir") << -1 << 0 << -2 << 2 << 2;
    }

    void turnIsRefusedOnlyTowardTheNeck()
    {
        const auto [neckDx, neckDy, dir, request, expected] =
            Fetch<int, int, int, int, int>("neckDx", "neckDy", "dir", "request", "expected");
        auto snake =
            GameFixture::makeSnake(GameFixture::line(10, 10, neckDx, neckDy, 5), static_cast<platform::Int16>(dir));
        snake->ChangeDirection(static_cast<platform::Int16>(request));
        QCOMPARE(int(snake->dir), expected);
    }

    // Quick presses between two steps are all tested against the neck.
    void quickPressesCannotTurnOntoTheNeck()
    {
        auto snake = fx.addHuman(GameFixture::line(10, 10, -1, 0, 5), DirRight);
        snake->ChangeDirection(DirLeft);
        QCOMPARE(snake->dir, DirRight);
        snake->ChangeDirection(DirUp);
        QCOMPARE(snake->dir, DirUp);
        snake->ChangeDirection(DirLeft); // still refused: the neck has not moved
        QCOMPARE(snake->dir, DirUp);
        snake->Move();
        QCOMPARE(snake->body()[0], (Seg{10, 9}));
        QCOMPARE(snake->body()[1], (Seg{10, 10}));
    }

    // Crashes
    // The own tail blocks, although it would leave its square in the same step.
    void ownTailBlocksTheHead()
    {
        // A closed square of four: the head at (5,5) heads down onto its tail (5,6).
        const Body ring{{5, 5}, {6, 5}, {6, 6}, {5, 6}};
        auto snake = fx.addHuman(ring, DirDown);
        fx.addHuman(Body{{20, 20}, {20, 21}}, DirUp); // two players: no life to lose
        snake->Move();
        QCOMPARE(snake->body()[0], (Seg{5, 5}));
        QCOMPARE(snake->body().size(), std::size_t{3});
        QCOMPARE(snake->Lives, platform::Int16{5});
    }

    // Two-player and computer snakes stop, shrink to 2 and keep their lives.
    void blockedNonSingleSnakesShrinkToTwo_data()
    {
        QTest::addColumn<bool>("computer");
        QTest::newRow("two-player human") << false;
        QTest::newRow("computer") << true;
    }

    void blockedNonSingleSnakesShrinkToTwo()
    {
        QFETCH(bool, computer);
        // Head in the top-left corner heading up: blocked by the edge.
        std::shared_ptr<Snake> snake;
        if (computer) {
            snake = fx.addComputer(GameFixture::line(0, 0, 0, 1, 10), DirUp);
            // Every retry is the refused reverse, so the way stays blocked.
            std::vector<double> draws;
            for (int pass = 0; pass < 12; ++pass) {
                draws.push_back(0.5);
                for (int retry = 0; retry < 6; ++retry)
                    draws.push_back(0.9); // d = 2: down, onto the neck
            }
            platform::ScriptRandom(draws);
        } else {
            snake = fx.addHuman(GameFixture::line(0, 0, 0, 1, 10), DirUp);
            fx.addHuman(Body{{20, 20}, {20, 21}}, DirUp);
        }
        for (int pass = 1; pass <= 12; ++pass) {
            snake->Move();
            QCOMPARE(snake->body().size(), std::size_t(std::max(2, 10 - pass)));
            QCOMPARE(snake->body()[0], (Seg{0, 0}));
            QCOMPARE(snake->Lives, platform::Int16{5});
        }
        QCOMPARE(fx.played("die.wav"), 0);
    }

    // Growth
    // grow(n) copies the tail square n times; grow(-1) drops the tail.
    void growAddsSegmentsOnTheTailSquare_data()
    {
        Columns<int, int>("length", "grow");
        QTest::newRow("10 + 2") << 10 << 2;
        QTest::newRow("10 + 6") << 10 << 6;
        QTest::newRow("3 - 1") << 3 << -1;
        QTest::newRow("10 - 1") << 10 << -1;
        QTest::newRow("2 + 0") << 2 << 0;
    }

    void growAddsSegmentsOnTheTailSquare()
    {
        const auto [length, grow] = Fetch<int, int>("length", "grow");
        const Body before = GameFixture::line(10, 5, 0, 1, length);
        auto snake = GameFixture::makeSnake(before, DirUp);
        snake->grow(static_cast<platform::Int16>(grow));
        const Body& after = snake->body();
        QCOMPARE(int(after.size()), length + grow);
        const int kept = std::min(length, length + grow);
        for (int i = 0; i < kept; ++i)
            QCOMPARE(after[i], before[i]);
        for (int i = kept; i < length + grow; ++i)
            QCOMPARE(after[i], before.back());
    }

    // After grow(2) the tail stays put for exactly two steps.
    void grownTailWaitsTwoSteps()
    {
        auto snake = fx.addHuman(GameFixture::line(10, 10, 0, 1, 10), DirUp);
        const Seg oldTail = snake->body().back();
        snake->grow(2);
        for (int step = 1; step <= 2; ++step) {
            snake->Move();
            QCOMPARE(snake->body().back(), oldTail);
        }
        snake->Move();
        QVERIFY(snake->body().back() != oldTail);
        QVERIFY(!snake->UsesSquare(oldTail.x, oldTail.y));
        QCOMPARE(snake->body().size(), std::size_t{12});
    }

    // Square test
    void usesSquareSeesHeadAndStackedSegments_data()
    {
        Columns<int, int, bool>("x", "y", "used");
        // Body: head (4,4), (4,5), then eight stacked on (4,6).
        QTest::newRow("head") << 4 << 4 << true;
        QTest::newRow("neck") << 4 << 5 << true;
        QTest::newRow("stacked tail") << 4 << 6 << true;
        QTest::newRow("beside the head") << 5 << 4 << false;
        QTest::newRow("just past the tail") << 4 << 7 << false;
        QTest::newRow("column 30") << 30 << 4 << false;
        QTest::newRow("transposed") << 6 << 4 << false;
    }

    void usesSquareSeesHeadAndStackedSegments()
    {
        const auto [x, y, used] = Fetch<int, int, bool>("x", "y", "used");
        Body body{{4, 4}, {4, 5}};
        body.resize(10, Seg{4, 6});
        const auto snake = GameFixture::makeSnake(body, DirUp);
        QCOMPARE(snake->UsesSquare(static_cast<platform::Int16>(x), static_cast<platform::Int16>(y)), used);
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestSnake)
#include "test_snake.moc"
