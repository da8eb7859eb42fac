// The strip chart: where the two samples land, their colours, the eraser and the sweep's wrap.
#include <gtest/gtest.h>

#include "display/population_graph.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;

Colour PlantSampleColour(float u) { return Rgb(0, DrawBelow(u, 100) + 155, 0); }
Colour AnimalSampleColour(float u) { return Rgb(255, DrawBelow(u, 100), 0); }

bool ColumnIs(const Canvas& graph, int x, Colour colour)
{
    for (int y = 0; y < graph.Height(); ++y)
        if (graph.At(x, y) != colour) return false;
    return true;
}

TEST(Graph, SamplesLieAtATenthOfTheSweepScaledToTheHeightWithTheEraserOneColumnAhead)
{
    World world{};
    world.tick = 100;
    const RandomSource start = RandomSource::FromSeed(41);
    RandomSource random = start;
    Canvas graph = Canvas::Graph();
    Paint(graph, White);

    // 400 of 500 plants: 69 - 55.2 = 13.8; 125 of 250 animals: 34.5.
    GraphUpdate(world, random, graph, 400, 125);

    EXPECT_EQ(world.tick, 101);
    EXPECT_TRUE(ColumnIs(graph, 11, Black)); // x = 11.1
    EXPECT_EQ(graph.At(10, 13), PlantSampleColour(DrawAt(start, 0)));
    EXPECT_EQ(graph.At(10, 34), AnimalSampleColour(DrawAt(start, 1)));
    EXPECT_EQ(PixelsOtherThan(graph, White), GraphHeight + 2);
    EXPECT_EQ(random, After(start, 2));

    // 250 plants also lie at 34.5; full scales at the top row; none at 69, below the canvas.
    GraphUpdate(world, random, graph, 250, 0);
    EXPECT_EQ(graph.At(10, 34), PlantSampleColour(DrawAt(start, 2)));
    GraphUpdate(world, random, graph, 0, 250);
    EXPECT_EQ(graph.At(10, 0), AnimalSampleColour(DrawAt(start, 5)));
    GraphUpdate(world, random, graph, 500, 0);
    EXPECT_EQ(graph.At(10, 0), PlantSampleColour(DrawAt(start, 6)));
    EXPECT_EQ(PixelsOtherThan(graph, White), GraphHeight + 3);

    // Full tables, 501 plants at -0.138 and 251 animals at -0.276, fall off the top.
    Paint(graph, White);
    GraphUpdate(world, random, graph, 501, 251);
    EXPECT_EQ(PixelsOtherThan(graph, White), GraphHeight);
}

TEST(Graph, TheLastSampleOfASweepFallsOffTheRightEdgeAndTheNextStartsAtTheLeft)
{
    World world{};
    world.tick = GraphTickMax - 1;
    RandomSource random;
    Canvas graph = Canvas::Graph();
    Paint(graph, White);

    // The eraser at 497 and the samples at 496 lie beyond the last column, 495.
    GraphUpdate(world, random, graph, 250, 125);
    EXPECT_EQ(world.tick, GraphTickMax);
    EXPECT_EQ(PixelsOtherThan(graph, White), 0);
    EXPECT_EQ(random, After(RandomSource(), 2));

    // 4960 wraps to 0: the eraser at x = 1, the samples at x = 0.
    GraphUpdate(world, random, graph, 250, 0);
    EXPECT_EQ(world.tick, 0);
    EXPECT_TRUE(ColumnIs(graph, 1, Black));
    EXPECT_EQ(graph.At(0, 34), PlantSampleColour(DrawAt(RandomSource(), 2)));
    EXPECT_EQ(PixelsOtherThan(graph, White), GraphHeight + 1);
}

} // namespace
} // namespace morvane
