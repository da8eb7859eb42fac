// Every table of numbers the lab writes names as many columns in its header as each line
// fills, with or without the fields that stay empty when no animal is alive.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "lab/outputs/counts_table.h"
#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/stats_table.h"
#include "lab/outputs/summary_table.h"

namespace morvane::lab {
namespace {

std::size_t Fields(const std::string& line)
{
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    return static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
}

TEST(CsvColumns, EachLineFillsEveryColumnItsHeaderNamesWithOrWithoutLivingAnimals)
{
    SampleRow stats;
    stats.tick = 400;
    stats.plants = 12;
    EXPECT_EQ(StatsLine(stats), "400,0,12,,,,,,,,,,0,0,0,0,0,0\n");
    EXPECT_EQ(Fields(StatsLine(stats)), Fields(StatsHeader()));
    stats.animals.living = 3;
    stats.animals.speed = {1.5, 0.25, 1.25f, 1.75f};
    stats.since.died_paying = 2;
    EXPECT_EQ(StatsLine(stats), "400,3,12,1.5,0.25,1.25,1.75,0,0,0,0,0,0,0,0,0,0,2\n");

    EnsembleRow ensemble;
    ensemble.tick = 7;
    EXPECT_EQ(Fields(EnsembleLine(ensemble)), Fields(EnsembleHeader()));
    ensemble.runs_with_animals = 1;
    ensemble.turn_mean = {0.5, 1, 2};
    EXPECT_EQ(EnsembleLine(ensemble), "7,1,0,0,0,0,0,0,0,0,0,0.5,1,2\n");

    RunRecord run;
    run.seed = 42;
    run.ticks = 1000;
    run.totals.born_by_events = 4;
    run.totals.tally.born_by_top_up = 1;
    EXPECT_EQ(SummaryLine(run), "42,1000,0,0,,,5,0\n");
    EXPECT_EQ(Fields(SummaryLine(run)), Fields(SummaryHeader()));

    std::string counts = CountsHeader();
    AppendCountsLine(counts, {17, {3, 250}});
    EXPECT_EQ(counts, "tick,animals,plants\n17,3,250\n");
}

} // namespace
} // namespace morvane::lab
