// The core's fast tick against the plain reference, side by side from the same start: after
// every tick the two worlds, both canvases, the random sources and the counts must be the same
// in every bit, and after every mouse release the worlds, the sources and the slot taken.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "checks/first_difference.h"
#include "checks/reference_tick.h"
#include "checks/rule_draws.h"
#include "display/canvas.h"
#include "sim/mouse_release.h"
#include "sim/rule_book.h"
#include "sim/scenes.h"
#include "sim/tick.h"

namespace morvane {
namespace {

// An instrumented build runs the world many times slower; there every scenario is cut to a
// fraction of its length, still long enough to see births, deaths and full tables.
#if defined(__SANITIZE_ADDRESS__)
constexpr int Shortened = 10;
#else
constexpr int Shortened = 1;
#endif

int Ticks(int release_build_ticks) { return release_build_ticks / Shortened; }

// A release's place, exactly as delivered.
std::string Place(float x, float y)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%a, %a)", static_cast<double>(x), static_cast<double>(y));
    return text;
}

// Two copies of one world, one stepped by the core and one by the reference.
class Twins {
public:
    Twins(std::string scenario, const Scene& start)
        : scenario_(std::move(scenario)), rules_(start.rules), core_world_(start.world),
          core_random_(start.random), ref_world_(start.world), ref_random_(start.random)
    {
    }

    ::testing::AssertionResult Tick()
    {
        const TickCounts core =
            RunTick(core_world_, core_random_, rules_, core_space_, core_graph_);
        const TickCounts ref =
            reference::RunTick(ref_world_, ref_random_, rules_, ref_space_, ref_graph_);
        ++ticks_;
        if (core.animals != ref.animals || core.plants != ref.plants)
            return Parted() << "the counts: " << core.animals << " animals and " << core.plants
                            << " plants in the core, " << ref.animals << " and " << ref.plants
                            << " in the reference";
        if (auto difference =
                reference::FirstDifference({core_world_, core_random_, core_space_, core_graph_},
                                           {ref_world_, ref_random_, ref_space_, ref_graph_}))
            return Parted() << *difference;
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult Release(std::int16_t button, float x, float y)
    {
        const int core = space_MouseUp(core_world_, core_random_, rules_, button, 0, x, y);
        const int ref = reference::space_MouseUp(ref_world_, ref_random_, rules_, button, 0, x, y);
        ++releases_;
        if (core != ref)
            return Parted() << "releasing button " << button << " at " << Place(x, y) << ": slot "
                            << core << " in the core, " << ref << " in the reference";
        if (auto difference =
                reference::FirstDifference(core_world_, core_random_, ref_world_, ref_random_))
            return Parted() << "releasing button " << button << " at " << Place(x, y) << ": "
                            << *difference;
        return ::testing::AssertionSuccess();
    }

private:
    ::testing::AssertionResult Parted() const
    {
        return ::testing::AssertionFailure()
               << "scenario \"" << scenario_ << "\", after " << ticks_ << " ticks and " << releases_
               << " releases, the core and the reference part at ";
    }

    std::string scenario_;
    Rules rules_;
    World core_world_;
    RandomSource core_random_;
    Canvas core_space_ = Canvas::Space(), core_graph_ = Canvas::Graph();
    World ref_world_;
    RandomSource ref_random_;
    Canvas ref_space_ = Canvas::Space(), ref_graph_ = Canvas::Graph();
    int ticks_ = 0;
    int releases_ = 0;
};

// Runs the two side by side for `ticks` ticks, stopping at the first difference.
void RunSideBySide(const std::string& scenario, const Scene& start, int ticks)
{
    Twins twins(scenario, start);
    for (int t = 0; t < ticks; ++t)
        ASSERT_TRUE(twins.Tick());
}

Scene Seeded(Scene scene, std::uint64_t seed)
{
    scene.random = RandomSource::FromSeed(seed);
    return scene;
}

// Coordinates a release may bring that the world's own arithmetic never makes: the edges
// themselves and the floats just beyond them, exact halves (the ties of a plant's rounding),
// -0, the limits of a plant's 16-bit place, huge values, infinities and NaN.
std::vector<float> AwkwardCoordinates(float edge)
{
    const float inf = std::numeric_limits<float>::infinity();
    return {0.0f,
            -0.0f,
            edge,
            std::nextafter(edge, inf),
            std::nextafter(0.0f, -1.0f),
            0.5f,
            1.5f,
            2.5f,
            edge - 0.5f,
            edge + 0.5f,
            -0.5f,
            -1.5f,
            edge / 2 + 0.25f,
            edge / 2 + 0.5f,
            32767.5f,
            -32768.5f,
            65536.0f,
            1e30f,
            -1e30f,
            std::numeric_limits<float>::max(),
            std::numeric_limits<float>::denorm_min(),
            inf,
            -inf,
            std::numeric_limits<float>::quiet_NaN(),
            -std::numeric_limits<float>::quiet_NaN()};
}

// Mouse releases between ticks, chosen by a random source of their own so that the worlds'
// sources only ever see the draws the releases themselves take.
class Clicker {
public:
    explicit Clicker(std::uint64_t seed) : choice_(RandomSource::FromSeed(seed)) {}

