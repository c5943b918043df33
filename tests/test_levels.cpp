// Level sequences: completing a level, the last level, and how a level
// change nests inside a snake's move.
#include "support/GameTest.h"
#include "support/SnakeBody.h"
#include "support/TableColumns.h"

#include "flow/GameFlow.h"
#include "scores/ModHigh.h"

#include <set>

namespace {

int markedLevel()
{
    int found = 0;
    for (int x = 1; x < 29; ++x)
        if (Map[x][14] == ModMain::Wall)
            found = found ? -1 : x - 2;
    return found;
}

bool allStackedOn(const Snake& snake, Seg square)
{
    const auto& body = snake.body();
    return body.size() == 10 && std::all_of(body.begin(), body.end(), [&](Seg s) { return s == square; });
}

} // namespace

class TestLevels : public QObject {
    Q_OBJECT

  private slots:
    void init() { ResetForLevels(fx); }
    void cleanup() { fx.tearDown(); }

    // Level completed
    // The caption names the level just completed; the next one is loaded
    // (level 10 from map10.dat).
    void completingALevelLoadsTheNext_data()
    {
        QTest::addColumn<int>("level");
        QTest::newRow("level 3 to 4") << 3;
        QTest::newRow("level 9 to 10 uses map10.dat, not map010.dat") << 9;
    }

    void completingALevelLoadsTheNext()
    {
        QFETCH(int, level);
        fx.writeMap(level, MarkedMap(level));
        fx.writeMap(level + 1, MarkedMap(level + 1));
        fx.writeFile("map010.dat", MarkedMap(1));
        auto snake = OneStepFromTheLastApple(fx, level);
        const std::string completed = "Level " + std::to_string(level) + " Completed!";
        ScriptAppleRow(15); // out of the snake's way
        bool messageUpDuringWait = false;
        fx.time().onProcessEvents = [&] {
            if (fx.view().messageVisible && fx.view().messageCaption == completed)
                messageUpDuringWait = true;
        };

        ModMain::MoveAll();
        QCOMPARE(int(ModMain::Level), level + 1);
        QCOMPARE(markedLevel(), level + 1);
        QVERIFY(messageUpDuringWait);
        QVERIFY(!fx.view().messageVisible);
        QCOMPARE(fx.view().count("caption"), 1);
        // "Apples Left : 0" is shown before the sequence runs.
        QCOMPARE(fx.view().firstOutOfOrder({"label Apple: Apples Left : 0", "caption " + completed}), QString());
        for (const std::string& e : fx.view().events)
            QVERIFY2(e.find("Level " + std::to_string(level + 1)) == std::string::npos, e.c_str());
        QCOMPARE(fx.sound().names(), (std::vector<std::string>{"apple.wav", "level.wav"}));
        QCOMPARE(snake->score, platform::Int16{1});
        // Placed at (15,28), one step in the level's move; the interrupted step ends.
        QCOMPARE(snake->body()[0], (Seg{15, 27}));
        QCOMPARE(ModMain::AppleTimer, 0.0);
        QVERIFY(GameFixture::applesConsistent());
        // Two seconds with events handled, one second without.
        QCOMPARE(fx.time().pumpedMs, 2000u);
        QCOMPARE(fx.time().sleptMs, 1000u);
        // Frames: after the extra move, after the message, after the new level's move.
        QCOMPARE(fx.view().frames, 3);
    }

