// Steering from the keyboard: keys delivered to the main window as the
// window system delivers them, checked on the snakes they should reach.
#include "support/DataRows.h"
#include "support/WindowFixture.h"

#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "window/Keyboard.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// A key in a game of `players`, and what each snake should request.
struct KeyCase {
    int players, key, modifiers;
    int scanCode; // xkb key code of the key's place; -1: as the window system sends it
    QList<int> requests;
};

} // namespace

Q_DECLARE_METATYPE(KeyCase)

class TestKeyboard : public QObject {
    Q_OBJECT

  private slots:
    void keysReachTheRightSnake_data()
    {
        QTest::addColumn<KeyCase>("press");
        const int none = Qt::NoModifier, shift = Qt::ShiftModifier;
        QTest::newRow("1p Left") << KeyCase{1, int(Qt::Key_Left), none, -1, {-1}};
        QTest::newRow("1p Up") << KeyCase{1, int(Qt::Key_Up), none, -1, {-2}};
        QTest::newRow("1p keypad Left") << KeyCase{1, int(Qt::Key_Left), int(Qt::KeypadModifier), -1, {-1}};
        QTest::newRow("1p W ignored") << KeyCase{1, int(Qt::Key_W), none, -1, {0}};
        QTest::newRow("1p A ignored") << KeyCase{1, int(Qt::Key_A), none, -1, {0}};
        QTest::newRow("1p S ignored") << KeyCase{1, int(Qt::Key_S), none, -1, {0}};
        QTest::newRow("1p D ignored") << KeyCase{1, int(Qt::Key_D), none, -1, {0}};
        QTest::newRow("2p Left") << KeyCase{2, int(Qt::Key_Left), none, -1, {-1, 0}};
        QTest::newRow("2p A") << KeyCase{2, int(Qt::Key_A), none, -1, {0, -1}};
        QTest::newRow("2p S") << KeyCase{2, int(Qt::Key_S), none, -1, {0, 2}};
        QTest::newRow("2p D") << KeyCase{2, int(Qt::Key_D), none, -1, {0, 1}};
        QTest::newRow("2p Down") << KeyCase{2, int(Qt::Key_Down), none, -1, {2, 0}};
        QTest::newRow("2p W") << KeyCase{2, int(Qt::Key_W), none, -1, {0, -2}};
        QTest::newRow("2p Shift+W") << KeyCase{2, int(Qt::Key_W), shift, -1, {0, -2}};
        QTest::newRow("2p Ctrl+Right") << KeyCase{2, int(Qt::Key_Right), int(Qt::ControlModifier), -1, {1, 0}};
        QTest::newRow("2p Q ignored") << KeyCase{2, int(Qt::Key_Q), none, -1, {0, 0}};
        QTest::newRow("2p Space ignored") << KeyCase{2, int(Qt::Key_Space), none, -1, {0, 0}};
        QTest::newRow("2p digit 8 ignored") << KeyCase{2, int(Qt::Key_8), none, -1, {0, 0}};
        // A layout that types Latin letters steers with W A S D wherever they lie;
        // one that types none (Cyrillic, Greek) steers with the keys in the W A S D
        // places of a US keyboard, as X11 and Wayland report them.
        QTest::newRow("ru: Cyrillic_tse in the W place") << KeyCase{2, 0x0426, none, 25, {0, -2}};
        QTest::newRow("ru: Cyrillic_ef in the A place") << KeyCase{2, 0x0424, none, 38, {0, -1}};
        QTest::newRow("ru: Cyrillic_yeru in the S place") << KeyCase{2, 0x042B, none, 39, {0, 2}};
        QTest::newRow("ru: Cyrillic_ve in the D place") << KeyCase{2, 0x0412, none, 40, {0, 1}};
        QTest::newRow("gr: final sigma in the W place") << KeyCase{2, 0x03A3, none, 25, {0, -2}};
        QTest::newRow("gr: alpha in the A place") << KeyCase{2, 0x0391, none, 38, {0, -1}};
        QTest::newRow("ru: Cyrillic_shorti in the Q place") << KeyCase{2, 0x0419, none, 24, {0, 0}};
        QTest::newRow("ru, one player: A place ignored") << KeyCase{1, 0x0424, none, 38, {0}};
        QTest::newRow("ru: arrow keys") << KeyCase{2, int(Qt::Key_Left), none, 113, {-1, 0}};
        QTest::newRow("fr: Z in the W place") << KeyCase{2, int(Qt::Key_Z), none, 25, {0, 0}};
        QTest::newRow("fr: Q in the A place") << KeyCase{2, int(Qt::Key_Q), none, 38, {0, 0}};
        QTest::newRow("fr: A in the Q place") << KeyCase{2, int(Qt::Key_A), none, 24, {0, -1}};
        QTest::newRow("dvorak: comma in the W place") << KeyCase{2, int(Qt::Key_Comma), none, 25, {0, 0}};
        QTest::newRow("no scan code") << KeyCase{2, 0x0424, none, 0, {0, 0}};
    }

