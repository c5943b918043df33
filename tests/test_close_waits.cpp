// Closing the real game while it waits inside a game or shows a modal box:
// the program always ends at once, whatever it was doing, with status 0 (1
// after a fatal error).
#include "support/MapFiles.h"
#include "support/X11Session.h"

#include <QtTest>

#include <memory>

namespace {

enum class Close { Exit, CloseBox };

constexpr int ExitTimeoutMs = ExitMs;

// Where the level message shows over the field, in the window; only walls lie
// there on the test maps, and the snake stays below it.
const QRect MessageArea(20, 125, 260, 80);

} // namespace

Q_DECLARE_METATYPE(Close)

class TestCloseWaits : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        const QString why = StartX11(X);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }

    void cleanupTestCase() { X.reset(); }

    void closingDuringAWaitEndsTheGame_data()
    {
        QTest::addColumn<QString>("wait");
        QTest::addColumn<Close>("how");
        for (const char* wait : {"new game", "level completed", "next level", "restarted round", "game over"}) {
            QTest::addRow("%s wait, Exit", wait) << QString::fromLatin1(wait) << Close::Exit;
            QTest::addRow("%s wait, close box", wait) << QString::fromLatin1(wait) << Close::CloseBox;
        }
        // The game stands still in a wait of its own while a menu is up.
        QTest::newRow("menu open, close box") << QStringLiteral("menu open") << Close::CloseBox;
        QTest::newRow("menu bar active, Exit") << QStringLiteral("menu bar active") << Close::Exit;
        QTest::newRow("menu bar active, close box") << QStringLiteral("menu bar active") << Close::CloseBox;
    }

    // Exit and the close box end the program at once, also from the one-second
    // waits that handle no events (the request is taken as soon as they end) and
    // from the two-second waits of the level and game-over sequences.
    void closingDuringAWaitEndsTheGame()
    {
        QFETCH(QString, wait);
        QFETCH(Close, how);
        GameFolder folder(QStringLiteral(SNAKE_GAME_DIR));
        QVERIFY(folder.removeMaps());
        folder.remove(QStringLiteral("scores.dat"));
        QVERIFY(folder.writeMap(QStringLiteral("map1.dat"),
                                wait == QLatin1String("restarted round") ? WallAboveStartMap() : ThreeAppleMap()));
        if (wait == QLatin1String("next level"))
            QVERIFY(folder.writeMap(QStringLiteral("map2.dat"), ThreeAppleMap()));
        GameProcess game(*X, folder.executable());
        QVERIFY2(startGame(folder, game), "the game window did not come up");

        const auto sleeping = [&game] { return game.inPlainSleep(); };
        const auto awake = [&game] { return !game.inPlainSleep(); };
        QVERIFY2(GameProcess::waitUntil(sleeping, SlowStepMs), "the new game's one-second wait never came");

        // Each case closes as soon as the game is in the state it names; keys
        // and the close request reach the game in the order they were sent.
        if (wait == QLatin1String("level completed")) {
            // The level is completed two passes after the new game's wait; its
            // message then stays up for two seconds, handling events. The
            // field is read while the game sleeps at its start.
            const auto field = X->areaHash(game.windowId(), MessageArea);
            QVERIFY(field);
            QVERIFY(GameProcess::waitUntil(awake, SlowStepMs));
            const auto messageShown = [&] {
                const auto now = X->areaHash(game.windowId(), MessageArea);
                return now && now != field;
            };
            QVERIFY2(GameProcess::waitUntil(messageShown, SlowStepMs), "the level message never came up");
        } else if (wait == QLatin1String("next level")) {
            QVERIFY(GameProcess::waitUntil(awake, SlowStepMs));
            QVERIFY2(GameProcess::waitUntil(sleeping, SlowStepMs), "the next level's one-second wait never came");
        } else if (wait == QLatin1String("restarted round")) {
            // The first crash follows the new game's wait at once: the next
            // plain sleep is a restarted round's (one of four).
            QVERIFY(GameProcess::waitUntil(awake, SlowStepMs));
            QVERIFY2(GameProcess::waitUntil(sleeping, SlowStepMs), "the restarted round's wait never came");
        } else if (wait == QLatin1String("game over")) {
            // Level 1 is the last: its box is answered, then "Game Over" shows.
            QCOMPARE(X->answerBox(QStringLiteral("Congratulations!")), QString());
            // "Game Over" and its wait follow at once, handling no events before.
            QVERIFY(
                GameProcess::waitUntil([&] { return !X->hasWindow(QStringLiteral("Congratulations!")); }, SlowStepMs));
        } else if (wait.startsWith(QLatin1String("menu"))) {
            QVERIFY(GameProcess::waitUntil(awake, SlowStepMs));
            QVERIFY(X->key(wait == QLatin1String("menu open") ? QStringLiteral("alt Down") : QStringLiteral("alt")));
            if (how == Close::Exit) {
                // The menus take Ctrl+Q while they hold the game: Exit is chosen
                // from them (Up wraps round to it).
                QVERIFY(X->key(QStringLiteral("Down Up Return")));
                QCOMPARE(game.expectCleanExit(ExitTimeoutMs), QString());
                return;
            }
        }
        closeAndExpectStatusZero(game, how);
    }

    void closingDuringAModalBoxEndsTheGame_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("status");
        QTest::newRow("all levels completed") << QStringLiteral("Congratulations!") << 0;
        QTest::newRow("top-score prompt") << QStringLiteral("Congratulations, you have a top score!") << 0;
        QTest::newRow("fatal error") << QStringLiteral("Snake Game") << 1;
    }

    // The close box ends the program while a modal box is up, with status 1
    // after a fatal error; closing is never refused. (Keys go to the box then,
    // so Exit's Ctrl+Q does not reach the menu, as with any modal box.)
    void closingDuringAModalBoxEndsTheGame()
    {
        QFETCH(QString, box);
        QFETCH(int, status);
        GameFolder folder(QStringLiteral(SNAKE_GAME_DIR));
        QVERIFY(folder.removeMaps());
        folder.remove(QStringLiteral("scores.dat"));
        if (box != QLatin1String("Snake Game"))
            QVERIFY(folder.writeMap(QStringLiteral("map1.dat"), ThreeAppleMap()));
        GameProcess game(*X, folder.executable());
        QVERIFY2(startGame(folder, game), "the game window did not come up");

        if (box == QLatin1String("Congratulations, you have a top score!")) {
            // The score of 2 beats the empty table once the game is over.
            QCOMPARE(X->answerBox(QStringLiteral("Congratulations!")), QString());
        }
        const auto shown = X->waitForWindow(box);
        QVERIFY2(shown, qPrintable(QStringLiteral("the box \"%1\" never came").arg(box)));
        QVERIFY(X->requestClose(game.windowId()));
        QVERIFY2(game.waitForExit(ExitTimeoutMs) && !game.crashed(), qPrintable(game.standardError()));
        QCOMPARE(game.exitCode(), status);
    }

  private:
    // Starts the game in the prepared folder and chooses New Game.
    bool startGame(GameFolder& folder, GameProcess& game);
    // Closes the game the chosen way and checks the clean end.
    void closeAndExpectStatusZero(GameProcess& game, Close how);

    std::unique_ptr<X11Session> X;
};

bool TestCloseWaits::startGame(GameFolder& folder, GameProcess& game)
{
    if (!folder.ready() || !game.start())
        return false;
    return X->key(QStringLiteral("F2"));
}

void TestCloseWaits::closeAndExpectStatusZero(GameProcess& game, Close how)
{
    QVERIFY2(game.running(), "the game ended before it was closed");
    if (how == Close::CloseBox)
        QVERIFY(X->requestClose(game.windowId()));
    QCOMPARE(how == Close::Exit ? game.quit(ExitTimeoutMs) : game.expectCleanExit(ExitTimeoutMs), QString());
}

QTEST_MAIN(TestCloseWaits)
#include "test_close_waits.moc"
