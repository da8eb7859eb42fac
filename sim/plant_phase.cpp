// Free slots drift too: their draws keep every tick's sequence the same length per slot.
#include "sim/plant_phase.h"

#include "sim/conversions.h"
#include "sim/hot_path.h"
#include "sim/spawning.h"

namespace morvane {

namespace {

// A plant scattered anywhere: x before y, each rounded to single precision first.
void AddPlantAtRandom(World& world, RandomSource& random)
{
    const float x = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxX);
    const float y = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxY);
    AddPlant(world, random, x, y);
}

} // namespace

MORVANE_HOT_PATH int PlantPhase(World& world, RandomSource& random, Canvas& space)
{
    PlantTable& p = world.plants;
    int count = 0;
    for (int s = 0; s < PlantSlots; ++s) {
        space.PSet(p.x[s], p.y[s], Black);

        p.x[s] = Wrap16(random.Below(3) + p.x[s] - 1);
        p.y[s] = Wrap16(random.Below(3) + p.y[s] - 1);

        // Free slots wander anywhere, so which side of an edge a slot lies on is a coin toss
        // to the processor: the edge and the growth are arithmetic, not branches.
        const int x = p.x[s], y = p.y[s];
        const bool outside = (x > WorldMaxX) | (x < 0) | (y < 0) | (y > WorldMaxY);
        const int size = p.size[s] & -static_cast<int>(!outside);
        p.size[s] = static_cast<std::int16_t>(size + (size > 0));

        if (p.size[s] > PlantFullSize) {
            // A new size of 0 frees this slot, so with no lower slot free the seedling
            // lands right here and is drawn in this same visit.
            p.size[s] = static_cast<std::int16_t>(random.Below(20));
            AddPlant(world, random, p.x[s], p.y[s]);
            if (random.Below(200) == 0) AddPlantAtRandom(world, random);
        }

        if (p.size[s] > 0) {
            space.PSet(p.x[s], p.y[s], PlantColour(p.size[s]));
            ++count;
        }
    }

    const float chance = random.Uniform(); // taken every tick, whatever the count
    if (count < PlantTopUpBelow && static_cast<int>(static_cast<double>(chance) * 100) == 0)
        AddPlantAtRandom(world, random);
    return count;
}

} // namespace morvane