    // Arrow keys steer player one; W A S D steer player two only in a two-player
    // game, with or without Shift; every other key is ignored.
    void keysReachTheRightSnake()
    {
        QFETCH(KeyCase, press);
        WindowFixture f;
        SetUpStackedSnakes(press.players);
        if (press.scanCode < 0) {
            PressKey(f.window(), static_cast<Qt::Key>(press.key), Qt::KeyboardModifiers(press.modifiers));
        } else {
            const int key = press.key;
            const QString text = key > 0xff ? QString(QChar(static_cast<char16_t>(key))).toLower() : QString();
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, static_cast<quint32>(press.scanCode), 0, 0, text);
            QCoreApplication::sendEvent(&f.window(), &event);
        }
        QCOMPARE(Requests(), press.requests);
    }

    void keysIgnoredWhilePausedOrBetweenGames_data()
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
    void keysIgnoredWhilePausedOrBetweenGames()
    {
        QFETCH(bool, running);
        QFETCH(bool, paused);
        QFETCH(bool, steers);
        WindowFixture f;
        SetUpStackedSnakes(2, running);
        ModMain::Paused = paused;
        PressKey(f.window(), Qt::Key_Left);
        PressKey(f.window(), Qt::Key_S);
        QCOMPARE(Requests(), (steers ? QList<int>{-1, 2} : QList<int>{0, 0}));
    }

    void steeringKeysReturnOnlyWhenTheMenuBarIsLeft_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("dir1");
        QTest::addColumn<int>("dir2");
        QTest::newRow("Left") << int(Qt::Key_Left) << -1 << 0;
        QTest::newRow("Down") << int(Qt::Key_Down) << 2 << 0;
        QTest::newRow("A") << int(Qt::Key_A) << 0 << -1;
    }

    // Escape closes an open menu and leaves the bar active, its title marked:
    // the arrow keys and W A S D still belong to the menus. A second Escape
    // gives them back.
    void steeringKeysReturnOnlyWhenTheMenuBarIsLeft()
    {
        QFETCH(int, key);
        QFETCH(int, dir1);
        QFETCH(int, dir2);
        WindowFixture f;
        FrmMain& w = f.window();
        SetUpStackedSnakes(2);
        QMenuBar* bar = w.menuBar();
        const QRect title = bar->actionGeometry(bar->actions().first());
        const QImage idle = bar->grab().toImage().copy(title);
        bar->setActiveAction(bar->actions().first());
        QMenu* open = bar->actions().first()->menu();
        QTRY_VERIFY(open->isVisible());
        QTest::keyClick(open, Qt::Key_Escape);
        QTRY_VERIFY(!open->isVisible());
        QVERIFY(w.MenuKeys.Active());
        QVERIFY2(bar->grab().toImage().copy(title) != idle, "the title looks as when idle");
        PressKey(w, static_cast<Qt::Key>(key));
        QCOMPARE(Requests(), QList<int>({0, 0}));
        PressKeys(w, QStringLiteral("Esc Esc"));
        QVERIFY(!w.MenuKeys.Active());
        PressKey(w, static_cast<Qt::Key>(key));
        QCOMPARE(Requests(), QList<int>({dir1, dir2}));
        QVERIFY(QApplication::focusWidget() != bar);
    }

    void menuBarFromTheKeyboard_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("highlighted"); // title highlighted on the bar
        QTest::addColumn<QString>("open");        // title of the innermost open menu
        AddRow("Alt", "Alt", "Game", "");
        AddRow("F10", "F10", "Game", "");
        AddRow("Alt Alt leaves", "Alt Alt", "", "");
        AddRow("F10 F10 leaves", "F10 F10", "", "");
        AddRow("Alt Right", "Alt Right", "Options", "");
        AddRow("Alt Left wraps", "Alt Left", "Options", "");
        AddRow("Alt Right Down opens", "Alt Right Down", "Options", "Options");
        AddRow("Alt Return opens", "Alt Return", "Game", "Game");
        AddRow("F10 Down opens", "F10 Down", "Game", "Game");
        AddRow("Right in an open menu moves on", "Alt Down Right", "Options", "Options");
        AddRow("Right opens Computer Players", "Alt Right Down Down Down Right", "Options", "Computer Players");
        AddRow("Right opens Speed", "Alt Right Down Down Down Down Right", "Options", "Speed");
        AddRow("Esc closes the submenu only", "Alt Right Down Down Down Right Esc", "Options", "Options");
        AddRow("Esc closes the menu, bar stays", "Alt Down Esc", "Game", "");
        AddRow("second Esc leaves the bar", "Alt Down Esc Esc", "", "");
        AddRow("Esc leaves an active bar", "Alt Right Esc", "", "");
        AddRow("a click on the field leaves the bar", "Alt Right Click", "", "");
        AddRow("away and back ends keyboard mode", "F10 Away", "", "");
        AddRow("away and back, then Esc", "Alt Right Away Esc", "", "");
        AddRow("away and back, Alt twice", "Alt Away Alt Alt", "", "");
        AddRow("away and back, Alt", "F10 Away Alt", "Game", "");
        // Qt clears the title and leaves the bar the keyboard.
        AddRow("the pointer clears the title, Alt again", "Alt Bar Alt", "Game", "");
        AddRow("a click clears the title, F10 again", "F10 BarClick F10", "Game", "");
        AddRow("a resize clears the title, Alt again", "Alt Resize Alt", "Game", "");
    }

    // Alt alone and F10 activate the bar with "Game" highlighted; Left/Right
    // walk the titles, Down or Return open, Right opens a submenu, Escape closes
    // one level at a time. No arrow reaches a snake while the bar is active,
    // and the highlighted title is drawn marked. Leaving the window ends the
    // bar's keyboard mode.
    void menuBarFromTheKeyboard()
    {
        QFETCH(QString, keys);
        QFETCH(QString, highlighted);
        QFETCH(QString, open);
        WindowFixture f;
        FrmMain& w = f.window();
        SetUpStackedSnakes(2);
        QMenuBar* bar = w.menuBar();
        const QImage idle = bar->grab().toImage();
        PressKeys(w, keys);
        QAction* active = bar->activeAction();
        QCOMPARE(active ? active->text() : QString(), highlighted);
        if (active) {
            const QRect title = bar->actionGeometry(active);
            QVERIFY2(bar->grab().toImage().copy(title) != idle.copy(title), "the title looks as when idle");
        }
        const auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QCOMPARE(popup ? popup->title() : QString(), open);
        const bool menus = !highlighted.isEmpty() || !open.isEmpty();
        QCOMPARE(w.MenuKeys.Active(), menus);
        QCOMPARE(Requests(), QList<int>({0, 0}));
        // The steering keys reach the snakes again only once the bar is left.
        PressKey(w, Qt::Key_Up);
        PressKey(w, Qt::Key_D);
        QCOMPARE(Requests(), (menus ? QList<int>{0, 0} : QList<int>{-2, 1}));
    }

    void titleFromTheKeyboardIsMarkedOnEveryStyle_data()
    {
        QTest::addColumn<QString>("style");
        for (const QString& style : QStyleFactory::keys())
            QTest::newRow(qPrintable(style)) << style;
    }

    // Whatever the style, the title Alt selects looks selected.
    void titleFromTheKeyboardIsMarkedOnEveryStyle()
    {
        QFETCH(QString, style);
        const auto restore = qScopeGuard([name = QApplication::style()->name()] { QApplication::setStyle(name); });
        QApplication::setStyle(style);
        WindowFixture f;
        QMenuBar* bar = f.window().menuBar();
        const QRect title = bar->actionGeometry(bar->actions().first());
        const QImage idle = bar->grab().toImage().copy(title);
        PressKeys(f.window(), QStringLiteral("Alt"));
        QVERIFY(f.window().MenuKeys.Active());
        QVERIFY(bar->grab().toImage().copy(title) != idle);
    }

    void keyboardChoicesDoWhatClicksDo_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("players");
        QTest::addColumn<int>("computers");
        QTest::addColumn<int>("delay");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<bool>("starts"); // a game ran with these settings
        QTest::newRow("Two Player") << "Alt Right Down Down Return" << 2 << 0 << 90 << true << false;
        QTest::newRow("Computer Players 3")
            << "Alt Right Down Down Down Right Down Down Down Return" << 1 << 3 << 90 << true << false;
        QTest::newRow("Speed Fastest") << "Alt Right Down Up Up Right Up Return" << 1 << 0 << 0 << true << false;
        QTest::newRow("Sound off") << "F10 Right Down Up Return" << 1 << 0 << 90 << false << false;
        QTest::newRow("New Game from the menu") << "Alt Return Return" << 1 << 0 << 90 << true << true;
        QTest::newRow("2 players, 4 computers, F2")
            << "Alt Right Down Down Return Alt Right Down Down Down Right Down Down Down Down Return F2" << 2 << 4 << 90
            << true << true;
        // The menus take the keys: no shortcut acts behind them.
        QTest::newRow("F2 under the bar") << "F10 F2 Esc" << 1 << 0 << 90 << true << false;
        QTest::newRow("F2 under an open menu") << "Alt Down F2 Esc Esc" << 1 << 0 << 90 << true << false;
        QTest::newRow("F3, F4 under the bar") << "Alt F3 F4 Esc" << 1 << 0 << 90 << true << false;
    }

    // Entries chosen with the arrows and Return do what a click does, and the
    // game they start runs (no menu is left holding it).
    void keyboardChoicesDoWhatClicksDo()
    {
        QFETCH(QString, keys);
        QFETCH(int, players);
        QFETCH(int, computers);
        QFETCH(int, delay);
        QFETCH(bool, sound);
        QFETCH(bool, starts);
        WindowFixture f;
        FrmMain& w = f.window();
        std::size_t humans = 0, computerSnakes = 0;
        int passes = 0;
        f.time.onProcessEvents = [&] {
            if (!ModMain::GameRunning)
                return;
            humans = ModMain::Snakes.size();
            computerSnakes = ModMain::ComSnakes.size();
            if (++passes == 10)
                w.Menu.MenuItemAbort->trigger();
        };
        PressKeys(w, keys);
        QCOMPARE(ModMain::NumPlayers, players);
        QCOMPARE(ModMain::NumComPlayers, computers);
        QCOMPARE(ModMain::SpeedDelay, delay);
        QCOMPARE(ModMain::SoundOn, sound);
        QCOMPARE(w.Menu.MenuItemTwoPlayer->isChecked(), players == 2);
        QVERIFY(w.Menu.mnipc[computers]->isChecked());
        QCOMPARE(passes >= 10, starts);
        QVERIFY(!ModMain::Paused);
        QCOMPARE(w.Menu.MenuItemAbort->isEnabled(), !starts); // enabled at start, disabled after a game
        if (starts) {
            QCOMPARE(humans, std::size_t(players));
            QCOMPARE(computerSnakes, std::size_t(computers));
            QVERIFY(!ModMain::GameRunning);
        }
        QVERIFY(!w.MenuKeys.Active());
    }

    void openMenuStopsTheGameUntilItCloses_data()
    {
        QTest::addColumn<QString>("keys"); // "click" opens Game with the mouse
        QTest::newRow("menu opened with Alt Down") << "Alt Down";
        QTest::newRow("bar active after F10") << "F10";
        QTest::newRow("submenu open") << "Alt Right Down Down Down Down Right";
        QTest::newRow("menu opened with the mouse") << "click";
    }

    // Under an open menu or an active bar no pass runs: no move, no apple-timer
    // tick, no frame, however long it stays open. Once it closes, passes come
    // at the usual pace again, one frame per pass.
    void openMenuStopsTheGameUntilItCloses()
    {
        QFETCH(QString, keys);
        WindowFixture f;
        FrmMain& w = f.window();
        enum class Stage { Playing, Open, Closed } stage = Stage::Playing;
        int points = 0, heldPoints = 0, framesAtOpen = 0, framesAtClose = 0;
        std::uint32_t closedAt = 0;
        double timerAtOpen = 0;
        Snake::Segment headAtOpen{};
        bool ranWhileOpen = false;
        f.playGame(
            [&] {
                if (!ModMain::GameRunning)
                    return;
                switch (stage) {
                case Stage::Playing:
                    if (++points < 6)
                        return;
                    stage = Stage::Open;
                    framesAtOpen = f.frames();
                    timerAtOpen = ModMain::AppleTimer;
                    headAtOpen = ModMain::Snakes[0]->body()[0];
                    if (keys == QLatin1String("click")) {
                        QMenuBar* bar = w.menuBar();
                        QTest::mouseClick(bar, Qt::LeftButton, {},
                                          bar->actionGeometry(bar->actions().first()).center());
                    } else {
                        PressKeys(w, keys);
                    }
                    QVERIFY(w.MenuKeys.Active());
                    return;
                case Stage::Open:
                    if (f.frames() != framesAtOpen || ModMain::AppleTimer != timerAtOpen ||
                        ModMain::Snakes[0]->body()[0] != headAtOpen)
                        ranWhileOpen = true;
                    f.time.advance(100);
                    if (++heldPoints == 30) {
                        for (int i = 0; i < 3 && w.MenuKeys.Active(); ++i)
                            PressKeys(w, QStringLiteral("Esc"));
                        QVERIFY(!w.MenuKeys.Active());
                        stage = Stage::Closed;
                        framesAtClose = f.frames();
                        closedAt = f.time.now;
                    }
                    return;
                case Stage::Closed:
                    if (ModMain::GameRunning && f.time.now - closedAt >= 10u * ModMain::SpeedDelay)
                        w.Menu.MenuItemAbort->trigger();
                    return;
                }
            },
            400);
        QVERIFY(!f.hitLimit);
        QVERIFY(!ranWhileOpen);
        QCOMPARE(heldPoints, 30);
        // Ten passes' worth of the clock, counted by the clock: a slow machine
        // may handle more events per pass, so processing points are no measure.
        QVERIFY2(std::abs(f.frames() - framesAtClose - 10) <= 1,
                 qPrintable(QString::number(f.frames() - framesAtClose)));
    }

    // A key that arrives while the setup is still running (no game yet) stays
    // queued and steers once the main loop processes events.
    void keyQueuedBeforeTheLoopStartsIsAppliedOnceItRuns()
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
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
