// What the game-controller layer costs: the once-a-pass poll with no pad
// connected (the usual case), and starting the layer, which the window does
// once, shortly after it shows. Run with
//   --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "platform/GameControllers.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PollNoPad(benchmark::State& state)
{
    if (!platform::StartGameControllers()) {
        state.SkipWithError("the controller layer did not start");
        return;
    }
    for (auto _ : state)
        platform::PollGameControllers();
    platform::StopGameControllers();
}
BENCHMARK(BM_PollNoPad);

void BM_StartAndStopLayer(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::StartGameControllers());
        platform::StopGameControllers();
    }
}
BENCHMARK(BM_StartAndStopLayer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
