// The plant pass: drift, death at the edges, growth, seeding and the top-up of a thin flora.
#include <gtest/gtest.h>

#include <tuple>

#include "sim/plant_phase.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;
using std::tuple;

// The drift step the pass will take at draw `position`.
int StepAt(const RandomSource& random, int position) { return DriftStep(DrawAt(random, position)); }

TEST(PlantPhase, PlantsAndFreeSlotsDriftAPixelAtMostPerAxisAndOnlyTheLivingGrowAndShow)
{
    RandomSource random;
    // Free slot 0 drifts down-right, slot 1 right and up, slot 2 left; no top-up follows.
    WaitFor(random, [](RandomSource r) {
        return StepAt(r, 0) == 1 && StepAt(r, 1) == 1 && StepAt(r, 2) == 1 && StepAt(r, 3) == -1 &&
               StepAt(r, 4) == -1 && StepAt(r, 5) == 0 &&
               DrawBelow(DrawAt(r, QuietPlantPassDraws), 100) != 0;
    });
    World world{};
    PlacePlant(world, 0, 10, 10, 0);
    PlacePlant(world, 1, 200, 200, 99);
    PlacePlant(world, 2, 300, 300, 1);
    Canvas space = Canvas::Space();
    Paint(space, White);

    EXPECT_EQ(PlantPhase(world, random, WindowRules, space), 2);

    EXPECT_EQ(PlantIn(world, 0), tuple(11, 11, 0));
    EXPECT_EQ(PlantIn(world, 1), tuple(201, 199, 100));
    EXPECT_EQ(PlantIn(world, 2), tuple(299, 300, 2));
    EXPECT_EQ(space.At(10, 10), Black);
    EXPECT_EQ(space.At(11, 11), White); // a free slot is never drawn
    EXPECT_EQ(space.At(200, 200), Black);
    EXPECT_EQ(space.At(201, 199), 64000u); // the brightest green, 2 * 100 + 50
    EXPECT_EQ(space.At(300, 300), Black);
    EXPECT_EQ(space.At(299, 300), Rgb(0, 54, 0));
    PlantPhase(world, random, WindowRules, space);
    EXPECT_EQ(space.At(11, 11), Black); // but its erase point moves with it
}

TEST(PlantPhase, APlantThatDriftsOutOfTheWorldDiesButTheEdgesThemselvesAreInside)
{
    RandomSource random;
    WaitFor(random, [](RandomSource r) {
        return StepAt(r, 0) == 1 && StepAt(r, 2) == -1 && StepAt(r, 5) == 1 && StepAt(r, 7) == -1 &&
               StepAt(r, 8) == 0 && StepAt(r, 9) == 0;
    });
    World world{};
    for (int s = 100; s < 105; ++s)
        PlacePlant(world, s, 250, 250, 10); // keep the top-up away
    const tuple<int, int> start[] = {{496, 100}, {0, 100}, {100, 429}, {100, 0}, {496, 429}};
    for (int s = 0; s < 5; ++s)
        PlacePlant(world, s, std::get<0>(start[s]), std::get<1>(start[s]), 50);
    Canvas space = Canvas::Discarding();

    EXPECT_EQ(PlantPhase(world, random, WindowRules, space), 6);

    EXPECT_EQ(std::get<0>(PlantIn(world, 0)), 497);
    EXPECT_EQ(std::get<1>(PlantIn(world, 3)), -1);
    for (int s = 0; s < 4; ++s)
        EXPECT_EQ(world.plants.size[s], 0) << "slot " << s;
    EXPECT_EQ(PlantIn(world, 4), tuple(496, 429, 51)); // the corner is inside
}

