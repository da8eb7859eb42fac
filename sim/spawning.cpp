// Births fill the lowest free slot, so a newborn may still be visited later in the same pass.
#include "sim/spawning.h"

#include <cstdint>

#include "sim/conversions.h"

namespace morvane {

namespace {

// The lowest slot whose energy or size is 0, or -1 when every slot is taken. (Scanning four
// slots at a time saved 1 % of a tick's instructions and no time that showed.)
template <typename Occupancy> int LowestFreeSlot(const Occupancy& occupancy)
{
    for (int slot = 0; slot < static_cast<int>(occupancy.size()); ++slot)
        if (occupancy[slot] == 0) return slot;
    return -1;
}

} // namespace

int AddAnimal(World& world, RandomSource& random, const Rules& rules, double x, double y,
              double turn, double speed)
{
    AnimalTable& a = world.animals;
    const int slot = LowestFreeSlot(a.energy);
    if (slot < 0) return -1;
    a.x[slot] = static_cast<float>(x);
    a.y[slot] = static_cast<float>(y);
    a.heading[slot] = static_cast<float>(static_cast<double>(random.Uniform()) * 360 * OneDegree);
    a.energy[slot] = static_cast<std::int16_t>(random.Below(rules.newborn_energy_spread) +
                                               rules.newborn_energy_min);
    a.turn[slot] = static_cast<float>(turn);
    a.speed[slot] = static_cast<float>(speed);
    // mode and target stay as the previous occupant left them.
    return slot;
}

int AddPlant(World& world, RandomSource& random, const Rules& rules, double x, double y)
{
    PlantTable& p = world.plants;
    const int slot = LowestFreeSlot(p.size);
    if (slot < 0) return -1;
    p.x[slot] = RoundToInt16(x);
    p.y[slot] = RoundToInt16(y);
    p.size[slot] = static_cast<std::int16_t>(random.Below(rules.seedling_spread) + 1);
    return slot;
}

} // namespace morvane
