// The animal pass: moving, dying at the edge or of exhaustion, steering, newborns and top-ups.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "sim/animal_phase.h"
#include "sim/exact_math.h"
#include "sim/kernels/steering_signs.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;
using std::pair;

// Three well-fed animals standing still far from everything: the pass never counts fewer
// than three, so no newcomer can take a slot a scenario is watching.
void AddBystanders(World& world)
{
    for (int i : {248, 249, 250})
        PlaceAnimal(world, i, {.x = 400, .y = 400, .energy = 5000});
}

TEST(AnimalPhase, AnAnimalMovesAlongItsHeadingByItsSpeedErasingItsOldDotAndDrawingTheNew)
{
    World world{};
    RandomSource random;
    AddBystanders(world);
    PlaceAnimal(world, 0, {.x = 100, .y = 100, .heading = 0, .speed = 0.5f});
    PlaceAnimal(world, 1,
                {.x = 200, .y = 100, .heading = static_cast<float>(HalfPi), .speed = 0.5f});
    PlaceAnimal(world, 2, {.x = 300, .y = 100, .heading = 0, .speed = -0.5f}); // backwards
    PlaceAnimal(world, 3, {.x = 100, .y = 200, .heading = 1.0f, .speed = 3});
    PlaceAnimal(world, 4, {.x = 300.5f, .y = 300.5f, .speed = 1, .energy = 0}); // dead: erased only
    Canvas space = Canvas::Space();
    Paint(space, White);

    AnimalPhase(world, random, WindowRules, space);

    EXPECT_EQ(PositionOf(world, 0), pair(100.0f, 100.5f));
    EXPECT_EQ(PositionOf(world, 1), pair(200.5f, 100.0f));
    EXPECT_EQ(PositionOf(world, 2), pair(300.0f, 99.5f));
    EXPECT_EQ(PositionOf(world, 3), pair(static_cast<float>(3 * ExactSin(1.0f) + 100),
                                         static_cast<float>(3 * ExactCos(1.0f) + 200)));
    EXPECT_EQ(space.At(100, 100), AnimalColour); // moved within its pixel: erased, then redrawn
    EXPECT_EQ(space.At(300, 100), Black);
    EXPECT_EQ(space.At(300, 99), AnimalColour);
    EXPECT_EQ(space.At(300, 300), Black);
    EXPECT_EQ(space.At(300, 301), White);
    EXPECT_EQ(AnimalColour, 13055u);
}

TEST(AnimalPhase, TheWorldsEdgesAreInsideAndAnythingBeyondKillsAndStopsAtOnce)
{
    World world{};
    RandomSource random;
    const float right = static_cast<float>(HalfPi);
    PlaceAnimal(world, 0, {.x = 495.5f, .y = 50, .heading = right, .speed = 0.5f}); // to 496
    PlaceAnimal(world, 1, {.x = 50, .y = 428, .heading = 0, .speed = 1});           // to 429
    PlaceAnimal(world, 2, {.x = 0, .y = 0, .speed = 0.5f});                         // x stays 0
    PlaceAnimal(world, 3, {.x = 496, .y = 50, .heading = right, .speed = 0.3f});    // to 496.3
    PlaceAnimal(world, 4, {.x = 50, .y = 0.2f, .heading = static_cast<float>(Pi), .speed = 0.5f});
    PlaceAnimal(world, 5, {.x = 50, .y = 429, .heading = 0, .speed = 0.01f});
    Canvas space = Canvas::Discarding();

    EXPECT_EQ(AnimalPhase(world, random, WindowRules, space), 3);

    EXPECT_EQ(PositionOf(world, 0), pair(496.0f, 50.0f));
    EXPECT_EQ(PositionOf(world, 1), pair(50.0f, 429.0f));
    EXPECT_FLOAT_EQ(world.animals.x[3], 496.3f);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(world.animals.energy[i], i < 3 ? 499 : 0) << "slot " << i;
        EXPECT_EQ(world.animals.speed[i] == 0, i >= 3) << "slot " << i;
    }
}

