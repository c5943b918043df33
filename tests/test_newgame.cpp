// Setting up a new game: snakes on their start squares, the first batch of
// apples, the labels, the first move, and the hand-over to the main loop.
#include "flow/GameFlow.h"
#include "support/GameTest.h"

namespace {

// What the first frame of a new game shows.
struct FirstFrame {
    std::vector<std::shared_ptr<Snake>> humans, computers;
    std::vector<Body> humanBodies, computerBodies;
    bool comOn = false, paused = true;
    int appleCells = -1, applesLeft = -1, level = -1;
    double timer = -1;
};

struct LoopStarted {};

bool nextTo(Seg a, Seg b)
{
    return std::abs(a.x - b.x) + std::abs(a.y - b.y) <= 1;
}

} // namespace

class TestNewGame : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(GameFixture::FirstMap::Bordered); }
    void cleanup() { fx.tearDown(); }

    // One player: a snake at (15,28) that has made its first step, no computer
    // snakes, 15 apples, "Apples Left : 15", fresh labels and level 1.
    void onePlayerGameStarts()
    {
        ModMain::Level = 7;
        ModMain::AppleTimer = 55.0;
        const FirstFrame first = runNewGame();
        QCOMPARE(first.humans.size(), std::size_t{1});
        QVERIFY(first.computers.empty());
        QVERIFY(!first.comOn);
        const Body& body = first.humanBodies[0];
        QCOMPARE(body[0], (Seg{15, 27}));
        for (std::size_t i = 1; i < body.size(); ++i)
            QCOMPARE(body[i], (Seg{15, 28}));
        // The fixture's clock and seed fix the batch: no apple lies on (15,27).
        QCOMPARE(first.appleCells, 15);
        QCOMPARE(body.size(), std::size_t{10});
        QCOMPARE(first.applesLeft, first.appleCells);
        QCOMPARE(first.level, 1);
        QCOMPARE(first.timer, 0.0);
        QCOMPARE(first.humans[0]->Lives, platform::Int16{5});
        QVERIFY(!first.humans[0]->IsComputer);

        const int title = fx.view().find("title hidden");
        QVERIFY(title >= 0);
        // The last apples text before the title goes is the full batch.
        int lastApples = -1;
        for (int i = fx.view().find("label Apple"); i >= 0 && i < title; i = fx.view().find("label Apple", i + 1))
            lastApples = i;
        QCOMPARE(fx.view().events[lastApples], std::string("label Apple: Apples Left : 15"));
        QVERIFY(fx.view().find("label Score1: Score:0") < title);
        QVERIFY(fx.view().find("label Lives1: Lives : 5") < title);
        QCOMPARE(fx.view().find("label Score2"), -1);
        QCOMPARE(fx.view().find("label Lives2"), -1);
        QVERIFY(!fx.view().twoPlayerLayout);
    }

    // Two players and four computers: (10,28), (20,28), and row 1 columns
    // 2..28 heading down, each already one step on.
    void twoPlayersAndFourComputersStart()
    {
        ModMain::NumPlayers = 2;
        ModMain::NumComPlayers = 4;
        for (int game = 0; game < 25; ++game) {
            fx.view().events.clear();
            const FirstFrame first = runNewGame();
            QCOMPARE(first.humans.size(), std::size_t{2});
            QCOMPARE(first.computers.size(), std::size_t{4});
            QVERIFY(first.comOn);
            QVERIFY(fx.view().twoPlayerLayout);
            const std::array<Seg, 2> starts{Seg{10, 28}, Seg{20, 28}};
            for (std::size_t i = 0; i < 2; ++i) {
                const Body& body = first.humanBodies[i];
                // Heading up; only the other human could be in the way, and isn't.
                QCOMPARE(body[0], (Seg{starts[i].x, 27}));
                QCOMPARE(body.back(), starts[i]);
                QVERIFY(first.humans[i]->Colour >= 0 && first.humans[i]->Colour <= 4);
                QVERIFY(!first.humans[i]->IsComputer);
            }
            for (std::size_t i = 0; i < 4; ++i) {
                const Body& body = first.computerBodies[i];
                const Seg start = body.back();
                QCOMPARE(int(start.y), 1);
                QVERIFY2(start.x >= 2 && start.x <= 28, qPrintable(QString::number(start.x)));
                // One step from the start square at most (or blocked and shrunk).
                QVERIFY(nextTo(body[0], start));
                for (std::size_t k = 1; k < body.size(); ++k)
                    QCOMPARE(body[k], start);
                QVERIFY(body.size() >= 9);
                QVERIFY(first.computers[i]->IsComputer);
                QVERIFY(first.computers[i]->Colour >= 0 && first.computers[i]->Colour <= 4);
                QCOMPARE(first.computers[i]->Lives, platform::Int16{5});
            }
            QCOMPARE(first.applesLeft, first.appleCells);
            QVERIFY(first.appleCells >= 9 && first.appleCells <= 15);
            QCOMPARE(fx.view().find("label Score2: Score:0") >= 0, true);
            QCOMPARE(fx.view().find("label Lives2: Lives : 5") >= 0, true);
        }
    }

    // Setup order: title hidden, first frame, one silent second, the sound, the loop.
    void setupShowsOneFrameThenWaitsSilently()
    {
        int sleepsAtLoopStart = -1;
        fx.time().onProcessEvents = [&] {
            if (ModMain::GameRunning && sleepsAtLoopStart < 0) {
                sleepsAtLoopStart = fx.time().sleeps;
                ModMain::AbortGame();
            }
        };
        int eventsAtFirstFrame = -1;
        int newGameSoundsAtFirstFrame = -1;
        fx.view().onPresentFrame = [&] {
            if (eventsAtFirstFrame >= 0)
                return;
            eventsAtFirstFrame = fx.time().processEventsCalls;
            newGameSoundsAtFirstFrame = fx.played("newgame.wav");
        };
        ModMain::NewGame();
        // Events were processed once in the setup, inside the lives label refresh.
        QCOMPARE(eventsAtFirstFrame, 1);
        // The first frame, then one second without processing events, then
        // "newgame.wav" once, then the loop.
        QCOMPARE(newGameSoundsAtFirstFrame, 0);
        QCOMPARE(sleepsAtLoopStart, 1);
        QCOMPARE(fx.time().sleptMs, 1000u);
        QCOMPARE(fx.played("newgame.wav"), 1);
        QVERIFY(fx.view().find("title hidden") < fx.view().find("frame"));
        QCOMPARE(fx.view().count("frame"), 2); // the setup's frame and one pass
    }

    // A new game after a paused, aborted one runs unpaused with "Pause".
    void newGameAfterPausedAbortClearsThePause()
    {
        // The first game is paused and then aborted from inside its loop.
        fx.time().onProcessEvents = [&] {
            if (!ModMain::GameRunning)
                return;
            ModMain::Paused = true;
            fx.view().SetMessageCaption("Paused");
            fx.view().SetMessageVisible(true);
            fx.view().SetPauseCaption("Resume");
            ModMain::AbortGame();
        };
        ModMain::NewGame();
        QVERIFY(ModMain::Paused);

        fx.view().events.clear();
        const FirstFrame first = runNewGame(2);
        QVERIFY(!first.paused);
        QVERIFY(!ModMain::Paused);
        QVERIFY(!fx.view().messageVisible);
        QCOMPARE(fx.view().pauseCaption, std::string("Pause"));
        QVERIFY(fx.view().find("message hidden") < fx.view().find("frame"));
        // The loop really ran unpaused: two more steps after the setup's one.
        QCOMPARE(first.humans[0]->body()[0], (Seg{15, 25}));
    }

    // A game without computer players after one with some has them switched off.
    void noComputersAfterAGameWithSome()
    {
        ModMain::NumComPlayers = 3;
        const FirstFrame withComputers = runNewGame();
        QVERIFY(withComputers.comOn);
        QCOMPARE(withComputers.computers.size(), std::size_t{3});
        QVERIFY(ModMain::ComSnakes.empty());
        QVERIFY(ModMain::ComSnakesOn);
        std::vector<Body> whenReleased;
        for (const auto& s : withComputers.computers)
            whenReleased.push_back(s->body());

        ModMain::NumComPlayers = 0;
        const FirstFrame without = runNewGame();
        QVERIFY(!without.comOn);
        QVERIFY(without.computers.empty());
        // The old computer snakes did not move in the new game.
        for (std::size_t i = 0; i < 3; ++i)
            QCOMPARE(withComputers.computers[i]->body(), whenReleased[i]);
    }

    // Abort during the loop ends the game after that pass; NewGame returns.
    void abortInTheLoopEndsNewGame()
    {
        const FirstFrame first = runNewGame(3);
        QVERIFY(!ModMain::GameRunning);
        QCOMPARE(fx.view().frames, 4); // the setup's frame and three passes
        QVERIFY(fx.view().titleVisible);
        QVERIFY(ModMain::Snakes.empty());
        QCOMPARE(first.humans[0]->body()[0], (Seg{15, 24}));
    }

    // A game that ended inside the setup (Abort in the lives label refresh, or
    // every life lost on a blocked start square) never starts its loop.
    void gameEndedInTheSetupNeverStartsItsLoop_data()
    {
        QTest::addColumn<bool>("abort");
        QTest::newRow("abort in the setup") << true;
        QTest::newRow("map1.dat with a wall above the start") << false;
    }

    void gameEndedInTheSetupNeverStartsItsLoop()
    {
        QFETCH(bool, abort);
        if (!abort)
            fx.writeMap(1, MapWithWalls({{15, 27}}, true));
        bool loopStarted = false;
        fx.time().onProcessEvents = [&] {
            if (ModMain::GameRunning) {
                loopStarted = true;
                // The ended game would run on: stop it however deep it is.
                throw LoopStarted{};
            }
            if (abort && fx.time().processEventsCalls == 1)
                ModMain::AbortGame();
        };
        try {
            ModMain::NewGame();
        } catch (const LoopStarted&) {
        }
        QVERIFY(!loopStarted);
        QVERIFY(!ModMain::GameRunning);
        QVERIFY(ModMain::Snakes.empty());
        QVERIFY(fx.view().titleVisible);
        QCOMPARE(fx.played("newgame.wav"), 0);
        QCOMPARE(fx.played("die.wav"), abort ? 0 : 4);
        QCOMPARE(fx.played("gameover.wav"), abort ? 0 : 1);
        QCOMPARE(fx.view().count("caption Game Over"), abort ? 0 : 1);
        QCOMPARE(fx.view().find("label Lives1: Lives : -"), -1);
        QCOMPARE(fx.view().menusIdle, abort ? 0 : 1); // after an abort the window sets them
        QVERIFY(fx.promptScores.size() <= 1);
    }

    // A missing map1.dat stops the program with a message.
    void missingFirstMapIsFatal()
    {
        QFile::remove(fx.appDir() + "/map1.dat");
        try {
            ModMain::NewGame();
            QFAIL("a new game without map1.dat must stop");
        } catch (const FatalMessage& e) {
            QVERIFY2(QString(e.what()).contains("file not found"), e.what());
            QVERIFY2(QString(e.what()).contains("map1.dat"), e.what());
        }
        QVERIFY(!ModMain::GameRunning);
    }

  private:
    // Runs NewGame to its end; the first frame is recorded and the game is
    // aborted at the loop's first chance (after `passes` passes).
    FirstFrame runNewGame(int passes = 1);

    GameFixture fx;
};

FirstFrame TestNewGame::runNewGame(int passes)
{
    FirstFrame first;
    bool seen = false;
    fx.view().onPresentFrame = [&] {
        if (seen)
            return;
        seen = true;
        first.humans = ModMain::Snakes;
        first.computers = ModMain::ComSnakes;
        for (const auto& s : ModMain::Snakes)
            first.humanBodies.push_back(s->body());
        for (const auto& s : ModMain::ComSnakes)
            first.computerBodies.push_back(s->body());
        first.comOn = ModMain::ComSnakesOn;
        first.appleCells = ModMain::CountAppleCells();
        first.applesLeft = ModMain::ApplesLeft;
        first.level = ModMain::Level;
        first.timer = ModMain::AppleTimer;
        first.paused = ModMain::Paused;
    };
    int loopEvents = 0;
    fx.time().onProcessEvents = [&] {
        if (ModMain::GameRunning && ++loopEvents == 2 * passes - 1)
            ModMain::AbortGame();
    };
    ModMain::NewGame();
    fx.view().onPresentFrame = nullptr;
    fx.time().onProcessEvents = nullptr;
    return first;
}

QTEST_MAIN(TestNewGame)
#include "test_newgame.moc"