    // After a level change every snake is back, 10 long, on its start square,
    // keeping score and lives, with exactly 15 apples on the field.
    void levelChangeResetsBodiesAndApplesOnly()
    {
        fx.writeMap(2, MarkedMap(2));
        BeginLevel(1);
        auto one = fx.addHuman(GameFixture::line(5, 10, -1, 0, 14), DirRight);
        auto two = fx.addHuman(GameFixture::line(25, 20, 0, 1, 6), DirUp);
        auto c0 = fx.addComputer(GameFixture::line(15, 5, 0, -1, 4), DirDown);
        auto c1 = fx.addComputer(GameFixture::line(15, 25, 0, 1, 4), DirUp);
        one->score = 7;
        one->Lives = 3;
        two->score = 11;
        two->Lives = 2;
        c0->score = 4;
        c1->Colour = 3;
        LeaveOneApple(6, 10);

        bool checked = false;
        fx.view().onEvent = [&](const std::string& event) {
            if (event != "label Apple: Apples Left : 15" || ModMain::Level != 2)
                return;
            checked = true;
            QCOMPARE(ModMain::CountAppleCells(), 15);
            QVERIFY(allStackedOn(*one, Seg{10, 28}));
            QVERIFY(allStackedOn(*two, Seg{20, 28}));
            for (const auto& c : {c0, c1}) {
                const Seg start = c->body()[0];
                QVERIFY(allStackedOn(*c, start));
                QCOMPARE(int(start.y), 1);
                QCOMPARE(c->dir, DirDown);
            }
            QCOMPARE(one->dir, DirUp);
            QCOMPARE(two->dir, DirUp);
            // Scores and lives carried over; the eater's green point comes later.
            QCOMPARE(one->score, platform::Int16{7});
            QCOMPARE(two->score, platform::Int16{11});
            QCOMPARE(c0->score, platform::Int16{4});
            QCOMPARE(one->Lives, platform::Int16{3});
            QCOMPARE(two->Lives, platform::Int16{2});
        };
        ModMain::MoveAll();
        QVERIFY(checked);
        // (The first move of the new level may already have eaten an apple.)
        QVERIFY(one->score >= 8);
        QCOMPARE(one->Lives, platform::Int16{3});
        QCOMPARE(two->Lives, platform::Int16{2});
        QCOMPARE(c1->Colour, platform::Int16{3});
        QVERIFY(c0->IsComputer && c1->IsComputer && !one->IsComputer);
        QCOMPARE(ModMain::Snakes.size(), std::size_t{2});
        QCOMPARE(ModMain::ComSnakes.size(), std::size_t{2});
        QVERIFY(GameFixture::applesConsistent());
    }

    // Computer snakes restart on row 1, columns 1..27.
    void computerRestartColumnsAreOneToTwentySeven()
    {
        fx.writeMap(2, MarkedMap(2));
        BeginLevel(1);
        fx.addHuman(GameFixture::line(15, 20, 0, 1, 3), DirUp);
        for (int i = 0; i < 4; ++i)
            fx.addComputer(GameFixture::line(3 + 5 * i, 5, 0, -1, 3), DirDown);
        std::set<int> columns;
        fx.view().onEvent = [&](const std::string& event) {
            if (event == "label Apple: Apples Left : 15")
                for (const auto& c : ModMain::ComSnakes)
                    columns.insert(c->body()[0].x);
        };
        for (int round = 0; round < 60; ++round) {
            ModMain::Level = 1;
            ModMain::ClearApples();
            ModMain::LevelCompleted();
        }
        QVERIFY(!columns.empty());
        QVERIFY2(*columns.begin() >= 1 && *columns.rbegin() <= 27,
                 qPrintable(QStringLiteral("%1..%2").arg(*columns.begin()).arg(*columns.rbegin())));
        // 240 draws: both ends of the range turn up.
        QVERIFY(columns.contains(1));
        QVERIFY(columns.contains(27));
    }

    // No next map: caption, the box, "Game Over", then the score check. The
    // rest of the eater's step (its own head now lies on the square ahead)
    // costs no life: no "die.wav", no restarted round, no second game over or
    // second name prompt.
    void lastLevelEndsWithBoxThenGameOver_data()
    {
        Columns<int, std::string>("lives", "answer"); // answer: to the name prompt
        QTest::newRow("five lives, name prompt cancelled") << 5 << std::string();
        QTest::newRow("last life") << 1 << std::string("Winner");
        QTest::newRow("lives left") << 3 << std::string("Winner");
    }

