// How long keeping a world and reading it back take: the price of a rolling checkpoint.
#include <benchmark/benchmark.h>

#include <string>

#include "sim/checkpoint.h"
#include "sim/run_state.h"
#include "sim/scenes.h"
#include "sim/tick.h"

namespace morvane {
namespace {

// The populated scene with canvases drawn on for a while, as a long run keeps them.
const RunState& Kept()
{
    static const RunState run = [] {
        RunState r;
        const Scene scene = PopulatedScene(20000);
        r.world = scene.world;
        r.random = scene.random;
        r.ticks_run = 20000;
        Tallying counting_r(r.since_row);
        for (int t = 0; t < 5000; ++t, ++r.ticks_run)
            RunTick(r.world, r.random, WindowRules, r.space, r.graph, &counting_r);
        return r;
    }();
    return run;
}

void BM_WriteCheckpoint_Populated(benchmark::State& state)
{
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = WriteCheckpoint(Kept(), "1.0.0.0");
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["bytes"] = static_cast<double>(size);
}

void BM_ReadCheckpoint_Populated(benchmark::State& state)
{
    const std::string bytes = WriteCheckpoint(Kept(), "1.0.0.0");
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadCheckpoint(bytes).ticks_run);
}

BENCHMARK(BM_WriteCheckpoint_Populated)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCheckpoint_Populated)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace morvane
