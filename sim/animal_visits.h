// An animal's visit in each of its modes, written once for two callers: Forage and Mate,
// which return the exact bearing delta, and the animal pass, which records what the animal
// saw and works out the turns later. Both behaviours run for dead slots too: a dead animal
// still re-checks its target and searches, which keeps its draws in the tick's fixed order.
//
// Everything here is built into its caller (always inline): the animal pass visits 251 slots
// a tick, a call for each would cost a good part of a visit, and the pass's version for newer
// processors (see hot_path.h) then covers the visits as well.
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "display/canvas.h"
#include "sim/animal_behaviour.h"
#include "sim/lanes.h"
#include "sim/life_tally.h"
#include "sim/random_source.h"
#include "sim/spawning.h"
#include "sim/steering.h"
#include "sim/world.h"

namespace morvane {

namespace visits {

inline double Square(double v) { return v * v; }

// The squared distance, whose correctly rounded root is the distance. Comparisons with it need
// no root: the root is below 1 exactly when the square is.
inline double SquaredDistanceOf(float dx, float dy) { return Square(dx) + Square(dy); }

// How a behaviour reports its target's bearing: the exact delta, or what the animal saw,
// from which the animal pass works out the turn later and far more cheaply.
struct ExactDelta {
    double operator()(float dx, float dy, float heading) const
    {
        return ExactBearingDelta(dx, dy, heading);
    }
};
struct AsSeen {
    Sightings& seen;
    int i;
    int operator()(float dx, float dy, float heading) const
    {
        seen.dx[i] = dx;
        seen.dy[i] = dy;
        seen.heading[i] = heading;
        return 0;
    }
};

// The glance for something nearer: eleven slots drawn from 0..slots-1, each compared with the
// target's distance measured before the search (not updated during it), so of several nearer
// living candidates the last one drawn wins, not the nearest. Returns the new target.
//
// The draws never depend on what the search finds, so the living candidates are gathered as
// they are drawn, in draw order, and only they are measured, two at a time (`squared` gives
// the sums of squares for a pair of slots). Whether a drawn slot is alive, and whether a
// living one is nearer, are coin tosses the processor could not predict, so both are decided
// with arithmetic rather than branches: the nearer candidates are marked in a bit mask, whose
// highest bit is the last of them.
template <typename Alive, typename SquaredPair>
[[gnu::always_inline]] inline std::int16_t SearchCandidates(RandomSource& random, int slots,
                                                            std::int16_t target,
                                                            double target_square, Alive alive,
                                                            SquaredPair squared)
{
    int living[CandidatesPerTick + 1] = {}; // one entry spare, so that an odd count pairs up
    std::size_t count = 0; // the width of an address, so indexing needs no widening
    for (int j = 0; j < CandidatesPerTick; ++j) {
        const int k = random.Below(slots);
        living[count] = k;
        count += alive(k);
    }
    // "Nearer" means sqrt(s) < sqrt(target_square) for a candidate's sum of squares s, both
    // roots correctly rounded. Each root is within a relative 2^-53 of the true one, so s more
    // than a relative 1e-14 below target_square is surely nearer and s that much above surely
    // not; only a candidate within that hair of the boundary (or none) needs its root, and the
    // search is then repeated with roots throughout.
    const Doubles surely_nearer = Both(target_square * (1 - 1e-14));
    const Doubles surely_not = Both(target_square * (1 + 1e-14));
    unsigned nearer = 0, not_surely_farther = 0; // bit j for living[j]
    for (std::size_t j = 0; j < count; j += 2) {
        const Doubles s = squared(living[j], living[j + 1]);
        nearer |= LaneBits((Masks)(s < surely_nearer)) << j;
        not_surely_farther |= LaneBits((Masks)(s < surely_not)) << j;
    }
    const unsigned measured = (1u << count) - 1; // without the spare
    nearer &= measured;
    not_surely_farther &= measured;

    int chosen = nearer == 0 ? target : living[std::bit_width(nearer) - 1];
    if (not_surely_farther != nearer) { // a close call
        const double target_distance = std::sqrt(target_square);
        chosen = target;
        for (std::size_t j = 0; j < count; ++j)
            if (std::sqrt(squared(living[j], living[j])[0]) < target_distance) chosen = living[j];
    }
    return static_cast<std::int16_t>(chosen);
}

// A forager's visit: turn to mating when fed up, draw a new target when its plant is gone,
// eat the plant within a pixel, then search for a nearer one. `aim` reports the bearing.
template <typename Aim>
[[gnu::always_inline]] inline auto ForageAiming(World& world, RandomSource& random,
                                                Canvas& space, int i, const PlantPlaces& places,
                                                Aim aim)
{
    AnimalTable& a = world.animals;
    PlantTable& p = world.plants;
    const float x = a.x[i], y = a.y[i]; // nothing in its visit moves the animal itself

    if (a.energy[i] > FeedUpEnergy) {
        a.mode[i] = Mating;
        // Any animal slot 0..250 is also a plant slot, so the new target serves both the
        // rest of this tick (as a plant) and the next (as a partner).
        a.target[i] = static_cast<std::int16_t>(random.Below(AnimalSlots));
    }
    if (a.target[i] >= PlantSlots || a.target[i] < 0 || p.size[a.target[i]] == 0)
        a.target[i] = static_cast<std::int16_t>(random.Below(PlantSlots));

    const int t = a.target[i];
    const float dx = p.x[t] - x;
    const float dy = p.y[t] - y;
    const double square = SquaredDistanceOf(dx, dy);
    const auto bearing = aim(dx, dy, a.heading[i]); // measured before eating moves nothing

    if (square < 1 && p.size[t] > 0 && a.energy[i] > 0) {
        space.PSet(p.x[t], p.y[t], Black);
        a.energy[i] = static_cast<std::int16_t>(p.size[t] * EnergyPerPlantSize + a.energy[i]);
        p.size[t] = 0;
    }

    const Doubles ax = Both(x), ay = Both(y);
    a.target[i] = SearchCandidates(
        random, PlantSlots, a.target[i], square, [&](int k) { return p.size[k] > 0; },
        [&](int k0, int k1) {
            const Doubles dx = Doubles{places.x[k0], places.x[k1]} - ax;
            const Doubles dy = Doubles{places.y[k0], places.y[k1]} - ay;
            return dy * dy + dx * dx;
        });
    return bearing;
}

// A mater's visit: turn back to foraging when exhausted, draw a new partner when this one is
// gone or itself, breed within a pixel, then search for a nearer one. `aim` reports the bearing.
template <typename Aim>
[[gnu::always_inline]] inline auto MateAiming(World& world, RandomSource& random, Canvas& space,
                                              int i, LifeTally* tally, int& newborn, Aim aim)
{
    AnimalTable& a = world.animals;

    if (a.energy[i] < ExhaustedEnergy) {
        a.mode[i] = Foraging;
        a.target[i] = static_cast<std::int16_t>(random.Below(PlantSlots));
        // The rest of this tick still treats the new target as a partner.
    }
    if (a.target[i] >= AnimalSlots || a.target[i] < 0)
        a.target[i] = static_cast<std::int16_t>(random.Below(AnimalSlots));
    if (a.target[i] == i || a.energy[a.target[i]] == 0)
        a.target[i] = static_cast<std::int16_t>(random.Below(AnimalSlots)); // may be i again

    const int t = a.target[i];
    const float dx = a.x[t] - a.x[i];
    const float dy = a.y[t] - a.y[i];
    const double square = SquaredDistanceOf(dx, dy);
    const auto bearing = aim(dx, dy, a.heading[i]); // before breeding, which moves nobody

    if (square < 1 && a.energy[t] > 0 && a.energy[i] > 0) {
        const double u1 = random.Uniform();
        const double u2 = random.Uniform();
        const double child_speed =
            (static_cast<double>(a.speed[i]) + static_cast<double>(a.speed[t])) / 2 + u2 - 0.5;
        const double child_turn =
            (static_cast<double>(a.turn[t]) + static_cast<double>(a.turn[i])) / 2 + u1 - 0.5;
        newborn = AddAnimal(world, random, a.x[i], a.y[i], child_turn, child_speed);
        // With itself as partner (t == i) the animal pays twice, and dies at most once.
        a.energy[i] =
            static_cast<std::int16_t>(a.energy[i] - BirthCost < 0 ? 0 : a.energy[i] - BirthCost);
        a.energy[t] =
            static_cast<std::int16_t>(a.energy[t] - BirthCost < 0 ? 0 : a.energy[t] - BirthCost);
        space.PSet(a.x[t], a.y[t], Black);
        if (tally) {
            tally->born_by_breeding += newborn >= 0;
            tally->died_paying += (a.energy[i] == 0) + (t != i && a.energy[t] == 0);
        }
    }

    const Doubles ax = Both(a.x[i]), ay = Both(a.y[i]);
    a.target[i] = SearchCandidates(
        random, AnimalSlots, a.target[i], square, [&](int k) { return a.energy[k] > 0; },
        [&](int k0, int k1) {
            const Doubles dx = Doubles{a.x[k0], a.x[k1]} - ax;
            const Doubles dy = Doubles{a.y[k0], a.y[k1]} - ay;
            return dx * dx + dy * dy;
        });
    return bearing;
}

} // namespace visits

// Forage and Mate exactly, recording what animal i saw in slot i of `seen` instead of
// returning the bearing delta; the animal pass uses these. ForageSighting measures its
// candidates at `places`, taken from the plants as they are. MateSighting sets `newborn` to
// the slot a birth filled, else -1.
[[gnu::always_inline]] inline void ForageSighting(World& world, RandomSource& random,
                                                  Canvas& space, int i, const PlantPlaces& places,
                                                  Sightings& seen)
{
    visits::ForageAiming(world, random, space, i, places, visits::AsSeen{seen, i});
}

[[gnu::always_inline]] inline void MateSighting(World& world, RandomSource& random,
                                                Canvas& space, int i, LifeTally* tally,
                                                int& newborn, Sightings& seen)
{
    newborn = -1;
    visits::MateAiming(world, random, space, i, tally, newborn, visits::AsSeen{seen, i});
}

} // namespace morvane
