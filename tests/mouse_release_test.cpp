// A mouse release on the world: which newcomer it brings, and how the caller learns of it.
#include <gtest/gtest.h>

#include "sim/mouse_release.h"
#include "sim/scenes.h"

namespace morvane {
namespace {

TEST(MouseRelease, LeftBringsASlowAnimalRightAPlantAndEachReportsItsSlot)
{
    World world{};
    RandomSource random;
    EXPECT_EQ(space_MouseUp(world, random, WindowRules, LeftButton, 0, 10, 20), 0);
    EXPECT_EQ(space_MouseUp(world, random, WindowRules, LeftButton, 0, 30, 40), 1);
    EXPECT_EQ(space_MouseUp(world, random, WindowRules, RightButton, 0, 50, 60), 0);
    EXPECT_EQ(world.animals.speed[1], 0.3f);
    EXPECT_EQ(world.animals.turn[1], 0.5f);
    EXPECT_EQ(world.plants.x[0], 50);
}

TEST(MouseRelease, AnotherButtonOrAFullTableBringsNothingAndDrawsNothing)
{
    Scene full = FullTablesScene();
    const Scene before = full;
    EXPECT_EQ(space_MouseUp(full.world, full.random, WindowRules, LeftButton, 0, 10, 20), -1);
    EXPECT_EQ(space_MouseUp(full.world, full.random, WindowRules, RightButton, 0, 10, 20), -1);
    EXPECT_TRUE(full.world == before.world);
    EXPECT_EQ(full.random, before.random);

    World empty{};
    RandomSource random;
    const RandomSource random_before = random;
    // Both bits at once is no code the window sends; a handler testing bits would misread it.
    for (std::int16_t other : {MiddleButton, X1Button, X2Button, NoButton,
                               std::int16_t{LeftButton | RightButton}, std::int16_t{-1}}) {
        EXPECT_EQ(space_MouseUp(empty, random, WindowRules, other, 0, 10, 20), -1) << other;
        EXPECT_TRUE(empty == World{}) << other;
        EXPECT_EQ(random, random_before) << other;
    }
}

} // namespace
} // namespace morvane
