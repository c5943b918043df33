#include "PaceView.h"

#include "platform/Random.h"
#include "platform/Sound.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "support/AppleCells.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <array>
#include <cmath>

namespace {

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

void SteerRound(Snake& snake, const Square& sq)
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

// The apples that fell on the square go, so that the snake never grows into
// itself.
void KeepSquareClear(const Square& sq)
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

} // namespace

PaceView::PaceView(ModMain::GameView& window, Clock::duration warmup, bool busy, bool twoPlayers, std::uint64_t seed)
    : Window(window), Warmup(warmup), Busy(busy), TwoPlayers(twoPlayers), Seed(seed)
{
    Periods.reserve(1 << 20);
}

void PaceView::SetTitleVisible(bool v)
{
    // The game hides the title once its snakes and apples are laid out,
    // before the first move: from here on it runs on a fixed seed.
    if (!v && !Started)
        MakeGameRepeatable();
    Window.SetTitleVisible(v);
}

void PaceView::PresentFrame(const platform::Surface& backBuffer)
{
    Window.PresentFrame(backBuffer);
    if (!ModMain::GameRunning || ModMain::Snakes.empty())
        return;
    TimeFrame(Clock::now(), ModMain::Snakes[0]->Lives);
    SteerSnakes();
}

void PaceView::TimeFrame(Clock::time_point now, platform::Int16 lives)
{
    if (!Started) {
        Started = true;
        GameStart = now;
    } else if (Measuring) {
        // A lost life's one-second wait is no pass period.
        if (lives == LastLives)
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
    LastLives = lives;
}

void PaceView::SteerSnakes() const
{
    if (Busy && TwoPlayers) {
        for (std::size_t i = 0; i < ModMain::Snakes.size() && i < TwoPlayerSquares.size(); ++i) {
            SteerRound(*ModMain::Snakes[i], TwoPlayerSquares[i]);
            KeepSquareClear(TwoPlayerSquares[i]);
        }
    } else {
        const Square& square = Busy ? BusyOnePlayerSquare : OnePlayerSquare;
        SteerRound(*ModMain::Snakes[0], square);
        KeepSquareClear(square);
    }
    if (Busy && ModMain::ApplesLeft < FewestApples)
        ModMain::PlaceApples(1, FewestApples);
}

// What the game drew from a clock-seeded generator (the computers' columns
// and colours, the first apples) drawn again from a fixed seed, as the game
// draws them. Every run, of every build, then plays the same game, with the
// same sounds at the same passes: CPU figures of two builds compare like for
// like.
void PaceView::MakeGameRepeatable()
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

void PaceView::Finish()
{
    if (Measuring)
        CALLGRIND_TOGGLE_COLLECT;
    Finished = true;
    Measuring = false;
    WindowEnd = Clock::now();
    CpuAtEnd = ReadCpuPair();
    SoundsAtEnd = platform::GetSoundDiagnostics().soundsStarted;
}
