// Game controllers: virtual pads plugged into the real window, read the way
// the game reads them, checked on the snakes and the Game menu.
#include "support/VirtualPad.h"
#include "support/WindowFixture.h"

#include "platform/GameControllers.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "window/FrmHigh.h"
#include "window/Gamepad.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

constexpr int Stick = -1; // an input column value: the left stick, not a button

// What a poll finds is handled with the window's other events, as a pass
// does: read, then process events.
void Poll()
{
    platform::PollGameControllers();
    QCoreApplication::processEvents();
}

// `count` pads, plugged in one after the other and seen by the game. Pad i
// is of make i + 1, so that it is known again when plugged in again.
std::vector<std::unique_ptr<VirtualPad>> PlugPads(FrmMain& window, int count)
{
    window.Pads->Start();
    std::vector<std::unique_ptr<VirtualPad>> pads;
    for (int i = 0; i < count; ++i) {
        pads.push_back(std::make_unique<VirtualPad>(static_cast<Uint16>(i + 1)));
        Poll();
    }
    return pads;
}

// Presses a D-pad button (or pushes the stick to x, y) on `pad`, lets the
// game read it, then lets go.
void Steer(VirtualPad& pad, int button, int x = 0, int y = 0)
{
    if (button == Stick)
        pad.stick(x, y);
    else
        pad.press(static_cast<SDL_GameControllerButton>(button));
    Poll();
    if (button == Stick)
        pad.stick(0, 0);
    else
        pad.release(static_cast<SDL_GameControllerButton>(button));
    Poll();
}

// One pad's input in a game of `players`, and what each snake should request.
struct Steering {
    int players, pads;
    int pad;    // the one that steers
    int button; // or Stick, pushed to x, y
    int x, y;
    QList<int> requests;
};

} // namespace

Q_DECLARE_METATYPE(Steering)

class TestGamepad : public QObject {
    Q_OBJECT

  private slots:
    void padsSteerLikeTheArrowKeys_data()
    {
        QTest::addColumn<Steering>("steering");
        const int up = SDL_CONTROLLER_BUTTON_DPAD_UP, down = SDL_CONTROLLER_BUTTON_DPAD_DOWN;
        const int left = SDL_CONTROLLER_BUTTON_DPAD_LEFT, right = SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
        QTest::newRow("1p D-pad up") << Steering{1, 1, 0, up, 0, 0, {-2}};
        QTest::newRow("1p D-pad down") << Steering{1, 1, 0, down, 0, 0, {2}};
        QTest::newRow("1p D-pad left") << Steering{1, 1, 0, left, 0, 0, {-1}};
        QTest::newRow("1p D-pad right") << Steering{1, 1, 0, right, 0, 0, {1}};
        QTest::newRow("1p A button unbound") << Steering{1, 1, 0, int(SDL_CONTROLLER_BUTTON_A), 0, 0, {0}};
        QTest::newRow("1p stick full left") << Steering{1, 1, 0, Stick, -32768, 0, {-1}};
        QTest::newRow("1p stick just past the dead zone") << Steering{1, 1, 0, Stick, 0, 16385, {2}};
        QTest::newRow("1p stick at the dead zone") << Steering{1, 1, 0, Stick, 16384, 0, {0}};
        QTest::newRow("1p stick diagonal inside") << Steering{1, 1, 0, Stick, 16000, -16000, {0}};
        QTest::newRow("1p stick up dominant") << Steering{1, 1, 0, Stick, 20000, -25000, {-2}};
        QTest::newRow("1p stick right dominant") << Steering{1, 1, 0, Stick, 32767, 30000, {1}};
        QTest::newRow("1p right stick unbound") << Steering{1, 1, 0, int(SDL_CONTROLLER_BUTTON_RIGHTSTICK), 0, 0, {0}};
        QTest::newRow("1p second pad steers player one") << Steering{1, 2, 1, left, 0, 0, {-1}};
        QTest::newRow("2p lone pad steers player two") << Steering{2, 1, 0, up, 0, 0, {0, -2}};
        QTest::newRow("2p lone pad's stick") << Steering{2, 1, 0, Stick, -30000, 0, {0, -1}};
        QTest::newRow("2p first pad steers player one") << Steering{2, 2, 0, down, 0, 0, {2, 0}};
        QTest::newRow("2p second pad steers player two") << Steering{2, 2, 1, right, 0, 0, {0, 1}};
        QTest::newRow("2p third pad steers nobody") << Steering{2, 3, 2, left, 0, 0, {0, 0}};
    }

