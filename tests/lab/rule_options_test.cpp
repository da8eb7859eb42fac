// Runs under other rules, asked for by --rule and by a rules file: each run is the world the
// core runs under those rules, its state dump names them, a kept world goes on under them and a
// resumed one forks under new ones. Everything refused is refused in one line, exit status 2.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "lab_test_support.h"
#include "sim/rule_book.h"
#include "sim/world_run.h"

namespace morvane::labtest {
namespace {

Rules Asked()
{
    Rules rules;
    rules.speed_mutation = 0.25, rules.glances = 4, rules.plant_energy = 5;
    return rules;
}

std::string CoreHash(std::uint64_t seed, const Rules& rules, std::uint64_t ticks)
{
    WorldRun run = WorldRun::Fresh(seed, rules);
    run.Step(ticks);
    return run.HashText() + "\n";
}

TEST(RuleOptions, EachWayOfAskingForRulesRunsTheCoresWorldUnderThem)
{
    ScratchFolder folder;
    folder.Write("r.txt", "# less mutation, fewer glances\n"
                          "speed-mutation = 0.25\n"
                          "\n"
                          "  glances=4   # at a time\n"
                          "plant-energy = 9\r\n");
    const std::string expected = CoreHash(5, Asked(), 3000);
    ASSERT_NE(expected, CoreHash(5, WindowRules, 3000));
    const std::vector<std::vector<std::string>> ways{
        {"--rule", "speed-mutation=0.25", "--rule", "glances=4", "--rule", "plant-energy=5"},
        {"--rules", "r.txt", "--rule", "plant-energy=5"}, // an option wins over the file
        {"--rule", "plant-energy=5", "--rules", "r.txt"}, // whatever the order given
    };
    for (const auto& way : ways) {
        std::vector<std::string> args{"--seed", "5", "--ticks", "3000", "--hash", "--quiet"};
        args.insert(args.end(), way.begin(), way.end());
        const LabResult result = RunLabBinary(folder, args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, expected) << way[0] << " " << way[1];
    }
    // The window's rules named outright are the window's world.
    const LabResult same = RunLabBinary(
        folder, {"--seed", "5", "--ticks", "3000", "--hash", "--rule", "glances=11", "--quiet"});
    EXPECT_EQ(same.out, CoreHash(5, WindowRules, 3000));
}

TEST(RuleOptions, TheStateDumpNamesTheRulesOnlyWhenTheyAreNotTheWindows)
{
    ScratchFolder folder;
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "10", "--state-out", "w.json", "--quiet"}).status,
              0);
    EXPECT_FALSE(nlohmann::json::parse(ReadFile(folder.Work() / "w.json")).contains("rules"));
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "10", "--state-out", "r.json", "--rule",
                                    "newcomer-turn=-0.125", "--rule", "glances=4", "--quiet"})
                  .status,
              0);
    const auto state = nlohmann::json::parse(ReadFile(folder.Work() / "r.json"));
    ASSERT_TRUE(state.contains("rules"));
    EXPECT_EQ(state["rules"].size(), RuleBook.size());
    EXPECT_EQ(state["rules"]["glances"], 4);
    EXPECT_EQ(state["rules"]["newcomer-turn"], -0.125);
    EXPECT_EQ(state["rules"]["mating-energy"], 1000);
    EXPECT_LT(ReadFile(folder.Work() / "r.json").find("\"rules\""),
              ReadFile(folder.Work() / "r.json").find("\"tick\""));
}

TEST(RuleOptions, AKeptWorldGoesOnUnderItsRulesAndForksUnderNewOnes)
{
    ScratchFolder folder;
    ASSERT_EQ(RunLabBinary(folder, {"--seed", "3", "--ticks", "2000", "--rule",
                                    "speed-mutation=0.25", "--rule", "glances=4", "--rule",
                                    "plant-energy=5", "--checkpoint-out", "k.ckpt", "--quiet"})
                  .status,
              0);
    const LabResult on =
        RunLabBinary(folder, {"--resume", "k.ckpt", "--ticks", "1000", "--hash", "--quiet"});
    EXPECT_EQ(on.out, CoreHash(3, Asked(), 3000)) << on.err;

    // What if mutation stopped here: the kept world, from tick 2000 on with none.
    const LabResult fork = RunLabBinary(folder, {"--resume", "k.ckpt", "--ticks", "1000", "--rule",
                                                 "speed-mutation=0", "--hash", "--quiet"});
    WorldRun run = WorldRun::Fresh(3, Asked());
    run.Step(2000);
    run.State().rules.speed_mutation = 0;
    run.Step(1000);
    EXPECT_EQ(fork.out, run.HashText() + "\n") << fork.err;
    EXPECT_NE(fork.out, on.out);
}

