// How fast a tick runs on the shared scenes, and where its time goes.
#include <benchmark/benchmark.h>

#include "display/canvas.h"
#include "sim/animal_phase.h"
#include "sim/plant_phase.h"
#include "sim/scenes.h"
#include "sim/tick.h"

namespace morvane {
namespace {

// A scene drifts as it ticks (a populated world may die out, full tables thin); starting it
// afresh every so often keeps each benchmark measuring the world it is named after. Copying
// a world costs about as much as a tenth of a tick, once per thousand ticks.
constexpr int TicksBeforeRestart = 1000;

template <typename Step> void Measure(benchmark::State& state, const Scene& start, Step step)
{
    Scene scene = start;
    Canvas space = Canvas::Space();
    Canvas graph = Canvas::Graph();
    int ticks = 0;
    for (auto _ : state) {
        if (++ticks == TicksBeforeRestart) {
            scene = start;
            ticks = 0;
        }
        step(scene, space, graph);
        benchmark::ClobberMemory();
    }
    state.counters["ticks_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void WholeTick(Scene& s, Canvas& space, Canvas& graph)
{
    benchmark::DoNotOptimize(RunTick(s.world, s.random, WindowRules, space, graph));
}

const Scene& Populated()
{
    static const Scene scene = PopulatedScene(20000);
    return scene;
}

void BM_RunTick_FreshWorld(benchmark::State& state) { Measure(state, FreshScene(), WholeTick); }

void BM_RunTick_Populated(benchmark::State& state) { Measure(state, Populated(), WholeTick); }

void BM_RunTick_FullTables(benchmark::State& state)
{
    Measure(state, FullTablesScene(), WholeTick);
}

// The headless lab's case: nobody looks, so the canvases keep nothing.
void BM_RunTick_PopulatedUnwatched(benchmark::State& state)
{
    Measure(state, Populated(), [](Scene& s, Canvas&, Canvas&) {
        static Canvas nowhere = Canvas::Discarding();
        benchmark::DoNotOptimize(RunTick(s.world, s.random, WindowRules, nowhere, nowhere));
    });
}

void BM_AnimalPhase_Populated(benchmark::State& state)
{
    Measure(state, Populated(), [](Scene& s, Canvas& space, Canvas&) {
        benchmark::DoNotOptimize(AnimalPhase(s.world, s.random, WindowRules, space));
    });
}

void BM_PlantPhase_Populated(benchmark::State& state)
{
    Measure(state, Populated(), [](Scene& s, Canvas& space, Canvas&) {
        benchmark::DoNotOptimize(PlantPhase(s.world, s.random, WindowRules, space));
    });
}

BENCHMARK(BM_RunTick_FreshWorld);
BENCHMARK(BM_RunTick_Populated);
BENCHMARK(BM_RunTick_FullTables);
BENCHMARK(BM_RunTick_PopulatedUnwatched);
BENCHMARK(BM_AnimalPhase_Populated);
BENCHMARK(BM_PlantPhase_Populated);

} // namespace
} // namespace morvane
