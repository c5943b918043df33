// pace_driver: the real game window, built as the game's main() builds it,
// with a view in front of it that timestamps every frame it shows (one per
// pass of the main loop). Run by bench/pace.sh under an X server.
//
//   pace_driver --speed INDEX [--seconds S] [--warmup MS]
//       Starts a one-player game on an open field at speed INDEX (0 Slowest
//       .. 4 Fastest, through the Speed menu handler), keeps the snake going
//       round a 10 x 10 square, and after the warm-up measures the pass
//       period (mean, worst) and the process's CPU use for S seconds.
//   pace_driver --speed INDEX --busy [--one-player] [--seconds S] [--warmup MS] [--seed N]
//       The same with the busiest game: two players, each kept going round
//       its own square, and four computer snakes on the first shipped level.
//       The computers' apples are topped up so that no level ends. With
//       --one-player, the busiest one-player game: one player and four
//       computer snakes (its rows fit zoom 3 on a 1080-pixel screen).
//   pace_driver --idle title|paused [--seconds S] [--warmup MS]
//       Counts the wake-ups and CPU time of the title screen, or of a game
//       paused after the warm-up, over S seconds.
//   pace_driver --startup
//       Prints the time from process start to the first paint of the window.
//
// With --zoom N the window is sized for zoom N first, with --fullscreen it
// fills the screen (F11, and the screen's geometry, which no window manager
// gives it on the bench's own X server), before the game starts.
//
// The apples that fall on a human snake's square are taken off the field
// after each frame, so the snake never grows into itself and no level ends;
// the game is otherwise untouched. It runs on a fixed seed (--seed, or
// 1), so runs with the same seed play the same game, in any build.
//
// CPU (PaceCpu.h) is read for this process and, given SNAKE_PACE_XSERVER_PID
// and SNAKE_PACE_SOUND_PID, for the X server and a sound server. Run under
// `valgrind --tool=callgrind --collect-atstart=no`, only the measured window
// is collected.
#include "PaceCpu.h"
#include "PaceFolder.h"
#include "PaceOptions.h"
#include "PaceReport.h"
#include "PaceView.h"

#include "platform/Files.h"
#include "platform/WindowSystem.h"
#include "rules/ModMain.h"
#include "window/ClientArea.h"
#include "window/FrmMain.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Prints the time to the first paint of the title picture, then quits.
class FirstPaint final : public QObject {
  public:
    explicit FirstPaint(QWidget& target) : Target(target) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!Seen && watched == &Target && event->type() == QEvent::Paint) {
            Seen = true;
            std::printf("startup_ms=%.1f\n", MillisecondsSinceProcessStart());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

  private:
    QWidget& Target;
    bool Seen = false;
};

// Sized for a zoom, or full screen, before the game starts.
void SizeWindow(FrmMain& window, const PaceOptions& o)
{
    if (o.zoom > 0)
        window.resize(window.size() - window.Client->size() + window.Client->DesignSize() * o.zoom);
    if (o.fullScreen) {
        window.ToggleFullScreen();
        window.setGeometry(window.screen()->geometry());
    }
}

// Prints what the idle window costs over the run's seconds, then calls `then`.
void MeasureIdle(FrmMain& window, const char* what, double seconds, const std::function<void()>& then)
{
    const CpuPair start = ReadCpuPair();
    QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &window, [=] {
        PrintIdleFigures(what, start, ReadCpuPair(), seconds);
        then();
    });
}

// The players, the computer snakes and the speed, through the menus.
void ChooseGame(FrmMain& window, const PaceOptions& o)
{
    if (o.busy) {
        if (o.onePlayer)
            window.MenuItemOnePlayer_Click();
        else
            window.MenuItemTwoPlayer_Click();
        window.mnipc_Click(4);
    }
    window.MenuItemSpeed_Click(static_cast<platform::Int16>(o.speed));
}

// A game played through the pace view, measured after the warm-up and
// aborted at the end of the measured window.
int PlayMeasuredGame(QApplication& app, FrmMain& window, const PaceOptions& o)
{
    QTemporaryDir folder;
    if (!folder.isValid() || !PrepareGameFolder(folder.path(), o.busy)) {
        std::fprintf(stderr, "pace_driver: cannot prepare a game folder\n");
        return 1;
    }
    platform::SetAppPath(folder.path().toStdString());

    PaceView view(window, std::chrono::milliseconds(o.warmupMs), o.busy, !o.onePlayer, o.seed);
    ModMain::SetGameView(&view);
    int zoomPlayed = 0;
    const std::function<void()> endGame = [&] {
        zoomPlayed = window.Client->Zoom();
        view.Finish();
        window.MenuItemAbort_Click();
    };
    view.OnMeasuringStarted = [&] {
        if (o.idle == "paused") {
            // Half a second for the pause caption to settle first.
            window.MenuItemPause_Click();
            QTimer::singleShot(500, &window, [&] { MeasureIdle(window, "paused", o.seconds, endGame); });
        } else {
            QTimer::singleShot(static_cast<int>(o.seconds * 1000), Qt::PreciseTimer, &window, endGame);
        }
    };
    ChooseGame(window, o);
    QTimer::singleShot(0, &window, [&] {
        window.MenuItemNewGame_Click(); // returns when the game is aborted
        ModMain::SetGameView(&window);
        if (o.idle.empty())
            PrintFigures(view, o.speed, zoomPlayed);
        app.quit();
    });
    return app.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    const std::optional<PaceOptions> options = ParsePaceOptions(argc, argv);
    if (!options)
        return 2;

    // As in the game's main().
    platform::ChooseQtPlatform();
    QApplication app(argc, argv);
    FrmMain window;
    FirstPaint firstPaint(*window.PicStartup);
    if (options->startup)
        window.PicStartup->installEventFilter(&firstPaint);
    window.Form_Load();
    if (options->startup)
        return app.exec();
    SizeWindow(window, *options);
    if (options->idle == "title") {
        QTimer::singleShot(options->warmupMs, &window,
                           [&] { MeasureIdle(window, "title", options->seconds, [] { qApp->quit(); }); });
        return app.exec();
    }
    return PlayMeasuredGame(app, window, *options);
}