struct Refused {
    std::vector<std::string> args;
    std::string line; // all stderr says, after "morvane-lab: error: "
};

TEST(RuleOptions, EveryRuleThatCannotBeUsedIsRefusedInOneLineBeforeAnythingRuns)
{
    ScratchFolder folder;
    folder.Write("shape.txt", "glances 4\n");
    folder.Write("twice.txt", "glances = 4\n# again\nglances = 5\n");
    folder.Write("range.txt", "\n\nupkeep = -1\n");
    const std::vector<Refused> cases{
        {{"--rule", "glances=65"}, "rule glances: 65 is out of its range, 0 to 64"},
        {{"--rule", "glances"}, "--rule 'glances': expected NAME=VALUE"},
        {{"--rule", "glance=4"},
         "unknown rule 'glance' (expected mating-energy, "
         "foraging-energy, plant-energy, birth-cost, speed-mutation, "
         "turn-mutation, glances, upkeep, newborn-energy-min, "
         "newborn-energy-spread, seeding-size, regrowth-spread, "
         "seedling-spread, far-seed-chance, top-up-chance, "
         "animal-top-up-below, plant-top-up-below, newcomer-speed, "
         "newcomer-turn)"},
        {{"--rule", "speed-mutation=half"}, "rule speed-mutation: 'half' is not a decimal number"},
        {{"--rule", "glances=3", "--rule", "glances=4"}, "--rule glances is given twice"},
        {{"--rule", "mating-energy=32162"},
         "rules: an animal's energy could reach 32768 (32162 from mating-energy, "
         "foraging-energy or a newborn's, plus twice plant-energy 3 times a plant of size 101), "
         "above the most an energy holds, 32767"},
        {{"--rules", "shape.txt"}, "shape.txt:1: expected NAME = VALUE, not 'glances 4'"},
        {{"--rules", "twice.txt"}, "twice.txt:3: rule glances is given twice (first on line 1)"},
        {{"--rules", "range.txt"}, "range.txt:3: rule upkeep: -1 is out of its range, 0 to 32767"},
        {{"--rules", "none.txt"}, "rules file none.txt"},
        {{"--rules", "-"},
         "--rules -: '-' is not taken for standard input; name /dev/stdin to read it"},
        {{"--rules", "shape.txt", "--events", "shape.txt"}, "shape.txt"},
    };
    for (const Refused& c : cases) {
        std::vector<std::string> args{"--ticks", "10", "--state-out", "never.json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const LabResult result = RunLabBinary(folder, args);
        EXPECT_EQ(result.status, 2) << c.args[1];
        const auto lines = result.ErrLines();
        ASSERT_EQ(lines.size(), 1u) << result.err;
        const std::string prefix = "morvane-lab: error: ";
        EXPECT_EQ(lines[0].substr(0, prefix.size()), prefix);
        const std::string said = lines[0].substr(prefix.size());
        if (c.line.find(' ') == std::string::npos || c.line.rfind("rules file", 0) == 0)
            EXPECT_NE(said.find(c.line), std::string::npos) << said;
        else
            EXPECT_EQ(said, c.line);
        EXPECT_FALSE(fs::exists(folder.Work() / "never.json")) << c.args[1];
    }
    // A shard's samples keep its rules (format version 2), so it may run under other rules.
    const LabResult shard = RunLabBinary(folder, {"--ticks", "10", "--runs", "4", "--shard", "1/2",
                                                  "--samples-out", "s.smp", "--rule", "glances=4"});
    EXPECT_EQ(shard.status, 0) << shard.err;
    EXPECT_EQ(ReadFile(folder.Work() / "s.smp").substr(0, 9), std::string("MORVSMPL\x02"));
}

} // namespace
} // namespace morvane::labtest
