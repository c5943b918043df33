// Steering from the keyboard: keys delivered to the main window as the
// window system delivers them, checked on the snakes they should reach.
#include "support/WindowFixture.h"

#include "game/ModMain.h"
#include "snake/Snake.h"
#include "window/Keyboard.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include <memory>


class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void keysReachTheRightSnake_data();
    void keysReachTheRightSnake();
    void keysIgnoredWhilePausedOrBetweenGames_data();
    void keysIgnoredWhilePausedOrBetweenGames();
    void steeringKeysPassTheMenuBarAfterAMenuIsClosed_data();
    void steeringKeysPassTheMenuBarAfterAMenuIsClosed();
    void keyQueuedBeforeTheLoopStartsIsAppliedOnceItRuns();
};

void TestKeyboard::keysReachTheRightSnake_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("dir1"); // expected request of player one
    QTest::addColumn<int>("dir2"); // and of player two
    const int none = Qt::NoModifier, shift = Qt::ShiftModifier;
    QTest::newRow("1p Left") << 1 << int(Qt::Key_Left) << none << -1 << 0;
    QTest::newRow("1p Up") << 1 << int(Qt::Key_Up) << none << -2 << 0;
    QTest::newRow("1p keypad Left") << 1 << int(Qt::Key_Left) << int(Qt::KeypadModifier) << -1 << 0;
    QTest::newRow("1p W ignored") << 1 << int(Qt::Key_W) << none << 0 << 0;
    QTest::newRow("1p A ignored") << 1 << int(Qt::Key_A) << none << 0 << 0;
    QTest::newRow("1p S ignored") << 1 << int(Qt::Key_S) << none << 0 << 0;
    QTest::newRow("1p D ignored") << 1 << int(Qt::Key_D) << none << 0 << 0;
    QTest::newRow("2p Left") << 2 << int(Qt::Key_Left) << none << -1 << 0;
    QTest::newRow("2p A") << 2 << int(Qt::Key_A) << none << 0 << -1;
    QTest::newRow("2p S") << 2 << int(Qt::Key_S) << none << 0 << 2;
    QTest::newRow("2p D") << 2 << int(Qt::Key_D) << none << 0 << 1;
    QTest::newRow("2p Down") << 2 << int(Qt::Key_Down) << none << 2 << 0;
    QTest::newRow("2p W") << 2 << int(Qt::Key_W) << none << 0 << -2;
    QTest::newRow("2p Shift+W") << 2 << int(Qt::Key_W) << shift << 0 << -2;
    QTest::newRow("2p Ctrl+Right") << 2 << int(Qt::Key_Right) << int(Qt::ControlModifier) << 1 << 0;
    QTest::newRow("2p Q ignored") << 2 << int(Qt::Key_Q) << none << 0 << 0;
    QTest::newRow("2p Space ignored") << 2 << int(Qt::Key_Space) << none << 0 << 0;
    QTest::newRow("2p digit 8 ignored") << 2 << int(Qt::Key_8) << none << 0 << 0;
}

// Arrow keys steer player one; W A S D steer player two only in a two-player
// game, with or without Shift; every other key is ignored.
void TestKeyboard::keysReachTheRightSnake()
{
    QFETCH(int, players);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, dir1);
    QFETCH(int, dir2);
    WindowFixture f;
    SetUpStackedSnakes(players);
    ModMain::GameRunning = true;
    PressKey(f.window(), static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(int(ModMain::Snakes[0]->dir), dir1);
    if (players == 2)
        QCOMPARE(int(ModMain::Snakes[1]->dir), dir2);
}

void TestKeyboard::keysIgnoredWhilePausedOrBetweenGames_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<bool>("steers");
    QTest::newRow("running") << true << false << true;
    QTest::newRow("paused") << true << true << false;
    QTest::newRow("between games") << false << false << false;
    QTest::newRow("paused between games") << false << true << false;
}

// No request reaches a snake while paused or while no game runs.
void TestKeyboard::keysIgnoredWhilePausedOrBetweenGames()
{
    QFETCH(bool, running);
    QFETCH(bool, paused);
    QFETCH(bool, steers);
    WindowFixture f;
    SetUpStackedSnakes(2);
    ModMain::GameRunning = running;
    ModMain::Paused = paused;
    PressKey(f.window(), Qt::Key_Left);
    PressKey(f.window(), Qt::Key_S);
    QCOMPARE(int(ModMain::Snakes[0]->dir), steers ? -1 : 0);
    QCOMPARE(int(ModMain::Snakes[1]->dir), steers ? 2 : 0);
}

void TestKeyboard::steeringKeysPassTheMenuBarAfterAMenuIsClosed_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("dir1");
    QTest::addColumn<int>("dir2");
    QTest::newRow("Left") << int(Qt::Key_Left) << -1 << 0;
    QTest::newRow("Down") << int(Qt::Key_Down) << 2 << 0;
    QTest::newRow("A") << int(Qt::Key_A) << 0 << -1;
}

// Closing a menu with Escape leaves the menu bar in keyboard mode; the
// arrow keys and W A S D must still steer instead of walking the menu bar.
void TestKeyboard::steeringKeysPassTheMenuBarAfterAMenuIsClosed()
{
    QFETCH(int, key);
    QFETCH(int, dir1);
    QFETCH(int, dir2);
    WindowFixture f;
    FrmMain& w = f.window();
    SetUpStackedSnakes(2);
    ModMain::GameRunning = true;
    QMenuBar* bar = w.menuBar();
    bar->setActiveAction(bar->actions().first());
    QMenu* open = bar->actions().first()->menu();
    QTRY_VERIFY(open->isVisible());
    QTest::keyClick(open, Qt::Key_Escape);
    QTRY_VERIFY(!open->isVisible());
    PressKey(w, static_cast<Qt::Key>(key));
    QCOMPARE(int(ModMain::Snakes[0]->dir), dir1);
    QCOMPARE(int(ModMain::Snakes[1]->dir), dir2);
    QVERIFY(!bar->activeAction() || !bar->activeAction()->menu()->isVisible());
    QVERIFY(QApplication::focusWidget() != bar);
}

// A key that arrives while the setup is still running (no game yet) stays
// queued and steers once the main loop processes events.
void TestKeyboard::keyQueuedBeforeTheLoopStartsIsAppliedOnceItRuns()
{
    WindowFixture f;
    FrmMain& w = f.window();
    bool posted = false;
    bool seenRunning = false;
    f.playGame([&] {
        if (!posted && !ModMain::Snakes.empty() && !ModMain::GameRunning) {
            posted = true;
            // Posted, not sent: handled at the next event-processing point.
            QCoreApplication::postEvent(
                &w, std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier).release());
            QCOMPARE(int(ModMain::Snakes[0]->dir), -2);
        } else if (posted && ModMain::GameRunning && !seenRunning) {
            seenRunning = true;
            QCOMPARE(int(ModMain::Snakes[0]->dir), 1);
            w.Menu.MenuItemAbort->trigger();
        }
    });
    QVERIFY(posted);
    QVERIFY(seenRunning);
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
