// The animal pass of a tick: move, die at the edge, behave, steer, tire and draw every slot.
#pragma once

#include "display/canvas.h"
#include "sim/life_tally.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane {

inline constexpr Colour AnimalColour = Rgb(255, 50, 0);
inline constexpr int AnimalTopUpBelow = 3; // fewer living animals than this invites a newcomer

// Advances animal slots 0..250 in order and then tops up a thin population (1 in 100 per
// tick). Returns the animals alive during the pass, 0..251, not counting the newcomer.
// Births and deaths are added to `tally` when one is given.
int AnimalPhase(World& world, RandomSource& random, Canvas& space, LifeTally* tally = nullptr);

} // namespace morvane
