// --runs: every run of an ensemble is the single run of its seed, the quantiles across runs
// follow their stated definition, and no output depends on how many threads ran them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "lab/outputs/ensemble_table.h"
#include "lab_test_support.h"

namespace morvane::labtest {
namespace {

// The quantile of fraction p of `values`: linear between the ranks around (n - 1) p.
double Quantile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const double h = (values.size() - 1) * p;
    const std::size_t below = static_cast<std::size_t>(h);
    if (below + 1 == values.size()) return values[below];
    return values[below] + (h - below) * (values[below + 1] - values[below]);
}

TEST(Ensemble, QuantilesInterpolateBetweenTheNearestRanks)
{
    const lab::Quantiles four = lab::QuantilesOf({3, 1, 4, 2});
    EXPECT_DOUBLE_EQ(four.p10, 1.3);
    EXPECT_DOUBLE_EQ(four.median, 2.5);
    EXPECT_DOUBLE_EQ(four.p90, 3.7);
    const lab::Quantiles one = lab::QuantilesOf({-0.25});
    EXPECT_EQ(one.p10, -0.25);
    EXPECT_EQ(one.median, -0.25);
    EXPECT_EQ(one.p90, -0.25);
    const lab::Quantiles eleven = lab::QuantilesOf({10, 0, 9, 1, 8, 2, 7, 3, 6, 4, 5});
    EXPECT_EQ(eleven.p10, 1);
    EXPECT_EQ(eleven.median, 5);
    EXPECT_EQ(eleven.p90, 9);
}

// One seed run alone, with everything the ensemble's outputs can be checked against.
struct SingleRun {
    CsvTable stats;
    CsvTable counts;
    std::string hash;
};

SingleRun RunSeed(const ScratchFolder& folder, std::uint64_t seed, const std::string& ticks,
                  const std::string& every)
{
    const std::string s = std::to_string(seed);
    const LabResult run =
        RunLabBinary(folder, {"--ticks", ticks, "--seed", s, "--every", every, "--stats-out",
                              s + ".csv", "--counts-out", s + "-counts.csv", "--hash"});
    EXPECT_EQ(run.status, 0) << run.err;
    return {ParseCsv(ReadFile(folder.Work() / (s + ".csv"))),
            ParseCsv(ReadFile(folder.Work() / (s + "-counts.csv"))), run.out};
}

TEST(Ensemble, EachRunIsTheSingleRunOfItsSeedAndTheQuantilesAreAcrossThem)
{
    ScratchFolder folder;
    const std::uint64_t first = 5, runs = 5;
    const LabResult run = RunLabBinary(folder, {"--runs", "5", "--seed", "5", "--ticks", "1000",
                                                "--every", "50", "--hash", "--summary-out",
                                                "summary.csv", "--ensemble-out", "ensemble.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    const CsvTable summary = ParseCsv(ReadFile(folder.Work() / "summary.csv"));
    const CsvTable ensemble = ParseCsv(ReadFile(folder.Work() / "ensemble.csv"));
    ASSERT_EQ(summary.rows.size(), runs);
    ASSERT_EQ(ensemble.rows.size(), 21u);

    std::vector<SingleRun> singles;
    std::string hashes;
    for (std::uint64_t k = 0; k < runs; ++k) {
        SCOPED_TRACE("seed " + std::to_string(first + k));
        singles.push_back(RunSeed(folder, first + k, "1000", "50"));
        const SingleRun& single = singles.back();
        const std::size_t last = single.stats.rows.size() - 1;
        EXPECT_EQ(summary.At(k, "seed"), std::to_string(first + k));
        EXPECT_EQ(summary.At(k, "ticks"), "1000");
        for (const char* same : {"animals", "plants", "speed_mean", "turn_mean"})
            EXPECT_EQ(summary.At(k, same), single.stats.At(last, same)) << same;
        long long births = 0;
        for (std::size_t r = 0; r < single.stats.rows.size(); ++r)
            for (const char* born : {"born_breeding", "born_top_up", "born_events"})
                births += std::stoll(single.stats.At(r, born));
        EXPECT_EQ(summary.At(k, "births"), std::to_string(births));
        long long thin = 0;
        for (std::size_t r = 0; r < single.counts.rows.size(); ++r)
            thin += std::stoi(single.counts.At(r, "animals")) < 3;
        EXPECT_EQ(summary.At(k, "ticks_below_3_animals"), std::to_string(thin));
        hashes += std::to_string(first + k) + " " + single.hash;
    }
    EXPECT_EQ(run.out, hashes);

    bool some_runs_empty = false;
    for (std::size_t r = 0; r < ensemble.rows.size(); ++r) {
        SCOPED_TRACE("tick " + ensemble.At(r, "tick"));
        EXPECT_EQ(ensemble.At(r, "tick"), singles[0].stats.At(r, "tick"));
        std::vector<double> animals, plants, speed, turn;
        for (const SingleRun& single : singles) {
            animals.push_back(single.stats.Number(r, "animals"));
            plants.push_back(single.stats.Number(r, "plants"));
            if (single.stats.At(r, "animals") == "0") continue;
            speed.push_back(single.stats.Number(r, "speed_mean"));
            turn.push_back(single.stats.Number(r, "turn_mean"));
        }
        EXPECT_EQ(ensemble.Number(r, "runs_with_animals"), speed.size());
        some_runs_empty |= !speed.empty() && speed.size() < runs;
        const std::pair<const char*, const std::vector<double>*> columns[] = {
            {"animals", &animals},
            {"plants", &plants},
            {"speed_mean", &speed},
            {"turn_mean", &turn}};
        for (const auto& [name, values] : columns) {
            const std::string column = name;
            if (values->empty()) { // no run has animals: no mean to take a quantile of
                for (const char* q : {"_p10", "_median", "_p90"})
                    EXPECT_EQ(ensemble.At(r, column + q), "") << column + q;
                continue;
            }
            EXPECT_NEAR(ensemble.Number(r, column + "_p10"), Quantile(*values, 0.1), 1e-12);
            EXPECT_NEAR(ensemble.Number(r, column + "_median"), Quantile(*values, 0.5), 1e-12);
            EXPECT_NEAR(ensemble.Number(r, column + "_p90"), Quantile(*values, 0.9), 1e-12);
        }
    }
    EXPECT_TRUE(some_runs_empty) << "no row where only some runs had animals was checked";
}

// Short runs, since the sanitizer build runs this too: by tick 800 most of these seeds have
// bred, so their means differ from the newcomers' and from each other.
TEST(Ensemble, EveryOutputIsTheSameWhateverTheNumberOfThreads)
{
    const std::vector<std::string> common = {
        "--runs",      "8",  "--seed", "100",           "--ticks",     "800",
        "--every",     "50", "--hash", "--summary-out", "summary.csv", "--ensemble-out",
        "ensemble.csv"};
    struct Setting {
        std::vector<std::string> threads;
        std::vector<std::vector<std::string>> more; // one run each
    };
    // The samples keep every run's rows; the selection follows every run event by event, each
    // into a place of its own, whichever thread runs it.
    const std::vector<std::string> samples = {"--samples-out", "samples.smp"},
                                   selection = {"--selection-out", "selection.csv"};
    const Setting settings[] = {
        {{"--threads", "1"}, {samples, selection}},
        {{}, {samples, selection}}, // every core
        {{"--threads", "8"}, {samples, selection}},
    };
    std::map<std::string, std::string> first;
    for (const Setting& setting : settings) {
        SCOPED_TRACE(setting.threads.empty() ? "every core" : "threads " + setting.threads[1]);
        ScratchFolder folder;
        std::map<std::string, std::string> got;
        for (const std::vector<std::string>& output : setting.more) {
            std::vector<std::string> args = common;
            args.insert(args.end(), setting.threads.begin(), setting.threads.end());
            args.insert(args.end(), output.begin(), output.end());
            const LabResult run = RunLabBinary(folder, args);
            ASSERT_EQ(run.status, 0) << run.err;
            got["stdout"] = run.out;
            got["summary.csv"] = ReadFile(folder.Work() / "summary.csv");
            got["ensemble.csv"] = ReadFile(folder.Work() / "ensemble.csv");
            got[output[1]] = ReadFile(folder.Work() / output[1]);
        }
        ASSERT_EQ(std::count(got["stdout"].begin(), got["stdout"].end(), '\n'), 8);
        for (const auto& [name, bytes] : got) {
            EXPECT_FALSE(bytes.empty()) << name;
            if (first.count(name) == 0)
                first[name] = bytes;
            else
                EXPECT_EQ(bytes, first[name]) << name << " differs";
        }
    }
    EXPECT_EQ(first.size(), 5u);
    EXPECT_NE(first["selection.csv"].find(",speed,8,"), std::string::npos) << "no run followed";
}

TEST(Ensemble, WithoutASeedTheRunsStartFromTheWindowsOwnState)
{
    ScratchFolder folder;
    const LabResult runs = RunLabBinary(folder, {"--runs", "2", "--ticks", "700", "--hash"});
    const LabResult plain = RunLabBinary(folder, {"--ticks", "700", "--hash"});
    const LabResult next = RunLabBinary(folder, {"--ticks", "700", "--seed", "43", "--hash"});
    ASSERT_EQ(runs.status, 0) << runs.err;
    EXPECT_EQ(runs.out, "42 " + plain.out + "43 " + next.out);
    EXPECT_NE(plain.out, next.out);
}

TEST(Ensemble, TheSameReleasesReachEveryRun)
{
    ScratchFolder folder;
    folder.Write("e", "0 left 100 100\n0 left 300 200\n");
    const LabResult runs =
        RunLabBinary(folder, {"--runs", "2", "--seed", "9", "--ticks", "400", "--events", "e",
                              "--hash", "--summary-out", "summary.csv"});
    ASSERT_EQ(runs.status, 0) << runs.err;
    std::string expected;
    for (const char* seed : {"9", "10"})
        expected +=
            std::string(seed) + " " +
            RunLabBinary(folder, {"--ticks", "400", "--seed", seed, "--events", "e", "--hash"}).out;
    EXPECT_EQ(runs.out, expected);
    const CsvTable summary = ParseCsv(ReadFile(folder.Work() / "summary.csv"));
    EXPECT_GE(std::stoi(summary.At(0, "births")), 2);
}

} // namespace
} // namespace morvane::labtest
