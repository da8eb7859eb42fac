// Mouse releases reach the world canvas's handler only when they belong to it, in its own
// pixel coordinates and with the world's button codes; the world then answers as it should.
#include <gtest/gtest.h>

#include "app/mouse_routing.h"
#include "sim/mouse_release.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::app {
namespace {

// The drawable area of the world canvas starts at window pixel (10, 10).
constexpr int Left = 10;
constexpr int Top = 10;

TEST(MouseRouting, SystemButtonsBecomeTheWorldCanvasCodes)
{
    EXPECT_EQ(ButtonCode(SystemLeft), LeftButton);
    EXPECT_EQ(ButtonCode(SystemRight), RightButton);
    EXPECT_EQ(ButtonCode(SystemMiddle), MiddleButton);
    EXPECT_EQ(ButtonCode(SystemX1), X1Button);
    EXPECT_EQ(ButtonCode(SystemX2), X2Button);
    for (int unknown : {0, 6, 255, -1, 256})
        EXPECT_EQ(ButtonCode(unknown), NoButton) << unknown;
    EXPECT_EQ(ShiftCode(false, false, false), 0);
    EXPECT_EQ(ShiftCode(true, true, true), ShiftBit | CtrlBit | AltBit);
}

TEST(MouseRouting, AClickOnTheWorldArrivesInItsOwnPixelCoordinates)
{
    MouseRouting mouse;
    const struct {
        int wx, wy;
        float x, y;
    } clicks[] = {{Left, Top, 0, 0}, {Left + 100, Top + 200, 100, 200}, {505, 438, 495, 428}};
    for (const auto& c : clicks) {
        mouse.Press(SystemRight, c.wx, c.wy);
        const auto release = mouse.Release(SystemRight, 0, c.wx, c.wy);
        ASSERT_TRUE(release) << c.wx << "," << c.wy;
        EXPECT_EQ(release->button, RightButton);
        EXPECT_EQ(release->x, c.x);
        EXPECT_EQ(release->y, c.y);
    }
}

TEST(MouseRouting, TheEdgeTheGraphAndTheFaceAreNotTheWorld)
{
    MouseRouting mouse;
    const int outside[][2] = {{9, 100},   {100, 9}, {506, 100},  {100, 439}, {8, 8},
                              {507, 440}, {3, 3},   {Left, 450}, {200, 500}};
    for (const auto& p : outside) {
        EXPECT_FALSE(mouse.Release(SystemLeft, 0, p[0], p[1])) << p[0] << "," << p[1];
        mouse.Press(SystemLeft, p[0], p[1]);
        EXPECT_FALSE(mouse.Release(SystemLeft, 0, p[0], p[1])) << p[0] << "," << p[1];
    }
    EXPECT_EQ(SurfaceAt(Left, 450), Surface::Graph);
    EXPECT_EQ(SurfaceAt(9, 450), Surface::Background);
}

TEST(MouseRouting, AReleaseBelongsToWhereItsButtonWasPressed)
{
    MouseRouting mouse;
    // Pressed on the world, dragged off the window: still the world's, off its edge.
    mouse.Press(SystemLeft, 50, 60);
    auto release = mouse.Release(SystemLeft, 0, -20, 600);
    ASSERT_TRUE(release);
    EXPECT_EQ(release->button, LeftButton);
    EXPECT_EQ(release->x, -30.0f);
    EXPECT_EQ(release->y, 590.0f);

    // Pressed on the graph or the face, released over the world: nobody's click.
    mouse.Press(SystemLeft, 100, 460);
    EXPECT_FALSE(mouse.Release(SystemLeft, 0, 100, 100));
    mouse.Press(SystemRight, 2, 2);
    EXPECT_FALSE(mouse.Release(SystemRight, 0, 100, 100));

    // Each button keeps its own press: right went down on the graph, left on the world.
    mouse.Press(SystemRight, 100, 460);
    mouse.Press(SystemLeft, 100, 100);
    EXPECT_FALSE(mouse.Release(SystemRight, 0, 120, 120));
    release = mouse.Release(SystemLeft, 0, 200, 500);
    ASSERT_TRUE(release);
    EXPECT_EQ(release->button, LeftButton);
}

TEST(MouseRouting, AReleaseWithNoPressSeenBelongsToWhatIsUnderThePointer)
{
    MouseRouting mouse;
    const auto on_world = mouse.Release(SystemLeft, 0, 30, 40);
    ASSERT_TRUE(on_world);
    EXPECT_EQ(on_world->x, 20.0f);
    EXPECT_FALSE(mouse.Release(SystemLeft, 0, 30, 460));

    // A press is used up by its release: the next release stands on its own again.
    mouse.Press(SystemLeft, 100, 460);
    EXPECT_FALSE(mouse.Release(SystemLeft, 0, 100, 100));
    EXPECT_TRUE(mouse.Release(SystemLeft, 0, 100, 100));

    // So is a press from before the window lost the mouse.
    mouse.Press(SystemRight, 100, 100);
    mouse.Forget();
    EXPECT_FALSE(mouse.Release(SystemRight, 0, 100, 460));
}

// A click routed through to the world, as the window does it.
void Click(MouseRouting& mouse, World& world, RandomSource& random, int button, int wx, int wy,
           std::int16_t shift = 0)
{
    mouse.Press(button, wx, wy);
    if (const auto r = mouse.Release(button, shift, wx, wy))
        space_MouseUp(world, random, WindowRules, r->button, r->shift, r->x, r->y);
}

TEST(MouseRouting, LeftAddsASlowAnimalRightAPlantOthersNothing)
{
    MouseRouting mouse;
    World world{};
    RandomSource random;
    Click(mouse, world, random, SystemLeft, Left + 100, Top + 200);
    EXPECT_EQ(LivingAnimals(world), 1);
    EXPECT_EQ(world.animals.x[0], 100.0f);
    EXPECT_EQ(world.animals.y[0], 200.0f);
    EXPECT_EQ(world.animals.turn[0], 0.5f);
    EXPECT_EQ(world.animals.speed[0], 0.3f);

    Click(mouse, world, random, SystemRight, Left + 50, Top + 60);
    EXPECT_EQ(LivingPlants(world), 1);
    EXPECT_EQ(world.plants.x[0], 50);
    EXPECT_EQ(world.plants.y[0], 60);

    const World before = world;
    const RandomSource random_before = random;
    for (int other : {SystemMiddle, SystemX1, SystemX2, 7})
        Click(mouse, world, random, other, Left + 70, Top + 70);
    EXPECT_EQ(world, before);
    EXPECT_EQ(random, random_before);
}

TEST(MouseRouting, ModifierKeysMakeNoDifference)
{
    for (int button : {SystemLeft, SystemRight, SystemMiddle}) {
        MouseRouting plain_mouse, held_mouse;
        World plain{}, held{};
        RandomSource plain_random, held_random;
        Click(plain_mouse, plain, plain_random, button, 80, 90);
        Click(held_mouse, held, held_random, button, 80, 90, ShiftCode(true, true, true));
        EXPECT_EQ(plain, held) << button;
        EXPECT_EQ(plain_random, held_random) << button;
    }
}

TEST(MouseRouting, AFullAnimalTableRefusesALeftClickButStillTakesPlants)
{
    MouseRouting mouse;
    World world{};
    RandomSource random;
    for (int i = 0; i < AnimalSlots; ++i)
        Click(mouse, world, random, SystemLeft, 20 + i, 30);
    ASSERT_EQ(LivingAnimals(world), AnimalSlots);

    const World full = world;
    Click(mouse, world, random, SystemLeft, 300, 300);
    EXPECT_EQ(world, full);

    Click(mouse, world, random, SystemRight, 300, 300);
    EXPECT_EQ(world.animals, full.animals);
    EXPECT_EQ(LivingPlants(world), 1);
}

} // namespace
} // namespace morvane::app
