// Head counts of the world's tables.
#include "sim/world.h"

#include <algorithm>

namespace morvane {

int LivingAnimals(const World& world)
{
    return static_cast<int>(std::count_if(world.animals.energy.begin(), world.animals.energy.end(),
                                          [](std::int16_t e) { return e > 0; }));
}

int LivingPlants(const World& world)
{
    return static_cast<int>(std::count_if(world.plants.size.begin(), world.plants.size.end(),
                                          [](std::int16_t s) { return s > 0; }));
}

} // namespace morvane
