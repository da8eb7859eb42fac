// The fixed order of a tick, which fixes the order of its draws.
#include "sim/tick.h"

#include "display/population_graph.h"
#include "sim/animal_phase.h"
#include "sim/graph_sweep.h"
#include "sim/plant_phase.h"

namespace morvane {

TickCounts RunTick(World& world, RandomSource& random, const Rules& rules, Canvas& space,
                   Canvas& graph, LifeWatcher* watcher)
{
    const int animals = AnimalPhase(world, random, rules, space, watcher);
    const int plants = PlantPhase(world, random, rules, space);
    const SweepStep step = AdvanceSweep(world, random);
    PlotPopulation(graph, {step.sweep, plants, animals, step.plant_shade, step.animal_shade});
    return {animals, plants};
}

} // namespace morvane
