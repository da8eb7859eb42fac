// The sweep counts tenths of a graph pixel, so ten ticks share one column of the graph.
#include "sim/graph_sweep.h"

namespace morvane {

SweepStep AdvanceSweep(World& world, RandomSource& random)
{
    world.sweep = static_cast<std::int16_t>(world.sweep + 1);
    if (world.sweep > SweepMax) world.sweep = 0;
    // The plant sample's shade is drawn first, as it always was: the stream's order is the world's.
    const int plant_shade = random.Below(SampleShades);
    const int animal_shade = random.Below(SampleShades);
    return {world.sweep, plant_shade, animal_shade};
}

} // namespace morvane
