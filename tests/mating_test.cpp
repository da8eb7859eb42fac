// Mating: breeding, what a birth costs, and the switch back to foraging, checked one visit at
// a time on the plain reference's Mate (the core is held to the reference tick by tick).
#include <gtest/gtest.h>

#include "checks/reference_tick.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;
using reference::AddAnimal;
using reference::Mate;

constexpr int Glances = 11; // candidates an animal glances at each tick

// The mean of two parents' values shifted by one mutation draw, in double, stored as float.
float Inherited(float a, float b, float u)
{
    return static_cast<float>((static_cast<double>(a) + static_cast<double>(b)) / 2 + u - 0.5);
}

TEST(Breeding, TheChildTakesTheParentsMeansShiftedByTheFirstDrawForTurnAndTheSecondForSpeed)
{
    const RandomSource start = RandomSource::FromSeed(21);
    World world{};
    // 0.92 pixels apart; the partner is foraging and has less than a birth costs.
    PlaceAnimal(world, 3,
                {.x = 100.9f,
                 .y = 101.2f,
                 .turn = 0.2f,
                 .speed = 1.0f,
                 .energy = 300,
                 .mode = Mating,
                 .target = 5});
    PlaceAnimal(
        world, 5,
        {.x = 100.2f, .y = 100.6f, .turn = 0.6f, .speed = 2.5f, .energy = 100, .target = 42});
    Canvas space = Canvas::Space();
    space.PSet(100, 100, White);
    space.PSet(100, 101, White);
    RandomSource random = start;

    Mate(world, random, WindowRules, space, 3);

    const AnimalTable& a = world.animals;
    EXPECT_EQ(a.turn[0], Inherited(0.2f, 0.6f, DrawAt(start, 0)));
    EXPECT_EQ(a.speed[0], Inherited(1.0f, 2.5f, DrawAt(start, 1)));
    EXPECT_EQ(a.heading[0], NewbornHeading(DrawAt(start, 2)));
    EXPECT_EQ(a.energy[0], NewbornEnergy(DrawAt(start, 3)));
    EXPECT_EQ(a.x[0], 100.9f);
    EXPECT_EQ(a.y[0], 101.2f);
    EXPECT_EQ(a.energy[3], 50);
    EXPECT_EQ(a.energy[5], 0); // 100 - 250, floored
    EXPECT_EQ(a.mode[5], Foraging);
    EXPECT_EQ(space.At(100, 100), Black); // the black point is the partner's
    EXPECT_EQ(space.At(100, 101), White);
    EXPECT_EQ(random, After(start, 4 + Glances));
}

TEST(Breeding, AnAnimalWhoseRedrawnMateIsItselfBreedsWithItselfAndPaysTwice)
{
    const RandomSource start = RandomSource::FromSeed(22);
    const int self = DrawBelow(DrawAt(start, 0), AnimalSlots); // the mate the re-draw offers
    World world{};
    PlaceAnimal(world, self,
                {.x = 50.5f,
                 .y = 60.5f,
                 .turn = 0.3f,
                 .speed = 0.7f,
                 .energy = 600,
                 .mode = Mating,
                 .target = static_cast<std::int16_t>(self)});
    Canvas space = Canvas::Space();
    space.PSet(50, 60, White);
    RandomSource random = start;

    Mate(world, random, WindowRules, space, self);

    const int child = self == 0 ? 1 : 0;
    EXPECT_EQ(world.animals.energy[self], 100);
    EXPECT_EQ(world.animals.target[self], self); // nothing is nearer than itself
    EXPECT_EQ(world.animals.turn[child], Inherited(0.3f, 0.3f, DrawAt(start, 1)));
    EXPECT_EQ(world.animals.speed[child], Inherited(0.7f, 0.7f, DrawAt(start, 2)));
    EXPECT_EQ(space.At(50, 60), Black);
}

