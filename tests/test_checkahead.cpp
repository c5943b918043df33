// The look-ahead before each step: the edge, walls, snakes, and eating.
#include "flow/GameFlow.h"
#include "support/GameTest.h"
#include "support/TableColumns.h"

class TestCheckAhead : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(GameFixture::FirstMap::Empty); }
    void cleanup() { fx.tearDown(); }

    // Off-field steps are blocked before the grid is read (row and column 30
    // hold apples here that must stay untouched); a wall blocks as silently.
    void edgeBlocksWithoutReadingTheGrid_data()
    {
        // wall: a wall on the square ahead
        Columns<int, int, int, bool>("x", "y", "dir", "wall");
        QTest::newRow("column 29 right") << 29 << 5 << 1 << false;
        QTest::newRow("row 29 down") << 5 << 29 << 2 << false;
        QTest::newRow("row 0 up") << 5 << 0 << -2 << false;
        QTest::newRow("column 0 left") << 0 << 5 << -1 << false;
        QTest::newRow("corner 29,29 right") << 29 << 29 << 1 << false;
        QTest::newRow("corner 29,29 down") << 29 << 29 << 2 << false;
        QTest::newRow("corner 0,0 up") << 0 << 0 << -2 << false;
        QTest::newRow("corner 29,0 up") << 29 << 0 << -2 << false;
        QTest::newRow("wall ahead blocks silently") << 5 << 5 << 1 << true;
    }

    void edgeBlocksWithoutReadingTheGrid()
    {
        const auto [x, y, dir, wall] = Fetch<int, int, int, bool>("x", "y", "dir", "wall");
        // Row 30 and column 30 are outside the field; an apple there must never
        // be seen (the cell behind row 0 of column x is, in memory, (x-1, 30)).
        for (int i = 0; i <= ModMain::FieldSize; ++i) {
            Map[ModMain::FieldSize][i] = ModMain::GreenApple;
            Map[i][ModMain::FieldSize] = ModMain::RedApple;
        }
        ModMain::ApplesLeft = 3;
        if (wall)
            Map[6][5] = ModMain::Wall;
        const auto before = Map;
        // The trailing body points back into the field; two players so no life is at stake.
        const int bx = dir == 1 ? -1 : dir == -1 ? 1 : 0;
        const int by = dir == 2 ? -1 : dir == -2 ? 1 : 0;
        auto snake = fx.addHuman(GameFixture::line(x, y, bx, by, 3), static_cast<platform::Int16>(dir));
        fx.addHuman(Body{{15, 15}, {15, 16}}, DirUp);

        snake->Move();
        QCOMPARE(snake->body()[0], (Seg{static_cast<platform::Int16>(x), static_cast<platform::Int16>(y)}));
        QCOMPARE(snake->body().size(), std::size_t{2});
        QVERIFY(Map == before);
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{3});
        QCOMPARE(snake->score, platform::Int16{0});
        QVERIFY(fx.sound().played.empty());
        QCOMPARE(fx.view().count("label"), 0);
    }

    // Eating: sound, growth, cell cleared, count lowered, points, labels. A
    // score pushed past 32767 is an overflow error, not a wrap.
    void appleAheadIsEaten_data()
    {
        Columns<int, int, int, int, bool>("cell", "points", "growth", "score", "fatal");
        QTest::newRow("green") << 2 << 1 << 2 << 10 << false;
        QTest::newRow("red") << 3 << 5 << 6 << 10 << false;
        QTest::newRow("green to 32767") << 2 << 1 << 2 << 32766 << false;
        QTest::newRow("green past 32767") << 2 << 1 << 2 << 32767 << true;
        QTest::newRow("red to 32767") << 3 << 5 << 6 << 32762 << false;
        QTest::newRow("red past 32767") << 3 << 5 << 6 << 32763 << true;
    }

    void appleAheadIsEaten()
    {
        const auto [cell, points, growth, score, fatal] =
            Fetch<int, int, int, int, bool>("cell", "points", "growth", "score", "fatal");
        Map[6][5] = static_cast<std::uint8_t>(cell);
        Map[20][20] = ModMain::GreenApple;
        ModMain::ApplesLeft = 2;
        auto snake = fx.addHuman(GameFixture::line(5, 5, -1, 0, 10), DirRight);
        snake->score = static_cast<platform::Int16>(score);
        try {
            snake->Move();
        } catch (const FatalMessage& e) {
            QVERIFY2(fatal, e.what());
            return;
        }
        QVERIFY2(!fatal, "score overflow went unnoticed");
        QCOMPARE(fx.sound().names(), std::vector<std::string>{"apple.wav"});
        QCOMPARE(int(snake->body().size()), 10 + growth);
        QCOMPARE(snake->body()[0], (Seg{6, 5}));
        QCOMPARE(Map[6][5], std::uint8_t{0});
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{1});
        QCOMPARE(int(snake->score), score + points);
        QCOMPARE(fx.view().label(ModMain::StatusLabel::Apple), std::string("Apples Left : 1"));
        QCOMPARE(fx.view().label(ModMain::StatusLabel::Score1), "Score:" + std::to_string(score + points));
        QVERIFY(GameFixture::applesConsistent());
    }

    // A green point is added after the apples label, red points before it.
    void pointsAndApplesLabelOrder_data()
    {
        Columns<int, int>("cell", "scoreAtApplesLabel");
        QTest::newRow("green: point after the label") << 2 << 0;
        QTest::newRow("red: points before the label") << 3 << 5;
    }

    void pointsAndApplesLabelOrder()
    {
        const auto [cell, scoreAtApplesLabel] = Fetch<int, int>("cell", "scoreAtApplesLabel");
        Map[6][5] = static_cast<std::uint8_t>(cell);
        Map[20][20] = ModMain::GreenApple;
        ModMain::ApplesLeft = 2;
        auto snake = fx.addHuman(GameFixture::line(5, 5, -1, 0, 10), DirRight);
        int scoreSeen = -1;
        std::size_t lengthSeen = 0;
        std::uint8_t cellSeen = 99;
        int soundsSeen = -1;
        fx.view().onEvent = [&](const std::string& event) {
            if (event.starts_with("label Apple")) {
                scoreSeen = snake->score;
                lengthSeen = snake->body().size();
                cellSeen = Map[6][5];
                soundsSeen = static_cast<int>(fx.sound().played.size());
            }
        };
        snake->Move();
        QCOMPARE(scoreSeen, scoreAtApplesLabel);
        // Sound, growth and the cleared cell all come before the label.
        QCOMPARE(soundsSeen, 1);
        QCOMPARE(lengthSeen, std::size_t(cell == 2 ? 12 : 16));
        QCOMPARE(cellSeen, std::uint8_t{0});
        // The score label follows the apples label.
        const int apples = fx.view().find("label Apple");
        const int score = fx.view().find("label Score1");
        QVERIFY(apples >= 0 && score > apples);
    }

    // An apple under another snake's stacked tail is eaten and still blocks.
    void appleUnderASnakeIsEatenButBlocks_data() { AddEatenAppleRows(); }

    void appleUnderASnakeIsEatenButBlocks()
    {
        const auto [cell, points, growth] = Fetch<int, int, int>("cell", "points", "growth");
        // Snake B lies stacked on (10,10), where an apple was placed before it.
        fx.addHuman(Body(10, Seg{10, 10}), DirUp);
        auto eater = fx.addHuman(GameFixture::line(10, 11, 0, 1, 10), DirUp);
        Map[10][10] = static_cast<std::uint8_t>(cell);
        Map[3][3] = ModMain::GreenApple;
        ModMain::ApplesLeft = 2;

        eater->Move();
        QCOMPARE(eater->body()[0], (Seg{10, 11}));
        QCOMPARE(int(eater->score), points);
        QCOMPARE(Map[10][10], std::uint8_t{0});
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{1});
        // Grown by the apple, then one segment lost for the blocked step.
        QCOMPARE(int(eater->body().size()), 10 + growth - 1);
        QCOMPARE(fx.played("apple.wav"), 1);
    }

    // Two snakes heading for one square: the first to move takes it.
    void firstMoverTakesTheContestedSquare_data()
    {
        Columns<bool, bool>("appleOnSquare", "secondIsComputer");
        QTest::newRow("two humans") << false << false;
        QTest::newRow("two humans, apple on it") << true << false;
        QTest::newRow("human before computer") << false << true;
        QTest::newRow("human before computer, apple on it") << true << true;
    }

    void firstMoverTakesTheContestedSquare()
    {
        const auto [appleOnSquare, secondIsComputer] = Fetch<bool, bool>("appleOnSquare", "secondIsComputer");
        if (appleOnSquare) {
            Map[5][5] = ModMain::GreenApple;
            Map[25][25] = ModMain::GreenApple;
            ModMain::ApplesLeft = 2;
        }
        auto first = fx.addHuman(GameFixture::line(4, 5, -1, 0, 4), DirRight);
        std::shared_ptr<Snake> second;
        if (secondIsComputer) {
            second = fx.addComputer(GameFixture::line(6, 5, 1, 0, 4), DirLeft);
            fx.addHuman(Body{{20, 20}, {20, 21}}, DirUp);
            // Keep going, then the retries find (6,4) above free and leave upward.
            platform::ScriptRandom({0.5, 0.1});
        } else {
            second = fx.addHuman(GameFixture::line(6, 5, 1, 0, 4), DirLeft);
        }
        ModMain::MoveAll();
        QCOMPARE(first->body()[0], (Seg{5, 5}));
        QCOMPARE(first->score, platform::Int16(appleOnSquare ? 1 : 0));
        QCOMPARE(second->score, platform::Int16{0});
        if (secondIsComputer) {
            QCOMPARE(second->body()[0], (Seg{6, 4}));
        } else {
            QCOMPARE(second->body()[0], (Seg{6, 5}));
            QCOMPARE(second->body().size(), std::size_t{3});
        }
    }

    // The square test, strict (apples block) and not strict.
    void squareIsFree_data()
    {
        Columns<int, int, bool, bool, bool>("x", "y", "strict", "comOn", "free");
        QTest::newRow("empty, strict") << 4 << 4 << true << true << true;
        QTest::newRow("empty, loose") << 4 << 4 << false << true << true;
        QTest::newRow("wall, strict") << 1 << 1 << true << true << false;
        QTest::newRow("wall, loose") << 1 << 1 << false << true << false;
        QTest::newRow("green, strict") << 2 << 2 << true << true << false;
        QTest::newRow("green, loose") << 2 << 2 << false << true << true;
        QTest::newRow("red, strict") << 3 << 3 << true << true << false;
        QTest::newRow("red, loose") << 3 << 3 << false << true << true;
        QTest::newRow("human head") << 5 << 5 << false << true << false;
        QTest::newRow("human stacked tail") << 5 << 7 << false << false << false;
        QTest::newRow("apple under human, loose") << 6 << 6 << false << true << false;
        QTest::newRow("computer, switched on") << 7 << 7 << false << true << false;
        QTest::newRow("computer, switched off") << 7 << 7 << false << false << true;
        QTest::newRow("computer, off, strict") << 7 << 8 << true << false << true;
        QTest::newRow("second human") << 9 << 9 << true << false << false;
    }

    void squareIsFree()
    {
        const auto [x, y, strict, comOn, free] = Fetch<int, int, bool, bool, bool>("x", "y", "strict", "comOn", "free");
        Map[1][1] = ModMain::Wall;
        Map[2][2] = ModMain::GreenApple;
        Map[3][3] = ModMain::RedApple;
        Map[6][6] = ModMain::GreenApple;
        fx.addHuman(Body{{5, 5}, {5, 6}, {6, 6}, {6, 7}, {5, 7}, {5, 7}, {5, 7}}, DirUp);
        fx.addHuman(Body{{9, 9}, {9, 10}}, DirUp);
        fx.addComputer(Body{{7, 7}, {7, 8}}, DirUp);
        ModMain::ComSnakesOn = comOn;
        QCOMPARE(ModMain::SquareIsFree(static_cast<platform::Int16>(x), static_cast<platform::Int16>(y), strict), free);
    }

    // While ComSnakesOn is false a human passes over a computer snake.
    void computerSnakesAreInvisibleWhileSwitchedOff()
    {
        auto human = fx.addHuman(GameFixture::line(5, 5, -1, 0, 3), DirRight);
        fx.addComputer(Body{{6, 5}, {6, 6}}, DirDown);
        ModMain::ComSnakesOn = false;
        ModMain::MoveAll();
        QCOMPARE(human->body()[0], (Seg{6, 5}));
        // Nothing of the computer snake ran: no steering draws.
        QCOMPARE(platform::RandomDrawCount(), std::uint64_t{0});
        QCOMPARE(ModMain::ComSnakes[0]->body()[0], (Seg{6, 5}));
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestCheckAhead)
#include "test_checkahead.moc"
