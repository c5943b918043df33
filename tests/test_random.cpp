// The one random generator: seeding, snakes created in the same moment,
// the range of its fractions, and scripted draws for tests.
#include "support/GameFixture.h"

#include "platform/Random.h"

#include <QtTest>

#include <array>
#include <set>
#include <vector>

namespace {

std::vector<double> Draws(int count)
{
    std::vector<double> draws;
    for (int i = 0; i < count; ++i)
        draws.push_back(platform::Rnd());
    return draws;
}

} // namespace

class TestRandom : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(); }
    void cleanup() { fx.tearDown(); }

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

  private:
    GameFixture fx;
};

QTEST_MAIN(TestRandom)
#include "test_random.moc"
