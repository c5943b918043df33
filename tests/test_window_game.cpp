// The main window while games run: labels, layout, speed changes, frames on
// screen, and New Game or Abort chosen while a game starts or unwinds.
#include "support/MapFiles.h"
#include "support/TableColumns.h"
#include "support/VirtualPad.h"
#include "support/WindowFixture.h"

#include "platform/GameControllers.h"
#include "platform/Surface.h"
#include "platform/WindowSystem.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "window/ClientArea.h"
#include "window/Gamepad.h"
#include "window/Zoom.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>
#include <QtTest>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

// What the window system shows at a point of the client area, read back
// from the window's flushed pixels, not from the widget.
QRgb ShownPixel(FrmMain& w, QPoint clientPoint)
{
    const QPoint at = w.Client->mapTo(&w, clientPoint);
    const QImage shown = w.windowHandle()->screen()->grabWindow(w.winId()).toImage();
    return shown.pixel(at) & 0xffffffu;
}

// What the window system shows of the client area (see ShownPixel).
QImage ShownClient(FrmMain& w)
{
    const QRect client(w.Client->mapTo(&w, QPoint(0, 0)), w.Client->size());
    return w.windowHandle()
        ->screen()
        ->grabWindow(w.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32)
        .copy(client);
}

// Clears every apple and puts one green apple at (x, y): the next snake to
// enter that square completes the level.
void LeaveOneApple(int x, int y)
{
    ModMain::ClearApples();
    ModMain::Map[x][y] = ModMain::GreenApple;
    ModMain::ApplesLeft = 1;
}

} // namespace

using Fills = std::vector<std::pair<QRect, QRgb>>;

class TestWindowGame : public QObject {
    Q_OBJECT

  public:
    // As the game starts: on X11 the platform it asks for, and Qt's settings.
    static void initMain() { platform::ChooseQtPlatform(); }

