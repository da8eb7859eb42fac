// The plant pass of a tick. Free slots drift too: their draws keep every tick's sequence of
// draws the same length per slot, whatever lives where.
#include "sim/plant_phase.h"

#include "sim/conversions.h"
#include "sim/kernels/hot_path.h"
#include "sim/spawning.h"

namespace morvane {

namespace {

bool OutsideWorld(int x, int y) { return x > WorldMaxX || x < 0 || y < 0 || y > WorldMaxY; }

// A plant scattered anywhere: x before y, each rounded to single precision first.
void AddPlantAtRandom(World& world, RandomSource& random, const Rules& rules)
{
    const float x = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxX);
    const float y = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxY);
    AddPlant(world, random, rules, x, y);
}

// The pass itself, built into PlantPhase twice (see there).
[[gnu::always_inline]] inline int PlantPass(World& world, RandomSource& random, const Rules& rules,
                                            Canvas& space)
{
    PlantTable& p = world.plants;
    int count = 0;
    for (int s = 0; s < PlantSlots; ++s) {
        // Erase: its dot at the old place goes black.
        space.PSet(p.x[s], p.y[s], Black);

        // Drift: x, then y, moves by -1, 0 or +1 pixel, each with its own draw.
        p.x[s] = Wrap16(random.Below(3) + p.x[s] - 1);
        p.y[s] = Wrap16(random.Below(3) + p.y[s] - 1);

        // Edge: a plant that drifts out of the world dies.
        if (OutsideWorld(p.x[s], p.y[s])) p.size[s] = 0;

        // Growth: a living plant grows by one.
        if (p.size[s] > 0) ++p.size[s];

        // Seeding: past seeding-size a plant shrinks back to a random size below
        // regrowth-spread (0 kills it) and drops a seedling where it stands; one time in
        // far-seed-chance a second one lands anywhere. A new size of 0 frees this slot, so with
        // no lower slot free the seedling lands right here and is drawn in this same visit.
        if (p.size[s] > rules.seeding_size) {
            p.size[s] = static_cast<std::int16_t>(random.Below(rules.regrowth_spread));
            AddPlant(world, random, rules, p.x[s], p.y[s]);
            if (random.Below(rules.far_seed_chance) == 0) AddPlantAtRandom(world, random, rules);
        }

        // Draw and count the living, brighter green the bigger.
        if (p.size[s] > 0) {
            space.PSet(p.x[s], p.y[s], PlantColour(p.size[s]));
            ++count;
        }
    }

    // Top-up: the chance is drawn every tick, whatever the count; with fewer than
    // plant-top-up-below plants alive, one tick in top-up-chance brings a newcomer at a random
    // place.
    const float chance = random.Uniform();
    if (count < rules.plant_top_up_below &&
        static_cast<int>(static_cast<double>(chance) * rules.top_up_chance) == 0)
        AddPlantAtRandom(world, random, rules);
    return count;
}

} // namespace

// As the animal pass is: built with the window's rules folded in, and again for any others.
MORVANE_HOT_PATH int PlantPhase(World& world, RandomSource& random, const Rules& rules,
                                Canvas& space)
{
    if (rules == WindowRules) return PlantPass(world, random, WindowRules, space);
    return PlantPass(world, random, rules, space);
}

} // namespace morvane
