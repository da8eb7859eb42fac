// The world's part of the population graph: the sweep counter moves on one step a tick, and
// the tick's two samples take their random shades. What is drawn with them is the graph
// canvas's affair (display/population_graph.h).
#pragma once

#include <cstdint>

#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane {

inline constexpr int SampleShades = 100; // each sample's shade is one of 0..99

// Where this tick's samples go and the two shades drawn for them.
struct SweepStep {
    std::int16_t sweep; // the new position, 0..SweepMax
    int plant_shade;    // 0..99, drawn first
    int animal_shade;   // 0..99, drawn second
};

// Advances world.sweep (wrapping SweepMax -> 0) and takes the two draws, the plant sample's
// first. Every tick takes them, whether or not anything is drawn.
SweepStep AdvanceSweep(World& world, RandomSource& random);

} // namespace morvane
