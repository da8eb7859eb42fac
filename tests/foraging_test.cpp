// Foraging: eating, the switch to mating, the glance for a nearer plant, and how a target is
// measured. The plain reference's Forage is checked here, one visit at a time; the glance,
// where the core's animal pass takes its own fast way, is also checked on the core directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "checks/reference_tick.h"
#include "sim/animal_phase.h"
#include "sim/exact_math.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;
using reference::Forage;
using reference::Measure;

constexpr int Glances = 11; // candidates an animal glances at each tick

// The target animal slot 0 holds after its visit: by the reference's Forage, and by the
// core's animal pass, whose first visit is slot 0's, so both start from the same draws.
std::pair<int, int> TargetAfterGlancing(const World& world, const RandomSource& start)
{
    World by_reference = world, by_core = world;
    RandomSource reference_random = start, core_random = start;
    Canvas space = Canvas::Discarding();
    Forage(by_reference, reference_random, WindowRules, space, 0);
    AnimalPhase(by_core, core_random, WindowRules, space);
    return {by_reference.animals.target[0], by_core.animals.target[0]};
}

TEST(Foraging, EatingASizeFortyPlantGivesAHundredAndTwentyEnergyFreesItAndErasesIt)
{
    World world{};
    RandomSource random;
    Canvas space = Canvas::Space();
    space.PSet(100, 100, White);
    PlacePlant(world, 7, 100, 100, 40);
    PlaceAnimal(world, 0, {.x = 100.3f, .y = 100.6f, .energy = 500, .target = 7});
    PlacePlant(world, 8, 200, 201, 40); // exactly one pixel away: out of reach
    PlaceAnimal(world, 1, {.x = 200, .y = 200, .energy = 500, .target = 8});

    Forage(world, random, WindowRules, space, 0);
    Forage(world, random, WindowRules, space, 1);

    EXPECT_EQ(world.animals.energy[0], 620);
    EXPECT_EQ(world.plants.size[7], 0);
    EXPECT_EQ(space.At(100, 100), Black);
    EXPECT_EQ(world.animals.energy[1], 500);
    EXPECT_EQ(world.plants.size[8], 40);
    // Living targets are not re-drawn: only the candidates were taken.
    EXPECT_EQ(random, After(RandomSource(), 2 * Glances));
}

TEST(Foraging, ADeadAnimalDoesNotEatButStillRedrawsAFreeTargetAndSearches)
{
    World world{};
    RandomSource random;
    PlacePlant(world, 7, 100, 100, 40);
    PlaceAnimal(world, 0, {.x = 100, .y = 100, .energy = 0, .target = 7});
    Canvas space = Canvas::Space();
    Forage(world, random, WindowRules, space, 0);
    EXPECT_EQ(world.plants.size[7], 40);
    EXPECT_EQ(world.animals.energy[0], 0);

    // Now its target is free: the re-draw names a far plant, the first candidate a near one.
    const RandomSource start = RandomSource::FromSeed(11);
    random = start;
    const int redrawn = DrawBelow(DrawAt(start, 0), PlantSlots);
    int nearer = DrawBelow(DrawAt(start, 1), PlantSlots);
    for (int j = 2; nearer == redrawn; ++j)
        nearer = DrawBelow(DrawAt(start, j), PlantSlots);
    World second{};
    PlacePlant(second, redrawn, 300, 300, 30);
    PlacePlant(second, nearer, 100, 105, 30);
    PlaceAnimal(second, 0, {.x = 100, .y = 100, .energy = 0, .target = 500});
    Forage(second, random, WindowRules, space, 0);
    EXPECT_EQ(second.animals.target[0], nearer);
    EXPECT_EQ(random, After(start, 1 + Glances));
}

