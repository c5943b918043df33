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
// CPU is read from /proc/PID/task/*/schedstat (nanoseconds on a CPU, and the
// number of times a thread was put on a CPU, that is its wake-ups), for this
// process and, given SNAKE_PACE_XSERVER_PID and SNAKE_PACE_SOUND_PID, for the
// X server and a sound server; this process's
// own totals come from getrusage, which keeps the threads that have ended
// (the sound device's thread comes and goes). Run under
// `valgrind --tool=callgrind --collect-atstart=no`, only the measured window
// is collected.
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "platform/WindowSystem.h"
#include "rules/GameView.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "support/AppleCells.h"
#include "support/FileBytes.h"
#include "support/MapFiles.h"
#include "window/ClientArea.h"
#include "window/FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <dirent.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// CPU time and wake-ups summed over every thread of a process, and the
// shares of its main thread and of SDL's audio thread.
struct CpuUse {
    double seconds = 0;
    long long wakeups = 0;
    double mainSeconds = 0, audioSeconds = 0;
};

CpuUse ReadCpu(long pid)
{
    CpuUse use;
    if (pid <= 0)
        return use;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return use;
    double otherSeconds = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string task = tasks + "/" + entry->d_name;
        std::ifstream stat(task + "/schedstat");
        double onCpuNs = 0, waitNs = 0;
        long long slices = 0;
        if (!(stat >> onCpuNs >> waitNs >> slices))
            continue;
        use.seconds += onCpuNs / 1e9;
        use.wakeups += slices;
        std::ifstream comm(task + "/comm");
        std::string name;
        std::getline(comm, name);
        if (std::atol(entry->d_name) == pid)
            use.mainSeconds += onCpuNs / 1e9;
        else if (name.rfind("SDLAudio", 0) == 0)
            use.audioSeconds += onCpuNs / 1e9;
        else
            otherSeconds += onCpuNs / 1e9;
    }
    closedir(dir);
    if (pid == getpid()) {
        // Threads that have ended (the sound device's, once it closes) are
        // gone from /proc, but not from the process's own totals, which the
        // kernel keeps in nanoseconds.
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
        use.seconds = seconds(self.ru_utime) + seconds(self.ru_stime);
        use.wakeups = self.ru_nvcsw + self.ru_nivcsw;
        use.audioSeconds = std::max(0.0, use.seconds - use.mainSeconds - otherSeconds);
    }
    return use;
}

long PidFrom(const char* variable)
{
    const char* pid = std::getenv(variable);
    return pid ? std::atol(pid) : 0;
}

// This process and the X server, read together.
struct CpuPair {
    CpuUse game, xserver, soundServer;
};

CpuPair ReadCpuPair()
{
    return {ReadCpu(getpid()), ReadCpu(PidFrom("SNAKE_PACE_XSERVER_PID")), ReadCpu(PidFrom("SNAKE_PACE_SOUND_PID"))};
}

// Milliseconds since this process started: from the wall-clock stamp the
// script took just before starting it, else from the kernel's start time
// (10 ms steps).
double MillisecondsSinceProcessStart()
{
    timespec now{};
    if (const char* stamp = std::getenv("SNAKE_PACE_T0_NS")) {
        clock_gettime(CLOCK_REALTIME, &now);
        const double nowNs = static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
        return (nowNs - std::strtod(stamp, nullptr)) / 1e6;
    }
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double startSeconds = std::strtod(field.c_str(), nullptr) / static_cast<double>(sysconf(_SC_CLK_TCK));
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startSeconds) * 1e3;
}

// The square a human snake runs round, clockwise from its start going up
// its left column.
struct Square {
    int Left, Right, Top, Bottom;

    bool Holds(int x, int y) const
    {
        const bool inside = x >= Left && x <= Right && y >= Top && y <= Bottom;
        return inside && (x == Left || x == Right || y == Top || y == Bottom);
    }
};

// One player starts at (15, 28), two players at (10, 28) and (20, 28).
constexpr Square OnePlayerSquare{15, 25, 18, 28};
// On the first shipped level: clear of its walls, as the two players' are.
constexpr Square BusyOnePlayerSquare{15, 22, 18, 28};
constexpr std::array<Square, 2> TwoPlayerSquares{{{10, 17, 18, 28}, {20, 27, 18, 28}}};
// The busy game tops the computers' apples up below this many.
constexpr int FewestApples = 8;

// Forwards everything to the window and watches the frames go by.
class PaceView final : public ModMain::GameView {
  public:
    explicit PaceView(ModMain::GameView& window, Clock::duration warmup, bool busy, bool twoPlayers, std::uint64_t seed)
        : Window(window), Warmup(warmup), Busy(busy), TwoPlayers(twoPlayers), Seed(seed)
    {
        Periods.reserve(1 << 20);
    }

