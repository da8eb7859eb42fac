// Small tools the behaviour tests share: placing animals and plants by hand, looking ahead at
// the random source without disturbing it, and painting canvases so erasures show up.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <tuple>
#include <utility>

#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::tests {

// A draw from 0..n-1 as the world defines it: floor(u * n) in double precision.
inline int DrawBelow(float u, int n)
{
    return static_cast<int>(std::floor(static_cast<double>(u) * n));
}

// What a newcomer makes of its draws.
inline float ScatteredX(float u) { return static_cast<float>(static_cast<double>(u) * WorldMaxX); }
inline float ScatteredY(float u) { return static_cast<float>(static_cast<double>(u) * WorldMaxY); }
inline float NewbornHeading(float u)
{
    return static_cast<float>(static_cast<double>(u) * 360 * OneDegree);
}
inline int NewbornEnergy(float u) { return DrawBelow(u, 500) + 200; }
inline int SeedlingSize(float u) { return DrawBelow(u, 40) + 1; }
inline int DriftStep(float u) { return DrawBelow(u, 3) - 1; }
// A coordinate handed to a plant's 16-bit field: nearest whole number, ties to even.
inline std::int16_t PlantCoordinate(double v)
{
    return static_cast<std::int16_t>(std::nearbyint(v));
}

// The source as it will be after `count` more draws.
inline RandomSource After(RandomSource random, int count)
{
    for (int k = 0; k < count; ++k)
        random.Uniform();
    return random;
}

// The draw at `position` (0 = the next one), leaving the source untouched.
inline float DrawAt(const RandomSource& random, int position)
{
    return After(random, position).Uniform();
}

// Spends draws one at a time until `wanted(copy of the source)` holds, so a scenario can wait
// for the chance it needs instead of reaching into the generator.
template <typename Predicate> void WaitFor(RandomSource& random, Predicate wanted)
{
    for (int k = 0; k < 1'000'000 && !wanted(RandomSource(random)); ++k)
        random.Uniform();
    if (!wanted(RandomSource(random)))
        ADD_FAILURE() << "the random source never offered the wanted draws";
}

struct AnimalSetup {
    float x = 0, y = 0, heading = 0, turn = 0, speed = 0;
    std::int16_t energy = 500;
    std::int16_t mode = Foraging;
    std::int16_t target = 0;
};

inline void PlaceAnimal(World& world, int i, const AnimalSetup& s)
{
    AnimalTable& a = world.animals;
    a.x[i] = s.x, a.y[i] = s.y, a.heading[i] = s.heading, a.turn[i] = s.turn, a.speed[i] = s.speed;
    a.energy[i] = s.energy, a.mode[i] = s.mode, a.target[i] = s.target;
}

inline void PlacePlant(World& world, int s, int x, int y, int size)
{
    world.plants.x[s] = static_cast<std::int16_t>(x);
    world.plants.y[s] = static_cast<std::int16_t>(y);
    world.plants.size[s] = static_cast<std::int16_t>(size);
}

// A plant slot as (x, y, size), an animal's position as (x, y): compared and printed whole.
inline std::tuple<int, int, int> PlantIn(const World& world, int s)
{
    return {world.plants.x[s], world.plants.y[s], world.plants.size[s]};
}
inline std::pair<float, float> PositionOf(const World& world, int i)
{
    return {world.animals.x[i], world.animals.y[i]};
}

inline constexpr Colour White = Rgb(255, 255, 255);

// Paints every pixel, so that any erasure (black) stands out afterwards.
inline void Paint(Canvas& canvas, Colour colour)
{
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            canvas.PSet(static_cast<float>(x), static_cast<float>(y), colour);
}

inline int PixelsOtherThan(const Canvas& canvas, Colour colour)
{
    int n = 0;
    for (Colour c : canvas.Pixels())
        n += c != colour;
    return n;
}

// An animal pass over a world without a living plant, every slot foraging: each slot re-draws
// its target (the plant is free) and glances at eleven candidates.
inline constexpr int IdleAnimalPassDraws = AnimalSlots * 12;
// A plant pass in which nothing seeds: two drift steps per slot.
inline constexpr int QuietPlantPassDraws = PlantSlots * 2;

} // namespace morvane::tests
