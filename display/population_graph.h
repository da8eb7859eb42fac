// The strip chart under the world: one plant and one animal sample per tick at the sweep
// position, with a black eraser line just ahead of it.
#pragma once

#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane {

inline constexpr int GraphPlantFullScale = 500;  // plants plotted against 500 over the height
inline constexpr int GraphAnimalFullScale = 250; // animals plotted against 250 over the height

// Advances world.tick (wrapping 4960 -> 0), erases the column ahead and plots the counts of
// this tick's passes. Always takes two draws, the plant sample's colour first.
void GraphUpdate(World& world, RandomSource& random, Canvas& graph, int plants, int animals);

} // namespace morvane
