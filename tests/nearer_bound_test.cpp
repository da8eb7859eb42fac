// The fast paths of the candidate search and of the draws decide exactly as the plain rules.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sim/animal_behaviour.h"
#include "sim/random_source.h"

namespace morvane {
namespace {

bool NearerByRoot(double squares, double distance) { return std::sqrt(squares) < distance; }

void ExpectBoundDecidesAsTheRoot(double distance)
{
    const double bound = NearerBound(distance);
    // The boundary itself and its neighbours are where a sloppy bound would go wrong.
    double probe = bound;
    for (int step = 0; step < 4 && probe > 0; ++step)
        probe = std::nextafter(probe, 0.0);
    for (int step = 0; step < 8; ++step) {
        ASSERT_EQ(probe < bound, NearerByRoot(probe, distance))
            << "distance " << distance << " squares " << probe;
        probe = std::nextafter(probe, std::numeric_limits<double>::infinity());
    }
    const double squared = distance * distance;
    EXPECT_EQ(squared < bound, NearerByRoot(squared, distance)) << "distance " << distance;
}

TEST(NearerBound, AgreesWithTheSquareRootAroundItsBoundaryForManyDistances)
{
    RandomSource random = RandomSource::FromSeed(3);
    for (int k = 0; k < 20000; ++k) {
        // Distances as the search meets them: roots of sums of squared float differences.
        const float dx = random.Uniform() * 600 - 300;
        const float dy = random.Uniform() * 600 - 300;
        ExpectBoundDecidesAsTheRoot(std::sqrt(double(dx) * dx + double(dy) * dy));
    }
    for (double distance : {1e-40, 0.5, 1.0, 2.0, 3.0, 1e10, 1e38})
        ExpectBoundDecidesAsTheRoot(distance);
}

TEST(NearerBound, NothingIsNearerThanZeroOrNaNAndEverythingFiniteIsNearerThanInfinity)
{
    EXPECT_FALSE(0.0 < NearerBound(0.0));
    EXPECT_FALSE(0.0 < NearerBound(std::nan("")));
    EXPECT_FALSE(1.0 < NearerBound(std::nan("")));
    EXPECT_TRUE(std::numeric_limits<double>::max() < NearerBound(INFINITY));
    EXPECT_FALSE(INFINITY < NearerBound(INFINITY));
}

TEST(Draws, BelowIsTheFloorOfTheUniformTimesTheRangeInDouble)
{
    RandomSource fast = RandomSource::FromSeed(11);
    RandomSource plain = fast;
    for (int n : {3, 20, 40, 100, 200, 251, 500, 501})
        for (int k = 0; k < 5000; ++k)
            ASSERT_EQ(fast.Below(n),
                      static_cast<int>(std::floor(static_cast<double>(plain.Uniform()) * n)));
}

} // namespace
} // namespace morvane
