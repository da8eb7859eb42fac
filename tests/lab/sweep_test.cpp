// A sweep: every point's rules over the same seeds, one line per run in point-then-run order
// whatever the threads, and every line a run that replays alone from its seed, its rules and
// its ticks to the hash it records.
#include <gtest/gtest.h>

#include "lab_test_support.h"
#include "sim/rule_book.h"

namespace morvane::labtest {
namespace {

constexpr const char* Ticks = "1500";

// The run a sweep's line records, on its own: its seed and every rule it names.
std::string Replayed(const ScratchFolder& folder, const CsvTable& table, std::size_t row)
{
    std::vector<std::string> args{"--seed", table.At(row, "seed"), "--ticks", Ticks, "--hash",
                                  "--quiet"};
    for (const RuleEntry& rule : RuleBook) {
        std::string column = rule.name;
        for (char& c : column)
            if (c == '-') c = '_';
        args.insert(args.end(), {"--rule", std::string(rule.name) + "=" + table.At(row, column)});
    }
    const LabResult result = RunLabBinary(folder, args);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out.substr(0, 16);
}

TEST(Sweep, AGridRunsEveryPointOverTheSameSeedsAndEachLineReplaysAlone)
{
    ScratchFolder folder;
    const std::vector<std::string> sweep{"--seed",  "10",
                                         "--runs",  "2",
                                         "--ticks", Ticks,
                                         "--vary",  "speed-mutation=0,0.3",
                                         "--vary",  "glances=4:7:11",
                                         "--rule",  "upkeep=2",
                                         "--quiet"};
    auto with = [&sweep](std::vector<std::string> more) {
        more.insert(more.begin(), sweep.begin(), sweep.end());
        return more;
    };
    ASSERT_EQ(RunLabBinary(folder, with({"--threads", "1", "--sweep-out", "one.csv"})).status, 0);
    const LabResult three = RunLabBinary(folder, with({"--threads", "3", "--sweep-out", "s.csv"}));
    ASSERT_EQ(three.status, 0) << three.err;
    const std::string text = ReadFile(folder.Work() / "s.csv");
    EXPECT_EQ(text, ReadFile(folder.Work() / "one.csv")) << "the same bytes on 1 and 3 threads";

    const CsvTable table = ParseCsv(text);
    ASSERT_EQ(table.rows.size(), 8u);
    const std::vector<std::string> speeds{"0", "0", "0", "0", "0.3", "0.3", "0.3", "0.3"};
    const std::vector<std::string> glances{"4", "4", "11", "11", "4", "4", "11", "11"};
    for (std::size_t row = 0; row < 8; ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        EXPECT_EQ(table.At(row, "point"), std::to_string(row / 2));
        EXPECT_EQ(table.At(row, "run"), std::to_string(row % 2));
        EXPECT_EQ(table.At(row, "seed"), std::to_string(10 + row % 2));
        EXPECT_EQ(table.At(row, "speed_mutation"), speeds[row]);
        EXPECT_EQ(table.At(row, "glances"), glances[row]);
        EXPECT_EQ(table.At(row, "upkeep"), "2");
        EXPECT_EQ(table.At(row, "mating_energy"), "1000");
    }
    // Points differ by their rules alone: one seed gives other worlds under other rules.
    EXPECT_NE(table.At(0, "hash"), table.At(2, "hash"));
    for (std::size_t row : {0, 3, 6})
        EXPECT_EQ(Replayed(folder, table, row), table.At(row, "hash")) << "row " << row;

    // Its summary is each run's line of --summary-out, led by the same point, run and rules.
    ASSERT_EQ(RunLabBinary(folder, with({"--summary-out", "sum.csv"})).status, 0);
    const CsvTable summary = ParseCsv(ReadFile(folder.Work() / "sum.csv"));
    ASSERT_EQ(summary.rows.size(), 8u);
    for (std::size_t row = 0; row < 8; ++row)
        for (const char* column : {"point", "run", "seed", "speed_mutation", "glances", "animals",
                                   "plants", "speed_mean", "turn_mean"})
            EXPECT_EQ(summary.At(row, column), table.At(row, column)) << row << " " << column;
}

TEST(Sweep, ADesignsRowsArePointsThatReplayAlone)
{
    ScratchFolder folder;
    folder.Write("d.csv", "mating_energy,turn-mutation\n"
                          "800,0.0625\n"
                          "1200,0.4375\n"
                          "1000.0,0.25\n");
    const LabResult result =
        RunLabBinary(folder, {"--design", "d.csv", "--runs", "2", "--seed", "3", "--ticks", Ticks,
                              "--sweep-out", "s.csv", "--quiet"});
    ASSERT_EQ(result.status, 0) << result.err;
    const CsvTable table = ParseCsv(ReadFile(folder.Work() / "s.csv"));
    ASSERT_EQ(table.rows.size(), 6u);
    EXPECT_EQ(table.At(2, "mating_energy"), "1200");
    EXPECT_EQ(table.At(5, "turn_mutation"), "0.25");
    for (std::size_t row : {1, 2, 5})
        EXPECT_EQ(Replayed(folder, table, row), table.At(row, "hash")) << "row " << row;
}

// Each point's block of --ensemble-out, and of --selection-out, is the ensemble's table of its
// runs alone, under its rules.
TEST(Sweep, ItsEnsembleTablesAreEachPointsEnsembleLedByThePointAndItsRules)
{
    ScratchFolder folder;
    const std::vector<std::string> common{"--seed", "4",       "--runs", "3",      "--ticks",
                                          Ticks,    "--every", "500",    "--quiet"};
    auto with = [&common](std::vector<std::string> more) {
        more.insert(more.end(), common.begin(), common.end());
        return more;
    };
    for (const auto& [option, first_columns] :
         {std::pair{"--ensemble-out", "tick,runs_with_animals,animals_p10"},
          std::pair{"--selection-out", "tick,trait,runs,"}}) {
        SCOPED_TRACE(option);
        ASSERT_EQ(RunLabBinary(folder, with({"--vary", "glances=4,11", option, "s.csv"})).status,
                  0);
        const std::string swept = ReadFile(folder.Work() / "s.csv");
        std::istringstream lines(swept);
        std::string header;
        std::getline(lines, header);
        EXPECT_EQ(header.rfind("point,mating_energy,foraging_energy,", 0), 0u) << header;
        EXPECT_NE(header.find(std::string(",newcomer_turn,") + first_columns), std::string::npos)
            << header;
        std::vector<std::string> blocks(2);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t point = std::stoul(line.substr(0, line.find(',')));
            ASSERT_LT(point, 2u);
            // Past the point and its 19 rules, the line is the ensemble's own.
            std::size_t at = 0;
            for (int comma = 0; comma < 20; ++comma)
                at = line.find(',', at) + 1;
            blocks[point] += line.substr(at) + "\n";
        }
        for (const auto& [point, glances] : {std::pair{0, "4"}, std::pair{1, "11"}}) {
            ASSERT_EQ(RunLabBinary(folder, with({"--rule", std::string("glances=") + glances,
                                                 option, "e.csv"}))
                          .status,
                      0);
            const std::string alone = ReadFile(folder.Work() / "e.csv");
            EXPECT_GT(alone.size(), header.size() / 4);
            EXPECT_EQ(blocks[point], alone.substr(alone.find('\n') + 1)) << "point " << point;
        }
    }
}

TEST(Sweep, WhatASweepCannotBeAskedForIsRefusedBeforeAnythingRuns)
{
    ScratchFolder folder;
    folder.Write("d.csv", "glances\n4\n70\n");
    folder.Write("ok.csv", "glances\n4\n5\n");
    folder.Write("r.txt", "upkeep = 2\nglances = 3\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--vary", "glances=1,2", "--design", "d.csv", "--sweep-out", "s.csv"},
         "--vary and --design cannot be combined: a sweep's points come from one or the other"},
        {{"--sweep-out", "s.csv"}, "--sweep-out needs --vary or --design, the sweep it describes"},
        {{"--vary", "glances=1,2", "--rule", "glances=3", "--sweep-out", "s.csv"},
         "rule glances is both set by --rule and swept by --vary"},
        {{"--design", "ok.csv", "--rule", "glances=3", "--sweep-out", "s.csv"},
         "rule glances is both set by --rule and swept by the design"},
        {{"--vary", "glances=1,2", "--rules", "r.txt", "--sweep-out", "s.csv"},
         "rule glances is both set by --rules r.txt and swept by --vary"},
        {{"--design", "d.csv", "--sweep-out", "s.csv"},
         "d.csv:3: rule glances: 70 is out of its range, 0 to 64"},
        {{"--vary", "plant-energy=3,200", "--sweep-out", "s.csv"},
         "the sweep's point 1: rules: an animal's energy could reach 41400 (1000 from "
         "mating-energy, foraging-energy or a newborn's, plus twice plant-energy 200 times a "
         "plant of size 101), above the most an energy holds, 32767"},
        // 4 points of 100,000 runs of 11 rows each: beyond the samples one process keeps.
        {{"--vary", "glances=1:1:4", "--runs", "100000", "--every", "1", "--ensemble-out", "s.csv"},
         "400000 runs of 11 rows would keep more than 4000000 samples in memory (take a larger "
         "--every or fewer --runs)"},
        // A shard splits every point's runs; a design's points are known only from its file.
        {{"--vary", "glances=1,2", "--runs", "2", "--shard", "1/5", "--samples-out", "s.csv"},
         "--shard 1/5: the sweep has only 4 runs (2 points of 2 runs), fewer than the parts "
         "asked for"},
        {{"--design", "ok.csv", "--shard", "3/3", "--samples-out", "s.csv"},
         "--shard 3/3: the sweep has only 2 runs (2 points of 1 run), fewer than the parts "
         "asked for"},
        {{"--vary", "glances=1,2", "--shard", "1/2", "--sweep-out", "s.csv"},
         "--shard needs --samples-out, the file its runs go to for morvane-lab merge"},
    };
    for (const auto& [args, line] : cases) {
        std::vector<std::string> all{"--ticks", "10", "--quiet"};
        all.insert(all.end(), args.begin(), args.end());
        const LabResult result = RunLabBinary(folder, all);
        EXPECT_EQ(result.status, 2) << line;
        EXPECT_EQ(result.err, "morvane-lab: error: " + line + "\n");
        EXPECT_FALSE(fs::exists(folder.Work() / "s.csv")) << line;
    }
}

} // namespace
} // namespace morvane::labtest
