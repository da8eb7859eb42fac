// Worlds worth starting from, written once for the tests, the benchmarks and the lab.
#pragma once

#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane {

// A world together with the random source that continues it and the rules it runs by.
struct Scene {
    World world;
    RandomSource random;
    Rules rules;
};

// The empty world and the fixed starting state of the random source: what the window starts
// with, under the window's rules unless others are given.
Scene FreshScene(const Rules& rules = WindowRules);

// The fresh scene after `ticks` ticks with no mouse action; 20,000 ticks give a settled
// population of animals and plants.
Scene PopulatedScene(int ticks = 20000, const Rules& rules = WindowRules);

// Both tables full: 251 animals (turn 0.5, speed 0.5) and 501 plants at random places.
Scene FullTablesScene(const Rules& rules = WindowRules);

} // namespace morvane