    void lastLevelEndsWithBoxThenGameOver()
    {
        const auto [lives, answer] = Fetch<int, std::string>("lives", "answer");
        auto snake = OneStepFromTheLastApple(fx, 1, ModMain::RedApple);
        snake->Lives = static_cast<platform::Int16>(lives);
        fx.promptAnswer = answer;
        std::uint32_t pumpedAtBox = 0;
        fx.view().onAllLevelsCompleted = [&] { pumpedAtBox = fx.time().pumpedMs; };

        ModMain::MoveAll();
        QCOMPARE(fx.view().firstOutOfOrder({"caption Level 1 Completed!", "message shown", "message hidden",
                                            "all levels box", "caption Game Over", "message shown", "message hidden",
                                            "title shown", "menus idle", "prompt 5"}),
                 QString());
        QCOMPARE(pumpedAtBox, 2000u); // the level caption's two seconds came first
        QCOMPARE(fx.time().pumpedMs, 4000u);
        QVERIFY(!ModMain::GameRunning);
        QCOMPARE(ModMain::Level, platform::Int16{2});
        QCOMPARE(fx.sound().names(), (std::vector<std::string>{"apple.wav", "gameover.wav"}));
        QVERIFY(ModHigh::ScoresLoaded);
        QCOMPARE(snake->score, platform::Int16{5});
        QCOMPARE(fx.promptScores, std::vector<int>{5});
        QCOMPARE(int(snake->Lives), lives);
        QCOMPARE(fx.view().count("caption Game Over"), 1);
        QCOMPARE(fx.time().sleptMs, 0u); // no restarted round
        QCOMPARE(ModMain::CountAppleCells(), 0);
        QCOMPARE(ModHigh::HighScores[0].Name, answer);
        QCOMPARE(ModHigh::HighScores[1].Name, std::string());
    }

    // A gap in the numbering (1, 2, 4) ends the game after level 2.
    void gapInMapNumbersEndsTheGame()
    {
        fx.writeMap(2, MarkedMap(2));
        fx.writeMap(4, MarkedMap(4));
        auto snake = OneStepFromTheLastApple(fx);
        ModMain::MoveAll();
        QCOMPARE(ModMain::Level, platform::Int16{2});
        QCOMPARE(markedLevel(), 2);
        QCOMPARE(fx.view().allLevelsBoxes, 0);

        SetSnakeBody(*snake, GameFixture::line(10, 10, 0, 1, 5));
        snake->dir = DirUp;
        LeaveOneApple(10, 9);
        ModMain::MoveAll();
        QCOMPARE(fx.view().allLevelsBoxes, 1);
        QCOMPARE(ModMain::Level, platform::Int16{3});
        QCOMPARE(markedLevel(), 2); // map4 never loaded
        QVERIFY(!ModMain::GameRunning);
        QVERIFY(fx.view().find("caption Level 2 Completed!") >= 0);
    }

    // Eating the last apple completes the level even just before a refill.
    void lastAppleCompletesTheLevelBeforeARefill()
    {
        fx.writeMap(2, MarkedMap(2));
        OneStepFromTheLastApple(fx);
        ModMain::SpeedDelay = 0;
        ModMain::AppleTimer = 99.9;
        ModMain::RunPass();
        QCOMPARE(ModMain::Level, platform::Int16{2});
        // Reset by the level, then ticked once by the pass: no refill.
        QCOMPARE(ModMain::AppleTimer, 0.4);
        QVERIFY(ModMain::CountAppleCells() <= 15);
        QVERIFY(GameFixture::applesConsistent());
    }

