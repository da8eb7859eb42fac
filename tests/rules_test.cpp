// The rules a researcher may change: each refused in words naming it and its range when it is
// no value of its kind or beyond its range, together refused when they could carry an energy
// past what its 16 bits hold, and, once a world runs under them, obeyed where the window's
// constants stood.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "display/canvas.h"
#include "sim/animal_phase.h"
#include "sim/mouse_release.h"
#include "sim/plant_phase.h"
#include "sim/rule_book.h"
#include "sim/run_refused.h"
#include "sim/scenes.h"
#include "sim/tick.h"

namespace morvane {
namespace {

std::string Refusal(const char* name, const char* text)
{
    Rules rules;
    try {
        SetRuleFromText(rules, name, text);
    } catch (const RunRefused& refused) {
        return refused.what();
    }
    return "taken";
}

std::string HoldRefusal(const Rules& rules)
{
    try {
        CheckRulesHold(rules);
    } catch (const RunRefused& refused) {
        return refused.what();
    }
    return "holds";
}

TEST(Rules, AValueOfTheWrongKindOrBeyondItsRangeIsRefusedNamingTheRuleAndTheRange)
{
    EXPECT_EQ(Refusal("glances", "65"), "rule glances: 65 is out of its range, 0 to 64");
    EXPECT_EQ(Refusal("glances", "-1"), "rule glances: -1 is out of its range, 0 to 64");
    EXPECT_EQ(Refusal("glances", "11.5"), "rule glances: 11.5 is not a whole number (0 to 64)");
    EXPECT_EQ(Refusal("newcomer-speed", "-1000.5"),
              "rule newcomer-speed: -1000.5 is out of its range, -1000 to 1000");
    EXPECT_EQ(Refusal("newborn-energy-min", "0"),
              "rule newborn-energy-min: 0 is out of its range, 1 to 32767");
    EXPECT_EQ(Refusal("far-seed-chance", "16777217"),
              "rule far-seed-chance: 16777217 is out of its range, 1 to 16777216");
    for (const char* text : {"0x10", "inf", "nan", "", " 3", "3 ", "1,5", "--1"})
        EXPECT_EQ(Refusal("speed-mutation", text),
                  "rule speed-mutation: '" + std::string(text) + "' is not a decimal number");
    EXPECT_EQ(Refusal("speed-mutation", "1e400"),
              "rule speed-mutation: the value is not a finite number");
    const std::string unknown = Refusal("mating_energy", "3");
    EXPECT_EQ(unknown.rfind("unknown rule 'mating_energy' (expected mating-energy, foraging", 0),
              0u)
        << unknown;
    EXPECT_NE(unknown.find(", newcomer-turn)"), std::string::npos) << unknown;
}

TEST(Rules, ValuesAreTakenAsPeopleWriteThem)
{
    Rules rules;
    SetRuleFromText(rules, "mating-energy", "1.5e3");
    SetRuleFromText(rules, "turn-mutation", "-0");
    SetRuleFromText(rules, "newcomer-turn", "+.25");
    EXPECT_EQ(rules.mating_energy, 1500);
    EXPECT_EQ(rules.turn_mutation, 0.0);
    EXPECT_FALSE(std::signbit(rules.turn_mutation)) << "-0 is one rule with 0, not another";
    EXPECT_EQ(rules.newcomer_turn, 0.25);
    EXPECT_EQ(RuleText(rules, *RuleNamed("newcomer-turn")), "0.25");
    rules.speed_mutation = 0.1 + 0.2;
    EXPECT_EQ(RuleText(rules, *RuleNamed("speed-mutation")), "0.30000000000000004");
}

// The most energy an animal can reach is the highest a forager may hold before it eats (the
// mating threshold, the foraging one a mater turns back at, a newborn's most), plus two meals
// of the biggest plant: one more in the visit in which it turns to mating.
TEST(Rules, RulesThatCouldCarryAnEnergyPastItsSixteenBitsAreRefusedTogether)
{
    EXPECT_EQ(HoldRefusal(WindowRules), "holds");
    EXPECT_EQ(MostEnergyReached(WindowRules), 1000 + 2 * 3 * 101);
    Rules at_the_edge;
    at_the_edge.mating_energy = 32767 - 2 * 3 * 101;
    EXPECT_EQ(HoldRefusal(at_the_edge), "holds");
    Rules beyond = at_the_edge;
    beyond.mating_energy += 1;
    EXPECT_EQ(HoldRefusal(beyond),
              "rules: an animal's energy could reach 32768 (32162 from mating-energy, "
              "foraging-energy or a newborn's, plus twice plant-energy 3 times a plant of size "
              "101), above the most an energy holds, 32767");
    Rules big_plants;
    big_plants.regrowth_spread = 30000; // a regrown plant bigger than any seeding one
    EXPECT_EQ(BiggestPlant(big_plants), 30000);
    EXPECT_NE(HoldRefusal(big_plants), "holds");
    Rules newborns;
    newborns.newborn_energy_min = 30000, newborns.newborn_energy_spread = 2767;
    EXPECT_EQ(MostEnergyReached(newborns), 32766 + 2 * 3 * 101);
    // A rule set field by field, past SetRule, is held to its range all the same.
    Rules direct;
    direct.glances = 65;
    EXPECT_EQ(HoldRefusal(direct), "rule glances: 65 is out of its range, 0 to 64");
}

TEST(Rules, AReleaseAlwaysBringsTheSlowNewcomerButWithTheRulesNewbornEnergy)
{
    Rules rules;
    rules.newcomer_speed = 2, rules.newcomer_turn = -1;
    rules.newborn_energy_min = 5000, rules.newborn_energy_spread = 1;
    rules.seedling_spread = 0;
    World world;
    RandomSource random;
    const int animal = space_MouseUp(world, random, rules, LeftButton, 0, 10, 20);
    EXPECT_EQ(world.animals.speed[animal], 0.3f);
    EXPECT_EQ(world.animals.turn[animal], 0.5f);
    EXPECT_EQ(world.animals.energy[animal], 5000);
    const int plant = space_MouseUp(world, random, rules, RightButton, 0, 10, 20);
    EXPECT_EQ(world.plants.size[plant], 1) << "a seedling of spread 0 is always of size 1";
}

TEST(Rules, ATopUpBringsTheRulesNewcomerWhenItsChanceComes)
{
    Rules rules;
    rules.top_up_chance = 1, rules.animal_top_up_below = 252, rules.plant_top_up_below = 502;
    rules.newcomer_speed = 1.25, rules.newcomer_turn = -0.75;
    Scene scene = FreshScene(rules);
    Canvas space = Canvas::Discarding(), graph = Canvas::Discarding();
    for (int t = 0; t < 10; ++t)
        RunTick(scene.world, scene.random, scene.rules, space, graph);
    int newcomers = 0;
    for (int i = 0; i < AnimalSlots; ++i)
        if (scene.world.animals.energy[i] > 0) {
            EXPECT_EQ(scene.world.animals.speed[i], 1.25f) << i;
            EXPECT_EQ(scene.world.animals.turn[i], -0.75f) << i;
            ++newcomers;
        }
    EXPECT_EQ(newcomers, 10) << "one a tick, with the chance certain and no bound on the count";
}

// Plants past size 102 under bigger seeding sizes are drawn in the brightest green rather than
// a green that would spill into the next colour's bits.
TEST(Rules, APlantBiggerThanTheWindowsIsDrawnInTheBrightestGreen)
{
    EXPECT_EQ(PlantColour(100), Rgb(0, 250, 0));
    EXPECT_EQ(PlantColour(102), Rgb(0, 254, 0));
    EXPECT_EQ(PlantColour(103), Rgb(0, 255, 0));
    EXPECT_EQ(PlantColour(20000), Rgb(0, 255, 0));
    Rules rules;
    rules.seeding_size = 400;
    Scene scene = FreshScene(rules);
    Canvas space = Canvas::Space(), graph = Canvas::Graph();
    for (int t = 0; t < 2000; ++t)
        RunTick(scene.world, scene.random, scene.rules, space, graph);
    int big = 0;
    for (int s = 0; s < PlantSlots; ++s)
        big += scene.world.plants.size[s] > 102;
    EXPECT_GT(big, 0);
    // Every dot is a plant's green, an animal's colour or black; a green past 255 would carry
    // into blue.
    int brightest = 0;
    for (Colour c : space.Pixels()) {
        EXPECT_TRUE(c == AnimalColour || (RedOf(c) == 0 && BlueOf(c) == 0)) << std::hex << c;
        brightest += c == Rgb(0, 255, 0);
    }
    EXPECT_GT(brightest, 0);
    EXPECT_GT(big, 0);
}

} // namespace
} // namespace morvane
