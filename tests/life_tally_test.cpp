// The births and deaths the tick reports: they must account for every change in the living
// population, and watching must not change the world.
#include <gtest/gtest.h>

#include "sim/animal_phase.h"
#include "sim/life_tally.h"
#include "sim/scenes.h"
#include "sim/tick.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;

TEST(LifeTally, EveryTickBirthsMinusDeathsIsTheChangeInLivingAnimalsAndWatchingChangesNothing)
{
    Scene watched = FreshScene();
    Scene unwatched = FreshScene();
    Canvas space = Canvas::Discarding(), graph = Canvas::Discarding();
    LifeTally total;
    for (int t = 0; t < 5'000; ++t) {
        LifeTally tick;
        Tallying counting(tick);
        const int before = LivingAnimals(watched.world);
        RunTick(watched.world, watched.random, WindowRules, space, graph, &counting);
        RunTick(unwatched.world, unwatched.random, WindowRules, space, graph);
        const auto born = tick.born_by_breeding + tick.born_by_top_up;
        const auto died = tick.died_leaving + tick.died_exhausted + tick.died_paying;
        ASSERT_EQ(LivingAnimals(watched.world) - before, born - died) << "tick " << t;
        total.born_by_breeding += tick.born_by_breeding;
        total.born_by_top_up += tick.born_by_top_up;
        total.died_leaving += tick.died_leaving;
        total.died_exhausted += tick.died_exhausted;
        total.died_paying += tick.died_paying;
    }
    EXPECT_TRUE(watched.world == unwatched.world);
    EXPECT_EQ(watched.random, unwatched.random);
    // A run this long sees every kind of birth and death.
    EXPECT_GT(total.born_by_breeding, 0);
    EXPECT_GT(total.born_by_top_up, 0);
    EXPECT_GT(total.died_leaving, 0);
    EXPECT_GT(total.died_exhausted, 0);
    EXPECT_GT(total.died_paying, 0);
}

// Three well-fed animals standing still far from everything: the pass never counts fewer
// than three, so no newcomer muddles a tally.
void AddBystanders(World& world)
{
    for (int i : {248, 249, 250})
        PlaceAnimal(world, i, {.x = 400, .y = 400, .energy = 900});
}

TEST(LifeTally, AnAnimalBreedingWithItselfIsOneBirthAndDiesOnceWhenItCannotPayTwice)
{
    // Slot 0 is visited first; wait for a partner re-draw that offers it itself.
    RandomSource random;
    WaitFor(random, [](RandomSource r) { return DrawBelow(r.Uniform(), AnimalSlots) == 0; });
    World world{};
    AddBystanders(world);
    PlaceAnimal(world, 0, {.x = 50.5f, .y = 60.5f, .energy = 400, .mode = Mating, .target = 0});
    Canvas space = Canvas::Discarding();
    LifeTally tally;
    Tallying counting(tally);

    AnimalPhase(world, random, WindowRules, space, &counting);

    EXPECT_EQ(world.animals.energy[0], 0);
    ASSERT_GT(world.animals.energy[1], 0); // the newborn, in the lowest free slot
    EXPECT_EQ(tally, (LifeTally{.born_by_breeding = 1, .died_paying = 1}));
}

TEST(LifeTally, BreedingInAFullTableKillsThePoorerParentButBearsNoOne)
{
    Scene full = FullTablesScene();
    AnimalTable& a = full.world.animals;
    a.speed.fill(0); // nobody walks out of the world
    PlaceAnimal(full.world, 7, {.x = 200, .y = 200, .energy = 900, .mode = Mating, .target = 8});
    PlaceAnimal(full.world, 8, {.x = 200.5f, .y = 200, .energy = 120});
    Canvas space = Canvas::Discarding();
    LifeTally tally;
    Tallying counting(tally);

    AnimalPhase(full.world, full.random, WindowRules, space, &counting);

    EXPECT_EQ(a.energy[7], 649); // 900 less the birth and the tick's own cost
    EXPECT_EQ(a.energy[8], 0);
    EXPECT_EQ(LivingAnimals(full.world), AnimalSlots - 1);
    EXPECT_EQ(tally, (LifeTally{.died_paying = 1}));
}

TEST(LifeTally, LeavingTheWorldAndTiringOutAreToldApartAndTheDeadAreNotCountedAgain)
{
    World world{};
    AddBystanders(world);
    const float right = static_cast<float>(HalfPi);
    PlaceAnimal(world, 0, {.x = 496, .y = 50, .heading = right, .speed = 0.5f}); // steps out
    PlaceAnimal(world, 1, {.x = 100, .y = 100, .energy = 1});                    // its last unit
    PlaceAnimal(world, 2, {.x = 600, .y = 50, .energy = 0});                     // long dead
    RandomSource random;
    Canvas space = Canvas::Discarding();
    LifeTally tally;
    Tallying counting(tally);

    AnimalPhase(world, random, WindowRules, space, &counting);
    EXPECT_EQ(tally, (LifeTally{.died_leaving = 1, .died_exhausted = 1}));
    AnimalPhase(world, random, WindowRules, space, &counting); // nobody dies twice
    EXPECT_EQ(tally, (LifeTally{.died_leaving = 1, .died_exhausted = 1}));
}

} // namespace
} // namespace morvane
