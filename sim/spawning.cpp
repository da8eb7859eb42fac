// Births fill the lowest free slot, so a newborn may still be visited later in the same pass.
#include "sim/spawning.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "sim/conversions.h"

namespace morvane {

namespace {

// Four 16-bit fields are looked at together as one 64-bit word: subtracting 1 from each
// field borrows out of its top bit exactly when the field is 0, and no borrow reaches a field
// below the first 0, so the lowest flagged field is the lowest free slot. A settled world has
// hundreds of plants, so this scan runs over most of the table at every seeding.
template <typename Table> int LowestFreeSlot(const Table& occupancy)
{
    constexpr int Fields = 4;
    constexpr std::uint64_t Ones = 0x0001'0001'0001'0001, Tops = 0x8000'8000'8000'8000;
    const int slots = static_cast<int>(occupancy.size());
    int slot = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; slot + Fields <= slots; slot += Fields) {
            std::uint64_t word;
            std::memcpy(&word, &occupancy[slot], sizeof word);
            const std::uint64_t zeros = (word - Ones) & ~word & Tops;
            if (zeros != 0) return slot + std::countr_zero(zeros) / 16;
        }
    }
    for (; slot < slots; ++slot)
        if (occupancy[slot] == 0) return slot;
    return -1;
}

} // namespace

int AddAnimal(World& world, RandomSource& random, double x, double y, double turn, double speed)
{
    AnimalTable& a = world.animals;
    const int slot = LowestFreeSlot(a.energy);
    if (slot < 0) return -1;
    a.x[slot] = static_cast<float>(x);
    a.y[slot] = static_cast<float>(y);
    a.heading[slot] = static_cast<float>(static_cast<double>(random.Uniform()) * 360 * OneDegree);
    a.energy[slot] = static_cast<std::int16_t>(random.Below(500) + 200);
    a.turn[slot] = static_cast<float>(turn);
    a.speed[slot] = static_cast<float>(speed);
    // mode and target stay as the previous occupant left them.
    return slot;
}

int AddPlant(World& world, RandomSource& random, double x, double y)
{
    PlantTable& p = world.plants;
    const int slot = LowestFreeSlot(p.size);
    if (slot < 0) return -1;
    p.x[slot] = RoundToInt16(x);
    p.y[slot] = RoundToInt16(y);
    p.size[slot] = static_cast<std::int16_t>(random.Below(40) + 1);
    return slot;
}

} // namespace morvane