    // Now and then a release or a few, of any button; rarely a burst that fills a table or
    // crowds one spot with animals that then breed with each other and with themselves.
    ::testing::AssertionResult BetweenTicks(Twins& twins)
    {
        if (choice_.Below(1500) == 0) return Burst(twins);
        if (choice_.Below(8) != 0) return ::testing::AssertionSuccess();
        for (int n = choice_.Below(3) + 1; n > 0; --n) {
            const std::int16_t button = Button();
            const float x = X();
            const float y = Y();
            if (auto result = twins.Release(button, x, y); !result) return result;
        }
        return ::testing::AssertionSuccess();
    }

private:
    // Mostly left and right; else the middle button (4), a side button (8), two at once
    // (3), and codes no button has.
    std::int16_t Button()
    {
        static constexpr std::int16_t Buttons[] = {
            LeftButton, LeftButton, LeftButton, RightButton, RightButton, RightButton,
            4,          8,          3,          0,           -1,          -32768};
        return Buttons[choice_.Below(std::size(Buttons))];
    }

    float Coordinate(const std::vector<float>& awkward, int edge)
    {
        if (choice_.Below(2) == 0) return awkward[choice_.Below(static_cast<int>(awkward.size()))];
        // Anywhere over the world and a little beyond, in quarters of a pixel.
        return static_cast<float>(choice_.Below(4 * (edge + 5)) - 8) / 4;
    }
    float X() { return Coordinate(awkward_x_, WorldMaxX); }
    float Y() { return Coordinate(awkward_y_, WorldMaxY); }

    ::testing::AssertionResult Burst(Twins& twins)
    {
        const int kind = choice_.Below(3);
        const int count = kind == 0 ? 300 : kind == 1 ? 600 : 40;
        const std::int16_t button = kind == 1 ? RightButton : LeftButton;
        const float crowd_x = X(), crowd_y = Y();
        const double rows = 420.0 / (count / 25); // the grid's rows, 25 releases to a row
        for (int k = 0; k < count; ++k) {
            // A grid over the whole world, or everyone on one spot.
            const float x = kind == 2 ? crowd_x : static_cast<float>(4 + (k % 25) * 19.75);
            const float y = kind == 2 ? crowd_y : static_cast<float>(3 + (k / 25) * rows);
            if (auto result = twins.Release(button, x, y); !result) return result;
        }
        return ::testing::AssertionSuccess();
    }