  private slots:
    // One-player game: "Apples Left : 15", "Score:0", "Lives : 5"; player two's
    // labels keep the texts they start with; title hidden, menus in game; the largest
    // score fits; back to idle after Abort with the last values kept.
    void onePlayerGameWritesPlayerOneLabelsOnly()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        QVERIFY(f.checkRunningGame([&] {
            // The fixture's clock and seed fix the batch: nothing eaten yet.
            QCOMPARE(ModMain::ApplesLeft, platform::Int16{15});
            QCOMPARE(ModMain::Snakes[0]->score, platform::Int16{0});
            QCOMPARE(w.LblApple->text(), QStringLiteral("Apples Left : %1").arg(ModMain::ApplesLeft));
            QCOMPARE(w.LblScore1->text(), QStringLiteral("Score:%1").arg(ModMain::Snakes[0]->score));
            QCOMPARE(w.LblLives1->text(), QStringLiteral("Lives : 5"));
            QCOMPARE(w.LblScore2->text(), QStringLiteral("Score : 0"));
            QCOMPARE(w.LblLives2->text(), QStringLiteral("Lives : 5"));
            QVERIFY(!w.PicStartup->isVisible());
            QVERIFY(!w.Label1->isVisible());
            QCOMPARE(w.Menu.MenuItemPause->text(), QStringLiteral("Pause"));
            QVERIFY(!w.Menu.MenuItemNewGame->isEnabled());
            QVERIFY(w.Menu.MenuItemAbort->isEnabled());
            QCOMPARE(w.Client->size(), QSize(330, 344));
            // The largest 16-bit score appears in full.
            ModMain::Snakes[0]->score = 32767;
            ModMain::UpdateScoreLabels();
            QCOMPARE(w.LblScore1->text(), QStringLiteral("Score:32767"));
            QVERIFY(w.LblScore1->fontMetrics().horizontalAdvance(w.LblScore1->text()) <= w.LblScore1->width());
        }));
        QCOMPARE(NotIdle(w), QString());
        QCOMPARE(w.LblScore1->text(), QStringLiteral("Score:32767"));
    }

    // Two players: client 330 x 388 with player two's rows written; the next
    // one-player game goes back to 344 and leaves player two's labels alone.
    void twoPlayerGameShowsBothRowsAt388()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        const int windowHeight = w.height();
        w.Menu.MenuItemTwoPlayer->trigger();
        QVERIFY(f.checkRunningGame([&] {
            QCOMPARE(w.Client->size(), QSize(330, 388));
            QCOMPARE(w.height(), windowHeight + 44);
            QVERIFY(w.LblScore2->geometry().bottom() < w.Client->height());
            QVERIFY(w.LblLives2->geometry().bottom() < w.Client->height());
            QCOMPARE(w.LblScore2->text(), QStringLiteral("Score:0"));
            QCOMPARE(w.LblLives2->text(), QStringLiteral("Lives : 5"));
            ModMain::Snakes[1]->score = 7;
            ModMain::UpdateScoreLabels();
            QCOMPARE(w.LblScore2->text(), QStringLiteral("Score:7"));
        }));

        w.Menu.MenuItemOnePlayer->trigger();
        QVERIFY(f.checkRunningGame([&] {
            QCOMPARE(w.Client->size(), QSize(330, 344));
            QCOMPARE(w.height(), windowHeight);
            QCOMPARE(w.LblScore2->text(), QStringLiteral("Score:7"));
        }));
    }

    void twoPlayersRowsStayOnTheScreen_data()
    {
        Columns<int, int, int, int>("zoom", "top", "away", "twoPlayerZoom");
        // The offscreen screen is 800 x 800.
        QTest::newRow("zoom 1 near the bottom moves up") << 1 << 500 << int(Qt::WindowNoState) << 1;
        QTest::newRow("zoom 3 past the screen zooms less") << 3 << 0 << int(Qt::WindowNoState) << 2;
        QTest::newRow("rows chosen in full screen") << 2 << 0 << int(Qt::WindowFullScreen) << 2;
        // A New Game chosen while the last one unwinds starts once it is over.
        QTest::newRow("rows chosen while minimised") << 1 << 0 << int(Qt::WindowMinimized) << 1;
    }

    // Two players' rows at the window's zoom where the screen holds them;
    // afterwards the window is as the player left it, at the zoom it had.
    void twoPlayersRowsStayOnTheScreen()
    {
        const auto [zoom, top, awayState, twoPlayerZoom] =
            Fetch<int, int, int, int>("zoom", "top", "away", "twoPlayerZoom");
        const auto away = static_cast<Qt::WindowState>(awayState);
        WindowFixture f;
        FrmMain& w = f.window();
        QVERIFY(f.zoomTo(zoom));
        w.move(10, top);
        QVERIFY(QTest::qWaitFor([&] { return w.pos() == QPoint(10, top); }));
        const QSize oneClient = w.Client->size();
        const QRect available = w.screen()->availableGeometry();
        // Into full screen or minimised, and back.
        const auto toggleAway = [&] {
            away == Qt::WindowFullScreen ? PressKey(w, Qt::Key_F11) : w.setWindowState(w.windowState() ^ away);
        };
        if (away != Qt::WindowNoState) {
            toggleAway();
            QVERIFY(QTest::qWaitFor([&] { return (w.windowState() & away) != 0; }));
        }
        w.Menu.MenuItemTwoPlayer->trigger();
        QVERIFY(f.checkRunningGame([&] {
            if (away != Qt::WindowNoState)
                return;
            QCOMPARE(w.Client->Zoom(), twoPlayerZoom);
            QCOMPARE(w.Client->size(), QSize(330, 388) * twoPlayerZoom);
            if (w.frameGeometry().height() <= available.height())
                QVERIFY(available.contains(w.frameGeometry()));
        }));
        if (away != Qt::WindowNoState) {
            // Back in the window, the rows the game left fit it now.
            toggleAway();
            const QSize twoClient = QSize(330, 388) * twoPlayerZoom;
            QVERIFY(QTest::qWaitFor([&] { return !(w.windowState() & away) && w.Client->size() == twoClient; }));
            QCoreApplication::processEvents();
            QCOMPARE(w.Client->size(), twoClient);
        }
        w.Menu.MenuItemOnePlayer->trigger();
        QVERIFY(f.checkRunningGame([&] {
            QCOMPARE(w.Client->size(), oneClient);
            QCOMPARE(w.Client->Zoom(), zoom);
        }));
    }

    // Choosing Fastest mid-game: the pass in progress still waits its 90 ms,
    // every later pass waits nothing.
    void fastestTakesEffectFromTheNextPass()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        std::map<int, std::uint32_t> shownAt; // frame number -> clock
        int changedAfter = 0;
        f.playGame([&] {
            if (!ModMain::GameRunning)
                return;
            shownAt.emplace(f.frames(), f.time.now);
            if (changedAfter == 0 && f.frames() == 4) {
                changedAfter = f.frames();
                w.Menu.MenuItemSpeed[4]->trigger();
            }
            if (changedAfter && f.frames() >= changedAfter + 5)
                w.Menu.MenuItemAbort->trigger();
        });
        QVERIFY(!f.hitLimit);
        QCOMPARE(ModMain::SpeedDelay, 0);
        for (int frame = 2; frame < changedAfter + 5; ++frame) {
            QVERIFY(shownAt.count(frame) && shownAt.count(frame + 1));
            const std::uint32_t step = shownAt[frame + 1] - shownAt[frame];
            QCOMPARE(step, frame <= changedAfter ? 90u : 0u);
        }
    }

    // A presented frame is on the screen as soon as PresentFrame returns, with
    // no event processed in between; the message label stays on top of it; an
    // expose shows the last presented frame again.
    void presentedFrameIsOnScreenWithoutEventProcessing()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        w.SetTitleVisible(false);
        w.SetMessageCaption("Game Over");
        w.SetMessageVisible(true);
        QCoreApplication::processEvents();

        platform::Surface frame(330, 300);
        frame.FillRect(0, 0, 330, 300, qRgb(200, 30, 30));
        frame.FillRect(320, 290, 10, 10, qRgb(30, 30, 200));
        w.PresentFrame(frame);
        QCOMPARE(ShownPixel(w, {5, 5}), qRgb(200, 30, 30) & 0xffffffu);
        QCOMPARE(ShownPixel(w, {325, 295}), qRgb(30, 30, 200) & 0xffffffu);
        // Outside the frame the client stays white.
        QCOMPARE(ShownPixel(w, {325, 310}), 0xffffffu);

        frame.FillRect(0, 0, 330, 300, qRgb(30, 160, 30));
        w.PresentFrame(frame);
        QCOMPARE(ShownPixel(w, {5, 5}), qRgb(30, 160, 30) & 0xffffffu);
        // The caption is on screen over the frame, not erased by it.
        const QImage shown = w.windowHandle()->screen()->grabWindow(w.winId()).toImage();
        const QRect caption(w.Label1->mapTo(&w, QPoint(0, 0)), w.Label1->size());
        bool captionSeen = false;
        for (int y = caption.top(); y <= caption.bottom() && !captionSeen; ++y) {
            for (int x = caption.left(); x <= caption.right() && !captionSeen; ++x)
                captionSeen = (shown.pixel(x, y) & 0xffffffu) != (qRgb(30, 160, 30) & 0xffffffu);
        }
        QVERIFY(captionSeen);

        // An expose repaints our copy, not what the renderer has drawn since.
        frame.FillRect(0, 0, 330, 300, qRgb(0, 0, 0));
        w.Client->repaint();
        QCOMPARE(ShownPixel(w, {329, 299}), qRgb(30, 160, 30) & 0xffffffu);

        // A caption or the title hidden, and the next frame at once (a game
        // waits a second after its first): the field shows, not them.
        w.PresentFrame(frame);
        int shade = 90;
        for (QLabel* const hidden : {w.Label1, w.PicStartup}) {
            hidden->show();
            QCoreApplication::processEvents();
            // The title reaches a little below the field, into white.
            const QRect under =
                hidden->geometry().intersected({0, 0, 330, 300}).translated(w.Client->mapTo(&w, QPoint(0, 0)));
            if (hidden == w.Label1)
                w.SetMessageVisible(false);
            else
                w.SetTitleVisible(false);
            frame.FillRect(320, 0, 10, 10, qRgb(shade, shade, shade));
            ++shade;
            w.PresentFrame(frame);
            const QImage shown = w.windowHandle()->screen()->grabWindow(w.winId()).toImage().copy(under);
            QImage field(shown.size(), shown.format());
            field.fill(Qt::black);
            QCOMPARE(shown, field);
        }
    }

    void presentPaintsOnlyTheBlocksThatChanged_data()
    {
        QTest::addColumn<Fills>("changes");
        QTest::addColumn<QRegion>("painted");
        QTest::addColumn<int>("zoom");
        const QRgb red = qRgb(220, 20, 20);
        const auto rows = [&](const char* name, const Fills& changes, const QRegion& painted) {
            QTest::newRow(name) << changes << painted << 1;
        };
        // Each pixel a z x z square of the window's, in the middle of it.
        for (const int zoom : {2, 3, 4}) {
            QTest::addRow("a square and the bar at zoom %d", zoom)
                << Fills{{{57, 73, 1, 1}, red}, {{300, 150, 30, 150}, qRgb(128, 128, 0)}}
                << QRegion(50, 70, 10, 10) + QRegion(300, 150, 30, 150) << zoom;
        }
        rows("unchanged frame paints nothing", Fills{}, QRegion());
        rows("one pixel repaints its square", Fills{{{57, 73, 1, 1}, red}}, QRegion(50, 70, 10, 10));
        rows("neighbouring squares form one run", Fills{{{100, 100, 20, 10}, red}}, QRegion(100, 100, 20, 10));
        rows("a pixel across a square edge", Fills{{{9, 9, 2, 2}, red}}, QRegion(0, 0, 20, 20));
        rows("whole bar with a square beside it", Fills{{{5, 5, 1, 1}, red}, {{300, 0, 30, 300}, qRgb(128, 128, 0)}},
             QRegion(0, 0, 10, 10) + QRegion(300, 0, 30, 300));
        rows("last pixel of the frame", Fills{{{329, 299, 1, 1}, red}}, QRegion(320, 290, 10, 10));
        rows("whole frame", Fills{{{0, 0, 330, 300}, red}}, QRegion(0, 0, 330, 300));
    }

    // A frame reaches the screen through the blocks that differ from the last
    // one; whatever is painted, the screen then shows exactly the new frame,
    // at a zoom each pixel a square of zoom x zoom.
    void presentPaintsOnlyTheBlocksThatChanged()
    {
        QFETCH(Fills, changes);
        QFETCH(QRegion, painted);
        QFETCH(int, zoom);
        WindowFixture f;
        FrmMain& w = f.window();
        w.SetTitleVisible(false);
        QVERIFY(f.zoomTo(zoom));
        QCoreApplication::processEvents();

        platform::Surface frame(330, 300);
        frame.FillRect(40, 40, 30, 20, qRgb(0, 128, 0));
        w.PresentFrame(frame);
        for (const auto& [rect, colour] : changes)
            frame.FillRect(rect.x(), rect.y(), rect.width(), rect.height(), colour);
        w.PresentFrame(frame);
        QVERIFY((w.Client->LastChange() ^ painted).isEmpty());

        QImage expected(frame.image().size() * zoom, frame.image().format());
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x)
                expected.setPixel(x, y, frame.image().pixel(x / zoom, y / zoom));
        }
        const auto shown = [&] {
            const QPoint origin = w.Client->mapTo(&w, w.Client->Origin());
            return w.windowHandle()
                ->screen()
                ->grabWindow(w.winId())
                .toImage()
                .convertToFormat(expected.format())
                .copy(QRect(origin, expected.size()));
        };
        QCOMPARE(shown(), expected);
        // On a real screen: a window over the field and away again, and the
        // field shows the same frame, not what lay under it before.
        const auto coverAndUncover = [&w] {
            QWidget cover(nullptr, Qt::FramelessWindowHint);
            cover.setGeometry(w.geometry());
            cover.show();
            return QTest::qWaitForWindowExposed(&cover);
        };
        QVERIFY(coverAndUncover());
        QVERIFY(QTest::qWaitFor([&] { return shown() == expected; }));
        // The same with the title over the field: it stays on top.
        w.SetTitleVisible(true);
        QVERIFY(QTest::qWaitFor([&] { return shown() != expected; }));
        const QImage withTitle = shown();
        QVERIFY(coverAndUncover());
        QVERIFY(QTest::qWaitFor([&] { return shown() == withTitle; }));
    }

    void unpausingLeavesNoLetterOfTheCaption_data()
    {
        Columns<bool, int>("pad", "zoom");
        for (const int zoom : {1, 2, 3}) {
            QTest::addRow("F3 at zoom %d", zoom) << false << zoom;
            QTest::addRow("pad's Start at zoom %d", zoom) << true << zoom;
        }
    }

    // Unpaused by the pad (its press handled in a pass's event processing)
    // or by F3, and the next frame at once: no letter of "Paused" is left,
    // the caption's box shows what a whole repaint draws.
    void unpausingLeavesNoLetterOfTheCaption()
    {
        const auto [pad, zoom] = Fetch<bool, int>("pad", "zoom");
        WindowFixture f;
        FrmMain& w = f.window();
        w.SetTitleVisible(false);
        w.Menu.MenuItemNewGame->setEnabled(false); // in a game, as the pad sees it
        QVERIFY(f.zoomTo(zoom));
        w.activateWindow(); // F3 and the pad act on the active window only
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Pads->Start();
        VirtualPad virtualPad;
        platform::PollGameControllers();
        const auto pressStart = [&] {
            if (!pad) // to the widget: handled, and no event processing after it
                return QTest::keyClick(&w, Qt::Key_F3);
            virtualPad.press(SDL_CONTROLLER_BUTTON_START);
            platform::PollGameControllers();
            QCoreApplication::processEvents(); // as a pass handles what it read
            virtualPad.release(SDL_CONTROLLER_BUTTON_START);
            platform::PollGameControllers();
        };
        platform::Surface frame(330, 300);
        frame.FillRect(0, 0, 300, 300, qRgb(30, 160, 30));
        w.PresentFrame(frame);
        pressStart();
        QVERIFY(QTest::qWaitFor([&] { return w.Label1->isVisible(); }));
        // Inside a handler, as a game runs inside the one of the command that
        // started it: what it handles meanwhile is handled nested.
        QImage shown;
        QTimer::singleShot(0, &w, [&] {
            pressStart();
            frame.FillRect(300, 100, 30, 200, qRgb(120, 130, 0)); // the bar changes on every pass
            w.PresentFrame(frame);
            shown = ShownClient(w);
        });
        QVERIFY(QTest::qWaitFor([&] { return !shown.isNull(); }));
        QVERIFY(!ModMain::Paused);
        w.repaint();
        QCOMPARE(shown.copy(w.Label1->geometry()), ShownClient(w).copy(w.Label1->geometry()));
    }

    void repaintedRegionLeavesNoPixelUnpainted_data()
    {
        Columns<double, int>("ratio", "zoom");
        for (const double ratio : {2.0, 1.5}) {
            for (const int zoom : {1, 2, 3})
                QTest::addRow("device pixel ratio %g, zoom %d", ratio, zoom) << ratio << zoom;
        }
    }

    // On a scaled desktop (QT_SCALE_FACTOR, HiDPI) a repainted region is
    // painted to its last device pixel, off the zoomed pixels' edges too.
    void repaintedRegionLeavesNoPixelUnpainted()
    {
        const auto [ratio, zoom] = Fetch<double, int>("ratio", "zoom");
        WindowFixture f;
        FrmMain& w = f.window();
        w.SetTitleVisible(false);
        QVERIFY(f.zoomTo(zoom));
        platform::Surface frame(330, 300);
        for (int x = 0; x < 330; x += 2)
            frame.FillRect(x, 0, 1, 300, qRgb(x % 256, 60, 200)); // every pixel's edge shows
        w.PresentFrame(frame);
        const auto render = [&](const QRect& area) {
            QImage image(w.Client->size() * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::magenta);
            w.Client->render(&image, area.topLeft(), area, {});
            return image;
        };
        const QImage whole = render(w.Client->rect());
        for (const QRect& r : {QRect(51, 37, 10, 10), QRect(13, 7, 33, 21), w.Label1->geometry()}) {
            // The device pixels wholly inside the region.
            const QRect device(QPoint(qCeil(r.left() * ratio), qCeil(r.top() * ratio)),
                               QPoint(qFloor((r.right() + 1) * ratio) - 1, qFloor((r.bottom() + 1) * ratio) - 1));
            QCOMPARE(render(r).copy(device), whole.copy(device));
        }
    }

    // F11 fills the screen, the menu bar at its own size and the picture at
    // the zoom the rest holds; Escape belongs to the menus; F11 again brings
    // back the window's size and place, also from a resized window.
    void fullScreenRoundTripRestoresTheWindow_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::newRow("zoom 1") << 1;
        QTest::newRow("zoom 2") << 2;
    }

    void fullScreenRoundTripRestoresTheWindow()
    {
        QFETCH(int, zoom);
        WindowFixture f;
        FrmMain& w = f.window();
        QVERIFY(f.zoomTo(zoom));
        w.move(23, 17);
        QVERIFY(QTest::qWaitFor([&] { return w.pos() == QPoint(23, 17); }));
        const QRect before = w.geometry();
        const int menuHeight = w.menuBar()->height();
        PressKey(w, Qt::Key_F11);
        const QRect screen = w.screen()->geometry();
        QVERIFY(QTest::qWaitFor([&] { return w.isFullScreen() && w.geometry() == screen; }));
        QCOMPARE(w.menuBar()->height(), menuHeight);
        QCOMPARE(w.Client->size(), QSize(screen.width(), screen.height() - menuHeight));
        QCOMPARE(w.Client->Zoom(), Zoom::ToFit(w.Client->size(), {330, 344}));
        PressKey(w, Qt::Key_Escape);
        QVERIFY(w.isFullScreen());
        PressKey(w, Qt::Key_F11);
        QVERIFY(QTest::qWaitFor([&] { return !w.isFullScreen() && w.geometry() == before; }));
        QCOMPARE(w.Client->Zoom(), zoom);
    }

    // Abort and New Game chosen during the level-completed wait of the aborted
    // game: the old sequence finishes on the old snakes first (its "All levels
    // completed!" box, its game over), its loop ends and releases them, and only
    // then does the new game start, at level 1 with fresh snakes.
    void newGameInsideAnAbortedLevelSequenceWaitsForTheOldGame()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        int phase = 0;
        std::weak_ptr<Snake> oldSnake;
        int game2Points = 0;
        std::size_t boxesBeforeGame2 = 99;
        bool game2Consistent = true;
        f.playGame([&] {
            if (phase == 0 && !ModMain::Snakes.empty() && !ModMain::GameRunning) {
                // Inside the setup, before the first move: the snake heading up
                // from (15, 28) eats this apple on its third step.
                LeaveOneApple(15, 25);
                oldSnake = ModMain::Snakes[0];
                phase = 1;
            } else if (phase == 1 && w.Label1->isVisible() &&
                       w.Label1->text() == QStringLiteral("Level 1 Completed!")) {
                phase = 2;
                w.Menu.MenuItemAbort->trigger();
                w.Menu.MenuItemNewGame->trigger();
                // Nothing of a new game may have run inside this handler.
                QCOMPARE(ModMain::Snakes[0], oldSnake.lock());
                QCOMPARE(game2Points, 0);
            } else if (phase == 2 && ModMain::GameRunning) {
                if (game2Points++ == 0)
                    boxesBeforeGame2 = f.dialogs.size();
                game2Consistent = game2Consistent && oldSnake.expired() && ModMain::Level == 1 &&
                                  ModMain::Snakes.size() == 1 && ModMain::Snakes[0]->Lives == 5 &&
                                  !w.Menu.MenuItemNewGame->isEnabled() && w.Menu.MenuItemAbort->isEnabled();
                if (game2Points == 6) {
                    phase = 3;
                    w.Menu.MenuItemAbort->trigger();
                }
            }
        });
        QCOMPARE(phase, 3);
        QVERIFY(!f.hitLimit);
        QCOMPARE(boxesBeforeGame2, std::size_t(1));
        QCOMPARE(f.dialogs.size(), std::size_t(1));
        QCOMPARE(f.dialogs[0].text, QStringLiteral("All levels completed!"));
        QVERIFY(game2Consistent);
        QCOMPARE(NotIdle(w), QString());
    }

    // Abort, New Game, Abort while the old game unwinds: no new game starts.
    void abortAgainWithdrawsTheWaitingNewGame()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        int games = 0;
        Snake* seen = nullptr;
        f.playGame([&] {
            if (!ModMain::GameRunning)
                return;
            if (ModMain::Snakes[0].get() != seen) {
                seen = ModMain::Snakes[0].get();
                ++games;
            }
            if (f.frames() == 3) {
                w.Menu.MenuItemAbort->trigger();
                w.Menu.MenuItemNewGame->trigger();
                w.Menu.MenuItemAbort->trigger();
            }
        });
        QCOMPARE(games, 1);
        QVERIFY(!f.hitLimit);
        QCOMPARE(NotIdle(w), QString());
    }

    // New Game chosen after a natural "Game Over", in the last pass's wait: the
    // new game starts once the old loop has returned, after the name prompt.
    void newGameAfterGameOverWaitsForTheLastPass()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        f.writeMap(QStringLiteral("map1.dat"), WallAboveStartMap());
        int phase = 0;
        std::weak_ptr<Snake> oldSnake;
        std::size_t dialogsAtNewGame = 0;
        bool abortOffAtGameOver = false;
        bool freshGame = false;
        f.playGame([&] {
            if (phase == 0 && ModMain::GameRunning) {
                oldSnake = ModMain::Snakes[0];
                ModMain::Snakes[0]->score = 3; // beats the empty table: a name prompt
                phase = 1;
            } else if (phase == 1 && !ModMain::GameRunning && w.Menu.MenuItemNewGame->isEnabled()) {
                phase = 2;
                // The game ended by itself: nothing chose Abort to turn it off.
                abortOffAtGameOver = !w.Menu.MenuItemAbort->isEnabled();
                dialogsAtNewGame = f.dialogs.size();
                w.Menu.MenuItemNewGame->trigger();
                QCOMPARE(ModMain::Snakes[0], oldSnake.lock()); // nothing of a new game ran here
            } else if (phase == 2 && ModMain::GameRunning) {
                phase = 3;
                freshGame = oldSnake.expired() && ModMain::Snakes[0]->score == 0 && ModMain::Level == 1;
                w.Menu.MenuItemAbort->trigger();
            }
        });
        QCOMPARE(phase, 3);
        QVERIFY(!f.hitLimit);
        QVERIFY(freshGame);
        QVERIFY(abortOffAtGameOver);
        QCOMPARE(dialogsAtNewGame, std::size_t(1)); // the name prompt, answered first
        QCOMPARE(f.dialogs.size(), std::size_t(1));
        QCOMPARE(NotIdle(w), QString());
    }

    // Abort chosen inside the setup (the lives label refresh): that game makes no
    // pass, and the menus stay idle instead of showing a game that runs on.
    void abortInTheSetupLeavesTheMenusIdle()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        bool aborted = false;
        bool ran = false;
        f.playGame([&] {
            if (ModMain::GameRunning) {
                ran = true;
                w.Menu.MenuItemAbort->trigger();
            } else if (!aborted && !ModMain::Snakes.empty()) {
                aborted = true;
                w.Menu.MenuItemAbort->trigger();
            }
        });
        QVERIFY(aborted);
        QVERIFY(!ran);
        QCOMPARE(f.frames(), 0);
        QCOMPARE(NotIdle(w), QString());
    }
};

QTEST_MAIN(TestWindowGame)
#include "test_window_game.moc"