TEST(PlantPhase, AFullGrownPlantSeedsIntoTheLowestFreeSlotAndOnceInTwoHundredAlsoAnywhere)
{
    RandomSource start;
    // Parent in slot 2 above two free slots: drift 4 and 5, new size 6, seedling 7, the chance
    // 8, then the extra plant's x 9, y 10 and size 11.
    WaitFor(start, [](RandomSource r) {
        return DrawBelow(DrawAt(r, 8), 200) == 0 && DrawBelow(DrawAt(r, 6), 20) != 0;
    });
    const int x = 200 + StepAt(start, 4), y = 200 + StepAt(start, 5);
    const int size = DrawBelow(DrawAt(start, 6), 20);
    World world{};
    PlacePlant(world, 2, 200, 200, 100);
    RandomSource random = start;
    Canvas space = Canvas::Space();

    // Both newcomers lie below the parent's slot, so this pass neither moves nor counts them.
    EXPECT_EQ(PlantPhase(world, random, WindowRules, space), 1);

    EXPECT_EQ(PlantIn(world, 2), tuple(x, y, size));
    EXPECT_EQ(space.At(x, y), Rgb(0, 2 * size + 50, 0));
    EXPECT_EQ(PlantIn(world, 0), tuple(x, y, SeedlingSize(DrawAt(start, 7))));
    EXPECT_EQ(PlantIn(world, 1), tuple(PlantCoordinate(ScatteredX(DrawAt(start, 9))),
                                       PlantCoordinate(ScatteredY(DrawAt(start, 10))),
                                       SeedlingSize(DrawAt(start, 11))));
}

TEST(PlantPhase, ASeedlingInAHigherSlotDriftsAndGrowsThisTick)
{
    RandomSource random;
    WaitFor(random, [](RandomSource r) {
        return DrawBelow(DrawAt(r, 2), 20) != 0 && DrawBelow(DrawAt(r, 4), 200) != 0;
    });
    const int x = 200 + StepAt(random, 0) + StepAt(random, 5);
    const int y = 200 + StepAt(random, 1) + StepAt(random, 6);
    const int size = SeedlingSize(DrawAt(random, 3)) + 1;
    World world{};
    PlacePlant(world, 0, 200, 200, 100);
    Canvas space = Canvas::Space();

    EXPECT_EQ(PlantPhase(world, random, WindowRules, space), 2);
    EXPECT_EQ(PlantIn(world, 1), tuple(x, y, size));
    EXPECT_EQ(space.At(x, y), PlantColour(size));
}

TEST(PlantPhase, APlantWhoseNewSizeIsZeroGivesItsOwnSlotToItsSeedling)
{
    RandomSource random;
    WaitFor(random, [](RandomSource r) {
        return DrawBelow(DrawAt(r, 2), 20) == 0 && DrawBelow(DrawAt(r, 4), 200) != 0;
    });
    const int x = 200 + StepAt(random, 0), y = 200 + StepAt(random, 1);
    const int seedling = SeedlingSize(DrawAt(random, 3));
    World world{};
    PlacePlant(world, 0, 200, 200, 100);
    Canvas space = Canvas::Space();

    EXPECT_EQ(PlantPhase(world, random, WindowRules, space), 1);
    EXPECT_EQ(PlantIn(world, 0), tuple(x, y, seedling)); // put there after growing
    EXPECT_EQ(world.plants.size[1], 0);
    EXPECT_EQ(space.At(x, y), Rgb(0, 2 * seedling + 50, 0));
}

TEST(PlantPhase, TheTopUpDrawIsAlwaysTakenButOnlyFewerThanFivePlantsInviteANewcomer)
{
    RandomSource start;
    WaitFor(start,
            [](RandomSource r) { return DrawBelow(DrawAt(r, QuietPlantPassDraws), 100) == 0; });
    Canvas space = Canvas::Discarding();
    World five{}, four{};
    for (int s = 0; s < 5; ++s)
        PlacePlant(five, s, 200, 200, 10);
    for (int s = 0; s < 4; ++s)
        PlacePlant(four, s, 200, 200, 10);

    RandomSource random = start;
    EXPECT_EQ(PlantPhase(five, random, WindowRules, space), 5);
    EXPECT_EQ(LivingPlants(five), 5);
    EXPECT_EQ(random, After(start, QuietPlantPassDraws + 1));

    random = start;
    EXPECT_EQ(PlantPhase(four, random, WindowRules, space), 4); // the newcomer is not counted
    EXPECT_EQ(PlantIn(four, 4),
              tuple(PlantCoordinate(ScatteredX(DrawAt(start, QuietPlantPassDraws + 1))),
                    PlantCoordinate(ScatteredY(DrawAt(start, QuietPlantPassDraws + 2))),
                    SeedlingSize(DrawAt(start, QuietPlantPassDraws + 3))));
    EXPECT_EQ(random, After(start, QuietPlantPassDraws + 4));
}

} // namespace
} // namespace morvane
