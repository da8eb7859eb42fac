// The glance for something nearer: an animal draws its glances' slots (eleven in the window's
// rules, at most 64) and takes the last living one nearer than its target as it stood before
// the glance. Drawn, checked and compared one slot at a time, that is eleven unpredictable
// branches and eleven square roots; here the draws
// come first, only the living candidates are measured, two at a time, and the comparison is
// made on squares, which gives the same target bit for bit (see GlanceForNearer).
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "sim/kernels/lanes.h"
#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane::kernels {

// The plants' places in double precision, in which candidates are measured. No animal moves
// a plant, so the animal pass takes them once, before its first visit, rather than widening
// each coordinate again for every candidate.
struct PlantPlaces {
    std::array<double, PlantSlots> x;
    std::array<double, PlantSlots> y;
};
void TakePlantPlaces(const PlantTable& plants, PlantPlaces& places);

// The plain glances: each slot drawn, rooted and compared in turn.
std::int16_t PlainGlanceAtPlants(RandomSource& random, int glances, const PlantTable& plants,
                                 float x, float y, std::int16_t target, double target_square);
std::int16_t PlainGlanceAtAnimals(RandomSource& random, int glances, const AnimalTable& animals,
                                  float x, float y, std::int16_t target, double target_square);

// The work shared by both fast glances, built into each (they run for all 251 animal slots a
// tick). `alive(k)` says whether slot k counts; `squared(k0, k1)` gives the squared distances
// to two slots at once. `Most` bounds `glances`: up to 31 the candidates' bits fit a 32-bit
// mask, and the window's eleven never pay for the wider one (1 % of a tick).
template <int Most, typename Alive, typename SquaredPair>
[[gnu::always_inline]] inline std::int16_t
GlanceForNearer(RandomSource& random, int slots, int glances, std::int16_t target,
                double target_square, Alive alive, SquaredPair squared)
{
    static_assert(Most >= 0 && Most <= MostGlances);
    using Bits = std::conditional_t<(Most < 32), std::uint32_t, std::uint64_t>;
    // The draws never depend on what the glance finds, so the living candidates are gathered
    // as they are drawn, in draw order. Whether a drawn slot is alive is a coin toss to the
    // processor, so it moves the end of the list rather than taking a branch.
    // One entry spare, so that an odd count pairs up. Zeroed whole: that is faster than
    // zeroing the spare alone after the draws (by 1 % of a tick).
    int living[Most + 1] = {};
    std::size_t count = 0; // the width of an address, so indexing needs no widening
    for (int j = 0; j < glances; ++j) {
        const int k = random.Below(slots);
        living[count] = k;
        count += alive(k);
    }
    // "Nearer" means sqrt(s) < sqrt(target_square) for a candidate's sum of squares s, both
    // roots correctly rounded. Each root is within a relative 2^-53 of the true one, so s more
    // than a relative 1e-14 below target_square is surely nearer and s that much above surely
    // not; only a candidate within that hair of the boundary (or none) needs its root, and the
    // glance is then repeated with roots throughout. The nearer candidates are marked in a
    // bit mask, whose highest bit is the last of them.
    const Doubles surely_nearer = Both(target_square * (1 - 1e-14));
    const Doubles surely_not = Both(target_square * (1 + 1e-14));
    Bits nearer = 0, not_surely_farther = 0; // bit j for living[j]
    for (std::size_t j = 0; j < count; j += 2) {
        const Doubles s = squared(living[j], living[j + 1]);
        nearer |= Bits{LaneBits((Masks)(s < surely_nearer))} << j;
        not_surely_farther |= Bits{LaneBits((Masks)(s < surely_not))} << j;
    }
    // Without the spare. Only a mask of 64 bits can be full, and only with Most 64 glances.
    Bits measured;
    if constexpr (Most < 64)
        measured = (Bits{1} << count) - 1;
    else
        measured = count == 64 ? ~Bits{0} : (Bits{1} << count) - 1;
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

// Of `glances` (at most Most) plant slots drawn from 0..500, the last that holds a living
// plant nearer to (x, y) than the target's distance sqrt(target_square); `target` when none
// is. Exactly what PlainGlanceAtPlants finds, with the same draws.
template <int Most = MostGlances>
[[gnu::always_inline]] inline std::int16_t
GlanceAtPlants(RandomSource& random, int glances, const PlantTable& plants,
               const PlantPlaces& places, float x, float y, std::int16_t target,
               double target_square)
{
    const Doubles ax = Both(x), ay = Both(y);
    return GlanceForNearer<Most>(
        random, PlantSlots, glances, target, target_square,
        [&](int k) { return plants.size[k] > 0; },
        [&](int k0, int k1) {
            const Doubles dx = Doubles{places.x[k0], places.x[k1]} - ax;
            const Doubles dy = Doubles{places.y[k0], places.y[k1]} - ay;
            return dy * dy + dx * dx;
        });
}

// The same among animal slots 0..250, alive meaning energy above 0.
template <int Most = MostGlances>
[[gnu::always_inline]] inline std::int16_t
GlanceAtAnimals(RandomSource& random, int glances, const AnimalTable& animals, float x, float y,
                std::int16_t target, double target_square)
{
    const Doubles ax = Both(x), ay = Both(y);
    return GlanceForNearer<Most>(
        random, AnimalSlots, glances, target, target_square,
        [&](int k) { return animals.energy[k] > 0; },
        [&](int k0, int k1) {
            const Doubles dx = Doubles{animals.x[k0], animals.x[k1]} - ax;
            const Doubles dy = Doubles{animals.y[k0], animals.y[k1]} - ay;
            return dx * dx + dy * dy;
        });
}

} // namespace morvane::kernels
