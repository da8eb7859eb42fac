// A long run from the fixed starting state, watched after every tick, and its pinned outcome.
// The run is shared by the tests below because it is by far the slowest thing in the suite.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "checks/world_checks.h"
#include "sim/scenes.h"
#include "sim/tick.h"
#include "sim/world_hash.h"
#include "tests/test_support.h"

namespace morvane {
namespace {

using namespace tests;

// An instrumented build runs the world several times slower, so there the run stops at the
// first pinned point; every rule is still checked after every tick of it.
#if defined(__SANITIZE_ADDRESS__)
constexpr int LongRunTicks = 10'000;
#else
constexpr int LongRunTicks = 100'000;
#endif

class FixedStateRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Scene scene = FreshScene();
        Canvas space = Canvas::Discarding(), graph = Canvas::Discarding();
        for (int t = 1; t <= LongRunTicks; ++t) {
            RunTick(scene.world, scene.random, WindowRules, space, graph);
            if (const auto breach = fuzz::CheckWorldInvariants(scene.world, t))
                Broken(t, *breach, scene.world);
            if (t == 10'000) hash_after_10000 = HashWorld(scene.world);
        }
        hash_after_100000 = HashWorld(scene.world);
        animals_at_end = LivingAnimals(scene.world);
        plants_at_end = LivingPlants(scene.world);
    }

    // Notes the first broken rule with its slot as it stood (and counts the ticks that broke
    // one), so a failure says where to look.
    static void Broken(int tick, const fuzz::Breach& breach, const World& world)
    {
        if (ticks_broken++ == 0)
            first_broken =
                "after tick " + std::to_string(tick) + ": " + fuzz::Describe(breach, world);
    }

