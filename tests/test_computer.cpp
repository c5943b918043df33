// Computer steering: an occasional random turn, then up to six random
// retries while the way ahead is blocked.
#include "support/GameTest.h"
#include "support/TableColumns.h"

#include <random>

namespace {

// A fraction whose random direction floor(f * 5) - 2 is `d`.
double towards(int d)
{
    return (d + 2 + 0.5) / 5.0;
}
constexpr double keepWay = 0.5; // floor(0.5 * 6) = 3: no random turn
constexpr double turn = 0.0;    // floor(0 * 6) = 0: a random turn follows

} // namespace

class TestComputer : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(GameFixture::FirstMap::Empty); }
    void cleanup() { fx.tearDown(); }

    // A free way, moving right from (10,10) with the neck on (9,10): the
    // first draw decides on a random turn (below 1/6), whose direction is
    // drawn next; the neck still refuses.
    void stepFollowsItsDraws_data()
    {
        Columns<QList<double>, int, int, int>("draws", "dir", "headX", "headY");
        QTest::newRow("no turn: just above 1/6") << QList<double>{1.0 / 6.0 + 1e-9} << 1 << 11 << 10;
        QTest::newRow("no turn: 0.5") << QList<double>{0.5} << 1 << 11 << 10;
        QTest::newRow("no turn: 0.999") << QList<double>{0.999} << 1 << 11 << 10;
        QTest::newRow("turn up") << QList<double>{0.0, towards(-2)} << -2 << 10 << 9;
        QTest::newRow("turn left is the neck: refused") << QList<double>{0.0, towards(-1)} << 1 << 11 << 10;
        QTest::newRow("turn 0 keeps the way") << QList<double>{0.1, towards(0)} << 1 << 11 << 10;
        QTest::newRow("turn right again") << QList<double>{0.1666, towards(1)} << 1 << 11 << 10;
        QTest::newRow("turn down") << QList<double>{0.05, towards(2)} << 2 << 10 << 11;
    }

    void stepFollowsItsDraws()
    {
        const auto [draws, dir, headX, headY] = Fetch<QList<double>, int, int, int>("draws", "dir", "headX", "headY");
        auto snake = fx.addComputer(GameFixture::line(10, 10, -1, 0, 5), DirRight);
        platform::ScriptRandom(std::vector<double>(draws.begin(), draws.end()));
        snake->Move();
        QCOMPARE(platform::RandomDrawCount(), std::uint64_t(draws.size()));
        QCOMPARE(int(snake->dir), dir);
        QCOMPARE(snake->body()[0], (Seg{static_cast<platform::Int16>(headX), static_cast<platform::Int16>(headY)}));
        QCOMPARE(snake->body().size(), std::size_t{5});
    }

    // Dead end: six retries and the final test every pass (7 or 8 draws),
    // one segment less per pass down to 2; a free way found is taken.
    void deadEndShrinksThenLeavesWhenAWayOpens()
    {
        // A pocket: walls above, left and right of the head; the neck below.
        Map[5][4] = ModMain::Wall;
        Map[4][5] = ModMain::Wall;
        Map[6][5] = ModMain::Wall;
        auto snake = fx.addComputer(GameFixture::line(5, 5, 0, 1, 10), DirUp);
        for (int pass = 1; pass <= 12; ++pass) {
            const auto before = platform::RandomDrawCount();
            snake->Move();
            const auto draws = platform::RandomDrawCount() - before;
            QVERIFY2(draws == 7 || draws == 8, qPrintable(QString::number(draws)));
            QCOMPARE(snake->body()[0], (Seg{5, 5}));
            QCOMPARE(int(snake->body().size()), std::max(2, 10 - pass));
            QCOMPARE(snake->Lives, platform::Int16{5});
        }
        // The right side opens; a draw to the right leads it out.
        Map[6][5] = ModMain::Empty;
        snake->dir = DirUp; // (earlier random turns may have left it facing a side)
        platform::ScriptRandom({keepWay, towards(DirRight)});
        snake->Move();
        QCOMPARE(platform::RandomDrawCount(), std::uint64_t{2});
        QCOMPARE(snake->body()[0], (Seg{6, 5}));
        QCOMPARE(snake->body()[1], (Seg{5, 5}));
        QCOMPARE(snake->body().size(), std::size_t{2});
    }

    // The most a step can draw: the turn, its direction and six retries.
    void blockedStepDrawsAtMostEight()
    {
        auto snake = fx.addComputer(GameFixture::line(0, 0, 0, 1, 5), DirUp); // the corner: edge above and left
        Map[1][0] = ModMain::Wall;
        std::vector<double> draws{turn, towards(DirDown)}; // down is the neck: refused
        for (int i = 0; i < 6; ++i)
            draws.push_back(towards(DirLeft));
        draws.push_back(towards(DirRight)); // never used
        platform::ScriptRandom(draws);
        snake->Move();
        QCOMPARE(platform::RandomDrawCount(), std::uint64_t{8});
        QCOMPARE(snake->body().size(), std::size_t{4});
        QCOMPARE(snake->body()[0], (Seg{0, 0}));
    }

    // Heading down on row 29: up is refused, so it goes left or right.
    void bottomRowTurnsSideways_data()
    {
        Columns<QList<double>, int, int>("draws", "headX", "used");
        QTest::newRow("right") << QList<double>{keepWay, towards(DirRight)} << 11 << 2;
        QTest::newRow("left") << QList<double>{keepWay, towards(DirLeft)} << 9 << 2;
        QTest::newRow("up refused, then left") << QList<double>{keepWay, towards(DirUp), towards(DirLeft)} << 9 << 3;
        QTest::newRow("down again, 0, then right")
            << QList<double>{keepWay, towards(DirDown), towards(0), towards(DirRight)} << 11 << 4;
        QTest::newRow("random turn up refused, then right")
            << QList<double>{turn, towards(DirUp), towards(DirRight)} << 11 << 3;
    }

    void bottomRowTurnsSideways()
    {
        const auto [draws, headX, used] = Fetch<QList<double>, int, int>("draws", "headX", "used");
        auto snake = fx.addComputer(GameFixture::line(10, 29, 0, -1, 5), DirDown);
        platform::ScriptRandom(std::vector<double>(draws.begin(), draws.end()));
        snake->Move();
        QCOMPARE(int(platform::RandomDrawCount()), used);
        QCOMPARE(snake->body()[0], (Seg{static_cast<platform::Int16>(headX), 29}));
    }

    void bottomRowNeverTurnsUp()
    {
        int sideways = 0;
        for (std::uint64_t seed = 1; seed <= 300; ++seed) {
            ModMain::ComSnakes.clear();
            platform::SeedRandom(seed);
            auto snake = fx.addComputer(GameFixture::line(10, 29, 0, -1, 5), DirDown);
            snake->Move();
            const Seg head = snake->body()[0];
            QCOMPARE(int(head.y), 29);
            QVERIFY(head.x >= 9 && head.x <= 11);
            sideways += head.x != 10 ? 1 : 0;
        }
        // Six tries at 2 in 5 each: nearly always out sideways.
        QVERIFY(sideways > 250);
    }

    // A random turn toward an apple eats it in the look-ahead.
    void turnTowardAnAppleEatsIt()
    {
        Map[10][9] = ModMain::GreenApple;
        Map[25][25] = ModMain::GreenApple;
        ModMain::ApplesLeft = 2;
        auto snake = fx.addComputer(GameFixture::line(10, 10, -1, 0, 5), DirRight);
        platform::ScriptRandom({turn, towards(DirUp)});
        snake->Move();
        QCOMPARE(platform::RandomDrawCount(), std::uint64_t{2});
        QCOMPARE(snake->score, platform::Int16{1});
        QCOMPARE(Map[10][9], std::uint8_t{0});
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{1});
        QCOMPARE(snake->body()[0], (Seg{10, 9}));
        QCOMPARE(snake->body().size(), std::size_t{7});
        QCOMPARE(fx.played("apple.wav"), 1);
    }

    // An apple eaten by a blocked look-ahead is kept when the snake turns away.
    void eatenAppleIsKeptAfterTurningAway_data() { AddEatenAppleRows(); }

    void eatenAppleIsKeptAfterTurningAway()
    {
        const auto [cell, points, growth] = Fetch<int, int, int>("cell", "points", "growth");
        // The apple ahead lies under a human snake's stacked tail.
        fx.addHuman(Body(10, Seg{11, 10}), DirUp);
        Map[11][10] = static_cast<std::uint8_t>(cell);
        Map[25][25] = ModMain::GreenApple;
        ModMain::ApplesLeft = 2;
        auto snake = fx.addComputer(GameFixture::line(10, 10, -1, 0, 5), DirRight);
        platform::ScriptRandom({keepWay, towards(DirUp)});
        snake->Move();
        QCOMPARE(platform::RandomDrawCount(), std::uint64_t{2});
        QCOMPARE(snake->body()[0], (Seg{10, 9}));
        QCOMPARE(int(snake->score), points);
        QCOMPARE(int(snake->body().size()), 5 + growth);
        QCOMPARE(Map[11][10], std::uint8_t{0});
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{1});
    }

    // On a cluttered field every step draws 1 to 8 fractions and never
    // enters a wall, the edge or a snake.
    void drawsPerStepStayWithinOneToEight()
    {
        std::mt19937 layout(777);
        std::uniform_int_distribution<int> percent(0, 99);
        std::array<int, 9> histogram{};
        for (int round = 0; round < 40; ++round) {
            ModMain::ResetState();
            platform::SeedRandom(static_cast<std::uint64_t>(round) * 31 + 5);
            for (int x = 0; x < ModMain::FieldSize; ++x)
                for (int y = 0; y < ModMain::FieldSize; ++y)
                    Map[x][y] = percent(layout) < 22 ? ModMain::Wall : ModMain::Empty;
            // Computer snakes start stacked on free squares, like after a restart.
            for (int i = 0; i < 4; ++i) {
                int x = 0, y = 0;
                do {
                    x = percent(layout) % 30;
                    y = percent(layout) % 30;
                } while (Map[x][y] != ModMain::Empty);
                fx.addComputer(Body(10, Seg{static_cast<platform::Int16>(x), static_cast<platform::Int16>(y)}),
                               DirDown);
            }
            for (int pass = 0; pass < 60; ++pass) {
                for (const auto& snake : ModMain::ComSnakes) {
                    const Seg before = snake->body()[0];
                    const auto draws = platform::RandomDrawCount();
                    snake->Move();
                    const auto used = platform::RandomDrawCount() - draws;
                    QVERIFY2(used >= 1 && used <= 8, qPrintable(QString::number(used)));
                    ++histogram[used];
                    const Seg head = snake->body()[0];
                    QVERIFY(std::abs(head.x - before.x) + std::abs(head.y - before.y) <= 1);
                    QVERIFY(head.x >= 0 && head.x < 30 && head.y >= 0 && head.y < 30);
                    QVERIFY(Map[head.x][head.y] != ModMain::Wall || head == before);
                    QVERIFY(snake->body().size() >= 2);
                }
            }
            ModMain::ComSnakes.clear();
        }
        // Both the quiet step and the fully blocked one occur.
        QVERIFY(histogram[1] > 0);
        QVERIFY(histogram[7] + histogram[8] > 0);
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestComputer)
#include "test_computer.moc"
