// Births: which slot a newcomer takes, what it starts with, and what a full table refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>

#include "sim/animal_phase.h"
#include "sim/plant_phase.h"
#include "sim/scenes.h"
#include "sim/spawning.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;

TEST(Births, FillTheLowestFreeSlotAndReuseAFreedOne)
{
    World world{};
    RandomSource random;
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(AddAnimal(world, random, WindowRules, 10, 20, 0.5, 0.5), k);
        EXPECT_EQ(AddPlant(world, random, WindowRules, 10, 20), k);
    }
    world.animals.energy[2] = world.plants.size[2] = 0;
    EXPECT_EQ(AddAnimal(world, random, WindowRules, 30, 40, 0.5, 0.5), 2);
    EXPECT_EQ(AddPlant(world, random, WindowRules, 30, 40), 2);
    EXPECT_EQ(PositionOf(world, 2), std::pair(30.0f, 40.0f));
    EXPECT_EQ(std::get<1>(PlantIn(world, 2)), 40);
    EXPECT_EQ(AddAnimal(world, random, WindowRules, 30, 40, 0.5, 0.5), 5);
    EXPECT_EQ(AddPlant(world, random, WindowRules, 30, 40), 5);
}

// The only free slot anywhere in either table, among occupied fields holding values whose
// bit patterns lie next to 0 (1, -1, 256, -32768), is the one a newcomer takes.
TEST(Births, TheOnlyFreeSlotIsFoundWhereverItLies)
{
    constexpr std::int16_t Awkward[] = {1, -1, 256, -32768, 1, 40};
    for (int free_slot = 0; free_slot < PlantSlots; ++free_slot) {
        World world{};
        for (int s = 0; s < PlantSlots; ++s)
            world.plants.size[s] = Awkward[s % 6];
        for (int s = 0; s < AnimalSlots; ++s)
            world.animals.energy[s] = Awkward[(s + 1) % 6];
        world.plants.size[free_slot] = 0;
        if (free_slot < AnimalSlots) world.animals.energy[free_slot] = 0;
        RandomSource random;
        EXPECT_EQ(AddPlant(world, random, WindowRules, 10, 20), free_slot);
        EXPECT_EQ(AddAnimal(world, random, WindowRules, 10, 20, 0.5, 0.5),
                  free_slot < AnimalSlots ? free_slot : -1);
    }
}

TEST(Births, AFullTableRefusesSilentlyAndTakesNoDraw)
{
    Scene scene = FullTablesScene();
    ASSERT_EQ(LivingAnimals(scene.world), AnimalSlots);
    ASSERT_EQ(LivingPlants(scene.world), PlantSlots);
    const Scene before = scene;
    EXPECT_EQ(AddAnimal(scene.world, scene.random, WindowRules, 100, 100, 0.5, 0.5), -1);
    EXPECT_EQ(AddPlant(scene.world, scene.random, WindowRules, 100, 100), -1);
    EXPECT_EQ(scene.world, before.world);
    EXPECT_EQ(scene.random, before.random);
}

TEST(Births, ANewAnimalDrawsItsHeadingThenItsEnergyAndANewPlantOnlyItsSize)
{
    World world{};
    const RandomSource start = RandomSource::FromSeed(3);
    RandomSource random = start;
    ASSERT_EQ(AddAnimal(world, random, WindowRules, 12.1, 400.7, 0.1, -0.2), 0);
    const AnimalTable& a = world.animals;
    EXPECT_EQ(a.heading[0], NewbornHeading(DrawAt(start, 0)));
    EXPECT_EQ(a.energy[0], NewbornEnergy(DrawAt(start, 1)));
    EXPECT_EQ(a.x[0], static_cast<float>(12.1));
    EXPECT_EQ(a.y[0], static_cast<float>(400.7));
    EXPECT_EQ(a.turn[0], static_cast<float>(0.1));
    EXPECT_EQ(a.speed[0], static_cast<float>(-0.2));
    EXPECT_EQ(random, After(start, 2));

    ASSERT_EQ(AddPlant(world, random, WindowRules, 7, 8), 0);
    EXPECT_EQ(world.plants.size[0], SeedlingSize(DrawAt(start, 2)));
    EXPECT_EQ(random, After(start, 3));
}

TEST(Births, PlantCoordinatesRoundToTheNearestPixelWithTiesToEvenAndSaturateFarOff)
{
    struct Case {
        double x, y;
        int stored_x, stored_y;
    };
    const Case cases[] = {{10.5, 11.5, 10, 12},       {-0.5, 497.5, 0, 498},
                          {2.4999, -2.5, 2, -2},      {3.5000001, -3.5, 4, -4},
                          {1e6, -1e6, 32767, -32768}, {40000.0, 5, 32767, 5}};
    World world{};
    RandomSource random;
    for (const Case& c : cases) {
        const int s = AddPlant(world, random, WindowRules, c.x, c.y);
        EXPECT_EQ(world.plants.x[s], c.stored_x) << "x " << c.x;
        EXPECT_EQ(world.plants.y[s], c.stored_y) << "y " << c.y;
    }
}

TEST(Births, NewcomersPlacedOffTheWorldAreKeptThereAndDieUnseenAtTheirFirstVisit)
{
    World world{};
    RandomSource random;
    AddAnimal(world, random, WindowRules, 600, 20, 0.5, 0.3);
    AddPlant(world, random, WindowRules, -3, 5);
    AddPlant(world, random, WindowRules, 1e6, 200);
    EXPECT_EQ(world.animals.x[0], 600.0f);
    EXPECT_EQ(world.plants.x[0], -3);
    Canvas space = Canvas::Space();
    EXPECT_EQ(AnimalPhase(world, random, WindowRules, space), 0);
    EXPECT_EQ(PlantPhase(world, random, WindowRules, space), 0);
    EXPECT_EQ(world.animals.speed[0], 0.0f);
    EXPECT_EQ(PixelsOtherThan(space, Black), 0);
}

TEST(Births, AReusedAnimalSlotKeepsItsPreviousOccupantsModeAndTarget)
{
    World world{};
    RandomSource random;
    PlaceAnimal(world, 0, {.x = 50, .y = 50, .energy = 0, .mode = Mating, .target = 17});
    ASSERT_EQ(AddAnimal(world, random, WindowRules, 90, 80, 0.5, 0.3), 0);
    EXPECT_EQ(world.animals.mode[0], Mating);
    EXPECT_EQ(world.animals.target[0], 17);
    EXPECT_EQ(world.animals.x[0], 90.0f);
}

} // namespace
} // namespace morvane