    // Nesting
    // Inside the eater's look-ahead: the level runs, then the green point is
    // added, and the eater's step ends there: the level has placed it and moved
    // it once. The rest of the pass still moves.
    void levelSequenceRunsInsideTheEatersMove_data()
    {
        // fromAbove: the eater heads down onto the apple, else right.
        // twoAboveStart: the new level's cell two squares above the eater's start.
        Columns<bool, int, int, bool, bool, int>("twoPlayers", "appleX", "appleY", "fromAbove", "wallOnOldSquare",
                                                 "twoAboveStart");
        // In none of these is it heading into anything after the level change:
        // it neither loses a segment nor a life, nor eats.
        QTest::newRow("two players, old square ahead a wall on the new level")
            << true << 6 << 10 << false << true << int(ModMain::Empty);
        QTest::newRow("two players, old square ahead free on the new level")
            << true << 6 << 10 << false << false << int(ModMain::Empty);
        QTest::newRow("one player, old square ahead a wall on the new level")
            << false << 6 << 10 << false << true << int(ModMain::Empty);
        QTest::newRow("one player, old square ahead now its own re-placed head")
            << false << 15 << 27 << false << false << int(ModMain::Empty);
        // Down from (15,27) onto (15,28): re-placed there, the head is back on
        // (15,27) and the old square ahead is its own stacked tail.
        QTest::newRow("one player, the head on its old square, the tail ahead")
            << false << 15 << 28 << true << false << int(ModMain::Empty);
        QTest::newRow("one player, an apple in front of the new start")
            << false << 6 << 10 << false << false << int(ModMain::GreenApple);
        QTest::newRow("two players, an apple in front of the new start")
            << true << 6 << 10 << false << false << int(ModMain::GreenApple);
        QTest::newRow("one player, a wall two above the start")
            << false << 6 << 10 << false << false << int(ModMain::Wall);
    }

    void levelSequenceRunsInsideTheEatersMove()
    {
        const auto [twoPlayers, appleX, appleY, fromAbove, wallOnOldSquare, twoAboveStart] =
            Fetch<bool, int, int, bool, bool, int>("twoPlayers", "appleX", "appleY", "fromAbove", "wallOnOldSquare",
                                                   "twoAboveStart");
        const Seg apple{static_cast<platform::Int16>(appleX), static_cast<platform::Int16>(appleY)};
        const int startX = twoPlayers ? 10 : 15;
        QList<QPoint> walls;
        if (wallOnOldSquare)
            walls.emplace_back(appleX, appleY);
        if (twoAboveStart == ModMain::Wall)
            walls.emplace_back(startX, 26);
        fx.writeMap(2, MapWithWalls(walls, true));
        BeginLevel(1);
        auto eater = fromAbove ? fx.addHuman(GameFixture::line(appleX, appleY - 1, 0, -1, 5), DirDown)
                               : fx.addHuman(GameFixture::line(appleX - 1, appleY, -1, 0, 5), DirRight);
        auto other = twoPlayers ? fx.addHuman(GameFixture::line(25, 10, 0, 1, 5), DirUp) : nullptr;
        LeaveOneApple(appleX, appleY);
        // Away from everyone, or (2..16, 26): in front of both humans' starts.
        ScriptAppleRow(twoAboveStart == ModMain::GreenApple ? 26 : 15);

        int scoreAtCaption = -1;
        Seg eaterAtCaption{}, otherAtCaption{};
        fx.view().onEvent = [&](const std::string& event) {
            if (event == "caption Level 1 Completed!") {
                scoreAtCaption = eater->score;
                eaterAtCaption = eater->body()[0];
                otherAtCaption = other ? other->body()[0] : Seg{};
            }
        };
        ModMain::MoveAll();

        // The level's own extra move took the eater onto the eaten square.
        QCOMPARE(eaterAtCaption, apple);
        if (other)
            QCOMPARE(otherAtCaption, (Seg{25, 9}));
        QCOMPARE(scoreAtCaption, 0);
        QCOMPARE(eater->score, platform::Int16{1});
        QVERIFY(fx.view().find("label Score1: Score:1") > fx.view().find("caption Level 1 Completed!"));
        QCOMPARE(ModMain::Level, platform::Int16{2});
        // One step up from the new start, in the level's move; none after it.
        QCOMPARE(eater->body()[0], (Seg{static_cast<platform::Int16>(startX), 27}));
        QCOMPARE(eater->body().size(), std::size_t{10});
        QCOMPARE(eater->Lives, platform::Int16{5});
        QCOMPARE(fx.played("die.wav"), 0);
        QCOMPARE(fx.played("apple.wav"), 1);
        // The snake after it still makes its move of the interrupted pass.
        if (other)
            QCOMPARE(other->body()[0], (Seg{20, 26}));
        QCOMPARE(ModMain::CountAppleCells(), 15);
        QVERIFY(GameFixture::applesConsistent());
    }

