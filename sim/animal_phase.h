// The animal pass of a tick: every slot is erased, stepped, killed at the edge, run through its
// mode (foraging or mating), turned towards its target, tired and drawn.
#pragma once

#include "display/canvas.h"
#include "sim/life_watcher.h"
#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane {

inline constexpr Colour AnimalColour = Rgb(255, 50, 0);

// Advances animal slots 0..250 in order under `rules` and then tops up a thin population (1 in
// top-up-chance per tick). Returns the animals alive during the pass, 0..251, not counting the
// newcomer. Births and deaths are told to `watcher` as they happen, when one is given.
int AnimalPhase(World& world, RandomSource& random, const Rules& rules, Canvas& space,
                LifeWatcher* watcher = nullptr);

} // namespace morvane
