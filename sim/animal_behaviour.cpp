// Foraging and mating for one animal at a time, with the exact bearing delta; the visits
// themselves are in animal_visits.h, which the animal pass builds in.
#include "sim/animal_behaviour.h"

#include <cmath>

#include "sim/animal_visits.h"
#include "sim/hot_path.h"
#include "sim/steering.h"

namespace morvane {

TargetFix MeasureTarget(float tx, float ty, float x, float y, float heading)
{
    // Single-precision differences: float minus float is the correctly rounded difference.
    const float dx = tx - x;
    const float dy = ty - y;
    return {std::sqrt(visits::SquaredDistanceOf(dx, dy)), ExactBearingDelta(dx, dy, heading)};
}

MORVANE_HOT_PATH void TakePlantPlaces(const PlantTable& plants, PlantPlaces& places)
{
    for (int s = 0; s < PlantSlots; ++s) {
        places.x[s] = plants.x[s];
        places.y[s] = plants.y[s];
    }
}

double Forage(World& world, RandomSource& random, Canvas& space, int i)
{
    PlantPlaces places;
    TakePlantPlaces(world.plants, places);
    return visits::ForageAiming(world, random, space, i, places, visits::ExactDelta{});
}

double Mate(World& world, RandomSource& random, Canvas& space, int i, LifeTally* tally)
{
    int newborn = -1;
    return visits::MateAiming(world, random, space, i, tally, newborn, visits::ExactDelta{});
}

} // namespace morvane
