// Lives and game over: a lost life restarts the round, the last one ends the
// game, and a one-player game over checks the score.
#include "support/FileBytes.h"
#include "support/GameTest.h"
#include "support/TableColumns.h"
#include "support/TopScoreRows.h"

#include "flow/GameFlow.h"
#include "scores/ModHigh.h"
#include "window/FrmHigh.h"

#include <algorithm>

namespace {

// Ten entries ten points apart down to `lowest`; none above the largest score.
std::vector<std::pair<std::string, int>> tableWithLowest(int lowest)
{
    std::vector<std::pair<std::string, int>> table;
    for (int i = 0; i < 10; ++i)
        table.emplace_back("Player " + std::to_string(i), std::min(lowest + 10 * (9 - i), 32767));
    return table;
}

} // namespace

class TestLives : public QObject {
    Q_OBJECT

  private slots:
    void init() { ResetForLevels(fx); }
    void cleanup() { fx.tearDown(); }

    // Lives
    // One player, last life: no "die.wav", "Game Over", the score offered.
    void lastLifeEndsTheGame()
    {
        BeginLevel(1);
        auto snake = fx.addHuman(GameFixture::line(10, 1, 0, 1, 5), DirUp); // wall above
        snake->Lives = 1;
        snake->score = 3;
        LeaveOneApple(20, 20);
        ModMain::MoveAll();
        QCOMPARE(snake->Lives, platform::Int16{0});
        QCOMPARE(fx.sound().names(), std::vector<std::string>{"gameover.wav"});
        QVERIFY(!ModMain::GameRunning);
        QCOMPARE(fx.view().firstOutOfOrder({"label Lives1: Lives : 0", "caption Game Over"}), QString());
        QCOMPARE(fx.promptScores, std::vector<int>{3});
        QCOMPARE(snake->body()[0], (Seg{10, 1})); // its body does not shift
        QCOMPARE(ModMain::CountAppleCells(), 1);  // no restart
    }

    // One player with lives left: "die.wav", same map and level, 15 fresh
    // apples placed before the snakes go back to their start squares.
    void lostLifeRestartsTheRound()
    {
        fx.writeMap(2, MapWithWalls({{4, 14}, {10, 4}}, true));
        BeginLevel(2);
        const auto walls = [] {
            auto grid = Map;
            for (auto& column : grid)
                for (auto& cell : column)
                    cell = cell == ModMain::Wall ? 1 : 0;
            return grid;
        };
        const auto wallsBefore = walls();
        const Body crashed = GameFixture::line(10, 5, 0, 1, 8);
        auto snake = fx.addHuman(crashed, DirUp);
        snake->Lives = 3;
        snake->score = 9;
        for (int i = 0; i < 7; ++i)
            Map[20][3 + i] = ModMain::RedApple;
        ModMain::ApplesLeft = 7;
        ModMain::AppleTimer = 50.0;
        // The first apple of the fresh batch lands on the start square (15,28).
        platform::ScriptRandom({at(15), at(28)});

        bool batchChecked = false;
        fx.view().onEvent = [&](const std::string& event) {
            if (event != "label Apple: Apples Left : 15")
                return;
            batchChecked = true;
            QCOMPARE(ModMain::CountAppleCells(), 15);
            // Placed while the snake still lay where it crashed.
            QCOMPARE(snake->body(), crashed);
            for (const Seg& s : crashed)
                QVERIFY(Map[s.x][s.y] < ModMain::GreenApple);
        };
        ModMain::MoveAll();

        QVERIFY(batchChecked);
        QCOMPARE(snake->Lives, platform::Int16{2});
        QCOMPARE(fx.sound().names().front(), std::string("die.wav"));
        QCOMPARE(fx.played("die.wav"), 1);
        QVERIFY(fx.view().find("label Lives1: Lives : 2") >= 0);
        QCOMPARE(ModMain::Level, platform::Int16{2});
        QCOMPARE(walls(), wallsBefore);
        QCOMPARE(snake->score, platform::Int16{9});
        QCOMPARE(ModMain::AppleTimer, 0.0);
        QCOMPARE(fx.time().sleptMs, 1000u);
        QCOMPARE(fx.view().count("caption"), 0);
        // Back on the start square, one step made; the apple there lies under its tail.
        QCOMPARE(snake->body()[0], (Seg{15, 27}));
        QCOMPARE(snake->body().back(), (Seg{15, 28}));
        QCOMPARE(Map[15][28], std::uint8_t{ModMain::GreenApple});
        QVERIFY(GameFixture::applesConsistent());
        QVERIFY(ModMain::GameRunning);
    }

