// The pass order is part of the behaviour: a newborn put into a later slot moves, behaves and
// is drawn in this same pass, one put into an earlier slot waits for the next tick.
#include "sim/animal_phase.h"

#include <cmath>

#include "sim/animal_behaviour.h"
#include "sim/spawning.h"

namespace morvane {

int AnimalPhase(World& world, RandomSource& random, Canvas& space)
{
    AnimalTable& a = world.animals;
    int count = 0;
    for (int i = 0; i < AnimalSlots; ++i) {
        space.PSet(a.x[i], a.y[i], Black);

        if (a.speed[i] != 0 || a.x[i] == 0 || a.y[i] == 0) {
            const double heading = a.heading[i];
            a.x[i] = static_cast<float>(a.speed[i] * std::sin(heading) + a.x[i]);
            a.y[i] = static_cast<float>(a.speed[i] * std::cos(heading) + a.y[i]);
        }
        // Else a stopped animal, most of the table in a settled world: the move adds a zero
        // (of either sign) to a non-zero coordinate, which leaves it exactly as it is, so its
        // sine and cosine need not be taken. Only a coordinate of zero could change (-0 + +0
        // is +0), and that case takes the full move.

        if (a.x[i] < 0 || a.x[i] > WorldMaxX || a.y[i] < 0 || a.y[i] > WorldMaxY) a.energy[i] = 0;

        const double bearing_delta =
            a.mode[i] == Mating ? Mate(world, random, space, i) : Forage(world, random, space, i);

        // The new heading takes effect in the next tick's move.
        if (bearing_delta < 0) a.heading[i] = a.heading[i] - a.turn[i];
        if (bearing_delta > 0) a.heading[i] = a.turn[i] + a.heading[i];

        // Stopping comes before tiring, so an animal that dies of exhaustion below still makes
        // one more unseen move at its next visit.
        if (a.energy[i] == 0) a.speed[i] = 0;
        if (a.energy[i] > 0) a.energy[i] = static_cast<std::int16_t>(a.energy[i] - 1);
        if (a.energy[i] > 0) {
            space.PSet(a.x[i], a.y[i], AnimalColour);
            ++count;
        }
    }

    const float chance = random.Uniform(); // taken every tick, whatever the count
    if (count < AnimalTopUpBelow && static_cast<int>(static_cast<double>(chance) * 100) == 0) {
        const float x = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxX);
        const float y = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxY);
        AddAnimal(world, random, x, y, 0.5, 0.5);
    }
    return count;
}

} // namespace morvane