TEST(Breeding, WithAFullTableStillCostsBothParentsAndSetsTheBlackPoint)
{
    World world{};
    RandomSource random;
    for (int i = 0; i < AnimalSlots; ++i)
        AddAnimal(world, random, WindowRules, 300, 300, 0.5, 0.5);
    PlaceAnimal(world, 10, {.x = 100, .y = 100, .energy = 600, .mode = Mating, .target = 11});
    PlaceAnimal(world, 11, {.x = 100, .y = 100.5f, .energy = 700, .mode = Mating, .target = 10});
    World expected = world;
    const RandomSource start = random;
    Canvas space = Canvas::Space();
    space.PSet(100, 100, White);

    Mate(world, random, WindowRules, space, 10);

    expected.animals.energy[10] = 350;
    expected.animals.energy[11] = 450;
    expected.animals.target[10] = world.animals.target[10]; // the search may move it
    EXPECT_EQ(world, expected);
    EXPECT_EQ(space.At(100, 100), Black);
    // Both mutation draws are taken; the refused newborn draws neither heading nor energy.
    EXPECT_EQ(random, After(start, 2 + Glances));
}

TEST(Breeding, ADeadAnimalNeitherBreedsNorKeepsMating)
{
    World world{};
    RandomSource random;
    PlaceAnimal(world, 3, {.x = 100, .y = 100, .energy = 0, .mode = Mating, .target = 5});
    PlaceAnimal(world, 5, {.x = 100, .y = 100, .energy = 700, .mode = Mating, .target = 3});
    Canvas space = Canvas::Space();
    Mate(world, random, WindowRules, space, 3);
    EXPECT_EQ(world.animals.mode[3], Foraging);
    EXPECT_EQ(world.animals.energy[5], 700);
    EXPECT_EQ(LivingAnimals(world), 1);
}

TEST(Breeding, BelowTwoHundredFiftyAMaterTurnsToForagingYetMayStillBreedThisTick)
{
    RandomSource random;
    // Wait for a return-to-foraging draw that also names a usable partner slot.
    WaitFor(random,
            [](RandomSource r) { return DrawBelow(r.Uniform(), PlantSlots) < AnimalSlots - 1; });
    const int partner = DrawBelow(DrawAt(random, 0), PlantSlots);
    const int self = partner == 7 ? 8 : 7;
    World world{};
    PlaceAnimal(world, self, {.x = 80, .y = 80, .energy = 249, .mode = Mating, .target = 200});
    PlaceAnimal(world, partner, {.x = 80, .y = 80, .energy = 400, .mode = Mating});
    PlaceAnimal(world, 250, {.x = 80, .y = 80, .energy = 250, .mode = Mating, .target = 250});
    Canvas space = Canvas::Discarding();

    Mate(world, random, WindowRules, space, self);

    EXPECT_EQ(world.animals.mode[self], Foraging);
    EXPECT_EQ(world.animals.target[self], partner);
    EXPECT_EQ(world.animals.energy[self], 0);
    EXPECT_EQ(world.animals.energy[partner], 150);
    EXPECT_EQ(LivingAnimals(world), 3); // the partner, the newborn and the bystander

    Mate(world, random, WindowRules, space, 250); // at exactly 250 it keeps mating
    EXPECT_EQ(world.animals.mode[250], Mating);
}

TEST(Breeding, AnExhaustedMatersNewPlantTargetBeyondTheAnimalSlotsIsRedrawnAsAPartner)
{
    RandomSource start;
    // Wait for a return-to-foraging draw that names a plant slot no animal slot has.
    WaitFor(start,
            [](RandomSource r) { return DrawBelow(r.Uniform(), PlantSlots) >= AnimalSlots; });
    const int partner = DrawBelow(DrawAt(start, 1), AnimalSlots); // the range re-draw
    const int self = partner == 7 ? 8 : 7;
    World world{};
    PlaceAnimal(world, self, {.x = 80, .y = 80, .energy = 0, .mode = Mating, .target = 3});
    PlaceAnimal(world, partner, {.x = 300, .y = 300, .energy = 400});
    RandomSource random = start;
    Canvas space = Canvas::Discarding();

    Mate(world, random, WindowRules, space, self);

    EXPECT_EQ(world.animals.mode[self], Foraging);
    // A living partner that is not itself: no third draw, and no glance finds one nearer.
    EXPECT_EQ(world.animals.target[self], partner);
    EXPECT_EQ(random, After(start, 2 + Glances));
}

} // namespace
} // namespace morvane