    // The D-pad and the left stick (past half its travel, by its dominant axis)
    // request a direction on the snake the pad belongs to.
    void padsSteerLikeTheArrowKeys()
    {
        QFETCH(Steering, steering);
        WindowFixture f;
        auto plugged = PlugPads(f.window(), steering.pads);
        QCOMPARE(platform::ConnectedPads(), steering.pads);
        SetUpStackedSnakes(steering.players);
        Steer(*plugged[static_cast<std::size_t>(steering.pad)], steering.button, steering.x, steering.y);
        QCOMPARE(Requests(), steering.requests);
    }

    void holdingSendsNothingMore_data()
    {
        QTest::addColumn<bool>("stick");
        QTest::addColumn<bool>("onArrival"); // held before the game sees the pad
        QTest::newRow("D-pad") << false << false;
        QTest::newRow("stick") << true << false;
        QTest::newRow("stick pushed as the pad arrives") << true << true;
    }

    // One request per change of direction: a held D-pad button or a stick that
    // moves within the same direction sends nothing more; a new press does.
    // A stick already pushed when its pad arrives steers only once it moves.
    void holdingSendsNothingMore()
    {
        QFETCH(bool, stick);
        QFETCH(bool, onArrival);
        WindowFixture f;
        auto pads = PlugPads(f.window(), onArrival ? 0 : 1);
        if (onArrival)
            pads.push_back(std::make_unique<VirtualPad>());
        VirtualPad& pad = *pads[0];
        SetUpStackedSnakes(1);
        const auto hold = [&](int depth) {
            if (stick)
                pad.stick(0, depth);
            else
                pad.press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        };
        hold(20000);
        Poll();
        QCOMPARE(Requests(), QList<int>{onArrival ? 0 : 2});
        ModMain::Snakes[0]->dir = 0;
        hold(32767);
        Poll();
        hold(24000);
        Poll();
        QCOMPARE(Requests(), QList<int>{0});
        // Let go, then again: a new request.
        pad.stick(0, 0);
        pad.release(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        Poll();
        QCOMPARE(Requests(), QList<int>{0});
        hold(32767);
        Poll();
        QCOMPARE(Requests(), QList<int>{2});
    }

    void steeringIgnoredWhereKeysAre_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("paused");
        QTest::addColumn<bool>("menuOpen");
        QTest::addColumn<bool>("steers");
        QTest::newRow("running") << true << false << false << true;
        QTest::newRow("paused") << true << true << false << false;
        QTest::newRow("between games") << false << false << false << false;
        QTest::newRow("menu open") << true << false << true << false;
    }

