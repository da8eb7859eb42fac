// The births and deaths the tick reports: they must account for every change in the living
// population, and watching must not change the world.
#include <gtest/gtest.h>

#include "sim/animal_behaviour.h"
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
        const int before = LivingAnimals(watched.world);
        RunTick(watched.world, watched.random, space, graph, &tick);
        RunTick(unwatched.world, unwatched.random, space, graph);
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

TEST(LifeTally, AnAnimalBreedingWithItselfIsOneBirthAndDiesOnceWhenItCannotPayTwice)
{
    const RandomSource start = RandomSource::FromSeed(22);
    const int self = DrawBelow(DrawAt(start, 0), AnimalSlots); // the mate the re-draw offers
    World world{};
    PlaceAnimal(world, self,
                {.x = 50.5f,
                 .y = 60.5f,
                 .energy = 400,
                 .mode = Mating,
                 .target = static_cast<std::int16_t>(self)});
    Canvas space = Canvas::Discarding();
    RandomSource random = start;
    LifeTally tally;

    Mate(world, random, space, self, &tally);

    EXPECT_EQ(world.animals.energy[self], 0);
    EXPECT_EQ(tally, (LifeTally{.born_by_breeding = 1, .died_paying = 1}));
}

TEST(LifeTally, BreedingInAFullTableKillsThePoorerParentButBearsNoOne)
{
    Scene full = FullTablesScene();
    AnimalTable& a = full.world.animals;
    PlaceAnimal(full.world, 7, {.x = 200, .y = 200, .energy = 900, .mode = Mating, .target = 8});
    PlaceAnimal(full.world, 8, {.x = 200.5f, .y = 200, .energy = 120});
    Canvas space = Canvas::Discarding();
    LifeTally tally;

    Mate(full.world, full.random, space, 7, &tally);

    EXPECT_EQ(a.energy[7], 650);
    EXPECT_EQ(a.energy[8], 0);
    EXPECT_EQ(tally, (LifeTally{.died_paying = 1}));
}

} // namespace
} // namespace morvane
