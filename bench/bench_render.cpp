// Frame composition cost: the heaviest frame the game can produce and a
// typical one, with the apple-timer bar moving as on every pass. Heap
// allocations inside the timed loop are counted; a frame should make none.
#include "platform/Surface.h"
#include "render/RenderFrame.h"
#include "rules/GameView.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "support/SnakeBody.h"

#include <QImage>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace {
std::size_t allocations = 0;
}

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

// A snake of `length` segments snaking left and right across the field from
// row `top` down, head first.
std::shared_ptr<Snake> Serpentine(int length, int top, int colour)
{
    std::vector<Snake::Segment> body;
    for (int i = 0; i < length; ++i) {
        const int row = i / ModMain::FieldSize;
        const int column = i % ModMain::FieldSize;
        const int x = row % 2 == 0 ? column : ModMain::FieldSize - 1 - column;
        body.push_back({static_cast<Snake::Int16>(x), static_cast<Snake::Int16>((top + row) % ModMain::FieldSize)});
    }
    auto snake = std::make_shared<Snake>();
    snake->Colour = static_cast<Snake::Int16>(colour);
    SetSnakeBody(*snake, std::move(body));
    return snake;
}

void RunFrames(benchmark::State& state)
{
    ModMain::SetGameView(nullptr); // a view that shows nothing
    Render::RenderFrame();         // surfaces made before timing
    const uchar* const pixels = Render::BackBuffer().image().constBits();
    const double timer = ModMain::AppleTimer;
    int frame = 0;
    allocations = 0;
    for (auto _ : state) {
        ModMain::AppleTimer = timer + 0.4 * (++frame % 100);
        Render::RenderFrame();
        benchmark::ClobberMemory();
    }
    state.counters["allocs_per_frame"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
    state.counters["buffer_moved"] = Render::BackBuffer().image().constBits() == pixels ? 0 : 1;
    ModMain::ResetState();
}

// Every square a wall, 2 human and 4 computer snakes of 200 segments.
void BM_RenderFrameHeaviest(benchmark::State& state)
{
    ModMain::ResetState();
    for (auto& column : ModMain::Map)
        column.fill(ModMain::Wall);
    ModMain::Snakes = {Serpentine(200, 0, 0), Serpentine(200, 5, 1)};
    ModMain::ComSnakes = {Serpentine(200, 10, 2), Serpentine(200, 15, 3), Serpentine(200, 20, 4),
                          Serpentine(200, 25, 0)};
    ModMain::ComSnakesOn = true;
    ModMain::AppleTimer = 42.4;
    RunFrames(state);
}
BENCHMARK(BM_RenderFrameHeaviest);

// A bordered level with 15 apples and 3 snakes of 20 segments.
void BM_RenderFrameTypical(benchmark::State& state)
{
    ModMain::ResetState();
    for (int i = 0; i < ModMain::FieldSize; ++i) {
        ModMain::Map[i][0] = ModMain::Map[i][29] = ModMain::Wall;
        ModMain::Map[0][i] = ModMain::Map[29][i] = ModMain::Wall;
    }
    for (int i = 0; i < 15; ++i)
        ModMain::Map[2 + i][3 + (i * 7) % 20] = i < 10 ? ModMain::GreenApple : ModMain::RedApple;
    ModMain::Snakes = {Serpentine(20, 5, 0)};
    ModMain::ComSnakes = {Serpentine(20, 12, 2), Serpentine(20, 20, 4)};
    ModMain::ComSnakesOn = true;
    ModMain::AppleTimer = 12.8;
    RunFrames(state);
}
BENCHMARK(BM_RenderFrameTypical);

} // namespace

BENCHMARK_MAIN();