    RandomSource choice_;
    std::vector<float> awkward_x_ = AwkwardCoordinates(WorldMaxX);
    std::vector<float> awkward_y_ = AwkwardCoordinates(WorldMaxY);
};

void RunWithReleases(const std::string& scenario, const Scene& start, std::uint64_t clicks,
                     int ticks)
{
    Twins twins(scenario, start);
    Clicker clicker(clicks);
    for (int t = 0; t < ticks; ++t) {
        ASSERT_TRUE(clicker.BetweenTicks(twins));
        ASSERT_TRUE(twins.Tick());
    }
}

// The reference draws from 0..n-1 as the rules say, floor(Uniform() x n) in double; the core
// takes the integer way. Both must name the same slot, for every n the world uses.
TEST(ReferenceEquivalence, ADrawFromZeroToNMinusOneIsTheSameEitherWay)
{
    for (int n : {3, 20, 40, 100, 200, 251, 500, 501}) {
        RandomSource by_floor = RandomSource::FromSeed(n), by_integers = by_floor;
        for (int k = 0; k < 200'000 / Shortened; ++k) {
            const double u = by_floor.Uniform();
            ASSERT_EQ(static_cast<int>(std::floor(u * n)), by_integers.Below(n))
                << "draw " << k << " from 0.." << n - 1 << ", uniform " << u;
        }
    }
}

TEST(ReferenceEquivalence, TheFreshWorldFillingItselfTickByTick)
{
    RunSideBySide("fresh world", FreshScene(), Ticks(60'000));
}

TEST(ReferenceEquivalence, ThePopulatedScene)
{
    RunSideBySide("populated scene", PopulatedScene(), Ticks(40'000));
}

TEST(ReferenceEquivalence, BothTablesFull)
{
    RunSideBySide("full tables", FullTablesScene(), Ticks(20'000));
}

TEST(ReferenceEquivalence, FreshWorldsFromOtherSeeds)
{
    for (std::uint64_t seed : {1, 2, 3})
        RunSideBySide("fresh world, seed " + std::to_string(seed), Seeded(FreshScene(), seed),
                      Ticks(15'000));
}

TEST(ReferenceEquivalence, FullTablesFromOtherSeeds)
{
    for (std::uint64_t seed : {std::uint64_t{7}, ~std::uint64_t{0}})
        RunSideBySide("full tables, seed " + std::to_string(seed), Seeded(FullTablesScene(), seed),
                      Ticks(10'000));
}

TEST(ReferenceEquivalence, MouseReleasesOnTheFreshWorld)
{
    RunWithReleases("releases on the fresh world", FreshScene(), 101, Ticks(20'000));
}

TEST(ReferenceEquivalence, MouseReleasesOnThePopulatedAndTheFullWorlds)
{
    RunWithReleases("releases on the populated scene", PopulatedScene(), 102, Ticks(15'000));
    RunWithReleases("releases on full tables", FullTablesScene(), 103, Ticks(10'000));
}

// Other rules change every constant the two ticks share: each set is drawn across its rules'
// whole ranges (rule_draws.h), from a fresh world, from a settled one going on under them and
// from full tables, with releases between the ticks.
TEST(ReferenceEquivalence, UnderRulesDrawnAcrossTheirRanges)
{
    RandomSource draws = RandomSource::FromSeed(28);
    for (int set = 0; set < 16; ++set) {
        const Rules rules = DrawRules(draws);
        ASSERT_NO_THROW(CheckRulesHold(rules));
        const std::string name = "rule set " + std::to_string(set);
        Scene fresh = FreshScene(rules), settled = PopulatedScene(), full = FullTablesScene(rules);
        settled.rules = rules;
        RunWithReleases(name + " from the fresh world", Seeded(fresh, set), 200 + set,
                        Ticks(2'000));
        RunWithReleases(name + " from the populated scene", settled, 300 + set, Ticks(2'000));
        RunSideBySide(name + " from full tables", full, Ticks(1'000));
        if (HasFatalFailure()) return;
    }
}

// The edges of the ranges at once: no glances or all 64, no upkeep, no mutation or the widest,
// newcomers every tick, plants that never regrow or grow far past the window's sizes.
TEST(ReferenceEquivalence, UnderRulesAtTheEdgesOfTheirRanges)
{
    Rules sparse;
    sparse.glances = 0, sparse.upkeep = 0, sparse.speed_mutation = 0, sparse.turn_mutation = 0;
    sparse.regrowth_spread = 0, sparse.seedling_spread = 0, sparse.far_seed_chance = 1;
    sparse.top_up_chance = 1, sparse.animal_top_up_below = 252, sparse.plant_top_up_below = 502;
    sparse.newborn_energy_spread = 0, sparse.newborn_energy_min = 1, sparse.birth_cost = 0;
    Rules lavish;
    lavish.glances = MostGlances, lavish.speed_mutation = 1000, lavish.turn_mutation = 1000;
    lavish.seeding_size = 400, lavish.seedling_spread = 300, lavish.regrowth_spread = 500;
    lavish.plant_energy = 20, lavish.mating_energy = 3000, lavish.foraging_energy = 9000;
    lavish.newcomer_speed = -1000, lavish.newcomer_turn = 1000, lavish.upkeep = 5;
    for (const auto& [name, rules] : {std::pair{"sparse", sparse}, std::pair{"lavish", lavish}}) {
        ASSERT_NO_THROW(CheckRulesHold(rules)) << name;
        Scene settled = PopulatedScene();
        settled.rules = rules;
        RunWithReleases(std::string(name) + " rules from the fresh world", FreshScene(rules), 401,
                        Ticks(3'000));
        RunWithReleases(std::string(name) + " rules from the populated scene", settled, 402,
                        Ticks(3'000));
    }
}

} // namespace
} // namespace morvane