    // Two players: collisions never cost a life or restart the round.
    void twoPlayerCollisionsCostNoLives()
    {
        BeginLevel(1);
        auto one = fx.addHuman(GameFixture::line(5, 1, 0, 1, 4), DirUp); // the border ahead
        auto two = fx.addHuman(Body{{10, 10}, {11, 10}}, DirRight);      // its own neck ahead
        LeaveOneApple(20, 20);
        for (int pass = 0; pass < 6; ++pass)
            ModMain::MoveAll();
        QCOMPARE(one->Lives, platform::Int16{5});
        QCOMPARE(two->Lives, platform::Int16{5});
        QCOMPARE(one->body().size(), std::size_t{2});
        QCOMPARE(one->body()[0], (Seg{5, 1}));
        QCOMPARE(two->body(), (Body{{10, 10}, {11, 10}}));
        QVERIFY(fx.sound().played.empty());
        QCOMPARE(ModMain::CountAppleCells(), 1);
        QVERIFY(ModMain::GameRunning);
    }

    // Scores
    // Entering the table needs more than the lowest entry.
    void topScoreNeedsMoreThanTheLowestEntry_data() { AddTopScoreRuleRows(); }

    void topScoreNeedsMoreThanTheLowestEntry()
    {
        const auto [lowest, score, enters] = Fetch<int, int, bool>("lowest", "score", "enters");
        if (lowest != 0)
            fx.writeScores(tableWithLowest(lowest));
        fx.promptAnswer = "Tester";
        BeginLevel(1);
        auto snake = fx.addHuman(GameFixture::line(10, 10, 0, 1, 3), DirUp);
        snake->score = static_cast<platform::Int16>(score);
        ModMain::GameOver();
        QVERIFY(ModHigh::ScoresLoaded);
        QCOMPARE(fx.promptScores.size(), std::size_t(enters ? 1 : 0));
        if (enters) {
            const auto entry = std::find_if(ModHigh::HighScores.begin(), ModHigh::HighScores.end(),
                                            [](const ModHigh::ScoreEntry& e) { return e.Name == "Tester"; });
            QVERIFY(entry != ModHigh::HighScores.end());
            QCOMPARE(entry->Score, platform::Int16(score));
            QVERIFY(HallOfFame() != nullptr);
            const QByteArray bytes = ReadFileBytes(fx.appDir() + "/scores.dat");
            QCOMPARE(bytes.size(), 2560);
            const auto index = entry - ModHigh::HighScores.begin();
            QCOMPARE(bytes.mid(128 * 2 * index, 8), QByteArray("\x06\x00Tester", 8));
        } else {
            QVERIFY(HallOfFame() == nullptr);
        }
        QVERIFY(fx.scoreErrors.empty());
    }

    // The last green apple's point comes after the check; red points before.
    void lastAppleOfLastLevelAndTheScoreCheck_data()
    {
        // checkedScore: -1: no prompt
        Columns<int, int, int>("cell", "lowest", "checkedScore");
        // The snake has 4 points before its last apple.
        QTest::newRow("green, 4 not above 4") << 2 << 4 << -1;
        QTest::newRow("green, 4 above 3") << 2 << 3 << 4;
        QTest::newRow("red, 9 above 8") << 3 << 8 << 9;
        QTest::newRow("red, 9 not above 9") << 3 << 9 << -1;
    }

    void lastAppleOfLastLevelAndTheScoreCheck()
    {
        const auto [cell, lowest, checkedScore] = Fetch<int, int, int>("cell", "lowest", "checkedScore");
        fx.writeScores(tableWithLowest(lowest));
        auto snake = OneStepFromTheLastApple(fx, 1, cell);
        snake->score = 4;
        ModMain::MoveAll();
        QCOMPARE(fx.promptScores, checkedScore < 0 ? std::vector<int>{} : std::vector<int>{checkedScore});
        QCOMPARE(int(snake->score), 4 + (cell == 2 ? 1 : 5));
        // The full score is shown after all.
        QCOMPARE(fx.view().label(ModMain::StatusLabel::Score1), "Score:" + std::to_string(snake->score));
    }

    // A two-player game makes no score check.
    void twoPlayerGameOverHasNoScoreCheck()
    {
        BeginLevel(1);
        fx.addHuman(GameFixture::line(10, 10, 0, 1, 3), DirUp)->score = 500;
        fx.addHuman(GameFixture::line(20, 10, 0, 1, 3), DirUp)->score = 600;
        ModMain::GameOver();
        QVERIFY(!ModHigh::ScoresLoaded);
        QVERIFY(fx.promptScores.empty());
        QVERIFY(!ModMain::GameRunning);
        QCOMPARE(fx.view().menusIdle, 1);
        QVERIFY(fx.view().titleVisible);
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestLives)
#include "test_lives.moc"
