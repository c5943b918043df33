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
#include "game/ModMain.h"
#include "platform/Random.h"
#include "snake/Snake.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using Body = std::vector<Snake::Segment>;
constexpr int kSegments = 200;
constexpr int kPassesPerScene = 8;

// A snake folded through a band of four rows: 100 squares laid out
// boustrophedon from the head at (25, top) to the tail at (25, top + 3),
// and the other 100 segments stacked on the tail, as after eating.
Body foldedBody(int top)
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

Scene buildScene()
{
    Scene scene;
    for (int i = 0; i < ModMain::FieldSize; ++i) {
        scene.map[i][0] = scene.map[i][ModMain::FieldSize - 1] = ModMain::Wall;
        scene.map[0][i] = scene.map[ModMain::FieldSize - 1][i] = ModMain::Wall;
    }
    for (int band = 0; band < 6; ++band)
        scene.bodies.push_back(foldedBody(1 + 4 * band));
    return scene;
}

// The game state of the scene: two players first, then four computers, all
// heading right into the free columns 26..28.
void restore(const Scene& scene)
{
    ModMain::Map = scene.map;
    ModMain::ApplesLeft = 0;
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
    }
    platform::SeedRandom(42);
}

void BM_MoveAll_SixSnakesOf200(benchmark::State& state)
{
    ModMain::ResetState();
    ModMain::SetDefaultSettings();
    ModMain::SoundOn = false;
    const Scene scene = buildScene();
    for (auto _ : state) {
        state.PauseTiming();
        restore(scene);
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