    void SetLabelText(ModMain::StatusLabel l, const std::string& t) override { Window.SetLabelText(l, t); }
    void SetMessageCaption(const std::string& c) override { Window.SetMessageCaption(c); }
    void SetMessageVisible(bool v) override { Window.SetMessageVisible(v); }
    void SetPauseCaption(const std::string& c) override { Window.SetPauseCaption(c); }
    void SetTitleVisible(bool v) override
    {
        // The game hides the title once its snakes and apples are laid out,
        // before the first move: from here on it runs on a fixed seed.
        if (!v && !Started)
            MakeGameRepeatable();
        Window.SetTitleVisible(v);
    }
    void SetTwoPlayerLayout(bool t) override { Window.SetTwoPlayerLayout(t); }
    void SetMenusIdle() override { Window.SetMenusIdle(); }
    void ShowAllLevelsCompleted() override { Window.ShowAllLevelsCompleted(); }
    std::string AskTopScoreName() override { return Window.AskTopScoreName(); }
    void ShowHallOfFame() override { Window.ShowHallOfFame(); }

    void PresentFrame(const platform::Surface& backBuffer) override
    {
        Window.PresentFrame(backBuffer);
        const Clock::time_point now = Clock::now();
        if (!ModMain::GameRunning || ModMain::Snakes.empty())
            return;
        const Snake& snake = *ModMain::Snakes[0];
        if (!Started) {
            Started = true;
            GameStart = now;
        } else if (Measuring) {
            // A lost life's one-second wait is no pass period.
            if (snake.Lives == LastLives)
                Periods.push_back(std::chrono::duration<double, std::milli>(now - Last).count());
            else
                ++Excluded;
        } else if (!Finished && now - GameStart >= Warmup) {
            Measuring = true;
            WindowStart = now;
            CpuAtStart = ReadCpuPair();
            SoundsAtStart = platform::GetSoundDiagnostics().soundsStarted;
            CALLGRIND_TOGGLE_COLLECT;
            if (OnMeasuringStarted)
                OnMeasuringStarted();
        }
        Last = now;
        LastLives = snake.Lives;
        if (Busy && TwoPlayers) {
            for (std::size_t i = 0; i < ModMain::Snakes.size() && i < TwoPlayerSquares.size(); ++i) {
                SteerRound(*ModMain::Snakes[i], TwoPlayerSquares[i]);
                KeepSquareClear(TwoPlayerSquares[i]);
            }
            if (ModMain::ApplesLeft < FewestApples)
                ModMain::PlaceApples(1, FewestApples);
        } else {
            const Square& square = Busy ? BusyOnePlayerSquare : OnePlayerSquare;
            SteerRound(*ModMain::Snakes[0], square);
            KeepSquareClear(square);
            if (Busy && ModMain::ApplesLeft < FewestApples)
                ModMain::PlaceApples(1, FewestApples);
        }
    }

    // What the game drew from a clock-seeded generator (the computers'
    // columns and colours, the first apples) drawn again from a fixed seed,
    // as the game draws them. Every run, of every build, then plays the same
    // game, with the same sounds at the same passes: CPU figures of two
    // builds compare like for like.
    void MakeGameRepeatable()
    {
        platform::SeedRandom(Seed);
        for (const auto& computer : ModMain::ComSnakes) {
            const auto x = static_cast<platform::Int16>(2 + std::floor(platform::Rnd() * 27));
            computer->Place(ModMain::StartLength, x, ModMain::ComputerStartRow, ModMain::DirDown);
            computer->Colour = static_cast<platform::Int16>(std::floor(platform::Rnd() * 5));
        }
        ModMain::ClearApples();
        ModMain::PlaceAppleBatch();
    }

    // Ends the measured window now.
    void Finish()
    {
        if (Measuring)
            CALLGRIND_TOGGLE_COLLECT;
        Finished = true;
        Measuring = false;
        WindowEnd = Clock::now();
        CpuAtEnd = ReadCpuPair();
        SoundsAtEnd = platform::GetSoundDiagnostics().soundsStarted;
    }

    ModMain::GameView& Window;
    Clock::duration Warmup;
    std::function<void()> OnMeasuringStarted;
    std::vector<double> Periods;
    int Excluded = 0;
    Clock::time_point WindowStart, WindowEnd;
    CpuPair CpuAtStart, CpuAtEnd;
    int SoundsAtStart = 0, SoundsAtEnd = 0;