TEST(AnimalPhase, AnAnimalThatTiresOutMakesOneMoreUnseenMove)
{
    World world{};
    RandomSource random;
    AddBystanders(world);
    PlaceAnimal(world, 0, {.x = 100, .y = 100, .speed = 1, .energy = 1});
    Canvas space = Canvas::Space();

    EXPECT_EQ(AnimalPhase(world, random, WindowRules, space), 3);
    EXPECT_EQ(world.animals.energy[0], 0);
    EXPECT_EQ(world.animals.speed[0], 1.0f);
    AnimalPhase(world, random, WindowRules, space);
    EXPECT_EQ(world.animals.y[0], 102.0f);
    EXPECT_EQ(world.animals.speed[0], 0.0f);
    AnimalPhase(world, random, WindowRules, space);
    EXPECT_EQ(world.animals.y[0], 102.0f);
    EXPECT_EQ(PixelsOtherThan(space, Black), 1); // only the bystanders' dot
}

TEST(AnimalPhase, ANewbornInAHigherSlotMovesTiresAndIsDrawnInTheSamePass)
{
    const RandomSource start = RandomSource::FromSeed(31);
    // Slot 0 breeds first in the pass, so its draws are the pass's first four.
    World world{};
    PlaceAnimal(world, 0, {.x = 100, .y = 100, .energy = 600, .mode = Mating, .target = 1});
    PlaceAnimal(world, 1, {.x = 100, .y = 100, .energy = 600});
    Canvas space = Canvas::Space();
    RandomSource random = start;

    AnimalPhase(world, random, WindowRules, space);

    const float speed = static_cast<float>(0.0 + DrawAt(start, 1) - 0.5);
    const double heading = NewbornHeading(DrawAt(start, 2));
    const float x = static_cast<float>(speed * ExactSin(static_cast<float>(heading)) + 100);
    const float y = static_cast<float>(speed * ExactCos(static_cast<float>(heading)) + 100);
    EXPECT_EQ(PositionOf(world, 2), pair(x, y));
    EXPECT_EQ(world.animals.energy[2], NewbornEnergy(DrawAt(start, 3)) - 1);
    EXPECT_EQ(space.At(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))),
              AnimalColour);
    EXPECT_EQ(world.animals.energy[0], 349);
    EXPECT_EQ(world.animals.energy[1], 349);
    EXPECT_EQ(world.animals.mode[1], Foraging); // breeding leaves the partner's mode alone

    // Visited after its birth, it also turns in this pass: it forages for a plant slot that
    // is free, so at (0, 0), and turns towards it by its own turn.
    const float turn = static_cast<float>(0.0 + DrawAt(start, 0) - 0.5);
    const int side =
        kernels::SignOf(kernels::BearingDelta(0 - x, 0 - y, static_cast<float>(heading)));
    ASSERT_NE(side, 0);
    EXPECT_EQ(world.animals.heading[2],
              side < 0 ? static_cast<float>(heading) - turn : turn + static_cast<float>(heading));
}

TEST(AnimalPhase, ANewbornInALowerSlotKeepsItsBirthHeadingAndPlaceUntilTheNextPass)
{
    const RandomSource start = RandomSource::FromSeed(5);
    // Slot 0 is free and visited first: with no plant alive it re-draws its target and
    // glances at eleven candidates. Then slot 1 breeds with slot 2 and the newborn takes
    // slot 0. Had slot 0's turn been made after the birth, the newborn would be turned
    // towards what slot 0 saw (a free plant slot at (0, 0), straight to its side).
    World world{};
    AddBystanders(world);
    PlaceAnimal(world, 0, {.x = 0, .y = 0, .turn = 0.25f, .energy = 0});
    PlaceAnimal(world, 1,
                {.x = 100, .y = 100, .turn = 1, .energy = 600, .mode = Mating, .target = 2});
    PlaceAnimal(world, 2, {.x = 100, .y = 100, .turn = 1, .energy = 600});
    Canvas space = Canvas::Discarding();
    RandomSource random = start;

    AnimalPhase(world, random, WindowRules, space);

    constexpr int First = 12; // slot 0's draws
    ASSERT_GT(world.animals.energy[0], 0);
    EXPECT_EQ(world.animals.heading[0], NewbornHeading(DrawAt(start, First + 2)));
    EXPECT_EQ(world.animals.turn[0], static_cast<float>(1.0 + DrawAt(start, First) - 0.5));
    EXPECT_EQ(PositionOf(world, 0), pair(100.0f, 100.0f));
    EXPECT_EQ(world.animals.energy[0], NewbornEnergy(DrawAt(start, First + 3))); // not tired yet
}