    static inline int ticks_broken = 0;
    static inline std::string first_broken;
    static inline std::uint64_t hash_after_10000 = 0, hash_after_100000 = 0;
    static inline int animals_at_end = 0, plants_at_end = 0;
};

TEST_F(FixedStateRun, KeepsEveryRuleOfTheWorldAfterEveryTick)
{
    EXPECT_EQ(ticks_broken, 0) << first_broken;
}

// These hashes pin the whole world as the fixed starting state develops with no mouse action.
// They change only with a deliberate change of behaviour (a rule, the order of the draws or a
// rounding); an optimisation that moves them has changed what the world does.
TEST_F(FixedStateRun, TheWorldAfterTenThousandTicksIsPinned)
{
    EXPECT_EQ(hash_after_10000, 0x4cddcf97be01424aULL);
}

TEST_F(FixedStateRun, TheWorldAfterAHundredThousandTicksIsPinned)
{
    if (LongRunTicks < 100'000) GTEST_SKIP() << "the instrumented build runs only 10,000 ticks";
    EXPECT_EQ(hash_after_100000, 0x1f9f1eb5b9ff8215ULL);
    EXPECT_EQ(animals_at_end, 13); // the world has filled by itself from nothing
    EXPECT_EQ(plants_at_end, 501);
}

// The rules every world keeps after a tick, as the long run above, the soak run and the fuzzer
// all check them: each catches its own fault in the slot it lies in, and nothing else.
class WorldInvariants : public ::testing::Test {
protected:
    static constexpr int TicksRun = 30;

    void SetUp() override
    {
        // Both tables full, a few ticks on: living and free slots, the sweep moved off 0.
        Scene scene = FullTablesScene();
        Canvas space = Canvas::Discarding(), graph = Canvas::Discarding();
        for (int t = 0; t < TicksRun; ++t)
            RunTick(scene.world, scene.random, WindowRules, space, graph);
        world = scene.world;
        animal = LivingSlotFrom(world.animals.energy, 100);
        plant = LivingSlotFrom(world.plants.size, 250);
        const auto breach = fuzz::CheckWorldInvariants(world, TicksRun);
        ASSERT_FALSE(breach) << fuzz::Describe(*breach, world);
    }

    template <std::size_t N>
    static int LivingSlotFrom(const std::array<std::int16_t, N>& occupancy, int first)
    {
        for (int k = first; k < static_cast<int>(N); ++k)
            if (occupancy[k] > 0) return k;
        ADD_FAILURE() << "no living slot from " << first;
        return first;
    }

    World world{};
    int animal = 0, plant = 0;
};

TEST_F(WorldInvariants, EachBrokenRuleIsFoundInItsSlotAndDescribedThere)
{
    using fuzz::Table;
    struct Fault {
        const char* rule; // a part of the rule's wording
        Table table;
        const char* shows; // a part of the description
        void (*make)(World&, int animal, int plant);
    };
    const Fault faults[] = {
        {"foraging (0) or mating (1)", Table::Animals, "mode 2",
         [](World& w, int a, int) { w.animals.mode[a] = 2; }},
        {"foraging (0) or mating (1)", Table::Animals, "mode -1",
         [](World& w, int a, int) { w.animals.mode[a] = -1; }},
        {"energy is never negative", Table::Animals, "energy -1",
         [](World& w, int a, int) { w.animals.energy[a] = -1; }},
        {"target is a plant slot", Table::Animals, "target -1",
         [](World& w, int a, int) { w.animals.target[a] = -1; }},
        {"target is a plant slot", Table::Animals, "target 501",
         [](World& w, int a, int) { w.animals.target[a] = PlantSlots; }},
        {"living animal lies inside", Table::Animals, "x 496.5",
         [](World& w, int a, int) { w.animals.x[a] = WorldMaxX + 0.5f; }},
        {"living animal lies inside", Table::Animals, "y -0.25",
         [](World& w, int a, int) { w.animals.y[a] = -0.25f; }},
        {"living animal lies inside", Table::Animals, "x inf",
         [](World& w, int a, int) { w.animals.x[a] = std::numeric_limits<float>::infinity(); }},
        {"size after the plant pass is 0..its most", Table::Plants, "size 101",
         [](World& w, int, int p) { w.plants.size[p] = 101; }},
        {"size after the plant pass is 0..its most", Table::Plants, "size -1",
         [](World& w, int, int p) { w.plants.size[p] = -1; }},
        {"living plant lies inside", Table::Plants, "x -1",
         [](World& w, int, int p) { w.plants.x[p] = -1; }},
        {"living plant lies inside", Table::Plants, "y 430",
         [](World& w, int, int p) { w.plants.y[p] = WorldMaxY + 1; }},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.shows);
        World broken = world;
        f.make(broken, animal, plant);
        const auto breach = fuzz::CheckWorldInvariants(broken, TicksRun);
        ASSERT_TRUE(breach);
        EXPECT_NE(std::string(breach->rule).find(f.rule), std::string::npos) << breach->rule;
        EXPECT_EQ(breach->table, f.table);
        EXPECT_EQ(breach->slot, f.table == Table::Animals ? animal : plant);
        const std::string text = fuzz::Describe(*breach, broken);
        EXPECT_NE(text.find(" slot " + std::to_string(breach->slot) + ": "), std::string::npos)
            << text;
        EXPECT_NE(text.find(f.shows), std::string::npos) << text;
    }
}

TEST_F(WorldInvariants, TheEdgesANaNAndFreeSlotsBreakNoRule)
{
    const int free_animal = animal + 1, free_plant = plant + 1;
    world.animals.x[animal] = 0;
    world.animals.y[animal] = WorldMaxY;
    world.animals.target[animal] = PlantSlots - 1;
    // Only a release puts an animal at NaN, and the edge test never sees it leave.
    world.animals.x[LivingSlotFrom(world.animals.energy, animal + 2)] =
        std::numeric_limits<float>::quiet_NaN();
    world.animals.energy[free_animal] = 0;
    world.animals.x[free_animal] = -50;
    world.animals.y[free_animal] = 1000;
    world.plants.x[plant] = WorldMaxX;
    world.plants.y[plant] = 0;
    world.plants.size[plant] = 100;
    world.plants.size[free_plant] = 0;
    world.plants.x[free_plant] = -1;
    const auto breach = fuzz::CheckWorldInvariants(world, TicksRun);
    EXPECT_FALSE(breach) << fuzz::Describe(*breach, world);
}

TEST_F(WorldInvariants, TheSweepKeepsStepWithTheTicksRunAcrossItsWrap)
{
    const auto check = [&](int sweep, std::uint64_t ticks_run) {
        world.sweep = static_cast<std::int16_t>(sweep);
        return fuzz::CheckWorldInvariants(world, ticks_run);
    };
    EXPECT_FALSE(check(SweepMax, SweepMax));
    EXPECT_FALSE(check(0, SweepMax + 1));
    EXPECT_FALSE(check(7, 3 * (SweepMax + 1) + 7));
    for (const auto& [sweep, ticks_run] : {std::pair<int, std::uint64_t>{TicksRun, TicksRun + 1},
                                           {SweepMax, SweepMax + 1},
                                           {SweepMax + 1, SweepMax + 1},
                                           {-1, 0}}) {
        const auto breach = check(sweep, ticks_run);
        ASSERT_TRUE(breach) << sweep << " after " << ticks_run;
        EXPECT_EQ(breach->table, fuzz::Table::None);
        EXPECT_EQ(breach->slot, -1);
        EXPECT_NE(fuzz::Describe(*breach, world).find("sweep " + std::to_string(sweep)),
                  std::string::npos);
    }
}

TEST_F(WorldInvariants, ATickIsCheckedAgainstTheSweepItFound)
{
    Scene scene{world, RandomSource{}, WindowRules};
    Canvas space = Canvas::Discarding(), graph = Canvas::Discarding();
    scene.world.sweep = SweepMax - 2;
    for (int t = 0; t < 5; ++t)
        ASSERT_FALSE(fuzz::TickAndCheck(scene.world, scene.random, space, graph)) << t;
    EXPECT_EQ(scene.world.sweep, 2);

    // A sweep already out of its range is no place to count from.
    scene.world.sweep = -5;
    const auto breach = fuzz::TickAndCheck(scene.world, scene.random, space, graph);
    ASSERT_TRUE(breach);
    EXPECT_EQ(breach->table, fuzz::Table::None);
}

TEST(Drawing, DiscardingCanvasesLeaveTheWorldAsRealCanvasesDo)
{
    Scene drawn = FullTablesScene();
    Scene undrawn = drawn;
    Canvas space = Canvas::Space(), graph = Canvas::Graph();
    Canvas no_space = Canvas::Discarding(), no_graph = Canvas::Discarding();
    for (int t = 0; t < 300; ++t) {
        const TickCounts a = RunTick(drawn.world, drawn.random, WindowRules, space, graph);
        const TickCounts b =
            RunTick(undrawn.world, undrawn.random, WindowRules, no_space, no_graph);
        ASSERT_EQ(a.animals, b.animals) << "tick " << t;
        ASSERT_EQ(a.plants, b.plants) << "tick " << t;
    }
    EXPECT_EQ(drawn.world, undrawn.world);
    EXPECT_EQ(drawn.random, undrawn.random);
    EXPECT_GT(PixelsOtherThan(space, Black), 0);
    EXPECT_GT(PixelsOtherThan(graph, Black), 0);
}

} // namespace
} // namespace morvane