    // No request reaches a snake while paused, between games or while a menu is
    // open, so unpausing resumes with the directions asked before.
    void steeringIgnoredWhereKeysAre()
    {
        QFETCH(bool, running);
        QFETCH(bool, paused);
        QFETCH(bool, menuOpen);
        QFETCH(bool, steers);
        WindowFixture f;
        auto pads = PlugPads(f.window(), 2);
        SetUpStackedSnakes(2, running);
        ModMain::Paused = paused;
        QMenu* menu = f.window().menuBar()->actions().first()->menu();
        if (menuOpen) {
            f.window().menuBar()->setActiveAction(f.window().menuBar()->actions().first());
            QTRY_VERIFY(menu->isVisible());
        }
        Steer(*pads[0], SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        Steer(*pads[1], Stick, 0, 30000);
        QCOMPARE(Requests(), (steers ? QList<int>{-1, 2} : QList<int>{0, 0}));
        if (menuOpen) {
            menu->close();
            QTRY_VERIFY(!menu->isVisible());
        }
    }

    // In a two-player game a pad keeps its player whatever drops out: the
    // other pad stays on its own, a pad plugged in again gets its player back,
    // from a third pad standing in too, so does each in the next game, and
    // nothing pauses. Pads go and come in random order from a printed
    // seed (SNAKE_PAD_SEED varies it).
    void padsKeepTheirPlayersThroughDropouts()
    {
        WindowFixture f;
        auto pads = PlugPads(f.window(), 3);
        const int seed = qEnvironmentVariableIntValue("SNAKE_PAD_SEED");
        qInfo("seed %d", seed);
        QRandomGenerator random(static_cast<quint32>(seed));
        for (int step = 0; step < 40; ++step) {
            SetUpStackedSnakes(2); // each pad steers its player, while it is in
            Steer(*pads[0], SDL_CONTROLLER_BUTTON_DPAD_LEFT);
            Steer(*pads[1], SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
            Steer(*pads[2], SDL_CONTROLLER_BUTTON_DPAD_UP);
            QList<int> requests = Requests();
            for (std::size_t i = 0; i < 2; ++i)
                requests[i] = pads[i]->plugged() ? requests[i] : 0; // the third pad's, if any
            QCOMPARE(requests, QList<int>({pads[0]->plugged() ? -1 : 0, pads[1]->plugged() ? 1 : 0}));
            const auto pad = random.bounded(3);
            if (pads[pad]->plugged())
                pads[pad]->unplug();
            else
                pads[pad] = std::make_unique<VirtualPad>(static_cast<Uint16>(pad + 1));
            Poll();
            if (step % 2 && pads[0]->plugged() && pads[1]->plugged())
                f.window().Pads->GameStarts();
            QVERIFY(!ModMain::Paused && ModMain::GameRunning);
        }
    }

    // A whole game from the pad: Start between games (read by the slow timer)
    // starts it, Start pauses and unpauses, a second pad is unplugged on the way
    // without pausing anything, and Back aborts. Back between games does nothing.
    void startAndBackWorkTheGameMenu()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        auto pads = PlugPads(w, 2);
        VirtualPad& pad = *pads[0];
        pad.press(SDL_CONTROLLER_BUTTON_BACK);
        Poll();
        pad.release(SDL_CONTROLLER_BUTTON_BACK);
        Poll();
        QVERIFY(w.Menu.MenuItemNewGame->isEnabled());
        QVERIFY(w.Menu.MenuItemAbort->isEnabled()); // as at start: nothing aborted

        // Each step acts on the pad, and the next one (some passes later, after
        // the passes have read it) checks what the game made of it.
        struct Step {
            bool paused;
            std::function<void()> act;
        };
        const std::vector<Step> steps{
            {false, [&] { pad.release(SDL_CONTROLLER_BUTTON_START); }},
            {false, [&] { pad.press(SDL_CONTROLLER_BUTTON_START); }},
            {true, [&] { pad.release(SDL_CONTROLLER_BUTTON_START); }},
            {true, [&] { pads[1]->unplug(); }},
            {true, [&] { pad.press(SDL_CONTROLLER_BUTTON_START); }},
            {false, [&] { pad.release(SDL_CONTROLLER_BUTTON_START); }},
            {false, [&] { pad.press(SDL_CONTROLLER_BUTTON_BACK); }},
        };
        std::size_t next = 0;
        int points = 0;
        bool started = false;
        f.time.onProcessEvents = [&] {
            // A paused game sleeps until an event: the slow timer's reading.
            if (f.time.waiting > 0)
                Poll();
            if (!ModMain::GameRunning || ++points % 4 != 0 || next >= steps.size())
                return;
            started = true;
            QVERIFY(!w.Menu.MenuItemNewGame->isEnabled());
            QCOMPARE(ModMain::Paused, steps[next].paused);
            QCOMPARE(w.Menu.MenuItemPause->text(), QString(next < 2 ? "Pause" : next < 5 ? "Unpause" : "Pause"));
            steps[next++].act();
        };
        pad.press(SDL_CONTROLLER_BUTTON_START);
        // No pass runs between games: the slow timer reads the pad. The whole
        // game runs inside this wait.
        QTRY_VERIFY_WITH_TIMEOUT(started && !ModMain::GameRunning, 30000);
        f.time.onProcessEvents = nullptr;
        QCOMPARE(next, steps.size());
        QCOMPARE(platform::ConnectedPads(), 1);
        QCOMPARE(NotIdle(w), QString());
    }

    void startIgnoredUnderAMenuOrDialog_data()
    {
        QTest::addColumn<QString>("over");
        QTest::newRow("nothing") << QString();
        QTest::newRow("open menu") << QStringLiteral("menu");
        QTest::newRow("modal dialog") << QStringLiteral("dialog");
        QTest::newRow("another program active") << QStringLiteral("program");
        QTest::newRow("Hall of Fame active") << QStringLiteral("scores");
    }

    // Where F2 could not reach the menu (a menu open, a modal box such as the
    // name prompt up, another program active), Start starts no game either.
    void startIgnoredUnderAMenuOrDialog()
    {
        QFETCH(QString, over);
        WindowFixture f;
        FrmMain& w = f.window();
        auto pads = PlugPads(w, 1);
        QMenu* menu = w.menuBar()->actions().first()->menu();
        QDialog dialog(&w);
        if (over == "menu") {
            w.menuBar()->setActiveAction(w.menuBar()->actions().first());
            QTRY_VERIFY(menu->isVisible());
        } else if (over == "dialog") {
            dialog.setModal(true);
            dialog.show();
            QVERIFY(QApplication::activeModalWidget() == &dialog);
        } else if (over == "program") {
            QApplication::setActiveWindow(nullptr);
        } else if (over == "scores") {
            OpenHallOfFame(&w);
            QApplication::setActiveWindow(HallOfFame());
        }
        bool started = false;
        f.time.onProcessEvents = [&] {
            if (ModMain::GameRunning) {
                started = true;
                w.MenuItemAbort_Click();
            }
        };
        pads[0]->press(SDL_CONTROLLER_BUTTON_START);
        Poll();
        f.time.onProcessEvents = nullptr;
        QCOMPARE(started, over.isEmpty());
        menu->close();
    }

    // Without a pad nothing wakes the program between games; with one, a slow
    // timer reads it. The layer starts by itself once the window is up.
    void slowTimerRunsOnlyWithAPad()
    {
        WindowFixture f;
        QTRY_VERIFY(platform::PadPolls() > 0);
        QVERIFY(!f.window().Pads->IdlePolling());
        auto pads = PlugPads(f.window(), 1);
        QVERIFY(f.window().Pads->IdlePolling());
        const std::uint64_t polls = platform::PadPolls();
        QTRY_VERIFY(platform::PadPolls() > polls);
        pads[0]->unplug();
        Poll();
        QVERIFY(!f.window().Pads->IdlePolling());
    }

    // A device node appearing (a pad may follow once the system has set it up)
    // runs the slow timer, and the passes' reads, for about two seconds, then
    // they stop again. Without the device folder, its parent is watched till it comes.
    void newDeviceNodeWakesTheSlowTimerForAWhile_data()
    {
        QTest::addColumn<QString>("folder"); // the device folder, made later, or none
        QTest::newRow("device folder") << QString();
        QTest::newRow("no device folder") << QStringLiteral("input");
    }

    void newDeviceNodeWakesTheSlowTimerForAWhile()
    {
        QFETCH(QString, folder);
        WindowFixture f;
        QTemporaryDir devices;
        const QString watched = folder.isEmpty() ? devices.path() : devices.filePath(folder);
        GamepadInput input(f.window(), f.window().Menu, watched);
        input.Start();
        QVERIFY(!input.IdlePolling() && !input.PassPolling());
        // Nothing to read: a game's passes leave the pads alone.
        const std::uint64_t idle = platform::PadPolls();
        platform::PollGameControllersInPass();
        QCOMPARE(platform::PadPolls(), idle);
        if (!folder.isEmpty()) { // as a first pad would make it: that wakes the timer too
            QVERIFY(QDir().mkdir(watched));
            QTRY_VERIFY(input.IdlePolling());
            QTRY_VERIFY_WITH_TIMEOUT(!input.IdlePolling(), 30000);
        }
        QFile node(watched + "/event7");
        QVERIFY(node.open(QIODevice::WriteOnly));
        QTRY_VERIFY(input.IdlePolling() && input.PassPolling());
        const std::uint64_t polls = platform::PadPolls();
        QTRY_VERIFY_WITH_TIMEOUT(!input.IdlePolling(), 30000);
        QVERIFY(!input.PassPolling());
        QVERIFY(platform::PadPolls() >= polls + 6);
    }
};

QTEST_MAIN(TestGamepad)
#include "test_gamepad.moc"