TEST(Foraging, ATargetBeyondThePlantSlotsIsRedrawnLikeAFreeOne)
{
    const RandomSource start = RandomSource::FromSeed(12);
    for (std::int16_t beyond : {std::int16_t{501}, std::int16_t{-1}, std::int16_t{32767}}) {
        World world{};
        PlaceAnimal(world, 0, {.x = 100, .y = 100, .energy = 300, .target = beyond});
        RandomSource random = start;
        Canvas space = Canvas::Discarding();
        Forage(world, random, WindowRules, space, 0);
        // No plant lives, so no glance takes one: the target is the re-draw.
        EXPECT_EQ(world.animals.target[0], DrawBelow(DrawAt(start, 0), PlantSlots)) << beyond;
        EXPECT_EQ(random, After(start, 1 + Glances)) << beyond;
    }
}

TEST(Foraging, OfSeveralNearerLivingCandidatesTheLastDrawnWinsNotTheNearest)
{
    const RandomSource start = RandomSource::FromSeed(5);
    std::vector<int> drawn;
    for (int j = 0; j < Glances; ++j)
        drawn.push_back(DrawBelow(DrawAt(start, j), PlantSlots));
    const int current = 0, level = drawn.back(); // the last one drawn: as far as the target
    ASSERT_NE(level, current);
    auto in = [](const std::vector<int>& v, int k) {
        return std::find(v.begin(), v.end(), k) != v.end();
    };
    std::vector<int> chosen; // the first three distinct candidates of the others
    for (int k : drawn)
        if (k != current && k != level && !in(chosen, k) && chosen.size() < 3) chosen.push_back(k);
    ASSERT_EQ(chosen.size(), 3u);
    int last = -1;
    for (int k : drawn)
        if (in(chosen, k)) last = k;

    // The target 100 pixels off; the three nearer, the last drawn of them the farthest.
    World world{};
    PlacePlant(world, current, 200, 300, 10);
    PlacePlant(world, level, 300, 200, 10);
    for (int k : chosen)
        PlacePlant(world, k, 200, 201, 10);
    PlacePlant(world, last, 200, 250, 10);
    PlaceAnimal(world, 0, {.x = 200, .y = 200, .energy = 500, .target = current});
    EXPECT_EQ(TargetAfterGlancing(world, start), std::pair(last, last));
}

// A free plant slot keeps the place its last plant had. However near that place is, the slot
// is no candidate, whether it is drawn before, between or after the living ones, and for
// every count of living ones, odd or even.
TEST(Foraging, AFreeSlotIsNeverTakenHoweverNearItsLeftoverPlace)
{
    RandomSource start;
    std::vector<int> drawn;
    const int current = 1;
    for (std::uint64_t seed = 1; drawn.empty(); ++seed) {
        start = RandomSource::FromSeed(seed);
        for (int j = 0; j < Glances; ++j)
            drawn.push_back(DrawBelow(DrawAt(start, j), PlantSlots));
        std::vector<int> sorted = drawn;
        std::sort(sorted.begin(), sorted.end());
        const bool distinct = std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
        if (!distinct || sorted.front() <= current) drawn.clear(); // slots 0 and 1 stay out
    }
    for (int living = 0; living <= Glances; ++living) {
        for (int first_free = 0; first_free + living <= Glances; ++first_free) {
            World world{};
            PlacePlant(world, current, 200, 250, 10); // 50 pixels off
            PlacePlant(world, 0, 200, 200, 0);        // free, right under the animal
            for (int j = 0; j < Glances; ++j) {
                const bool alive = j >= first_free && j < first_free + living;
                if (alive)
                    PlacePlant(world, drawn[j], 200, 300, 10); // farther than the target
                else
                    PlacePlant(world, drawn[j], 200, 200, 0);
            }
            PlaceAnimal(world, 0, {.x = 200, .y = 200, .energy = 500, .target = current});
            EXPECT_EQ(TargetAfterGlancing(world, start), std::pair(current, current))
                << living << " living candidates from draw " << first_free;
        }
    }
}

