// pace_driver: the real game window, built as the game's main() builds it,
// with a view in front of it that timestamps every frame it shows (one per
// pass of the main loop). Run by bench/pace.sh under an X server.
//
//   pace_driver --speed INDEX [--seconds S] [--warmup MS]
//       Starts a one-player game on an open field at speed INDEX (0 Slowest
//       .. 4 Fastest, through the Speed menu handler), keeps the snake going
//       round a 10 x 10 square, and after the warm-up measures the pass
//       period (mean, worst) and the process's CPU use for S seconds.
//   pace_driver --startup
//       Prints the time from process start to the first paint of the window.
//
// The apples that fall on the snake's square are taken off the field after
// each frame, so the snake never grows into itself and no level ends; the
// game is otherwise untouched.
#include "game/GameView.h"
#include "game/ModMain.h"
#include "platform/Files.h"
#include "snake/Snake.h"
#include "window/FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

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

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
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

// The square the snake runs round: up column 15, right along row 18, down
// column 25, left along row 28.
constexpr int Left = 15, Right = 25, Top = 18, Bottom = 28;

bool OnSquare(int x, int y)
{
    const bool inside = x >= Left && x <= Right && y >= Top && y <= Bottom;
    return inside && (x == Left || x == Right || y == Top || y == Bottom);
}

// Forwards everything to the window and watches the frames go by.
class PaceView final : public ModMain::GameView {
public:
    explicit PaceView(ModMain::GameView& window, Clock::duration warmup)
        : Window(window)
        , Warmup(warmup)
    {
        Periods.reserve(1 << 20);
    }

    void SetLabelText(ModMain::StatusLabel l, const std::string& t) override { Window.SetLabelText(l, t); }
    void SetMessageCaption(const std::string& c) override { Window.SetMessageCaption(c); }
    void SetMessageVisible(bool v) override { Window.SetMessageVisible(v); }
    void SetPauseCaption(const std::string& c) override { Window.SetPauseCaption(c); }
    void SetTitleVisible(bool v) override { Window.SetTitleVisible(v); }
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
            CpuAtStart = CpuSeconds();
            if (OnMeasuringStarted)
                OnMeasuringStarted();
        }
        Last = now;
        LastLives = snake.Lives;
        SteerRound(*ModMain::Snakes[0]);
        KeepSquareClear();
    }

    // Ends the measured window now.
    void Finish()
    {
        Finished = true;
        Measuring = false;
        WindowEnd = Clock::now();
        CpuAtEnd = CpuSeconds();
    }

    ModMain::GameView& Window;
    Clock::duration Warmup;
    std::function<void()> OnMeasuringStarted;
    std::vector<double> Periods;
    int Excluded = 0;
    Clock::time_point WindowStart, WindowEnd;
    double CpuAtStart = 0, CpuAtEnd = 0;

private:
    static void SteerRound(Snake& snake)
    {
        const Snake::Segment head = snake.body().front();
        if (head.x == Left && head.y == Top)
            snake.ChangeDirection(ModMain::DirRight);
        else if (head.x == Right && head.y == Top)
            snake.ChangeDirection(ModMain::DirDown);
        else if (head.x == Right && head.y == Bottom)
            snake.ChangeDirection(ModMain::DirLeft);
        else if (head.x == Left && head.y == Bottom)
            snake.ChangeDirection(ModMain::DirUp);
    }

    static void KeepSquareClear()
    {
        bool changed = false;
        for (int x = Left; x <= Right; ++x) {
            for (int y = Top; y <= Bottom; ++y) {
                if (OnSquare(x, y) && ModMain::Map[x][y] > ModMain::Wall) {
                    ModMain::Map[x][y] = ModMain::Empty;
                    changed = true;
                }
            }
        }
        if (changed)
            ModMain::ApplesLeft = static_cast<platform::Int16>(ModMain::CountAppleCells());
    }

    bool Started = false, Measuring = false, Finished = false;
    Clock::time_point GameStart, Last;
    platform::Int16 LastLives = 0;
};

// Prints the time to the first paint of the title picture, then quits.
class FirstPaint final : public QObject {
public:
    explicit FirstPaint(QWidget& target)
        : Target(target)
    {
    }

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
    QFile map(folder + QStringLiteral("/map1.dat"));
    if (!map.open(QIODevice::WriteOnly))
        return false;
    for (int y = 0; y < 30; ++y)
        map.write(QByteArray(30, ' ') + "\r\n");
    return true;
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

void PrintFigures(const PaceView& view, int speedIndex)
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
    const double cpu = 100.0 * (view.CpuAtEnd - view.CpuAtStart) / seconds;
    std::printf("speed=%s delay_ms=%d passes=%zu seconds=%.1f mean_ms=%.3f worst_ms=%.3f p99_ms=%.3f "
                "off_by=%+.2f%% cpu=%.2f%% passes_per_s=%.0f excluded=%d\n",
                names[speedIndex], delay, p.size(), seconds, mean, sorted.back(), p99,
                delay > 0 ? 100.0 * (mean - delay) / delay : 0.0, cpu, static_cast<double>(p.size()) / seconds,
                view.Excluded);
    std::fflush(stdout);
}

int Usage()
{
    std::fprintf(stderr, "usage: pace_driver --speed 0..4 [--seconds S] [--warmup MS] | --startup\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    int speed = -1;
    double seconds = 20;
    int warmupMs = 1500;
    bool startup = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--startup")
            startup = true;
        else if (arg == "--speed" && hasValue)
            speed = std::atoi(argv[++i]);
        else if (arg == "--seconds" && hasValue)
            seconds = std::atof(argv[++i]);
        else if (arg == "--warmup" && hasValue)
            warmupMs = std::atoi(argv[++i]);
        else
            return Usage();
    }
    if (!startup && (speed < 0 || speed > 4 || seconds <= 0))
        return Usage();

    // As in the game's main().
    QApplication app(argc, argv);
    FrmMain window;
    FirstPaint firstPaint(*window.PicStartup);
    if (startup)
        window.PicStartup->installEventFilter(&firstPaint);
    window.Form_Load();
    if (startup)
        return app.exec();

    QTemporaryDir folder;
    if (!folder.isValid() || !WriteOpenField(folder.path()) || !CopySounds(folder.path())) {
        std::fprintf(stderr, "pace_driver: cannot prepare a game folder\n");
        return 1;
    }
    platform::SetAppPath(folder.path().toStdString());

    PaceView view(window, std::chrono::milliseconds(warmupMs));
    ModMain::SetGameView(&view);
    view.OnMeasuringStarted = [&] {
        QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &window, [&] {
            view.Finish();
            window.MenuItemAbort_Click();
        });
    };
    window.MenuItemSpeed_Click(static_cast<platform::Int16>(speed));
    QTimer::singleShot(0, &window, [&] {
        window.MenuItemNewGame_Click(); // returns when the game is aborted
        ModMain::SetGameView(&window);
        PrintFigures(view, speed);
        app.quit();
    });
    return app.exec();
}
