// Each speed trick of the core against its plain twin: the same answer, bit for bit, and the
// same draws taken, on random inputs and on the close calls where a shortcut could slip.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "sim/kernels/glance.h"
#include "sim/kernels/select.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::kernels {
namespace {

// A table where many plants and animals lie at exactly the same distance from (200, 200) as
// the target, so that glances keep landing on the boundary the fast way must not misjudge.
struct Crowd {
    PlantTable plants;
    AnimalTable animals;
    float x = 200, y = 200;
    double target_square = 0;
};

Crowd MakeCrowd(RandomSource& setup, bool on_the_boundary)
{
    Crowd c;
    // A 3-4-5 triangle: every plant placed on it lies exactly 5 pixels away.
    const int ring[][2] = {{3, 4}, {-3, 4}, {4, -3}, {-4, -3}, {5, 0}, {0, -5}, {-5, 0}, {0, 5}};
    for (int s = 0; s < PlantSlots; ++s) {
        const int r = setup.Below(8);
        const bool on_ring = on_the_boundary && setup.Below(2) == 0;
        c.plants.x[s] = static_cast<std::int16_t>(on_ring ? 200 + ring[r][0] : setup.Below(497));
        c.plants.y[s] = static_cast<std::int16_t>(on_ring ? 200 + ring[r][1] : setup.Below(430));
        c.plants.size[s] =
            static_cast<std::int16_t>(setup.Below(3) == 0 ? 0 : 1 + setup.Below(100));
    }
    for (int k = 0; k < AnimalSlots; ++k) {
        const int r = setup.Below(8);
        const bool on_ring = on_the_boundary && setup.Below(2) == 0;
        c.animals.x[k] = on_ring ? 200.0f + ring[r][0] : setup.Uniform() * 496;
        c.animals.y[k] = on_ring ? 200.0f + ring[r][1] : setup.Uniform() * 429;
        c.animals.energy[k] =
            static_cast<std::int16_t>(setup.Below(3) == 0 ? 0 : 1 + setup.Below(900));
    }
    c.target_square = on_the_boundary ? 25.0 : setup.Uniform() * 200000.0;
    return c;
}

TEST(Glance, TheFastGlanceFindsThePlainOnesTargetWithTheSameDrawsOnAndOffTheBoundary)
{
    RandomSource setup = RandomSource::FromSeed(3);
    int changed = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const Crowd c = MakeCrowd(setup, trial % 2 == 0);
        PlantPlaces places;
        TakePlantPlaces(c.plants, places);
        const auto target = static_cast<std::int16_t>(setup.Below(PlantSlots));
        RandomSource fast = RandomSource::FromSeed(trial), plain = fast;

        const std::int16_t p_fast =
            GlanceAtPlants(fast, 11, c.plants, places, c.x, c.y, target, c.target_square);
        const std::int16_t p_plain =
            PlainGlanceAtPlants(plain, 11, c.plants, c.x, c.y, target, c.target_square);
        ASSERT_EQ(p_fast, p_plain) << "plants, trial " << trial;
        const std::int16_t a_fast =
            GlanceAtAnimals(fast, 11, c.animals, c.x, c.y, target % AnimalSlots, c.target_square);
        const std::int16_t a_plain = PlainGlanceAtAnimals(plain, 11, c.animals, c.x, c.y,
                                                          target % AnimalSlots, c.target_square);
        ASSERT_EQ(a_fast, a_plain) << "animals, trial " << trial;
        ASSERT_TRUE(fast == plain) << "the draws differ, trial " << trial;
        changed += (p_fast != target) + (a_fast != target % AnimalSlots);
    }
    // The trials must exercise both outcomes, or agreement would prove little.
    EXPECT_GT(changed, 1000);
    EXPECT_LT(changed, 7000);
}

TEST(Glance, ACandidateExactlyAsFarAsTheTargetIsNotNearerButOneAHairCloserIs)
{
    PlantTable plants{};
    for (int s = 0; s < PlantSlots; ++s) {
        plants.x[s] = 203; // every plant 3 right and 4 down: exactly 5 away
        plants.y[s] = 204;
        plants.size[s] = 1;
    }
    PlantPlaces places;
    TakePlantPlaces(plants, places);
    RandomSource random;
    EXPECT_EQ(GlanceAtPlants(random, 11, plants, places, 200, 200, 7, 25.0), 7);
    // From a hair closer, the last plant drawn wins (not the first or the nearest).
    RandomSource fast, plain, look_ahead;
    for (int j = 0; j < 10; ++j)
        look_ahead.Below(PlantSlots);
    const int last = look_ahead.Below(PlantSlots);
    EXPECT_EQ(GlanceAtPlants(fast, 11, plants, places, 200, 200.0001f, 7, 25.0), last);
    EXPECT_EQ(PlainGlanceAtPlants(plain, 11, plants, 200, 200.0001f, 7, 25.0), last);
}

TEST(Select, KeepsEveryBitOfTheChosenValueWhateverItsWidth)
{
    const float negative_zero = -0.0f;
    const float nan = std::bit_cast<float>(0x7fc01234u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(Select(true, negative_zero, 1.0f)), 0x80000000u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(Select(false, 1.0f, nan)), 0x7fc01234u);
    EXPECT_EQ(Select(true, 2.5, -7.0), 2.5);
    EXPECT_EQ(Select(false, 2.5, -7.0), -7.0);
    EXPECT_EQ(Select(true, std::int16_t{0}, std::int16_t{-32768}), 0);
    EXPECT_EQ(Select(false, std::int16_t{0}, std::int16_t{-32768}), -32768);
    const Doubles lanes = Select(Masks{-1, 0}, Doubles{1, 2}, Doubles{3, 4});
    EXPECT_EQ(lanes[0], 1);
    EXPECT_EQ(lanes[1], 4);
}

} // namespace
} // namespace morvane::kernels