TEST(Foraging, AboveAThousandEnergyAnAnimalTurnsToMatingButStillEatsThisTick)
{
    const RandomSource start = RandomSource::FromSeed(8);
    // The new target is an animal slot, and serves as a plant slot for the rest of the tick.
    const int chosen = DrawBelow(DrawAt(start, 0), AnimalSlots);
    World world{};
    PlacePlant(world, chosen, 100, 100, 10);
    PlaceAnimal(world, 0, {.x = 100, .y = 100, .energy = 1001, .target = 400});
    PlacePlant(world, 300, 300, 300, 10);
    PlaceAnimal(world, 1, {.x = 100, .y = 100, .energy = 1000, .target = 300});
    RandomSource random = start;
    Canvas space = Canvas::Discarding();

    Forage(world, random, WindowRules, space, 0);
    Forage(world, random, WindowRules, space, 1);

    EXPECT_EQ(world.animals.mode[0], Mating);
    EXPECT_EQ(world.animals.target[0], chosen);
    EXPECT_EQ(world.animals.energy[0], 1031);
    EXPECT_EQ(world.plants.size[chosen], 0);
    EXPECT_EQ(world.animals.mode[1], Foraging); // 1000 is not above a thousand
    EXPECT_EQ(random, After(start, 1 + 2 * Glances));
}

TEST(Bearing, StraightBelowIsZeroAboveIsPiAndEitherSideIsHalfPi)
{
    EXPECT_EQ(Measure(100, 150, 100, 100, 0).distance, 50.0);
    EXPECT_EQ(Measure(100, 150, 100, 100, 0).bearing_delta, 0.0);
    EXPECT_EQ(Measure(100, 60, 100, 100, 0).bearing_delta, Pi);
    EXPECT_EQ(Measure(130, 100, 100, 100, 0).bearing_delta, HalfPi);
    EXPECT_EQ(Measure(70, 100, 100, 100, 0).bearing_delta, HalfPi);
    EXPECT_EQ(Measure(100, 100, 100, 100, 0).distance, 0.0);
    EXPECT_EQ(Measure(100, 100, 100, 100, 0).bearing_delta, HalfPi);
    // Up and right: arctan(3 / -4) + pi. Up and left lies beyond pi and folds back by 2 pi.
    EXPECT_DOUBLE_EQ(Measure(103, 96, 100, 100, 0).bearing_delta, ExactAtan(-0.75) + Pi);
    EXPECT_EQ(Measure(97, 96, 100, 100, 0).distance, 5.0);
    EXPECT_DOUBLE_EQ(Measure(97, 96, 100, 100, 0).bearing_delta, ExactAtan(0.75) + Pi - TwoPi);
    EXPECT_DOUBLE_EQ(Measure(130, 100, 100, 100, 1.0f).bearing_delta, HalfPi - 1.0);
}

TEST(Bearing, EachFoldIsAppliedOnceSoAFarDriftedHeadingStaysOutsideMinusPiToPi)
{
    // Heading 10 against a bearing of about 0.5: 0.5 - 10 + 2 pi, about -3.22.
    const double delta = Measure(171, 230, 100, 100, 10).bearing_delta;
    EXPECT_DOUBLE_EQ(delta, ExactAtan(71.0 / 130.0) - 10 + TwoPi);
    EXPECT_LT(delta, -Pi);
    // Straight below against a heading of -17.5: 17.5 - 2 pi, still above pi.
    EXPECT_DOUBLE_EQ(Measure(100, 150, 100, 100, -17.5f).bearing_delta, 17.5 - TwoPi);
    // The differences are rounded to single precision before anything is measured: 100 less
    // 1e-8 is 100 in a float, though not in double.
    EXPECT_EQ(Measure(100, 50, 1e-8f, 50, 0).distance, 100.0);
}

TEST(Bearing, ForageReturnsTheMissOfTheTargetMeasuredBeforeEating)
{
    World world{};
    RandomSource random;
    Canvas space = Canvas::Discarding();
    PlacePlant(world, 3, 100, 101, 20); // straight below, within reach
    PlaceAnimal(world, 0, {.x = 100, .y = 100.5f, .heading = 0.25f, .energy = 500, .target = 3});
    EXPECT_EQ(Forage(world, random, WindowRules, space, 0), -0.25);
    EXPECT_EQ(world.plants.size[3], 0);
}

} // namespace
} // namespace morvane
