// The cheap way to the steering sign must agree with the exact bearing delta everywhere,
// above all where the delta sits on a fold or on zero.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "sim/kernels/steering_signs.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::kernels {
namespace {

int ExactSign(float dx, float dy, float heading) { return SignOf(BearingDelta(dx, dy, heading)); }

// The fast way for a single sighting.
int SteeringSign(float dx, float dy, float heading)
{
    std::int32_t sign = 7;
    SteeringSigns(std::span(&dx, 1), std::span(&dy, 1), std::span(&heading, 1),
                  std::span(&sign, 1));
    return sign;
}

TEST(RoughArcTangent, StaysWithinItsBoundFromTinyToHugeRatiosOfEitherSign)
{
    RandomSource random(7, 3);
    double worst = 0;
    for (int k = 0; k < 200'000; ++k) {
        // Ratios spread over many orders of magnitude, both signs.
        const double num = (random.Uniform() - 0.5) * std::pow(10.0, random.Below(13) - 6);
        const double den = (random.Uniform() - 0.5) * std::pow(10.0, random.Below(13) - 6);
        if (den == 0) continue;
        worst = std::fmax(worst, std::fabs(RoughArcTangent(num, den) - std::atan(num / den)));
    }
    EXPECT_LT(worst, 2e-5);
    EXPECT_GT(worst, 1e-7); // a rough arc tangent indeed, so the margins below are exercised
    EXPECT_EQ(RoughArcTangent(0, 5), 0);
    EXPECT_NEAR(RoughArcTangent(1, 0.0), HalfPi, 1e-12); // an infinite ratio
    EXPECT_NEAR(RoughArcTangent(-3, 1e-300), -HalfPi, 1e-12);
    EXPECT_NEAR(RoughArcTangent(-1, -1), std::atan(1.0), 2e-5);
}

TEST(SteeringSign, AgreesWithTheExactDeltaForRandomTargetsAndHeadingsFarOutOfRange)
{
    RandomSource random(11, 5);
    for (int k = 0; k < 500'000; ++k) {
        const float dx = static_cast<float>((random.Uniform() - 0.5) * 1000);
        const float dy = static_cast<float>((random.Uniform() - 0.5) * 1000);
        // Headings drift without bound as an animal turns; some have drifted a long way.
        const float heading =
            static_cast<float>((random.Uniform() - 0.5) * std::pow(10.0, random.Below(5)));
        ASSERT_EQ(SteeringSign(dx, dy, heading), ExactSign(dx, dy, heading))
            << dx << " " << dy << " " << heading;
    }
}

TEST(SteeringSign, AgreesOnEveryHeadingAroundZeroAndAroundEachFold)
{
    // For a few targets, walk the float headings across each value where the folded delta
    // changes sign: the bearing itself, and the bearing plus or minus pi and two pi.
    const float targets[][2] = {{3, 4}, {-3, 4}, {3, -4}, {-5, -0.25f}, {1e-3f, 200}, {250, 1}};
    for (const auto& [dx, dy] : targets) {
        // The unfolded bearing: arctan(dx / dy), a half turn more when the target is above.
        const double bearing = std::atan(static_cast<double>(dx) / dy) + (dy < 0 ? Pi : 0);
        for (const double fold : {0.0, Pi, -Pi, TwoPi, -TwoPi}) {
            float heading = static_cast<float>(bearing + fold);
            for (int step = 0; step < 40; ++step)
                heading = std::nextafter(heading, -std::numeric_limits<float>::infinity());
            int changes = 0;
            int previous = ExactSign(dx, dy, heading);
            for (int step = 0; step < 80; ++step) {
                ASSERT_EQ(SteeringSign(dx, dy, heading), ExactSign(dx, dy, heading))
                    << dx << " " << dy << " heading " << heading;
                changes += ExactSign(dx, dy, heading) != previous;
                previous = ExactSign(dx, dy, heading);
                heading = std::nextafter(heading, std::numeric_limits<float>::infinity());
            }
            EXPECT_GE(changes, 1) << "the walk must cross the sign change it is meant to test: "
                                  << dx << " " << dy << " fold " << fold;
        }
    }
}

TEST(SteeringSign, SideTargetsTheAnimalItselfAndNonFiniteValuesFollowTheExactDelta)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float cases[][3] = {{5, 0, 0},   {-5, 0, 3},   {0, 0, 1.5707964f}, {0, 7, 0},
                              {0, -7, 0},  {inf, 1, 0},  {1, inf, 0},        {inf, inf, 1},
                              {nan, 1, 0}, {1, nan, 0},  {nan, nan, 0},      {1, 1, nan},
                              {3, 4, inf}, {3, 4, -inf}, {3, 4, 1e30f},      {-0.0f, 2, 0}};
    for (const auto& [dx, dy, heading] : cases)
        EXPECT_EQ(SteeringSign(dx, dy, heading), ExactSign(dx, dy, heading))
            << dx << " " << dy << " " << heading;
    EXPECT_EQ(SteeringSign(0, 0, 0), 1); // straight to the side: pi/2 ahead of a heading of 0
}

TEST(SteeringSigns, GiveSteeringSignForEverySightingOfATableOfAnyLength)
{
    // Ordinary sightings mixed with those the rough way must leave to the exact one: targets
    // straight to the side, NaN and infinite values, headings on a fold or far out.
    RandomSource random(13, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> dx, dy, heading;
    for (int k = 0; k < 4001; ++k) {
        dx.push_back(static_cast<float>((random.Uniform() - 0.5) * 1000));
        dy.push_back(k % 7 == 0 ? 0.0f : static_cast<float>((random.Uniform() - 0.5) * 1000));
        const double bearing =
            std::atan(static_cast<double>(dx.back()) / dy.back()) + (dy.back() < 0 ? Pi : 0);
        heading.push_back(k % 5 == 0    ? static_cast<float>(bearing + (k % 3 - 1) * Pi)
                          : k % 11 == 0 ? static_cast<float>(random.Uniform() * 1e7)
                                        : static_cast<float>((random.Uniform() - 0.5) * 40));
    }
    dx[3] = nan, dy[4] = nan, heading[6] = inf, dx[8] = inf, dy[9] = -inf;
    for (const std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{251}, dx.size()}) {
        std::vector<std::int32_t> sign(n, 7);
        SteeringSigns(dx, dy, heading, sign);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(sign[i], SteeringSign(dx[i], dy[i], heading[i]))
                << "sighting " << i << " of " << n << ": " << dx[i] << " " << dy[i] << " "
                << heading[i];
    }
}

} // namespace
} // namespace morvane::kernels
