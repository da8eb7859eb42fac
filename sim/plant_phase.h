// The plant pass of a tick: drift, die at the edge, grow, seed and draw every slot.
#pragma once

#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane {

inline constexpr int PlantFullSize = 100; // a plant that grows past this seeds
inline constexpr int PlantTopUpBelow = 5; // fewer living plants than this invites a newcomer

// A living plant of size 1..100 is drawn green 52..250.
constexpr Colour PlantColour(int size) { return Rgb(0, 2 * size + 50, 0); }

// Advances plant slots 0..500 in order and then tops up a thin population (1 in 100 per
// tick). Returns the plants alive during the pass, 0..501, not counting the newcomer.
int PlantPhase(World& world, RandomSource& random, Canvas& space);

} // namespace morvane
