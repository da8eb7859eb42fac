// What the living animals are like at one moment: how many, and the spread of their speed,
// turning rate and energy.
#pragma once

#include "sim/world.h"

namespace morvane::lab {

struct TraitSpread {
    double mean = 0; // over the living animals
    double sd = 0;   // population standard deviation (divided by the count), >= 0
    float min = 0;   // exactly as the table holds it
    float max = 0;
};

struct AnimalCensus {
    int living = 0;         // animals with energy > 0, 0..251; the fields below mean nothing at 0
    TraitSpread speed;      // world pixels per tick
    TraitSpread turn;       // radians per tick
    double energy_mean = 0; // energy units, 1..32767
};

// Takes the census in slot order, in double precision, mean first and then the squared
// deviations from it, so the same world always gives the same bits.
AnimalCensus TakeCensus(const World& world);

} // namespace morvane::lab
