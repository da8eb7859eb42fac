// A whole tick: animals, then plants, then the graph, with the draws in that order.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "sim/mouse_release.h"
#include "sim/tick.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;

bool Succeeds(float u) { return DrawBelow(u, 100) == 0; }

TEST(Tick, AFreshWorldsFirstTickOnlyErasesOnTheWorldAndClearsOneGraphColumn)
{
    World world{};
    RandomSource random;
    Canvas space = Canvas::Space(), graph = Canvas::Graph();
    Paint(space, White);
    Paint(graph, White);

    const TickCounts counts = RunTick(world, random, WindowRules, space, graph);

    EXPECT_EQ(counts.animals, 0);
    EXPECT_EQ(counts.plants, 0);
    EXPECT_EQ(world.sweep, 1);
    // Every slot erases at (0, 0); nothing living is drawn.
    EXPECT_EQ(space.At(0, 0), Black);
    EXPECT_EQ(PixelsOtherThan(space, White), 1);
    // The eraser at x = 1.1 clears column 1; both samples, at y = 69, lie below the canvas.
    for (int y = 0; y < GraphHeight; ++y)
        EXPECT_EQ(graph.At(1, y), Black) << "row " << y;
    EXPECT_EQ(PixelsOtherThan(graph, White), GraphHeight);
}

TEST(Tick, DrawsComeFromTheAnimalsThenThePlantsThenTheGraphAndCountsPrecedeTheTopUps)
{
    // In a fresh world the animal top-up chance is draw 3012. If it succeeds, x, y, heading
    // and energy follow; then the plant pass's 1002 draws, its chance, maybe x, y and size,
    // and last the two graph colours.
    for (const bool animal_arrives : {true, false}) {
        SCOPED_TRACE(animal_arrives ? "an animal arrives" : "a plant arrives");
        const int plant_chance =
            IdleAnimalPassDraws + 1 + (animal_arrives ? 4 : 0) + QuietPlantPassDraws;
        RandomSource start;
        WaitFor(start, [&](RandomSource r) {
            return Succeeds(DrawAt(r, IdleAnimalPassDraws)) == animal_arrives &&
                   Succeeds(DrawAt(r, plant_chance)) != animal_arrives;
        });
        World world{};
        RandomSource random = start;
        Canvas space = Canvas::Discarding(), graph = Canvas::Discarding();

        const TickCounts counts = RunTick(world, random, WindowRules, space, graph);

        EXPECT_EQ(counts.animals, 0);
        EXPECT_EQ(counts.plants, 0);
        EXPECT_EQ(LivingAnimals(world), animal_arrives ? 1 : 0);
        EXPECT_EQ(LivingPlants(world), animal_arrives ? 0 : 1);
        if (animal_arrives) {
            const int next = IdleAnimalPassDraws + 1;
            EXPECT_EQ(PositionOf(world, 0), std::pair(ScatteredX(DrawAt(start, next)),
                                                      ScatteredY(DrawAt(start, next + 1))));
            EXPECT_EQ(world.animals.energy[0], NewbornEnergy(DrawAt(start, next + 3)));
        } else {
            EXPECT_EQ(PlantIn(world, 0),
                      std::tuple(PlantCoordinate(ScatteredX(DrawAt(start, plant_chance + 1))),
                                 PlantCoordinate(ScatteredY(DrawAt(start, plant_chance + 2))),
                                 SeedlingSize(DrawAt(start, plant_chance + 3))));
        }
        EXPECT_EQ(random, After(start, plant_chance + 1 + (animal_arrives ? 0 : 3) + 2));
    }
}

TEST(Tick, APlantPutDownBetweenTicksCanBeEatenBeforeItIsEverDrawn)
{
    World world{};
    RandomSource random;
    const int size = SeedlingSize(DrawAt(random, 0));
    space_MouseUp(world, random, WindowRules, RightButton, 0, 100.4f, 99.6f);
    ASSERT_EQ(PlantIn(world, 0), std::tuple(100, 100, size));
    PlaceAnimal(world, 0, {.x = 100.5f, .y = 100.5f, .energy = 500, .target = 0});
    Canvas space = Canvas::Space(), graph = Canvas::Graph();

    const TickCounts counts = RunTick(world, random, WindowRules, space, graph);

    EXPECT_EQ(world.animals.energy[0], 500 + 3 * size - 1);
    EXPECT_EQ(world.plants.size[0], 0);
    EXPECT_EQ(counts.animals, 1);
    EXPECT_EQ(counts.plants, 0);
    // The animal's dot at (100, 100) is wiped by the free plant slot's erase point.
    EXPECT_EQ(PixelsOtherThan(space, Black), 0);
}

} // namespace
} // namespace morvane
