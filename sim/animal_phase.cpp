// The pass order is part of the behaviour: a newborn put into a later slot moves, behaves and
// is drawn in this same pass, one put into an earlier slot waits for the next tick.
#include "sim/animal_phase.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "sim/animal_behaviour.h"
#include "sim/bit_select.h"
#include "sim/motion.h"
#include "sim/spawning.h"

namespace morvane {

namespace {

bool IsNegativeZero(float v) { return v == 0 && std::signbit(v); }

} // namespace

int AnimalPhase(World& world, RandomSource& random, Canvas& space, LifeTally* tally)
{
    AnimalTable& a = world.animals;
    int count = 0;
    for (int i = 0; i < AnimalSlots; ++i) {
        space.PSet(a.x[i], a.y[i], Black);

        // A stopped animal (most of the table in a settled world, all of it in an empty one)
        // adds a zero of either sign to each coordinate, which leaves any coordinate but -0
        // exactly as it is (-0 + +0 is +0), so its sine and cosine need not be taken.
        const bool stopped = a.speed[i] == 0 && !IsNegativeZero(a.x[i]) && !IsNegativeZero(a.y[i]);
        if (!stopped) {
            const Position moved = StepAlong(a.x[i], a.y[i], a.speed[i], a.heading[i]);
            a.x[i] = moved.x;
            a.y[i] = moved.y;
        }

        if (a.x[i] < 0 || a.x[i] > WorldMaxX || a.y[i] < 0 || a.y[i] > WorldMaxY) {
            if (tally && a.energy[i] > 0) ++tally->died_leaving;
            a.energy[i] = 0;
        }

        const int steer = a.mode[i] == Mating ? MateSteering(world, random, space, i, tally)
                                              : ForageSteering(world, random, space, i);

        // The new heading takes effect in the next tick's move. Which way an animal turns is a
        // coin toss to the processor, so both turns are computed and one is kept.
        const float heading = a.heading[i];
        const float left = heading - a.turn[i];
        const float right = a.turn[i] + heading;
        a.heading[i] = Select(steer < 0, left, Select(steer > 0, right, heading));

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
