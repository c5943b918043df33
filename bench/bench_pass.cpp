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
#include "BusyScene.h"
#include "flow/GameFlow.h"
#include "platform/Surface.h"
#include "render/RenderFrame.h"
#include "rules/GameView.h"
#include "rules/ModMain.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>

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
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

constexpr int kPassesPerScene = 8;

// Counts the frames it is shown and nothing else.
class SilentView final : public ModMain::QuietView {
  public:
    void PresentFrame(const platform::Surface&) override { ++frames; }
    std::size_t frames = 0;
};

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
    state.counters["allocs_per_pass"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(passes));
    state.counters["frames_per_pass"] =
        benchmark::Counter(static_cast<double>(view.frames) / static_cast<double>(passes));
    ModMain::SetGameView(nullptr);
    ModMain::ResetState();
}

// Times `passes` passes after each untimed restore of the scene, counting
// the heap allocations made inside them.
void TimeRestoredPasses(benchmark::State& state, double appleTimer, int passes)
{
    SilentView view;
    SetUp(view);
    view.frames = 0;
    allocations = 0;
    const bench::Scene scene = bench::BuildScene();
    for (auto _ : state) {
        state.PauseTiming();
        bench::RestoreScene(scene, appleTimer);
        counting = true;
        state.ResumeTiming();
        for (int pass = 0; pass < passes; ++pass)
            Pass();
        state.PauseTiming();
        counting = false;
        state.ResumeTiming();
    }
    state.counters["per_pass"] =
        benchmark::Counter(passes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    TearDown(state, view, state.iterations() * static_cast<std::size_t>(passes));
}

void BM_WholePass_SixSnakesOf200(benchmark::State& state)
{
    TimeRestoredPasses(state, 0.0, kPassesPerScene);
}
BENCHMARK(BM_WholePass_SixSnakesOf200);

// The pass in which the apple timer reaches 100: two batches of apples are
// laid among the 1200 segments.
void BM_WholePass_WithAppleRefill(benchmark::State& state)
{
    TimeRestoredPasses(state, 99.8, 1);
}
BENCHMARK(BM_WholePass_WithAppleRefill)->Unit(benchmark::kMicrosecond);

// A paused pass: only the frame is drawn.
void BM_PausedPass_SixSnakesOf200(benchmark::State& state)
{
    SilentView view;
    SetUp(view);
    bench::RestoreScene(bench::BuildScene(), 0.0);
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
