// Two passes rather than a running sum of squares: the squares of values near the mean would
// cancel badly in one pass, and a fixed order keeps every bit reproducible.
#include "lab/run/animal_census.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace morvane::lab {

namespace {

TraitSpread Spread(const std::array<float, AnimalSlots>& trait,
                   const std::array<std::int16_t, AnimalSlots>& energy, int living)
{
    TraitSpread spread;
    double sum = 0;
    bool first = true;
    for (int i = 0; i < AnimalSlots; ++i) {
        if (energy[i] <= 0) continue;
        sum += trait[i];
        spread.min = first ? trait[i] : std::min(spread.min, trait[i]);
        spread.max = first ? trait[i] : std::max(spread.max, trait[i]);
        first = false;
    }
    spread.mean = sum / living;
    double squares = 0;
    for (int i = 0; i < AnimalSlots; ++i) {
        if (energy[i] <= 0) continue;
        const double deviation = trait[i] - spread.mean;
        squares += deviation * deviation;
    }
    spread.sd = std::sqrt(squares / living);
    return spread;
}

} // namespace

AnimalCensus TakeCensus(const World& world)
{
    const AnimalTable& a = world.animals;
    AnimalCensus census;
    double energy = 0;
    for (int i = 0; i < AnimalSlots; ++i)
        if (a.energy[i] > 0) {
            ++census.living;
            energy += a.energy[i];
        }
    if (census.living == 0) return census;
    census.speed = Spread(a.speed, a.energy, census.living);
    census.turn = Spread(a.turn, a.energy, census.living);
    census.energy_mean = energy / census.living;
    return census;
}

} // namespace morvane::lab
