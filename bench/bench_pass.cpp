// One whole pass of the main loop without its wait: MoveAll, AppleTimerTick
// and RenderFrame, on a bordered field with two human and four computer
// snakes of 200 segments each, shown to a view that does nothing.
//
// Scene upkeep: snakes this long soon run into the border or each other and
// shrink, so every benchmark iteration first restores the same scene between
// PauseTiming and ResumeTiming and then times kPassesPerScene passes; the
// "per_pass" counter is the time of one pass. The apple timer is restored
// with the scene so that no refill falls into the steady-state passes; the
// refill pass is timed on its own below.
//
// Heap allocations made inside the timed passes are counted (operator new is
// replaced in this file); "allocs_per_pass" should be 0 for passes without
// eating. Run with
//   --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "game/GameView.h"
#include "game/ModMain.h"
#include "platform/Random.h"
#include "platform/Surface.h"
#include "render/RenderFrame.h"
#include "snake/Snake.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {
std::size_t allocations = 0;
bool counting = false;
} // namespace

void* operator new(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Body = std::vector<Snake::Segment>;
constexpr int kSegments = 200;
constexpr int kPassesPerScene = 8;

// Counts the frames it is shown and nothing else.
class SilentView final : public ModMain::GameView {
public:
    void SetLabelText(ModMain::StatusLabel, const std::string&) override {}
    void SetMessageCaption(const std::string&) override {}
    void SetMessageVisible(bool) override {}
    void SetPauseCaption(const std::string&) override {}
    void SetTitleVisible(bool) override {}
    void SetTwoPlayerLayout(bool) override {}
    void SetMenusIdle() override {}
    void PresentFrame(const platform::Surface&) override { ++frames; }
    void ShowAllLevelsCompleted() override {}
    std::size_t frames = 0;
};

// A snake folded through a band of four rows: 100 squares laid out
// boustrophedon from the head at (25, top) to the tail at (25, top + 3), the
// other 100 segments stacked on the tail, as after eating.
Body FoldedBody(int top)
{
    Body body;
    for (int row = 0; row < 4; ++row) {
        const int y = top + row;
        for (int i = 0; i < 25; ++i) {
            const int x = row % 2 == 0 ? 25 - i : 1 + i;
            body.push_back({static_cast<platform::Int16>(x), static_cast<platform::Int16>(y)});
        }
    }
    body.resize(kSegments, body.back());
    return body;
}

struct Scene {
    ModMain::MapGrid map{};
    std::vector<Body> bodies;
};

Scene BuildScene()
{
    Scene scene;
    for (int i = 0; i < ModMain::FieldSize; ++i) {
        scene.map[i][0] = scene.map[i][ModMain::FieldSize - 1] = ModMain::Wall;
        scene.map[0][i] = scene.map[ModMain::FieldSize - 1][i] = ModMain::Wall;
    }
    for (int band = 0; band < 6; ++band)
        scene.bodies.push_back(FoldedBody(1 + 4 * band));
    return scene;
}

// Two players, then four computers, all heading right into the free
// columns 26..28; no apples, so nobody eats.
void Restore(const Scene& scene, double appleTimer)
{
    ModMain::Map = scene.map;
    ModMain::ApplesLeft = 0;
    ModMain::AppleTimer = appleTimer;
    ModMain::Paused = false;
    ModMain::ComSnakesOn = true;
    ModMain::Snakes.resize(2);
    ModMain::ComSnakes.resize(4);
    for (std::size_t i = 0; i < scene.bodies.size(); ++i) {
        auto& slot = i < 2 ? ModMain::Snakes[i] : ModMain::ComSnakes[i - 2];
        if (!slot)
            slot = std::make_shared<Snake>();
        slot->setBodyForTest(scene.bodies[i]);
        slot->dir = ModMain::DirRight;
        slot->IsComputer = i >= 2;
        slot->Lives = 5;
        slot->Colour = static_cast<platform::Int16>(i % 5);
    }
    platform::SeedRandom(42);
}

void Pass()
{
    ModMain::MoveAll();
    ModMain::AppleTimerTick();
    Render::RenderFrame();
}

void SetUp(SilentView& view)
{
    ModMain::ResetState();
    ModMain::SetDefaultSettings();
    ModMain::SoundOn = false;
    ModMain::SetGameView(&view);
    Render::RenderFrame(); // surfaces and pictures made before timing
}

void TearDown(benchmark::State& state, const SilentView& view, std::size_t passes)
{
    state.counters["allocs_per_pass"] = benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(passes));
    state.counters["frames_per_pass"] = benchmark::Counter(static_cast<double>(view.frames) / static_cast<double>(passes));
    ModMain::SetGameView(nullptr);
    ModMain::ResetState();
}

void BM_WholePass_SixSnakesOf200(benchmark::State& state)
{
    SilentView view;
    SetUp(view);
    view.frames = 0;
    allocations = 0;
    const Scene scene = BuildScene();
    for (auto _ : state) {
        state.PauseTiming();
        Restore(scene, 0.0);
        counting = true;
        state.ResumeTiming();
        for (int pass = 0; pass < kPassesPerScene; ++pass)
            Pass();
        state.PauseTiming();
        counting = false;
        state.ResumeTiming();
    }
    state.counters["per_pass"] = benchmark::Counter(
        kPassesPerScene, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    TearDown(state, view, state.iterations() * kPassesPerScene);
}
BENCHMARK(BM_WholePass_SixSnakesOf200);

// The pass in which the apple timer reaches 100 and two batches are laid:
// the free-square count tests every square against all 1200 segments.
void BM_WholePass_WithAppleRefill(benchmark::State& state)
{
    SilentView view;
    SetUp(view);
    view.frames = 0;
    allocations = 0;
    const Scene scene = BuildScene();
    for (auto _ : state) {
        state.PauseTiming();
        Restore(scene, 99.8);
        counting = true;
        state.ResumeTiming();
        Pass();
        state.PauseTiming();
        counting = false;
        state.ResumeTiming();
    }
    TearDown(state, view, state.iterations());
}
BENCHMARK(BM_WholePass_WithAppleRefill)->Unit(benchmark::kMicrosecond);

// A paused pass: only the frame is drawn.
void BM_PausedPass_SixSnakesOf200(benchmark::State& state)
{
    SilentView view;
    SetUp(view);
    Restore(BuildScene(), 0.0);
    ModMain::Paused = true;
    view.frames = 0;
    allocations = 0;
    counting = true;
    for (auto _ : state)
        Render::RenderFrame();
    counting = false;
    TearDown(state, view, state.iterations());
}
BENCHMARK(BM_PausedPass_SixSnakesOf200);

} // namespace

BENCHMARK_MAIN();
