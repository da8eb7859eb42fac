// The pass order is part of the behaviour: a newborn put into a later slot moves, behaves and
// is drawn in this same pass, one put into an earlier slot waits for the next tick. Both modes
// run for dead slots too: a dead animal still checks its target and glances about, which
// keeps its draws in the tick's fixed order.
//
// The visits live in this file, beside the pass, and are built into it (always inline), and so
// into its version for newer processors: left to itself the compiler keeps the forager's visit
// a call of its own, which costs 4 % more instructions a tick.
#include "sim/animal_phase.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>

#include "sim/kernels/glance.h"
#include "sim/kernels/hot_path.h"
#include "sim/kernels/select.h"
#include "sim/kernels/steering_signs.h"
#include "sim/kernels/step_along.h"
#include "sim/spawning.h"

namespace morvane {

namespace {

// What each animal saw of its target in its visit: the differences from it to the target,
// rounded to single precision, and its own heading then. Its turn is worked out from these
// after the pass (see TurnTowardsTargets).
struct Sightings {
    std::array<float, AnimalSlots> dx;
    std::array<float, AnimalSlots> dy;
    std::array<float, AnimalSlots> heading;

    void Record(int i, float to_x, float to_y, float own_heading)
    {
        dx[i] = to_x;
        dy[i] = to_y;
        heading[i] = own_heading;
    }
};

bool OutsideWorld(float x, float y) { return x < 0 || x > WorldMaxX || y < 0 || y > WorldMaxY; }

// The rules ask whether the distance is below one pixel. A correctly rounded square root is
// below 1 exactly when its square is, so the root is never taken for it.
bool WithinOnePixel(double squared_distance) { return squared_distance < 1; }

double SquaredDistance(float dx, float dy)
{
    return static_cast<double>(dx) * dx + static_cast<double>(dy) * dy;
}

// The window's eleven glances are taken with the count, and the bound on it, known to the
// compiler, which then lays the eleven draws out one after another; any other count takes
// the loop as it stands. The two give the same target with the same draws; the first keeps
// the window's tick as fast as it was before the count became a rule (the loop alone cost the
// animal pass 8 %). Other counts take the least of a few bounds above them, so that the
// candidates' list, zeroed whole each glance, is never much longer than they need.
// `glance(most, glances)` takes the bound as a type's value.
template <typename Glance>
[[gnu::always_inline]] inline std::int16_t WithGlances(int glances, Glance glance)
{
    constexpr int Window = WindowRules.glances;
    if (glances == Window) return glance(std::integral_constant<int, Window>{}, Window);
    if (glances <= 16) return glance(std::integral_constant<int, 16>{}, glances);
    if (glances <= 32) return glance(std::integral_constant<int, 32>{}, glances);
    return glance(std::integral_constant<int, MostGlances>{}, glances);
}

std::int16_t Draw(RandomSource& random, int slots)
{
    return static_cast<std::int16_t>(random.Below(slots));
}

// A forager's visit. Returns nothing: what it saw goes into `seen`.
[[gnu::always_inline]] inline void Forage(World& world, RandomSource& random, const Rules& rules,
                                          Canvas& space, int i, const kernels::PlantPlaces& places,
                                          Sightings& seen)
{
    AnimalTable& a = world.animals;
    PlantTable& p = world.plants;

    // Above mating-energy it turns to mating. Any animal slot 0..250 is also a plant slot, so
    // one new target serves both the rest of this tick (as a plant) and the next (as a partner).
    if (a.energy[i] > rules.mating_energy) {
        a.mode[i] = Mating;
        a.target[i] = Draw(random, AnimalSlots);
    }

    // A target that is no plant slot, or whose plant is gone, gives way to a random plant
    // slot, which may itself be free.
    if (a.target[i] < 0 || a.target[i] >= PlantSlots || p.size[a.target[i]] == 0)
        a.target[i] = Draw(random, PlantSlots);

    // It measures how its plant lies, before eating moves anything.
    const int t = a.target[i];
    const float dx = p.x[t] - a.x[i];
    const float dy = p.y[t] - a.y[i];
    const double square = SquaredDistance(dx, dy);
    seen.Record(i, dx, dy, a.heading[i]);

    // Within one pixel of a living plant, a living animal eats it, gaining plant-energy per
    // unit of its size; the plant's dot goes black and its slot is free.
    if (WithinOnePixel(square) && p.size[t] > 0 && a.energy[i] > 0) {
        space.PSet(p.x[t], p.y[t], Black);
        a.energy[i] = static_cast<std::int16_t>(p.size[t] * rules.plant_energy + a.energy[i]);
        p.size[t] = 0;
    }

    // It glances at `glances` random plant slots: the last living one nearer than its target
    // was before the glance becomes its target.
    a.target[i] = WithGlances(rules.glances, [&](auto most, int glances) {
        return kernels::GlanceAtPlants<most()>(random, glances, p, places, a.x[i], a.y[i],
                                               a.target[i], square);
    });
}

// A mater's visit. Returns the slot a birth filled, or -1.
[[gnu::always_inline]] inline int Mate(World& world, RandomSource& random, const Rules& rules,
                                       Canvas& space, int i, LifeWatcher* watcher, Sightings& seen)
{
    AnimalTable& a = world.animals;

    // Below foraging-energy it turns back to foraging, with a random plant slot as target; the
    // rest of this tick still treats that target as a partner.
    if (a.energy[i] < rules.foraging_energy) {
        a.mode[i] = Foraging;
        a.target[i] = Draw(random, PlantSlots);
    }

    // A target beyond the animal slots gives way to a random animal slot; so does the animal
    // itself or a dead partner, and that draw is not checked again: it may be itself.
    if (a.target[i] < 0 || a.target[i] >= AnimalSlots) a.target[i] = Draw(random, AnimalSlots);
    if (a.target[i] == i || a.energy[a.target[i]] == 0) a.target[i] = Draw(random, AnimalSlots);

    // It measures how its partner lies, before breeding changes anything.
    const int t = a.target[i];
    const float dx = a.x[t] - a.x[i];
    const float dy = a.y[t] - a.y[i];
    const double square = SquaredDistance(dx, dy);
    seen.Record(i, dx, dy, a.heading[i]);

    // Within one pixel of a living partner, a living animal breeds. The newborn, at the
    // parent's place, takes the mean of their turning rates and speeds, each shifted by a
    // random amount in [-h, h) for its mutation's half-width h; each parent pays birth-cost,
    // down to no less than 0, and the partner's dot goes black.
    int newborn = -1;
    if (WithinOnePixel(square) && a.energy[t] > 0 && a.energy[i] > 0) {
        const double u1 = random.Uniform();
        const double u2 = random.Uniform();
        const double midparent_speed =
            (static_cast<double>(a.speed[i]) + static_cast<double>(a.speed[t])) / 2;
        const double midparent_turn =
            (static_cast<double>(a.turn[t]) + static_cast<double>(a.turn[i])) / 2;
        // (midparent + u x 2h) - h, left to right: at h = 0.5, u x 1 is u, and this is
        // (midparent + u) - 0.5, the window's rounding, which midparent + (u - 0.5) is not.
        const double speed_h = rules.speed_mutation, turn_h = rules.turn_mutation;
        const double child_speed = midparent_speed + u2 * (2 * speed_h) - speed_h;
        const double child_turn = midparent_turn + u1 * (2 * turn_h) - turn_h;
        newborn = AddAnimal(world, random, rules, a.x[i], a.y[i], child_turn, child_speed);
        if (watcher && newborn >= 0)
            watcher->Bred(world, newborn,
                          {i, t, midparent_speed, midparent_turn, u2 * (2 * speed_h) - speed_h,
                           u1 * (2 * turn_h) - turn_h});
        // With itself as partner (t == i) the animal pays twice, and dies at most once.
        a.energy[i] = static_cast<std::int16_t>(std::max(a.energy[i] - rules.birth_cost, 0));
        if (watcher && a.energy[i] == 0) watcher->Died(world, i, Death::Paid);
        const bool partner_alive = a.energy[t] > 0;
        a.energy[t] = static_cast<std::int16_t>(std::max(a.energy[t] - rules.birth_cost, 0));
        if (watcher && partner_alive && a.energy[t] == 0) watcher->Died(world, t, Death::Paid);
        space.PSet(a.x[t], a.y[t], Black);
    }

    // It glances at `glances` random animal slots: the last living one nearer than its partner
    // was before the glance becomes its partner, whatever that one's own mode.
    a.target[i] = WithGlances(rules.glances, [&](auto most, int glances) {
        return kernels::GlanceAtAnimals<most()>(random, glances, a, a.x[i], a.y[i], a.target[i],
                                                square);
    });
    return newborn;
}

// The turn, deferred. Each animal turns by its turning rate towards the side its target lies
// on, by the sign of the bearing delta it measured in its visit. The rules turn it right
// after its visit; this waits for the end of the pass, which changes nothing, because the
// heading is read by nothing but the slot's own next move. Then every sign can be worked out
// cheaply, two at a time (kernels::SteeringSigns). The one slot this must mind is one a birth
// filled after its visit: the newborn keeps the heading it was born with.
[[gnu::always_inline]] inline void
TurnTowardsTargets(AnimalTable& a, const Sightings& seen,
                   const std::array<std::int32_t, AnimalSlots>& born_after_visit)
{
    std::array<std::int32_t, AnimalSlots> sign;
    kernels::SteeringSigns(seen.dx, seen.dy, seen.heading, sign);
    // Which way an animal turns is a coin toss to the processor: both turns are computed and
    // one is selected, which also lets the compiler turn several animals at once.
    for (int i = 0; i < AnimalSlots; ++i) {
        const float heading = a.heading[i];
        const float turned = kernels::Select(sign[i] < 0, heading - a.turn[i], a.turn[i] + heading);
        // An integer or, not a logical one: it keeps the loop free of branches, so that the
        // compiler turns several animals at once (with || it made 4.6 % more instructions).
        const std::int32_t keep = (sign[i] == 0) | born_after_visit[i];
        a.heading[i] = kernels::Select(keep != 0, heading, turned);
    }
}

// The pass itself, built into AnimalPhase twice (see there).
[[gnu::always_inline]] inline int AnimalPass(World& world, RandomSource& random, const Rules& rules,
                                             Canvas& space, LifeWatcher* watcher)
{
    AnimalTable& a = world.animals;
    kernels::PlantPlaces places; // no animal moves a plant: taken once for every glance
    kernels::TakePlantPlaces(world.plants, places);
    Sightings seen;
    std::array<std::int32_t, AnimalSlots> born_after_visit{};
    int count = 0;
    for (int i = 0; i < AnimalSlots; ++i) {
        // Erase: its dot at the old place goes black.
        space.PSet(a.x[i], a.y[i], Black);

        // Step: it moves along its heading at its own speed.
        const kernels::Position moved =
            kernels::StepAlong(a.x[i], a.y[i], a.speed[i], a.heading[i]);
        a.x[i] = moved.x;
        a.y[i] = moved.y;

        // Edge: an animal outside the world dies.
        if (OutsideWorld(a.x[i], a.y[i])) {
            if (watcher && a.energy[i] > 0) watcher->Died(world, i, Death::Left);
            a.energy[i] = 0;
        }

        // Visit by mode: foraging or mating (the turn follows after the pass).
        if (a.mode[i] == Mating) {
            const int newborn = Mate(world, random, rules, space, i, watcher, seen);
            if (newborn >= 0 && newborn < i) born_after_visit[newborn] = 1;
        } else {
            Forage(world, random, rules, space, i, places, seen);
        }

        // Stop the dead. This comes before tiring, so an animal that dies of exhaustion below
        // still makes one more unseen move at its next visit.
        if (a.energy[i] == 0) a.speed[i] = 0;

        // Tire: a living animal spends its upkeep a tick, down to no less than 0. An upkeep of
        // at most 1 (the window's) cannot take it below 0, and is spent without the floor,
        // which the compiler then leaves out of the window's pass (with it, a tick of full
        // tables took 3 % longer).
        if (a.energy[i] > 0) {
            const int upkeep = rules.upkeep;
            a.energy[i] = static_cast<std::int16_t>(
                upkeep <= 1 ? a.energy[i] - upkeep : std::max(a.energy[i] - upkeep, 0));
            if (watcher && a.energy[i] == 0) watcher->Died(world, i, Death::Exhausted);
        }

        // Draw and count the living.
        if (a.energy[i] > 0) {
            space.PSet(a.x[i], a.y[i], AnimalColour);
            ++count;
        }
    }

    // Turn: the new headings take effect in the next tick's move.
    TurnTowardsTargets(a, seen, born_after_visit);

    // Top-up: the chance is drawn every tick, whatever the count; with fewer than
    // animal-top-up-below animals alive, one tick in top-up-chance brings a newcomer at a
    // random place.
    const float chance = random.Uniform();
    if (count < rules.animal_top_up_below &&
        static_cast<int>(static_cast<double>(chance) * rules.top_up_chance) == 0) {
        const float x = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxX);
        const float y = static_cast<float>(static_cast<double>(random.Uniform()) * WorldMaxY);
        const int newcomer =
            AddAnimal(world, random, rules, x, y, rules.newcomer_turn, rules.newcomer_speed);
        if (watcher && newcomer >= 0) watcher->ToppedUp(world, newcomer);
    }
    return count;
}

} // namespace

// Under the window's rules the pass is built with every rule a constant the compiler folds in,
// which keeps the window's tick as fast as it was before the rules could change (read at run
// time, they cost the pass 2.5 %); under any other rules it reads them as it goes.
MORVANE_HOT_PATH int AnimalPhase(World& world, RandomSource& random, const Rules& rules,
                                 Canvas& space, LifeWatcher* watcher)
{
    if (rules == WindowRules) return AnimalPass(world, random, WindowRules, space, watcher);
    return AnimalPass(world, random, rules, space, watcher);
}

} // namespace morvane