  private:
    static void SteerRound(Snake& snake, const Square& sq)
    {
        const Snake::Segment head = snake.body().front();
        if (head.x == sq.Left && head.y == sq.Top)
            snake.ChangeDirection(ModMain::DirRight);
        else if (head.x == sq.Right && head.y == sq.Top)
            snake.ChangeDirection(ModMain::DirDown);
        else if (head.x == sq.Right && head.y == sq.Bottom)
            snake.ChangeDirection(ModMain::DirLeft);
        else if (head.x == sq.Left && head.y == sq.Bottom)
            snake.ChangeDirection(ModMain::DirUp);
    }

    static void KeepSquareClear(const Square& sq)
    {
        bool changed = false;
        for (int x = sq.Left; x <= sq.Right; ++x) {
            for (int y = sq.Top; y <= sq.Bottom; ++y) {
                if (sq.Holds(x, y) && ModMain::Map[x][y] > ModMain::Wall) {
                    ModMain::Map[x][y] = ModMain::Empty;
                    changed = true;
                }
            }
        }
        if (changed)
            ModMain::ApplesLeft = static_cast<platform::Int16>(ModMain::CountAppleCells());
    }

    bool Busy, TwoPlayers;
    std::uint64_t Seed;
    bool Started = false, Measuring = false, Finished = false;
    Clock::time_point GameStart, Last;
    platform::Int16 LastLives = 0;
};

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

bool WriteOpenField(const QString& folder)
{
    return WriteFileBytes(folder + QStringLiteral("/map1.dat"), MapFileBytes({}));
}

bool CopyFirstLevel(const QString& folder)
{
    return QFile::copy(QStringLiteral(SNAKE_GAME_DIR "/map1.dat"), folder + QStringLiteral("/map1.dat"));
}

bool CopySounds(const QString& folder)
{
    const QDir from(QStringLiteral(SNAKE_GAME_DIR "/sounds"));
    if (!QDir(folder).mkdir(QStringLiteral("sounds")))
        return false;
    for (const QString& name : from.entryList({QStringLiteral("*.wav")}, QDir::Files)) {
        if (!QFile::copy(from.filePath(name), folder + QStringLiteral("/sounds/") + name))
            return false;
    }
    return true;
}

void PrintFigures(const PaceView& view, int speedIndex, int zoom)
{
    static constexpr std::array<const char*, 5> names{"Slowest", "Slow", "Medium", "Fast", "Fastest"};
    const std::vector<double>& p = view.Periods;
    const double seconds = std::chrono::duration<double>(view.WindowEnd - view.WindowStart).count();
    if (p.empty() || seconds <= 0) {
        std::printf("speed=%s no passes were measured\n", names[speedIndex]);
        return;
    }
    double sum = 0;
    for (double v : p)
        sum += v;
    const double mean = sum / static_cast<double>(p.size());
    std::vector<double> sorted = p;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted[static_cast<std::size_t>(0.99 * static_cast<double>(sorted.size() - 1))];
    const int delay = ModMain::SpeedDelays[static_cast<std::size_t>(speedIndex)];
    const double cpu = 100.0 * (view.CpuAtEnd.game.seconds - view.CpuAtStart.game.seconds) / seconds;
    const double xcpu = 100.0 * (view.CpuAtEnd.xserver.seconds - view.CpuAtStart.xserver.seconds) / seconds;
    const double scpu = 100.0 * (view.CpuAtEnd.soundServer.seconds - view.CpuAtStart.soundServer.seconds) / seconds;
    const double mainCpu = 100.0 * (view.CpuAtEnd.game.mainSeconds - view.CpuAtStart.game.mainSeconds) / seconds;
    // Read as what the other threads leave of getrusage's total: a few microseconds either way.
    const double audioCpu =
        std::max(0.0, 100.0 * (view.CpuAtEnd.game.audioSeconds - view.CpuAtStart.game.audioSeconds) / seconds);
    const long long wakeups = view.CpuAtEnd.game.wakeups - view.CpuAtStart.game.wakeups;
    std::printf("speed=%s delay_ms=%d passes=%zu seconds=%.1f mean_ms=%.3f worst_ms=%.3f p99_ms=%.3f "
                "off_by=%+.2f%% cpu=%.3f%% cpu_main=%.3f%% cpu_audio=%.3f%% xcpu=%.3f%% wakeups_per_pass=%.2f "
                "passes_per_s=%.0f excluded=%d sounds=%d sound_server_cpu=%.3f%% zoom=%d\n",
                names[speedIndex], delay, p.size(), seconds, mean, sorted.back(), p99,
                delay > 0 ? 100.0 * (mean - delay) / delay : 0.0, cpu, mainCpu, audioCpu, xcpu,
                static_cast<double>(wakeups) / static_cast<double>(p.size()), static_cast<double>(p.size()) / seconds,
                view.Excluded, view.SoundsAtEnd - view.SoundsAtStart, scpu, zoom);
    std::fflush(stdout);
}

