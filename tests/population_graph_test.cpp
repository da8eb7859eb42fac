// The strip chart: where the two samples land, their colours, the eraser and the sweep's wrap;
// the sweep and its draws belong to the world, the drawing to the graph canvas alone.
#include <gtest/gtest.h>

#include "display/population_graph.h"
#include "sim/graph_sweep.h"
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

// The graph's part of a tick: the world's sweep step, then the drawing of what it gave.
void GraphUpdate(World& world, RandomSource& random, Canvas& graph, int plants, int animals)
{
    const SweepStep step = AdvanceSweep(world, random);
    PlotPopulation(graph, {step.sweep, plants, animals, step.plant_shade, step.animal_shade});
}

TEST(Graph, SamplesLieAtATenthOfTheSweepScaledToTheHeightWithTheEraserOneColumnAhead)
{
    World world{};
    world.sweep = 100;
    const RandomSource start = RandomSource::FromSeed(41);
    RandomSource random = start;
    Canvas graph = Canvas::Graph();
    Paint(graph, White);

    // 400 of 500 plants: 69 - 55.2 = 13.8; 125 of 250 animals: 34.5.
    GraphUpdate(world, random, graph, 400, 125);

    EXPECT_EQ(world.sweep, 101);
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
    world.sweep = SweepMax - 1;
    RandomSource random;
    Canvas graph = Canvas::Graph();
    Paint(graph, White);

    // The eraser at 497 and the samples at 496 lie beyond the last column, 495.
    GraphUpdate(world, random, graph, 250, 125);
    EXPECT_EQ(world.sweep, SweepMax);
    EXPECT_EQ(PixelsOtherThan(graph, White), 0);
    EXPECT_EQ(random, After(RandomSource(), 2));

    // 4960 wraps to 0: the eraser at x = 1, the samples at x = 0.
    GraphUpdate(world, random, graph, 250, 0);
    EXPECT_EQ(world.sweep, 0);
    EXPECT_TRUE(ColumnIs(graph, 1, Black));
    EXPECT_EQ(graph.At(0, 34), PlantSampleColour(DrawAt(RandomSource(), 2)));
    EXPECT_EQ(PixelsOtherThan(graph, White), GraphHeight + 1);
}

TEST(Graph, TheSweepStepsOnceATickWrapsAfterItsLastPositionAndTakesTwoDrawsPlantsFirst)
{
    World world{};
    const RandomSource start = RandomSource::FromSeed(9);
    RandomSource random = start;
    // Two whole sweeps: one step a tick, 4960 followed by 0, two draws a step, in order.
    for (int t = 1; t <= 2 * (SweepMax + 1); ++t) {
        const RandomSource before = random;
        const SweepStep step = AdvanceSweep(world, random);
        ASSERT_EQ(world.sweep, t % (SweepMax + 1)) << "tick " << t;
        ASSERT_EQ(step.sweep, world.sweep) << "tick " << t;
        ASSERT_EQ(step.plant_shade, DrawBelow(DrawAt(before, 0), SampleShades)) << "tick " << t;
        ASSERT_EQ(step.animal_shade, DrawBelow(DrawAt(before, 1), SampleShades)) << "tick " << t;
        ASSERT_EQ(random, After(before, 2)) << "tick " << t;
    }
    EXPECT_EQ(random, After(start, 4 * (SweepMax + 1)));
    // Nothing else of the world moves with the sweep.
    World others = world;
    others.sweep = 0;
    EXPECT_TRUE(others == World{});
}

TEST(Graph, PlottingDrawsWhatItIsGivenAndNothingElse)
{
    // Shades at the ends of their range, at sweep 3 (x 0.3, eraser at 1.3): the colours come
    // from the shades alone, and a discarding canvas takes the same call.
    Canvas graph = Canvas::Graph();
    Paint(graph, White);
    PlotPopulation(graph, {3, 0, 250, 99, 0});
    EXPECT_TRUE(ColumnIs(graph, 1, Black));
    EXPECT_EQ(graph.At(0, 0), Rgb(255, 0, 0)); // 250 animals, full scale: the top row
    EXPECT_EQ(PixelsOtherThan(graph, White), GraphHeight + 1);
    PlotPopulation(graph, {3, 250, 0, 0, 99});
    EXPECT_EQ(graph.At(0, 34), Rgb(0, 155, 0));
    // 125 animals lie on the row of 250 plants; the animal sample is drawn last.
    PlotPopulation(graph, {3, 250, 125, 0, 99});
    EXPECT_EQ(graph.At(0, 34), Rgb(255, 99, 0));
    Canvas nothing = Canvas::Discarding();
    PlotPopulation(nothing, {3, 250, 125, 50, 50});
    EXPECT_TRUE(nothing.Pixels().empty());
}

} // namespace
} // namespace morvane