    // A step interrupted by a level change never takes the head off the field
    // or into a wall from the snake's new place; it simply ends.
    void resumedStepNeverLeavesTheField()
    {
        // Level 1 without a border; the computer sits in a pocket under (5,4).
        fx.writeMap(1, MapWithWalls({{5, 4}, {4, 5}}, false));
        fx.writeMap(2, MapWithWalls({}, false));
        BeginLevel(1);
        auto snake = fx.addComputer(GameFixture::line(5, 5, 0, 1, 4), DirUp);
        LeaveOneApple(6, 5);
        std::vector<double> draws{0.5}; // no random turn
        for (int i = 0; i < 5; ++i)
            draws.push_back(0.9);        // retries: down, the neck, refused
        draws.push_back(0.7);            // last retry: right, toward the apple
        draws.push_back(0.5);            // level's extra move: straight on
        draws.push_back((9 + 0.5) / 27); // restart column 10
        for (int i = 0; i < 15; ++i) {   // the new apples on row 20
            draws.push_back(at(2 + i));
            draws.push_back(at(20));
        }
        draws.push_back(0.0); // first move of level 2: a random turn...
        draws.push_back(0.1); // ...up, to row 0
        platform::ScriptRandom(draws);

        snake->Move();
        QCOMPARE(ModMain::Level, platform::Int16{2});
        QCOMPARE(snake->score, platform::Int16{1});
        // At (10,0) heading up: (10,-1) is off the field.
        const Seg head = snake->body()[0];
        QVERIFY2(head.x >= 0 && head.x < 30 && head.y >= 0 && head.y < 30,
                 qPrintable(QStringLiteral("head at (%1, %2)").arg(head.x).arg(head.y)));
        QCOMPARE(head, (Seg{10, 0}));
        // The steering's search ended with the level: no look up there, no
        // blocked step, no segment lost.
        QCOMPARE(snake->body().size(), std::size_t{10});
    }

    void resumedStepNeverEntersAWall()
    {
        fx.writeMap(2, MapWithWalls({{10, 26}}, true));
        BeginLevel(1);
        auto eater = fx.addHuman(GameFixture::line(5, 10, -1, 0, 5), DirRight);
        fx.addHuman(GameFixture::line(25, 10, 0, 1, 5), DirUp);
        LeaveOneApple(6, 10);
        ScriptAppleRow(15);
        ModMain::MoveAll();
        QCOMPARE(ModMain::Level, platform::Int16{2});
        // (6,10) is free on level 2, but from (10,27) the way up is a wall.
        const Seg head = eater->body()[0];
        QVERIFY2(Map[head.x][head.y] != ModMain::Wall, "the head went into a wall");
        QCOMPARE(head, (Seg{10, 27}));
        // Heading into that wall, but its step ended with the level: the next
        // pass blocks it, after the player could turn.
        QCOMPARE(eater->body().size(), std::size_t{10});
    }

    // A life lost in the level's extra move must not leave ApplesLeft out of
    // step with the apples on the grid; lives never go below zero, and after
    // "Game Over" no level is loaded and no round restarted.
    void lifeLostInsideALevelChangeKeepsApplesCounted_data()
    {
        // humanY: 5: crashes in the level's extra move; 4: in the pass itself
        // blockedStart: the next level has a wall on the square above the start
        Columns<bool, int, int, bool, int, int>("nextMap", "lives", "humanY", "blockedStart", "livesAfter", "level");
        QTest::newRow("next level, lives left") << true << 3 << 5 << false << 2 << 2;
        QTest::newRow("last level, lives left") << false << 3 << 5 << false << 2 << 2;
        // Game over in the extra move: the next level is never loaded.
        QTest::newRow("next level, last life") << true << 1 << 5 << false << 0 << 1;
        QTest::newRow("last level, last life") << false << 1 << 5 << false << 0 << 1;
        // Game over first, then the computer eats the last apple: no level, no
        // second crash of the dead snake.
        QTest::newRow("last life lost before the computer eats") << true << 1 << 4 << false << 0 << 1;
        // Every life is lost at the new level's start, once each, and it ends there.
        QTest::newRow("next level's start blocked") << true << 3 << 8 << true << 0 << 2;
    }

