// The plant pass of a tick: drift, die at the edge, grow, seed and draw every slot.
#pragma once

#include <algorithm>

#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane {

// A living plant of size 1..100 is drawn green 52..250; a bigger one, which only other rules
// grow, brighter up to the brightest green there is.
constexpr Colour PlantColour(int size) { return Rgb(0, std::min(2 * size + 50, 255), 0); }

// Advances plant slots 0..500 in order under `rules` and then tops up a thin population (1 in
// top-up-chance per tick). Returns the plants alive during the pass, 0..501, not counting the
// newcomer.
int PlantPhase(World& world, RandomSource& random, const Rules& rules, Canvas& space);

} // namespace morvane
