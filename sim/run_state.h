// A run's whole state: what a world needs to go on exactly as it would have, and what the
// statistics need to go on seamlessly. A checkpoint is this, kept as bytes.
#pragma once

#include <cstdint>

#include "display/canvas.h"
#include "sim/life_tally.h"
#include "sim/pedigree.h"
#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane {

struct RunState {
    World world;
    RandomSource random;
    Rules rules;                    // the window's, unless a front end was asked for others
    Canvas space = Canvas::Space(); // both canvases, pixel for pixel
    Canvas graph = Canvas::Graph();
    std::uint64_t ticks_run = 0; // ticks since the world was created
    std::uint64_t seed = 0;      // the seed the random source was last started from
    // Births and deaths since the tick of the last statistics row, so a row after a resume
    // counts across the split.
    LifeTally since_row;
    std::int64_t born_by_events_since_row = 0; // left releases that placed an animal
    std::uint64_t since_row_tick = 0;          // the tick of that row, 0..ticks_run
    Pedigree pedigree; // who each animal is and whence it came, for lineages
};

// A fresh world whose random source starts from `seed`, as the window's own starts from 42.
inline RunState FreshRun(std::uint64_t seed)
{
    RunState run;
    run.random = RandomSource::FromSeed(seed);
    run.seed = seed;
    return run;
}

} // namespace morvane