    void lifeLostInsideALevelChangeKeepsApplesCounted()
    {
        const auto [nextMap, lives, humanY, blockedStart, livesAfter, level] =
            Fetch<bool, int, int, bool, int, int>("nextMap", "lives", "humanY", "blockedStart", "livesAfter", "level");
        fx.writeMap(1, MapWithWalls({{5, 3}, {3, 14}}, true)); // marked as level 1
        if (nextMap)
            fx.writeMap(2, blockedStart ? MapWithWalls({{4, 14}, {15, 27}}, true) : MarkedMap(2));
        BeginLevel(1);
        // The human heads for the wall at (5,3).
        auto human = fx.addHuman(GameFixture::line(5, humanY, 0, 1, 4), DirUp);
        human->Lives = static_cast<platform::Int16>(lives);
        fx.addComputer(GameFixture::line(20, 10, -1, 0, 4), DirRight);
        LeaveOneApple(21, 10);
        platform::ScriptRandom({0.5}); // the computer keeps its way, onto the apple

        int mismatches = 0;
        fx.view().onEvent = [&](const std::string& event) {
            if (event.starts_with("label Apple") || event == "frame")
                mismatches += GameFixture::applesConsistent() ? 0 : 1;
        };
        ModMain::MoveAll();
        const bool gameOver = livesAfter == 0 || !nextMap;
        QCOMPARE(int(human->Lives), livesAfter);
        QCOMPARE(fx.view().find("label Lives1: Lives : -"), -1);
        QCOMPARE(fx.played("die.wav"), lives - std::max(livesAfter, 1));
        QCOMPARE(fx.played("gameover.wav"), gameOver ? 1 : 0);
        QCOMPARE(fx.view().count("caption Game Over"), gameOver ? 1 : 0);
        QCOMPARE(fx.played("level.wav"), gameOver ? 0 : 1);
        QCOMPARE(ModMain::Level, platform::Int16(level));
        QCOMPARE(ModMain::GameRunning, !gameOver);
        QCOMPARE(int(ModMain::ApplesLeft), ModMain::CountAppleCells());
        QCOMPARE(mismatches, 0);
        if (nextMap)
            QCOMPARE(markedLevel(), level);
        if (!gameOver)
            QVERIFY(ModMain::ApplesLeft >= 13 && ModMain::ApplesLeft <= 15);
    }

    // Pause chosen during the level caption: a game that goes on shows "Paused".
    void pauseChosenDuringTheLevelCaptionStaysShown_data()
    {
        QTest::addColumn<bool>("nextMap");
        QTest::newRow("next level") << true;
        QTest::newRow("last level: game over") << false;
    }

    void pauseChosenDuringTheLevelCaptionStaysShown()
    {
        QFETCH(bool, nextMap);
        if (nextMap)
            fx.writeMap(2, MarkedMap(2));
        OneStepFromTheLastApple(fx);
        fx.time().onProcessEvents = [&] {
            if (ModMain::Paused || fx.view().messageCaption != "Level 1 Completed!")
                return;
            // What the Pause command does.
            ModMain::Paused = true;
            fx.view().SetMessageCaption("Paused");
            fx.view().SetMessageVisible(true);
        };
        ModMain::MoveAll();
        QVERIFY(ModMain::Paused);
        QCOMPARE(ModMain::GameRunning, nextMap);
        QCOMPARE(fx.view().messageVisible, nextMap);
        if (nextMap)
            QCOMPARE(fx.view().messageCaption, std::string("Paused"));
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestLevels)
#include "test_levels.moc"
