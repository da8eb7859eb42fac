// The --stats-out table: one row every K ticks with the population, the spread of the
// animals' traits and the births and deaths since the row before.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "lab/animal_census.h"
#include "sim/life_tally.h"

namespace morvane::lab {

struct StatsRow {
    std::uint64_t tick = 0;          // ticks run, 0..N; the world after that tick's releases
    int plants = 0;                  // living plants, 0..501
    AnimalCensus animals;            // the living animals (census.living is the count)
    LifeTally since;                 // births and deaths since the previous row (none at 0)
    std::int64_t born_by_events = 0; // left releases that placed an animal, since the previous row
};

// The header line, newline included.
std::string StatsHeader();

// One row, newline included. With no living animal the trait and energy fields are empty.
std::string StatsLine(const StatsRow& row);

} // namespace morvane::lab
