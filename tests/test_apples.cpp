// Apples: batches on free squares, clearing, and the refill timer.
#include "flow/GameFlow.h"
#include "support/GameTest.h"
#include "support/TableColumns.h"

#include <random>

namespace {

void fillField(std::uint8_t cell)
{
    for (int x = 0; x < ModMain::FieldSize; ++x)
        for (int y = 0; y < ModMain::FieldSize; ++y)
            Map[x][y] = cell;
}

} // namespace

class TestApples : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(GameFixture::FirstMap::Bordered); }
    void cleanup() { fx.tearDown(); }

    // A batch adds exactly `count` cells of code kind + 1, and as much to
    // ApplesLeft. Kinds other than 1 and 2 place nothing, draw nothing, but
    // still refresh the label.
    void batchAddsExactlyCountApples_data()
    {
        // already: apples lying there before
        Columns<int, int, int>("kind", "count", "already");
        QTest::newRow("10 green on an empty field") << 1 << 10 << 0;
        QTest::newRow("5 red on an empty field") << 2 << 5 << 0;
        QTest::newRow("10 green beside 20 apples") << 1 << 10 << 20;
        QTest::newRow("one red") << 2 << 1 << 3;
        QTest::newRow("zero green") << 1 << 0 << 3;
        QTest::newRow("400 green") << 1 << 400 << 0;
        for (const int other : {0, 3, -1, 32767})
            QTest::addRow("kind %d", other) << other << 10 << 2;
    }

    void batchAddsExactlyCountApples()
    {
        const auto [kind, count, already] = Fetch<int, int, int>("kind", "count", "already");
        ModMain::LoadMap("map1.dat");
        for (int i = 0; i < already; ++i)
            Map[1 + i % 28][1 + i / 28] = ModMain::RedApple;
        ModMain::ApplesLeft = static_cast<platform::Int16>(already);
        const auto before = Map;
        const bool places = kind == 1 || kind == 2;
        const int placed = places ? count : 0;
        fx.view().events.clear();
        const auto draws = platform::RandomDrawCount();

        ModMain::PlaceApples(static_cast<platform::Int16>(kind), static_cast<platform::Int16>(count));
        int added = 0;
        for (int x = 0; x < ModMain::FieldSize; ++x) {
            for (int y = 0; y < ModMain::FieldSize; ++y) {
                if (Map[x][y] == before[x][y])
                    continue;
                QCOMPARE(before[x][y], std::uint8_t{ModMain::Empty});
                QCOMPARE(int(Map[x][y]), kind + 1);
                ++added;
            }
        }
        QCOMPARE(added, placed);
        QCOMPARE(int(ModMain::ApplesLeft), already + placed);
        QCOMPARE(fx.view().label(ModMain::StatusLabel::Apple), "Apples Left : " + std::to_string(already + placed));
        QVERIFY(GameFixture::applesConsistent());
        if (!places) {
            QCOMPARE(fx.view().events, std::vector<std::string>{"label Apple: Apples Left : 2"});
            QCOMPARE(platform::RandomDrawCount(), draws);
        }
    }

    // Draws are x first, then y; an occupied draw is simply drawn again.
    void drawsAreXThenYAndRetried()
    {
        Map[7][3] = ModMain::Wall;
        ModMain::ApplesLeft = 0;
        // (7,3) is a wall: drawn again; then (3,7) and (12,20).
        platform::ScriptRandom({at(7), at(3), at(3), at(7), at(12), at(20)});
        ModMain::PlaceApples(1, 2);
        QCOMPARE(Map[7][3], std::uint8_t{ModMain::Wall});
        QCOMPARE(Map[3][7], std::uint8_t{ModMain::GreenApple});
        QCOMPARE(Map[12][20], std::uint8_t{ModMain::GreenApple});
        QCOMPARE(ModMain::CountAppleCells(), 2);
    }

    // Never on a wall, an apple or a snake (computer snakes only while switched on).
    void applesLandOnlyOnFreeSquares()
    {
        std::mt19937 layout(12345);
        for (int round = 0; round < 150; ++round) {
            ModMain::ResetState();
            platform::SeedRandom(static_cast<std::uint64_t>(round) + 1);
            std::uniform_int_distribution<int> square(0, ModMain::FieldSize - 1);
            std::uniform_int_distribution<int> percent(0, 99);
            int apples = 0;
            for (int x = 0; x < ModMain::FieldSize; ++x) {
                for (int y = 0; y < ModMain::FieldSize; ++y) {
                    const int p = percent(layout);
                    Map[x][y] = p < 25 ? ModMain::Wall : p < 30 ? ModMain::GreenApple : p < 32 ? ModMain::RedApple : 0;
                    apples += Map[x][y] > 1 ? 1 : 0;
                }
            }
            ModMain::ApplesLeft = static_cast<platform::Int16>(apples);
            // Snakes lie anywhere, walls and apples included (start squares are not tested).
            const auto randomBody = [&] {
                Body body{{static_cast<platform::Int16>(square(layout)), static_cast<platform::Int16>(square(layout))}};
                const int length = 2 + percent(layout) % 40;
                while (static_cast<int>(body.size()) < length) {
                    Seg next = body.back();
                    (percent(layout) % 2 ? next.x : next.y) += percent(layout) % 2 ? 1 : -1;
                    next.x = static_cast<platform::Int16>(std::clamp<int>(next.x, 0, 29));
                    next.y = static_cast<platform::Int16>(std::clamp<int>(next.y, 0, 29));
                    body.push_back(next);
                }
                return body;
            };
            const int humans = 1 + round % 2;
            for (int i = 0; i < humans; ++i)
                fx.addHuman(randomBody(), ModMain::DirUp);
            for (int i = 0; i < round % 5; ++i)
                fx.addComputer(randomBody(), ModMain::DirDown);
            ModMain::ComSnakesOn = round % 3 != 0 && !ModMain::ComSnakes.empty();

            const auto before = Map;
            const auto taken = [&](int x, int y) {
                const auto uses = [&](const auto& s) { return s->UsesSquare(platform::Int16(x), platform::Int16(y)); };
                return std::ranges::any_of(ModMain::Snakes, uses) ||
                       (ModMain::ComSnakesOn && std::ranges::any_of(ModMain::ComSnakes, uses));
            };
            ModMain::PlaceApples(1, 10);
            ModMain::PlaceApples(2, 5);
            int green = 0, red = 0;
            for (int x = 0; x < ModMain::FieldSize; ++x) {
                for (int y = 0; y < ModMain::FieldSize; ++y) {
                    if (Map[x][y] == before[x][y])
                        continue;
                    QVERIFY2(before[x][y] == ModMain::Empty,
                             qPrintable(QStringLiteral("round %1: apple on a wall or apple").arg(round)));
                    QVERIFY2(!taken(x, y),
                             qPrintable(
                                 QStringLiteral("round %1: apple under a snake at (%2, %3)").arg(round).arg(x).arg(y)));
                    (Map[x][y] == ModMain::GreenApple ? green : red)++;
                }
            }
            QCOMPARE(green, 10);
            QCOMPARE(red, 5);
            QCOMPARE(int(ModMain::ApplesLeft), apples + 15);
            QVERIFY(GameFixture::applesConsistent());
            ModMain::Snakes.clear();
            ModMain::ComSnakes.clear();
        }
    }

    // With computer snakes switched off, their squares count as free.
    void switchedOffComputerSquaresTakeApples()
    {
        fillField(ModMain::Wall);
        Map[0][0] = ModMain::RedApple; // one apple already, so no level ends here
        ModMain::ApplesLeft = 1;
        const Body under{{10, 10}, {11, 10}, {12, 10}, {12, 11}, {12, 12}};
        for (const Seg& s : under)
            Map[s.x][s.y] = ModMain::Empty;
        fx.addHuman(Body{{0, 5}, {0, 6}}, ModMain::DirUp);
        fx.addComputer(under, ModMain::DirLeft);

        ModMain::ComSnakesOn = true;
        ModMain::PlaceApples(1, 5);
        QCOMPARE(ModMain::CountAppleCells(), 1); // no room: under a live computer snake

        ModMain::ComSnakesOn = false;
        ModMain::PlaceApples(1, 5);
        for (const Seg& s : under)
            QCOMPARE(Map[s.x][s.y], std::uint8_t{ModMain::GreenApple});
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{6});
    }

    // A field with too little room gets what fits, and placing ends. A batch
    // that finds no room at all completes no level, even with none left.
    void crowdedFieldGetsWhatFits_data()
    {
        // lying: apples already there
        Columns<int, int, int>("freeSquares", "count", "lying");
        QTest::newRow("no free square") << 0 << 10 << 1;
        QTest::newRow("no free square, no apple left") << 0 << 10 << 0;
        QTest::newRow("3 free, 10 wanted") << 3 << 10 << 1;
        QTest::newRow("9 free, 10 wanted") << 9 << 10 << 1;
        QTest::newRow("10 free, 10 wanted") << 10 << 10 << 1;
        QTest::newRow("11 free, 10 wanted") << 11 << 10 << 1;
        QTest::newRow("1 free, 5 wanted") << 1 << 5 << 1;
    }

    void crowdedFieldGetsWhatFits()
    {
        const auto [freeSquares, count, lying] = Fetch<int, int, int>("freeSquares", "count", "lying");
        // A second level just as full: a completed level would load it and find no room again.
        fx.writeMap(2, MapFileBytes(QStringList(30, QString(30, QLatin1Char('X')))));
        ModMain::Level = 1;
        fillField(ModMain::Wall);
        if (lying)
            Map[29][29] = ModMain::GreenApple;
        ModMain::ApplesLeft = static_cast<platform::Int16>(lying);
        for (int i = 0; i < freeSquares; ++i)
            Map[i][7] = ModMain::Empty;
        ModMain::PlaceApples(1, static_cast<platform::Int16>(count));
        const int placed = std::min(freeSquares, count);
        QCOMPARE(int(ModMain::ApplesLeft), lying + placed);
        QVERIFY(GameFixture::applesConsistent());
        QCOMPARE(fx.view().label(ModMain::StatusLabel::Apple), "Apples Left : " + std::to_string(lying + placed));
        // The next batch finds what is left and ends as well.
        ModMain::PlaceApples(2, 5);
        QCOMPARE(int(ModMain::ApplesLeft), lying + std::min(freeSquares, count + 5));
        QVERIFY(GameFixture::applesConsistent());
        QCOMPARE(ModMain::Level, platform::Int16{1});
        QCOMPARE(fx.view().count("caption"), 0);
    }

    // ClearApples leaves exactly the walls, zeroes the count, shows nothing.
    void clearLeavesExactlyTheWalls()
    {
        ModMain::LoadMap("map1.dat");
        const auto walls = Map;
        ModMain::PlaceApples(1, 10);
        ModMain::PlaceApples(2, 5);
        Map[ModMain::FieldSize][3] = ModMain::Wall; // outside the field: untouched either way
        const auto outside = Map[ModMain::FieldSize];
        const int labelsBefore = fx.view().count("label");
        ModMain::ClearApples();
        for (int x = 0; x < ModMain::FieldSize; ++x)
            for (int y = 0; y < ModMain::FieldSize; ++y)
                QCOMPARE(Map[x][y], walls[x][y]);
        QCOMPARE(Map[ModMain::FieldSize], outside);
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{0});
        QCOMPARE(fx.view().count("label"), labelsBefore);
    }

    // The refill drops on the 250th unpaused pass, not the 249th, on top of
    // the apples still lying there.
    void refillComesOnThe250thPass()
    {
        ModMain::LoadMap("map1.dat");
        for (int i = 0; i < 7; ++i)
            Map[3 + i][3] = ModMain::GreenApple;
        ModMain::ApplesLeft = 7;
        const auto before = Map;
        for (int pass = 1; pass <= 249; ++pass)
            ModMain::RunPass();
        QVERIFY(Map == before);
        QVERIFY(ModMain::AppleTimer > 99.5 && ModMain::AppleTimer < 100.0);

        ModMain::RunPass(); // the 250th
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{22});
        QCOMPARE(fx.cellCount(ModMain::GreenApple), 17);
        QCOMPARE(fx.cellCount(ModMain::RedApple), 5);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(Map[3 + i][3], std::uint8_t{ModMain::GreenApple});
        QCOMPARE(ModMain::AppleTimer, 0.0);

        for (int pass = 1; pass <= 249; ++pass)
            ModMain::RunPass();
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{22});
        ModMain::RunPass();
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{37});
        QVERIFY(GameFixture::applesConsistent());
    }

    // At 99.8 the next unpaused pass drops a batch; a paused game never does.
    void timerNearFullDropsOnNextUnpausedPass_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::newRow("running") << false;
        QTest::newRow("paused") << true;
    }

    void timerNearFullDropsOnNextUnpausedPass()
    {
        QFETCH(bool, paused);
        ModMain::LoadMap("map1.dat");
        Map[5][5] = ModMain::RedApple;
        ModMain::ApplesLeft = 1;
        ModMain::AppleTimer = 99.8;
        ModMain::Paused = paused;
        const int passes = paused ? 1000 : 1;
        for (int i = 0; i < passes; ++i)
            ModMain::RunPass();
        if (paused) {
            QCOMPARE(ModMain::AppleTimer, 99.8);
            QCOMPARE(ModMain::ApplesLeft, platform::Int16{1});
        } else {
            QCOMPARE(ModMain::AppleTimer, 0.0);
            QCOMPARE(ModMain::ApplesLeft, platform::Int16{16});
        }
        QVERIFY(GameFixture::applesConsistent());
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestApples)
#include "test_apples.moc"
