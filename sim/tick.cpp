// The fixed order of a tick, which fixes the order of its draws.
#include "sim/tick.h"

#include "display/population_graph.h"
#include "sim/animal_phase.h"
#include "sim/plant_phase.h"

namespace morvane {

TickCounts RunTick(World& world, RandomSource& random, Canvas& space, Canvas& graph,
                   LifeWatcher* watcher)
{
    const int animals = AnimalPhase(world, random, space, watcher);
    const int plants = PlantPhase(world, random, space);
    GraphUpdate(world, random, graph, plants, animals);
    return {animals, plants};
}

} // namespace morvane
