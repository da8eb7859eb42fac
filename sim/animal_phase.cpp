// The pass order is part of the behaviour: a newborn put into a later slot moves, behaves and
// is drawn in this same pass, one put into an earlier slot waits for the next tick.
#include "sim/animal_phase.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "sim/animal_visits.h"
#include "sim/hot_path.h"
#include "sim/motion.h"
#include "sim/spawning.h"
#include "sim/steering.h"

namespace morvane {

namespace {

bool IsNegativeZero(float v) { return v == 0 && std::signbit(v); }

// Where animal slot i steps to from its place, speed and heading now.
Position StepOf(const AnimalTable& a, int i)
{
    // A stopped animal (most of the table in a settled world, all of it in an empty one)
    // adds a zero of either sign to each coordinate, which leaves any coordinate but -0
    // exactly as it is (-0 + +0 is +0), so its sine and cosine need not be taken.
    const bool stopped = a.speed[i] == 0 && !IsNegativeZero(a.x[i]) && !IsNegativeZero(a.y[i]);
    if (stopped) return {a.x[i], a.y[i]};
    return StepAlong(a.x[i], a.y[i], a.speed[i], a.heading[i]);
}

} // namespace

// The turns wait until the whole pass is done, when every animal's steering sign can be had
// two at a time (see SteeringSigns). That changes nothing, because a turn changes only the
// heading, which nothing but the slot's own next move reads. The one exception is a slot a
// birth fills after its visit: the newborn keeps the heading it was born with.
MORVANE_HOT_PATH int AnimalPhase(World& world, RandomSource& random, Canvas& space,
                                  LifeTally* tally)
{
    AnimalTable& a = world.animals;
    PlantPlaces places;
    TakePlantPlaces(world.plants, places);
    Sightings seen;
    std::array<std::int32_t, AnimalSlots> born_after_visit{}; // 0, or all ones
    int count = 0;
    for (int i = 0; i < AnimalSlots; ++i) {
        space.PSet(a.x[i], a.y[i], Black);

        const Position moved = StepOf(a, i);
        a.x[i] = moved.x;
        a.y[i] = moved.y;

        if (a.x[i] < 0 || a.x[i] > WorldMaxX || a.y[i] < 0 || a.y[i] > WorldMaxY) {
            if (tally && a.energy[i] > 0) ++tally->died_leaving;
            a.energy[i] = 0;
        }

        int newborn = -1;
        if (a.mode[i] == Mating)
            MateSighting(world, random, space, i, tally, newborn, seen);
        else
            ForageSighting(world, random, space, i, places, seen);
        if (newborn >= 0 && newborn < i) born_after_visit[newborn] = -1;

        // Stopping comes before tiring, so an animal that dies of exhaustion below still makes
        // one more unseen move at its next visit.
        if (a.energy[i] == 0) a.speed[i] = 0;
        if (a.energy[i] > 0) {
            a.energy[i] = static_cast<std::int16_t>(a.energy[i] - 1);
            if (tally && a.energy[i] == 0) ++tally->died_exhausted;
        }
        if (a.energy[i] > 0) {
            space.PSet(a.x[i], a.y[i], AnimalColour);
            ++count;
        }
    }

    // The new headings take effect in the next tick's move. Which way an animal turns is a
    // coin toss to the processor, so both turns are computed and one is kept by masking
    // bits, which also lets the compiler turn several animals at once.
    std::array<std::int32_t, AnimalSlots> steer;
    SteeringSigns(seen.dx, seen.dy, seen.heading, steer);
    for (int i = 0; i < AnimalSlots; ++i) {
        const float heading = a.heading[i];
        const float left = heading - a.turn[i];
        const float right = a.turn[i] + heading;
        const auto keep = std::bit_cast<std::int32_t>(heading);
        const std::int32_t to_left = -(steer[i] < 0) & ~born_after_visit[i];
        const std::int32_t to_right = -(steer[i] > 0) & ~born_after_visit[i];
        a.heading[i] = std::bit_cast<float>((std::bit_cast<std::int32_t>(left) & to_left) |
                                            (std::bit_cast<std::int32_t>(right) & to_right) |
                                            (keep & ~(to_left | to_right)));
    }

    const float chance = random.Uniform(); // taken every tick, whatever the count
    if (count < AnimalTopUpBelow && static_cast<int>(static_cast<double>(chance) * 100) == 0) {
        const float x = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxX);
        const float y = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxY);
        const int newcomer = AddAnimal(world, random, x, y, 0.5, 0.5);
        if (tally && newcomer >= 0) ++tally->born_by_top_up;
    }
    return count;
}

} // namespace morvane
