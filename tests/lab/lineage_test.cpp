// Every animal that lived is in the lineage once, with parents that lived before it, times that
// agree with the statistics and traits that are its parents' mean plus its mutation; the parts
// of each trait's change add up to it; and a run kept and resumed tells the same story.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "lab_test_support.h"

namespace morvane::labtest {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr std::uint64_t LongRun = 20'000; // the same checks on a shorter run
#else
constexpr std::uint64_t LongRun = 1'000'000;
#endif
constexpr std::uint64_t Every = 1000;

// Releases early, while the population is thin, and far into the run.
const char* const Events = "0 left 100 200\n"
                           "0 left 300 100\n"
                           "0 right 50 60\n"
                           "5000 left 248 214.5\n"
                           "5000 left 248 214.5\n"
                           "19999 left 10 10\n"
                           "700000 left 400 300\n";

std::uint64_t Whole(const std::string& field) { return std::stoull(field); }

// The lineage by id; an id written twice fails the test.
std::map<std::uint64_t, std::size_t> RowsById(const CsvTable& lineage)
{
    std::map<std::uint64_t, std::size_t> rows;
    for (std::size_t r = 0; r < lineage.rows.size(); ++r)
        EXPECT_TRUE(rows.emplace(Whole(lineage.At(r, "id")), r).second)
            << "id " << lineage.At(r, "id") << " written twice";
    return rows;
}

// "[a,b]" as its two ids, "[none]" as none.
std::vector<std::uint64_t> Ancestors(const std::string& list)
{
    if (list == "[none]") return {};
    const std::size_t comma = list.find(',');
    return {Whole(list.substr(1, comma - 1)), Whole(list.substr(comma + 1))};
}

void ExpectLineageAgreesWithStatistics(const CsvTable& lineage, const CsvTable& stats)
{
    const auto by_id = RowsById(lineage);
    // Births and deaths by kind and by the row whose window they fall in.
    std::map<std::pair<std::uint64_t, std::string>, std::int64_t> counted;
    auto window_of = [&](std::uint64_t tick) {
        for (std::size_t r = 0; r < stats.rows.size(); ++r)
            if (Whole(stats.At(r, "tick")) >= tick) return Whole(stats.At(r, "tick"));
        ADD_FAILURE() << "tick " << tick << " after the last row";
        return std::uint64_t{0};
    };
    std::int64_t living_at_end = 0;
    for (std::size_t r = 0; r < lineage.rows.size(); ++r) {
        const std::uint64_t id = Whole(lineage.At(r, "id"));
        const std::string origin = lineage.At(r, "origin");
        const std::uint64_t born = Whole(lineage.At(r, "origin_time"));
        ++counted[{window_of(born), "born_" + origin}];
        const std::string death = lineage.At(r, "death");
        EXPECT_EQ(death.empty(), lineage.At(r, "destruction_time").empty()) << "id " << id;
        if (death.empty()) {
            ++living_at_end;
        } else {
            const std::uint64_t died = Whole(lineage.At(r, "destruction_time"));
            EXPECT_LE(born, died) << "id " << id;
            ++counted[{window_of(died), "died_" + death}];
        }

        const std::vector<std::uint64_t> parents = Ancestors(lineage.At(r, "ancestor_list"));
        EXPECT_EQ(parents.empty(), origin != "breeding") << "id " << id;
        if (parents.empty()) {
            EXPECT_EQ(lineage.At(r, "midparent_speed"), "") << "id " << id;
            continue;
        }
        // The parents lived before it, were alive when it was born, and their mean is its
        // midparent value, to the bit.
        double parents_speed = 0, parents_turn = 0;
        for (std::uint64_t parent : parents) {
            ASSERT_LT(parent, id);
            ASSERT_EQ(by_id.count(parent), 1u) << "parent " << parent << " of " << id;
            const std::size_t p = by_id.at(parent);
            EXPECT_LE(Whole(lineage.At(p, "origin_time")), born);
            if (!lineage.At(p, "destruction_time").empty()) {
                EXPECT_GE(Whole(lineage.At(p, "destruction_time")), born);
            }
            parents_speed += std::stof(lineage.At(p, "speed"));
            parents_turn += std::stof(lineage.At(p, "turn"));
        }
        const double mid_speed = lineage.Number(r, "midparent_speed");
        const double mid_turn = lineage.Number(r, "midparent_turn");
        EXPECT_EQ(mid_speed, parents_speed / 2) << "id " << id;
        EXPECT_EQ(mid_turn, parents_turn / 2) << "id " << id;
        const double speed_shift = lineage.Number(r, "speed_mutation");
        EXPECT_GE(speed_shift, -0.5);
        EXPECT_LT(speed_shift, 0.5);
        EXPECT_EQ(std::stof(lineage.At(r, "speed")), static_cast<float>(mid_speed + speed_shift))
            << "id " << id;
        EXPECT_EQ(std::stof(lineage.At(r, "turn")),
                  static_cast<float>(mid_turn + lineage.Number(r, "turn_mutation")))
            << "id " << id;
    }

    const char* const columns[] = {"born_breeding", "born_top_up",    "born_release",
                                   "died_left",     "died_exhausted", "died_paid"};
    const char* const in_stats[] = {"born_breeding", "born_top_up",    "born_events",
                                    "died_leaving",  "died_exhausted", "died_paying"};
    std::int64_t kinds_seen = 0;
    for (std::size_t r = 0; r < stats.rows.size(); ++r)
        for (int k = 0; k < 6; ++k) {
            const std::uint64_t tick = Whole(stats.At(r, "tick"));
            const std::int64_t expected = std::stoll(stats.At(r, in_stats[k]));
            EXPECT_EQ((counted[{tick, columns[k]}]), expected) << columns[k] << " at " << tick;
            kinds_seen += expected > 0;
        }
    EXPECT_EQ(living_at_end, std::stoll(stats.rows.back().at(stats.Column("animals"))));
    EXPECT_GE(kinds_seen, 6) << "a run this long sees every kind of birth and death";
}

void ExpectPartsAddUp(const CsvTable& selection, const CsvTable& stats)
{
    ASSERT_EQ(selection.rows.size(), 2 * (stats.rows.size() - 1));
    int followed = 0;
    for (std::size_t r = 0; r < selection.rows.size(); ++r) {
        const std::size_t row = r / 2 + 1; // the statistics row that ends the window
        const std::string trait = selection.At(r, "trait");
        EXPECT_EQ(trait, r % 2 == 0 ? "speed" : "turn");
        EXPECT_EQ(selection.At(r, "tick"), stats.At(row, "tick"));
        EXPECT_EQ(selection.At(r, "animals_before"), stats.At(row - 1, "animals"));
        EXPECT_EQ(selection.At(r, "animals_after"), stats.At(row, "animals"));
        if (selection.At(r, "change").empty()) {
            EXPECT_EQ(selection.At(r, "selection"), "");
            continue;
        }
        ++followed;
        EXPECT_EQ(selection.Number(r, "mean_before"), stats.Number(row - 1, trait + "_mean"));
        EXPECT_EQ(selection.Number(r, "mean_after"), stats.Number(row, trait + "_mean"));
        const double change = selection.Number(r, "change");
        double sum = 0, largest = std::abs(change);
        for (const char* part :
             {"selection", "mutation", "arrivals", "left", "exhausted", "paid"}) {
            sum += selection.Number(r, part);
            largest = std::max(largest, std::abs(selection.Number(r, part)));
        }
        // A window whose parts cancel has no change to measure against: the parts' own size
        // is the scale of its rounding then.
        EXPECT_LE(std::abs(sum - change), 1e-9 * largest)
            << trait << " at tick " << selection.At(r, "tick");
    }
    EXPECT_GT(followed, 0);
}

class LineageSeeds : public ::testing::TestWithParam<int> {};

TEST_P(LineageSeeds, EveryLifeIsInTheLineageOnceAndThePartsOfEachChangeAddUp)
{
    ScratchFolder folder;
    folder.Write("ev.txt", Events);
    const LabResult result = RunLabBinary(
        folder, {"--ticks", std::to_string(LongRun), "--seed", std::to_string(GetParam()),
                 "--events", "ev.txt", "--every", std::to_string(Every), "--lineage-out", "l.csv",
                 "--selection-out", "s.csv", "--stats-out", "st.csv", "--quiet"});
    ASSERT_EQ(result.status, 0) << result.err;
    const CsvTable stats = ParseCsv(ReadFile(folder.Work() / "st.csv"));
    const CsvTable lineage = ParseCsv(ReadFile(folder.Work() / "l.csv"));
    EXPECT_EQ(lineage.header.size(), 12u);
    ExpectLineageAgreesWithStatistics(lineage, stats);
    ExpectPartsAddUp(ParseCsv(ReadFile(folder.Work() / "s.csv")), stats);
}

INSTANTIATE_TEST_SUITE_P(TwentySeeds, LineageSeeds, ::testing::Range(1, 21));

// The lines after the header.
std::string Body(const std::string& csv) { return csv.substr(csv.find('\n') + 1); }

// The rows of lives that ended, as written.
std::string Ended(const std::string& csv)
{
    const CsvTable table = ParseCsv(csv);
    std::istringstream lines(Body(csv));
    std::string line, ended;
    for (std::size_t r = 0; std::getline(lines, line); ++r)
        if (!table.At(r, "death").empty()) ended += line + "\n";
    return ended;
}

TEST(Lineage, AKeptRunResumedTellsTheStraightRunsStoryWithTheSameIds)
{
    ScratchFolder folder;
    folder.Write("ev.txt", Events);
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"--events", "ev.txt", "--every", "500", "--quiet"});
        const LabResult result = RunLabBinary(folder, args);
        EXPECT_EQ(result.status, 0) << result.err;
    };
    run({"--seed", "5", "--ticks", "30000", "--lineage-out", "l.csv", "--selection-out", "s.csv"});
    run({"--seed", "5", "--ticks", "12000", "--lineage-out", "l1.csv", "--selection-out", "s1.csv",
         "--checkpoint-out", "k.ckpt"});
    // Without --seed: a resume goes on with the kept random source.
    run({"--resume", "k.ckpt", "--ticks", "18000", "--lineage-out", "l2.csv", "--selection-out",
         "s2.csv"});
    const std::string straight = ReadFile(folder.Work() / "l.csv");
    const std::string first = ReadFile(folder.Work() / "l1.csv");
    const std::string second = ReadFile(folder.Work() / "l2.csv");
    // The lives that ended before the split, then all the second piece tells.
    EXPECT_EQ(Body(straight), Ended(first) + Body(second));
    EXPECT_GT(ParseCsv(second).rows.size(), 100u);
    // Split at a row's tick, the windows join up.
    EXPECT_EQ(ReadFile(folder.Work() / "s.csv"),
              ReadFile(folder.Work() / "s1.csv") + Body(ReadFile(folder.Work() / "s2.csv")));
}

