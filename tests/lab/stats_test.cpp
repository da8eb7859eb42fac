// --stats-out: each row must be what the world at that tick holds, as --state-out shows it,
// and the births and deaths between rows must account for every change in the population.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "lab/run/animal_census.h"
#include "lab_test_support.h"
#include "sim/life_tally.h"

namespace morvane::labtest {
namespace {

using nlohmann::json;

// The statistics of a --state-out dump, worked out here from the dump alone.
struct DumpStats {
    int animals = 0, plants = 0;
    double speed_mean = 0, speed_sd = 0, turn_mean = 0, turn_sd = 0, energy_mean = 0;
    float speed_min = std::numeric_limits<float>::infinity(), speed_max = -speed_min;
    float turn_min = speed_min, turn_max = -speed_min;
};

DumpStats StatsOfDump(const json& dump)
{
    DumpStats s;
    const json& a = dump.at("animals");
    std::vector<double> speeds, turns;
    for (std::size_t k = 0; k < a.at("energy").size(); ++k) {
        if (a["energy"][k].get<int>() <= 0) continue;
        const float speed = static_cast<float>(a["speed"][k].get<double>());
        const float turn = static_cast<float>(a["turn"][k].get<double>());
        speeds.push_back(speed), turns.push_back(turn);
        s.speed_min = std::min(s.speed_min, speed), s.speed_max = std::max(s.speed_max, speed);
        s.turn_min = std::min(s.turn_min, turn), s.turn_max = std::max(s.turn_max, turn);
        s.energy_mean += a["energy"][k].get<int>();
    }
    for (const json& size : dump.at("plants").at("size"))
        s.plants += size.get<int>() > 0;
    s.animals = static_cast<int>(speeds.size());
    auto mean_sd = [](const std::vector<double>& v, double& mean, double& sd) {
        double sum = 0, squares = 0;
        for (double x : v)
            sum += x;
        mean = sum / v.size();
        for (double x : v)
            squares += (x - mean) * (x - mean);
        sd = std::sqrt(squares / v.size());
    };
    mean_sd(speeds, s.speed_mean, s.speed_sd);
    mean_sd(turns, s.turn_mean, s.turn_sd);
    s.energy_mean /= s.animals;
    return s;
}

std::string Events()
{
    // An animal in the world, one off it (born, then gone at the first pass), a plant.
    return "0 left 100 100\n1500 left 200 150\n1500 left -50 20\n1700 right 40 40\n";
}

TEST(Stats, EachRowHoldsTheMeansOfTheWorldThatStateOutShowsAtThatTick)
{
    ScratchFolder folder;
    folder.Write("e", Events());
    const LabResult run = RunLabBinary(folder, {"--ticks", "2500", "--every", "1000", "--seed",
                                                "11", "--events", "e", "--stats-out", "s.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    const CsvTable rows = ParseCsv(ReadFile(folder.Work() / "s.csv"));
    ASSERT_EQ(rows.rows.size(), 4u); // ticks 0, 1000, 2000 and the partial last 2500
    const char* ticks[] = {"0", "1000", "2000", "2500"};
    for (std::size_t r = 0; r < 4; ++r)
        EXPECT_EQ(rows.At(r, "tick"), ticks[r]);

    for (std::size_t r : {1u, 2u, 3u}) {
        SCOPED_TRACE("tick " + rows.At(r, "tick"));
        const std::string dump_name = "at" + rows.At(r, "tick") + ".json";
        ASSERT_EQ(RunLabBinary(folder, {"--ticks", rows.At(r, "tick"), "--seed", "11", "--events",
                                        "e", "--state-out", dump_name})
                      .status,
                  0);
        const DumpStats expected = StatsOfDump(json::parse(ReadFile(folder.Work() / dump_name)));
        ASSERT_GT(expected.animals, 1) << "a row with several animals is needed to test spreads";
        EXPECT_EQ(rows.Number(r, "animals"), expected.animals);
        EXPECT_EQ(rows.Number(r, "plants"), expected.plants);
        const double tolerance = 1e-12;
        EXPECT_NEAR(rows.Number(r, "speed_mean"), expected.speed_mean, tolerance);
        EXPECT_NEAR(rows.Number(r, "speed_sd"), expected.speed_sd, tolerance);
        EXPECT_NEAR(rows.Number(r, "turn_mean"), expected.turn_mean, tolerance);
        EXPECT_NEAR(rows.Number(r, "turn_sd"), expected.turn_sd, tolerance);
        EXPECT_NEAR(rows.Number(r, "energy_mean"), expected.energy_mean, 1e-9);
        // Minimum and maximum are the table's own floats, written so they read back exactly.
        EXPECT_EQ(std::stof(rows.At(r, "speed_min")), expected.speed_min);
        EXPECT_EQ(std::stof(rows.At(r, "speed_max")), expected.speed_max);
        EXPECT_EQ(std::stof(rows.At(r, "turn_min")), expected.turn_min);
        EXPECT_EQ(std::stof(rows.At(r, "turn_max")), expected.turn_max);
    }
}

TEST(Stats, BirthsAndDeathsBetweenRowsAccountForEveryChangeInTheAnimals)
{
    ScratchFolder folder;
    folder.Write("e", Events());
    const LabResult run = RunLabBinary(folder, {"--ticks", "3000", "--every", "700", "--seed", "11",
                                                "--events", "e", "--stats-out", "s.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    const CsvTable rows = ParseCsv(ReadFile(folder.Work() / "s.csv"));
    ASSERT_EQ(rows.rows.size(), 6u); // 0, 700, ..., 2800 and 3000
    LifeTally total;
    long long by_events = 0;
    for (std::size_t r = 0; r < rows.rows.size(); ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        auto n = [&](const char* name) { return std::stoll(rows.At(r, name)); };
        const long long born = n("born_breeding") + n("born_top_up") + n("born_events");
        const long long died = n("died_leaving") + n("died_exhausted") + n("died_paying");
        const long long before = r == 0 ? 0 : std::stoll(rows.At(r - 1, "animals"));
        EXPECT_EQ(n("animals") - before, born - died);
        total.born_by_breeding += n("born_breeding"), total.born_by_top_up += n("born_top_up");
        total.died_leaving += n("died_leaving"), total.died_exhausted += n("died_exhausted");
        total.died_paying += n("died_paying"), by_events += n("born_events");
    }
    // Births by events: the animal before the first tick (row 0) and the two at tick 1500;
    // the right release adds a plant, not an animal.
    EXPECT_EQ(rows.At(0, "born_events"), "1");
    EXPECT_EQ(rows.At(3, "born_events"), "2"); // (1400, 2100]
    EXPECT_EQ(by_events, 3);

    // The totals are what the tick itself reports for the same run.
    LifeTally expected;
    Tallying counting(expected);
    World world{};
    RandomSource random = RandomSource::FromSeed(11);
    Canvas space = Canvas::Discarding(), graph = Canvas::Discarding();
    const std::vector<Release> releases = {
        {0, 1, 100, 100}, {1500, 1, 200, 150}, {1500, 1, -50, 20}, {1700, 2, 40, 40}};
    for (std::uint64_t t = 0; t < 3000; ++t) {
        for (const Release& r : releases)
            if (r.after_ticks == t)
                space_MouseUp(world, random, WindowRules, r.button, 0, r.x, r.y);
        RunTick(world, random, WindowRules, space, graph, &counting);
    }
    EXPECT_EQ(total, expected);
    EXPECT_GT(expected.born_by_breeding, 0);
    EXPECT_GT(expected.died_leaving, 0);
}

TEST(Stats, ALeftReleaseIntoAFullTableIsNoBirth)
{
    ScratchFolder folder;
    std::string events;
    for (int k = 0; k < AnimalSlots + 2; ++k)
        events += "0 left " + std::to_string(100 + k % 200) + " 200\n";
    folder.Write("e", events);
    const LabResult run =
        RunLabBinary(folder, {"--ticks", "10", "--events", "e", "--stats-out", "s.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    const CsvTable rows = ParseCsv(ReadFile(folder.Work() / "s.csv"));
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.At(0, "animals"), std::to_string(AnimalSlots));
    EXPECT_EQ(rows.At(0, "born_events"), std::to_string(AnimalSlots));
}

TEST(Stats, RowsFallOnMultiplesOfKPlusTheEndAndEmptyFieldsStandForNoAnimals)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> ticks;
    };
    const Case cases[] = {
        {{"--ticks", "300", "--every", "100"}, {"0", "100", "200", "300"}},
        {{"--ticks", "250"}, {"0", "100", "200", "250"}}, // --every defaults to 100
        {{"--ticks", "50", "--every", "18446744073709551615"}, {"0", "50"}},
        {{"--ticks", "0"}, {"0"}},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--stats-out", "s.csv"});
        const LabResult run = RunLabBinary(folder, args);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string text = ReadFile(folder.Work() / "s.csv");
        const CsvTable rows = ParseCsv(text);
        ASSERT_EQ(rows.rows.size(), c.ticks.size()) << text;
        for (std::size_t r = 0; r < rows.rows.size(); ++r) {
            EXPECT_EQ(rows.At(r, "tick"), c.ticks[r]);
            EXPECT_EQ(rows.rows[r].size(), rows.header.size());
        }
        // The window's start has no animals for the first few hundred ticks: no means then.
        EXPECT_EQ(rows.At(0, "animals"), "0");
        for (const char* empty : {"speed_mean", "speed_sd", "speed_min", "speed_max", "turn_mean",
                                  "turn_sd", "turn_min", "turn_max", "energy_mean"})
            EXPECT_EQ(rows.At(0, empty), "") << empty;
        EXPECT_EQ(text.find("nan"), std::string::npos);
    }
}

TEST(Stats, WatchingLeavesTheWorldAsItIs)
{
    ScratchFolder folder;
    const LabResult plain = RunLabBinary(folder, {"--ticks", "3000", "--seed", "4", "--hash"});
    const LabResult watched = RunLabBinary(
        folder, {"--ticks", "3000", "--seed", "4", "--hash", "--stats-out", "s.csv", "--every", "7",
                 "--selection-out", "q.csv", "--lineage-out", "l.csv"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(watched.status, 0) << watched.err;
    EXPECT_EQ(watched.out, plain.out);
    EXPECT_EQ(ParseCsv(ReadFile(folder.Work() / "s.csv")).rows.size(), 430u); // 0..2996, 3000
}

} // namespace
} // namespace morvane::labtest
