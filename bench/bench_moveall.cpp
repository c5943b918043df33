// One movement pass (MoveAll) on a crowded, walled field: two human and four
// computer snakes of 200 segments each, so every look-ahead has 1200
// segments to test.
//
// Steady state: snakes this long soon run into something and shrink, so each
// benchmark iteration first restores the same scene (untimed, between
// PauseTiming and ResumeTiming) and then times kPassesPerScene passes. The
// "per_pass" counter is the time of one pass. Run with
//   --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// and read the median of per_pass.
#include "BusyScene.h"
#include "flow/GameFlow.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kPassesPerScene = 8;

void BM_MoveAll_SixSnakesOf200(benchmark::State& state)
{
    ModMain::ResetState();
    ModMain::SetDefaultSettings();
    ModMain::SoundOn = false;
    const bench::Scene scene = bench::BuildScene();
    for (auto _ : state) {
        state.PauseTiming();
        bench::RestoreScene(scene, 0.0);
        state.ResumeTiming();
        for (int pass = 0; pass < kPassesPerScene; ++pass)
            ModMain::MoveAll();
        benchmark::DoNotOptimize(ModMain::Snakes.front()->body().data());
    }
    state.counters["per_pass"] = benchmark::Counter(kPassesPerScene, benchmark::Counter::kIsIterationInvariantRate |
                                                                         benchmark::Counter::kInvert);
    ModMain::Snakes.clear();
    ModMain::ComSnakes.clear();
}
BENCHMARK(BM_MoveAll_SixSnakesOf200);

} // namespace

BENCHMARK_MAIN();