void PrintIdleFigures(const char* what, const CpuPair& start, const CpuPair& end, double seconds)
{
    std::printf("idle=%s seconds=%.1f wakeups=%lld cpu=%.4f%% xserver_wakeups=%lld xcpu=%.4f%%\n", what, seconds,
                end.game.wakeups - start.game.wakeups, 100.0 * (end.game.seconds - start.game.seconds) / seconds,
                end.xserver.wakeups - start.xserver.wakeups,
                100.0 * (end.xserver.seconds - start.xserver.seconds) / seconds);
    std::fflush(stdout);
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: pace_driver --speed 0..4 [--busy [--one-player]] [--seconds S] [--warmup MS] [--seed N]\n"
                 "                   [--zoom N] [--fullscreen]\n"
                 "       pace_driver --idle title|paused [--seconds S] [--warmup MS]\n"
                 "       pace_driver --startup\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    int speed = -1;
    double seconds = 20;
    int warmupMs = 1500;
    std::uint64_t seed = 1;
    bool startup = false;
    bool busy = false;
    bool onePlayer = false;
    bool fullScreen = false;
    int zoom = 0;
    std::string idle;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--startup")
            startup = true;
        else if (arg == "--busy")
            busy = true;
        else if (arg == "--one-player")
            onePlayer = true;
        else if (arg == "--fullscreen")
            fullScreen = true;
        else if (arg == "--zoom" && hasValue)
            zoom = std::atoi(argv[++i]);
        else if (arg == "--idle" && hasValue)
            idle = argv[++i];
        else if (arg == "--speed" && hasValue)
            speed = std::atoi(argv[++i]);
        else if (arg == "--seconds" && hasValue)
            seconds = std::atof(argv[++i]);
        else if (arg == "--warmup" && hasValue)
            warmupMs = std::atoi(argv[++i]);
        else if (arg == "--seed" && hasValue)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else
            return Usage();
    }
    if (!idle.empty() && idle != "title" && idle != "paused")
        return Usage();
    if (idle == "paused")
        speed = 2;
    if (!startup && idle != "title" && (speed < 0 || speed > 4 || seconds <= 0))
        return Usage();

    // As in the game's main().
    platform::ChooseQtPlatform();
    QApplication app(argc, argv);
    FrmMain window;
    FirstPaint firstPaint(*window.PicStartup);
    if (startup)
        window.PicStartup->installEventFilter(&firstPaint);
    window.Form_Load();
    if (startup)
        return app.exec();
    if (zoom > 0)
        window.resize(window.size() - window.Client->size() + window.Client->DesignSize() * zoom);
    if (fullScreen) {
        window.ToggleFullScreen();
        window.setGeometry(window.screen()->geometry());
    }

    CpuPair idleStart;
    const auto measureIdle = [&](const char* what, std::function<void()> then) {
        idleStart = ReadCpuPair();
        QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &window, [&, what, then] {
            PrintIdleFigures(what, idleStart, ReadCpuPair(), seconds);
            then();
        });
    };
    if (idle == "title") {
        QTimer::singleShot(warmupMs, &window, [&] { measureIdle("title", [] { qApp->quit(); }); });
        return app.exec();
    }

    QTemporaryDir folder;
    const bool mapWritten = busy ? CopyFirstLevel(folder.path()) : WriteOpenField(folder.path());
    if (!folder.isValid() || !mapWritten || !CopySounds(folder.path())) {
        std::fprintf(stderr, "pace_driver: cannot prepare a game folder\n");
        return 1;
    }
    platform::SetAppPath(folder.path().toStdString());

    PaceView view(window, std::chrono::milliseconds(warmupMs), busy, !onePlayer, seed);
    ModMain::SetGameView(&view);
    int zoomPlayed = 0;
    const auto endGame = [&] {
        zoomPlayed = window.Client->Zoom();
        view.Finish();
        window.MenuItemAbort_Click();
    };
    view.OnMeasuringStarted = [&] {
        if (idle == "paused") {
            // Half a second for the pause caption to settle first.
            window.MenuItemPause_Click();
            QTimer::singleShot(500, &window, [&] { measureIdle("paused", endGame); });
        } else {
            QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &window, endGame);
        }
    };
    if (busy) {
        if (onePlayer)
            window.MenuItemOnePlayer_Click();
        else
            window.MenuItemTwoPlayer_Click();
        window.mnipc_Click(4);
    }
    window.MenuItemSpeed_Click(static_cast<platform::Int16>(speed));
    QTimer::singleShot(0, &window, [&] {
        window.MenuItemNewGame_Click(); // returns when the game is aborted
        ModMain::SetGameView(&window);
        if (idle.empty())
            PrintFigures(view, speed, zoomPlayed);
        app.quit();
    });
    return app.exec();
}
