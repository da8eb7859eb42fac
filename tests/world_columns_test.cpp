// The one list of the world's columns, and the walkers that take a world apart by it: the list
// leaves out no field of the world, and the hash, the checkpoint and the comparisons each
// notice a change to any one value of any column, or of the sweep, and name it.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "checks/first_difference.h"
#include "checks/world_checks.h"
#include "sim/checkpoint.h"
#include "sim/scenes.h"
#include "sim/world_columns.h"
#include "sim/world_hash.h"

namespace morvane {
namespace {

// The same value but for its lowest bit: the smallest change a value can have.
float Nudged(float v) { return std::bit_cast<float>(std::bit_cast<std::uint32_t>(v) ^ 1u); }
std::int16_t Nudged(std::int16_t v) { return static_cast<std::int16_t>(v ^ 1); }

// Calls check(changed world, column name, slot) for one value of every column changed in the
// first, a middle and the last slot, and for the sweep changed (slot -1); `base` has a value
// in every slot.
template <typename Check> void ForEachOneValueChanged(const World& base, Check check)
{
    ForEachWorldColumn([&](const auto& column) {
        World changed = base;
        if constexpr (std::is_same_v<std::decay_t<decltype(column)>, WorldField>) {
            column.Of(changed) = Nudged(column.Of(changed));
            check(changed, std::string(column.name), -1);
        } else {
            for (const int k :
                 {0, static_cast<int>(column.Slots) / 2, static_cast<int>(column.Slots) - 1}) {
                changed = base;
                auto& value = column.Of(changed)[k];
                value = Nudged(value);
                check(changed, std::string(column.name), k);
            }
        }
    });
}

World Full()
{
    World world = FullTablesScene().world;
    world.sweep = 1234;
    return world;
}

TEST(WorldColumns, TheListHoldsEveryByteOfTheWorldButThePaddingBetweenItsTables)
{
    // Every byte set, then every byte a listed column holds cleared: what is left set is what
    // no walker sees. A column missing from the list would leave 502 bytes or more.
    World world;
    std::memset(static_cast<void*>(&world), 0xa5, sizeof world);
    ForEachWorldColumn([&](const auto& column) {
        std::memset(static_cast<void*>(&column.Of(world)), 0, column.Bytes);
    });
    const auto* bytes = reinterpret_cast<const unsigned char*>(&world);
    int unlisted = 0;
    for (std::size_t b = 0; b < sizeof world; ++b)
        unlisted += bytes[b] != 0;
    EXPECT_LT(unlisted, 4) << "bytes of a World that no column of the list holds";
}

TEST(WorldColumns, AnyOneValueOfAnyColumnChangesTheHashAndComesBackFromACheckpoint)
{
    const World base = Full();
    const std::uint64_t base_hash = HashWorld(base);
    RunState run;
    ForEachOneValueChanged(base, [&](const World& changed, const std::string& name, int slot) {
        const std::string what = name + " of slot " + std::to_string(slot);
        EXPECT_NE(HashWorld(changed), base_hash) << what;
        EXPECT_FALSE(SameBits(changed, base)) << what;
        run.world = changed;
        EXPECT_TRUE(SameBits(ReadCheckpoint(WriteCheckpoint(run, "1.0.0.0")).world, changed))
            << what;
    });
}

TEST(WorldColumns, BitsAreComparedAsStoredSoANaNIsItselfAndMinusZeroIsNotZero)
{
    World a = Full(), b = Full();
    a.animals.turn[3] = b.animals.turn[3] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(SameBits(a, b));
    EXPECT_FALSE(a == b);
    a.animals.speed[5] = 0.0f;
    b.animals.speed[5] = -0.0f;
    EXPECT_FALSE(SameBits(a, b));
    EXPECT_NE(HashWorld(a), HashWorld(b));
}

TEST(WorldColumns, TheFirstDifferenceAndABreachsDescriptionNameTheColumnThatChanged)
{
    const World base = Full();
    const RandomSource random;
    ForEachOneValueChanged(base, [&](const World& changed, const std::string& name, int slot) {
        const auto difference = reference::FirstDifference(changed, random, base, random);
        ASSERT_TRUE(difference) << name << " of slot " << slot;
        // "animal slot 125: heading ... in the core, ... in the reference"
        if (slot < 0) {
            EXPECT_EQ(*difference, "the graph's sweep: 1235 in the core, 1234 in the reference");
        } else {
            EXPECT_NE(difference->find(" slot " + std::to_string(slot) + ": " + name + " "),
                      std::string::npos)
                << *difference;
        }
    });
    // A breach's description shows every column of its slot.
    const std::string text = fuzz::Describe({"a rule", 7, fuzz::Table::Animals}, base);
    ForEachColumn(AnimalColumns, [&](const auto& column) {
        EXPECT_NE(text.find(std::string(column.name) + " "), std::string::npos) << text;
    });
    EXPECT_EQ(text.rfind("a rule (animal slot 7: x ", 0), 0u) << text;
    const std::string plant = fuzz::Describe({"a rule", 9, fuzz::Table::Plants}, base);
    EXPECT_EQ(plant, "a rule (plant slot 9: x " + std::to_string(base.plants.x[9]) + ", y " +
                         std::to_string(base.plants.y[9]) + ", size " +
                         std::to_string(base.plants.size[9]) + ")");
}

} // namespace
} // namespace morvane
