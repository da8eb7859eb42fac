// The points of a sweep: stepped ranges that keep their last value, lists, the full grid with
// the last --vary varying fastest, and design files as other tools write them; every value is
// held to its rule's range and anything else is refused naming where.
#include <gtest/gtest.h>

#include "lab/command/lab_error.h"
#include "lab/command/sweep_points.h"
#include "lab_test_support.h"

namespace morvane::labtest {
namespace {

using lab::ReadDesignFile;
using lab::ReadVary;

std::string Refusal(const std::function<void()>& call)
{
    try {
        call();
    } catch (const lab::LabError& refused) {
        return refused.what();
    }
    return "taken";
}

TEST(SweepPoints, ARangeStepsFromFirstAndNeverLosesLastToRounding)
{
    EXPECT_EQ(ReadVary("speed-mutation=0:0.125:0.5").values,
              (std::vector<double>{0, 0.125, 0.25, 0.375, 0.5}));
    // (0.3 - 0) / 0.1 is 2.9999999999999996: the nearest whole number of steps, 3, keeps 0.3.
    const std::vector<double> tenths = ReadVary("turn-mutation=0:0.1:0.3").values;
    ASSERT_EQ(tenths.size(), 4u);
    EXPECT_EQ(tenths[3], 3 * 0.1);
    EXPECT_EQ(ReadVary("glances=11:-5:1").values, (std::vector<double>{11, 6, 1}));
    EXPECT_EQ(ReadVary("glances=4:1:4").values, (std::vector<double>{4}));
    EXPECT_EQ(ReadVary("upkeep=1,3,2").values, (std::vector<double>{1, 3, 2}));
}

TEST(SweepPoints, AValueOrARangeThatCannotBeUsedIsRefusedNamingTheOption)
{
    EXPECT_EQ(Refusal([] { ReadVary("glances=40:10:70"); }),
              "--vary 'glances=40:10:70': rule glances: 70 is out of its range, 0 to 64");
    EXPECT_EQ(Refusal([] { ReadVary("glances=0:0.5:2"); }),
              "--vary 'glances=0:0.5:2': rule glances: 0.5 is not a whole number (0 to 64)");
    EXPECT_EQ(Refusal([] { ReadVary("upkeep=1,,2"); }),
              "--vary 'upkeep=1,,2': rule upkeep: '' is not a decimal number");
    EXPECT_EQ(Refusal([] { ReadVary("upkeep=1:0:2"); }),
              "--vary 'upkeep=1:0:2': STEP is 0, which never reaches LAST");
    EXPECT_EQ(Refusal([] { ReadVary("upkeep=5:1:2"); }),
              "--vary 'upkeep=5:1:2': STEP leads away from LAST");
    EXPECT_EQ(Refusal([] { ReadVary("upkeep=1:2"); }),
              "--vary 'upkeep=1:2': expected FIRST:STEP:LAST or V1,V2,...");
    EXPECT_EQ(Refusal([] { ReadVary("speed-mutation=0:1e-9:1"); }),
              "--vary 'speed-mutation=0:1e-9:1': more than 1,000,000 values");
    EXPECT_EQ(Refusal([] { ReadVary("glances"); }), "--vary 'glances': expected NAME=V1,V2,...");
    EXPECT_EQ(Refusal([] {
                  ReadVary("glance=1,2");
              }).rfind("--vary 'glance=1,2': unknown rule 'glance' (expected mating-energy, ", 0),
              0u);
}

TEST(SweepPoints, SeveralVariesMakeTheFullGridTheLastVaryingFastest)
{
    const lab::SweepPoints grid =
        lab::GridOf({ReadVary("glances=1,2"), ReadVary("upkeep=10,20,30")});
    ASSERT_EQ(grid.points.size(), 6u);
    std::vector<std::pair<double, double>> seen;
    for (const auto& point : grid.points) {
        ASSERT_EQ(point.size(), 2u);
        EXPECT_STREQ(point[0].rule->name, "glances");
        seen.emplace_back(point[0].value, point[1].value);
    }
    EXPECT_EQ(seen, (std::vector<std::pair<double, double>>{
                        {1, 10}, {1, 20}, {1, 30}, {2, 10}, {2, 20}, {2, 30}}));
    EXPECT_EQ(Refusal([] {
                  lab::GridOf({ReadVary("glances=1"), ReadVary("glances=2")});
              }),
              "--vary glances is given twice");
    EXPECT_EQ(Refusal([] {
                  lab::GridOf({ReadVary("upkeep=0:1:999"), ReadVary("glances=0:1:64"),
                               ReadVary("birth-cost=0:1:99")});
              }),
              "the --vary grid has more than 1,000,000 points");
}

TEST(SweepPoints, ADesignFileIsReadAsOtherToolsWriteIt)
{
    ScratchFolder folder;
    // As numpy's savetxt with a header and pandas' to_csv(index=False) write them.
    folder.Write("lhs.csv", "# a Latin hypercube of two rules\r\n"
                            "speed_mutation,mating-energy\r\n"
                            "2.5e-01,1500\r\n"
                            "\r\n"
                            "0.375 , 1200.0\r\n");
    const lab::SweepPoints design = ReadDesignFile((folder.Work() / "lhs.csv").string());
    ASSERT_EQ(design.varied.size(), 2u);
    EXPECT_STREQ(design.varied[0]->name, "speed-mutation");
    ASSERT_EQ(design.points.size(), 2u);
    EXPECT_EQ(design.points[1][0].value, 0.375);
    EXPECT_EQ(design.points[1][1].value, 1200);

    const std::vector<std::pair<std::string, std::string>> bad{
        {"glances\n4\n4.5\n", "bad.csv:3: rule glances: 4.5 is not a whole number (0 to 64)"},
        {"glances,upkeep\n4\n", "bad.csv:2: 1 values for the header's 2 rules"},
        {"glances,glances\n4,5\n", "bad.csv:1: the header names glances twice"},
        {",glances\n0,4\n", "bad.csv:1: the header names no rule '' (see morvane-lab --help for "
                            "the rules)"},
        {"# nothing\n", "bad.csv: no header and no points"},
        {"glances\n", "bad.csv: no points under its header"},
    };
    for (const auto& [text, refusal] : bad) {
        folder.Write("bad.csv", text);
        const fs::path cwd = fs::current_path();
        fs::current_path(folder.Work());
        EXPECT_EQ(Refusal([] { ReadDesignFile("bad.csv"); }), refusal) << text;
        fs::current_path(cwd);
    }
}

} // namespace
} // namespace morvane::labtest