TEST(AnimalPhase, AnAnimalTurnsByItsTurnTowardsItsTargetOrAwayWhenTheTurnIsNegative)
{
    World world{};
    RandomSource random;
    // Bearing arctan(71 / 130), about 0.5, against heading 10: 0.5 - 10 + 2 pi, about -3.22.
    PlacePlant(world, 0, 171, 230, 10);
    PlaceAnimal(world, 0, {.x = 100, .y = 100, .heading = 10, .turn = 0.25f, .target = 0});
    // Straight to the right (pi/2) with a negative turn: it turns away.
    PlacePlant(world, 1, 350, 100, 10);
    PlaceAnimal(world, 1, {.x = 300, .y = 100, .turn = -0.25f, .target = 1});
    // Straight below: the miss is exactly 0, so the heading stays.
    PlacePlant(world, 2, 100, 350, 10);
    PlaceAnimal(world, 2, {.x = 100, .y = 300, .turn = 0.25f, .target = 2});
    // Heading 17.5 against a bearing of 0: folded once the miss is 2 pi - 17.5, negative,
    // although a full fold into [-pi, pi] would make it positive.
    PlacePlant(world, 3, 400, 350, 10);
    PlaceAnimal(world, 3, {.x = 400, .y = 300, .heading = 17.5f, .turn = 0.5f, .target = 3});
    Canvas space = Canvas::Discarding();

    AnimalPhase(world, random, WindowRules, space);

    EXPECT_EQ(world.animals.heading[0], 9.75f);
    EXPECT_EQ(world.animals.heading[1], -0.25f);
    EXPECT_EQ(world.animals.heading[2], 0.0f);
    EXPECT_EQ(world.animals.heading[3], 17.0f);
}

TEST(AnimalPhase, TheTopUpDrawIsAlwaysTakenButOnlyFewerThanThreeAnimalsInviteANewcomer)
{
    RandomSource start;
    WaitFor(start,
            [](RandomSource r) { return DrawBelow(DrawAt(r, IdleAnimalPassDraws), 100) == 0; });
    Canvas space = Canvas::Discarding();
    World three{}, two{};
    for (int i : {10, 11, 12})
        PlaceAnimal(three, i, {.x = 200, .y = 200});
    for (int i : {10, 11})
        PlaceAnimal(two, i, {.x = 200, .y = 200});

    RandomSource random = start;
    EXPECT_EQ(AnimalPhase(three, random, WindowRules, space), 3);
    EXPECT_EQ(LivingAnimals(three), 3);
    EXPECT_EQ(random, After(start, IdleAnimalPassDraws + 1));

    random = start;
    EXPECT_EQ(AnimalPhase(two, random, WindowRules, space), 2); // the newcomer is not counted
    const int next = IdleAnimalPassDraws + 1;
    EXPECT_EQ(PositionOf(two, 0),
              pair(ScatteredX(DrawAt(start, next)), ScatteredY(DrawAt(start, next + 1))));
    EXPECT_EQ(two.animals.heading[0], NewbornHeading(DrawAt(start, next + 2)));
    EXPECT_EQ(two.animals.energy[0], NewbornEnergy(DrawAt(start, next + 3)));
    EXPECT_EQ(pair(two.animals.turn[0], two.animals.speed[0]), pair(0.5f, 0.5f));
    EXPECT_EQ(random, After(start, next + 4));
}

} // namespace
} // namespace morvane