TEST(Lineage, AcrossRunsThePartsQuantilesRestOnTheRunsThatHadAMeanAndIgnoreTheThreads)
{
    ScratchFolder folder;
    auto run = [&](std::vector<std::string> args) {
        const LabResult result = RunLabBinary(folder, args);
        EXPECT_EQ(result.status, 0) << result.err;
    };
    const std::vector<std::string> ensemble = {"--runs",  "6",    "--seed",  "30",
                                               "--ticks", "6000", "--every", "250"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), ensemble.begin(), ensemble.end());
        return more;
    };
    run(with({"--threads", "1", "--selection-out", "a.csv", "--summary-out", "a-summary.csv"}));
    run(with({"--threads", "3", "--selection-out", "b.csv", "--summary-out", "b-summary.csv"}));
    EXPECT_EQ(ReadFile(folder.Work() / "a.csv"), ReadFile(folder.Work() / "b.csv"));
    EXPECT_EQ(ReadFile(folder.Work() / "a-summary.csv"), ReadFile(folder.Work() / "b-summary.csv"));

    // One run's quantiles are its own parts.
    run({"--runs", "1", "--seed", "31", "--ticks", "6000", "--every", "250", "--selection-out",
         "q.csv"});
    run({"--seed", "31", "--ticks", "6000", "--every", "250", "--selection-out", "one.csv"});
    const CsvTable q = ParseCsv(ReadFile(folder.Work() / "q.csv"));
    const CsvTable one = ParseCsv(ReadFile(folder.Work() / "one.csv"));
    ASSERT_EQ(q.rows.size(), one.rows.size());
    for (std::size_t r = 0; r < q.rows.size(); ++r) {
        const bool followed = !one.At(r, "change").empty();
        EXPECT_EQ(q.At(r, "runs"), followed ? "1" : "0");
        for (const char* part : {"change", "selection", "mutation", "paid"})
            for (const char* quantile : {"_p10", "_median", "_p90"})
                EXPECT_EQ(q.At(r, std::string(part) + quantile), one.At(r, part)) << r;
    }

    const CsvTable six = ParseCsv(ReadFile(folder.Work() / "a.csv"));
    for (std::size_t r = 0; r < six.rows.size(); ++r) {
        EXPECT_LE(std::stoi(six.At(r, "runs")), 6);
        if (six.At(r, "runs") == "0") continue;
        EXPECT_LE(six.Number(r, "selection_p10"), six.Number(r, "selection_median"));
        EXPECT_LE(six.Number(r, "selection_median"), six.Number(r, "selection_p90"));
    }
}

} // namespace
} // namespace morvane::labtest
