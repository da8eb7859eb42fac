// Canvases: which pixel a point colours, how a vertical line is clipped, and colour packing.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "display/canvas.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;

constexpr Colour Red = Rgb(255, 0, 0);

TEST(Canvas, APointColoursThePixelWhoseSquareContainsItAndNothingOffTheSurface)
{
    Canvas space = Canvas::Space();
    ASSERT_EQ(PixelsOtherThan(space, Black), 0);
    space.PSet(0, 0, Red);
    EXPECT_EQ(space.At(0, 0), Red);
    space.PSet(0.99f, 0.99f, White);
    EXPECT_EQ(space.At(0, 0), White);
    space.PSet(495.9f, 428.9f, Red);
    EXPECT_EQ(space.At(495, 428), Red);
    space.PSet(10.5f, 20.25f, Red);
    EXPECT_EQ(space.At(10, 20), Red);
    // Off the surface, or not a number: nothing changes.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> off[] = {{-1, 5},    {600, 5},    {496, 5},      {5, 429},
                                           {5, -0.5f}, {-0.01f, 0}, {nan, 5},      {5, nan},
                                           {inf, 5},   {5, -inf},   {1e30f, 1e30f}};
    for (auto [x, y] : off)
        space.PSet(x, y, Red);
    EXPECT_EQ(PixelsOtherThan(space, Black), 3);
}

TEST(Canvas, AVerticalLineCoversEveryRowFromTheLowerToTheUpperEndInclusive)
{
    Canvas graph = Canvas::Graph();
    graph.VerticalLine(3.7f, 10.2f, 5.9f, Red);
    for (int y = 5; y <= 10; ++y)
        EXPECT_EQ(graph.At(3, y), Red) << "row " << y;
    EXPECT_EQ(PixelsOtherThan(graph, Black), 6);
    Canvas reversed = Canvas::Graph();
    reversed.VerticalLine(3.7f, 5.9f, 10.2f, Red);
    EXPECT_EQ(reversed.Pixels(), graph.Pixels());
    Canvas dot = Canvas::Graph();
    dot.VerticalLine(8, 4, 4, Red);
    EXPECT_EQ(dot.At(8, 4), Red);
    EXPECT_EQ(PixelsOtherThan(dot, Black), 1);
}

TEST(Canvas, AVerticalLineIsClippedToTheSurface)
{
    Canvas graph = Canvas::Graph();
    graph.VerticalLine(2, 69, -1, Red); // the graph's eraser: the whole column
    for (int y = 0; y < 69; ++y)
        EXPECT_EQ(graph.At(2, y), Red) << "row " << y;
    EXPECT_EQ(PixelsOtherThan(graph, Black), 69);
    graph.VerticalLine(495.5f, -1e30f, 1e30f, White);
    EXPECT_EQ(graph.At(495, 0), White);
    EXPECT_EQ(graph.At(495, 68), White);

    const std::vector<Colour> before = graph.Pixels();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::tuple<float, float, float> off[] = {{-1, 0, 68},   {-0.5f, 0, 68}, {496, 0, 68},
                                                   {497, 69, -1}, {5, -10, -2},   {5, 69, 100},
                                                   {nan, 0, 10}};
    for (auto [x, y1, y2] : off)
        graph.VerticalLine(x, y1, y2, Red);
    EXPECT_EQ(graph.Pixels(), before);
}

TEST(Canvas, ADiscardingCanvasTakesEveryDrawingCallAndKeepsNothing)
{
    Canvas nothing = Canvas::Discarding();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float v : {0.0f, 0.5f, -1.0f, 1e30f, nan}) {
        nothing.PSet(v, v, Red);
        nothing.VerticalLine(v, 0, 100, Red);
    }
    for (const int v : {0, 1, -1, 32767})
        nothing.PSet(v, v, Red);
    EXPECT_TRUE(nothing.Discards());
    EXPECT_TRUE(nothing.Pixels().empty());
    EXPECT_FALSE(Canvas::Space().Discards());
    EXPECT_FALSE(Canvas::Graph().Discards());
}

TEST(Canvas, ColoursPackAsRedPlus256GreenPlus65536Blue)
{
    EXPECT_EQ(Rgb(255, 50, 0), 13055u);
    EXPECT_EQ(Rgb(0, 250, 0), 64000u);
    EXPECT_EQ(Rgb(0, 0, 255), 16711680u);
    EXPECT_EQ(Rgb(1, 2, 3), 1u + 512u + 196608u);
    EXPECT_EQ(RedOf(Rgb(12, 34, 56)), 12);
    EXPECT_EQ(GreenOf(Rgb(12, 34, 56)), 34);
    EXPECT_EQ(BlueOf(Rgb(12, 34, 56)), 56);
}

} // namespace
} // namespace morvane
