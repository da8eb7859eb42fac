// The cheap step must land on exactly the floats the library's sine and cosine give, above
// all where a coordinate's sum lies next to the midpoint between two floats.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "sim/exact_math.h"
#include "sim/kernels/step_along.h"
#include "sim/random_source.h"

namespace morvane::kernels {
namespace {

void ExpectSameStep(float x, float y, float speed, float heading)
{
    const Position cheap = StepAlong(x, y, speed, heading);
    const Position exact = ExactStepAlong(x, y, speed, heading);
    ASSERT_EQ(std::bit_cast<std::uint32_t>(cheap.x), std::bit_cast<std::uint32_t>(exact.x))
        << x << " " << y << " speed " << speed << " heading " << heading;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(cheap.y), std::bit_cast<std::uint32_t>(exact.y))
        << x << " " << y << " speed " << speed << " heading " << heading;
}

TEST(RoughSineCosine, StaysWithinItsBoundOverEveryQuadrantAndFarOutHeadings)
{
    RandomSource random(3, 9);
    double worst = 0;
    for (int k = 0; k < 300'000; ++k) {
        const double h = (random.Uniform() - 0.5) * 2 * std::pow(10.0, random.Below(6));
        double s, c;
        RoughSineCosine(h, s, c);
        worst = std::fmax(worst, std::fmax(std::fabs(s - std::sin(h)), std::fabs(c - std::cos(h))));
    }
    EXPECT_LT(worst, 1e-13);
    double s, c;
    RoughSineCosine(0, s, c);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(c, 1);
}

TEST(RoundsSurely, OnlyWhenTheWholeUncertaintyStaysBetweenTheMidpointsAroundTheFloat)
{
    // Floats near 100 are 2^-17 apart, so 100 + 2^-18 is the midpoint above 100.
    const double midpoint = 100 + 0x1p-18;
    float rounded = 0;
    EXPECT_TRUE(RoundsSurely(100.000001, 1e-12, rounded));
    EXPECT_EQ(rounded, 100.0f);
    EXPECT_FALSE(RoundsSurely(midpoint, 0, rounded)); // a tie: only the exact sum can say
    EXPECT_FALSE(RoundsSurely(midpoint - 1e-13, 2e-13, rounded));
    EXPECT_TRUE(RoundsSurely(midpoint - 1e-13, 5e-14, rounded));
    EXPECT_EQ(rounded, 100.0f);
    EXPECT_FALSE(RoundsSurely(midpoint + 1e-13, 2e-13, rounded));
    EXPECT_TRUE(RoundsSurely(midpoint + 1e-13, 5e-14, rounded));
    EXPECT_EQ(rounded, std::nextafter(100.0f, 200.0f));
    // At a power of two the float below is half as far away as the float above.
    EXPECT_FALSE(RoundsSurely(128 - 0x1p-18 + 1e-13, 2e-13, rounded));
    EXPECT_TRUE(RoundsSurely(128 - 0x1p-18 + 1e-13, 5e-14, rounded));
    EXPECT_EQ(rounded, 128.0f);
    EXPECT_TRUE(RoundsSurely(-100.000001, 1e-12, rounded));
    EXPECT_EQ(rounded, -100.0f);
    EXPECT_FALSE(RoundsSurely(0, 0, rounded)); // the smallest floats lie too close together
    EXPECT_FALSE(RoundsSurely(std::nan(""), 0, rounded));
}

TEST(StepAlong, AgreesWithTheLibraryForRandomAnimalsAllOverTheWorld)
{
    RandomSource random(5, 1);
    for (int k = 0; k < 300'000; ++k) {
        const float x = static_cast<float>(random.Uniform() * 496);
        const float y = static_cast<float>(random.Uniform() * 429);
        const float speed = static_cast<float>((random.Uniform() - 0.3) * 4);
        const float heading = static_cast<float>((random.Uniform() - 0.5) * 2000);
        ExpectSameStep(x, y, speed, heading);
    }
}

TEST(StepAlong, AgreesWhereTheSumSitsOnTheMidpointBetweenTwoFloats)
{
    // Near 100 floats are 2^-17 apart. A speed chosen so that speed * sin(heading) is an odd
    // multiple of 2^-18 puts x's sum within a rounding of the speed of a midpoint.
    RandomSource random(8, 2);
    int near_midpoint = 0;
    for (int k = 0; k < 100'000; ++k) {
        const float heading = static_cast<float>(random.Uniform() * 6.283);
        const double sine = ExactSin(heading);
        const double half_steps = 2 * static_cast<int>(random.Below(1000)) + 1;
        const float speed = static_cast<float>(half_steps * 0x1p-18 / sine);
        const double sum = speed * sine + 100.0;
        near_midpoint += std::fabs(sum - (std::floor(sum * 0x1p17) + 0.5) * 0x1p-17) < 1e-12;
        ExpectSameStep(100, 200, speed, heading);
        ExpectSameStep(std::nextafter(100.0f, 0.0f), 200, -speed, heading);
    }
    EXPECT_GT(near_midpoint, 1000); // the scenario does reach the hard cases
}

TEST(StepAlong, ZeroesHugeValuesAndNaNTakeTheLibrarysWay)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float cases[][4] = {{0, 0, 0.5f, 1},       {-0.0f, 5, 0.5f, 0}, {5, 5, 0, 2},
                              {1e-30f, 3, 1e-3f, 1}, {1e7f, 3, 0.5f, 1},  {3, 3, 0.5f, 3e5f},
                              {3, 3, nan, 1},        {3, 3, 0.5f, nan},   {nan, 3, 0.5f, 1},
                              {3, 3, 0.5f, inf},     {3, 3, 1e30f, 1}};
    for (const auto& [x, y, speed, heading] : cases) {
        const Position cheap = StepAlong(x, y, speed, heading);
        const Position exact = ExactStepAlong(x, y, speed, heading);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(cheap.x), std::bit_cast<std::uint32_t>(exact.x))
            << x << " " << y << " " << speed << " " << heading;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(cheap.y), std::bit_cast<std::uint32_t>(exact.y))
            << x << " " << y << " " << speed << " " << heading;
    }
}

} // namespace
} // namespace morvane::kernels
