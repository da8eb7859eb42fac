// A sweep, or an ensemble under other rules, split by --shard and merged: the parts of every
// point's runs, cut anywhere, merge to the bytes one process writes, and parts of other rules
// or other points are told apart. Their samples files keep each point's rules.
#include <gtest/gtest.h>

#include <set>

#include "lab/shards/samples_file.h"
#include "lab_test_support.h"
#include "sim/bit_cast.h"
#include "sim/byte_codec.h"
#include "sim/rule_book.h"

namespace morvane::labtest {
namespace {

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

const std::vector<std::string> Files = {"sweep.csv", "ensemble.csv", "summary.csv", "samples.smp"};

std::vector<std::string> OutputOptions(const std::string& prefix, bool sweep = true)
{
    std::vector<std::string> options{
        "--ensemble-out", prefix + "ensemble.csv", "--summary-out", prefix + "summary.csv",
        "--samples-out",  prefix + "samples.smp",  "--hash"};
    if (sweep) options.insert(options.end(), {"--sweep-out", prefix + "sweep.csv"});
    return options;
}

// Runs the request whole as one-*, then for each K in K parts merged as merged-*, and holds
// each output and the printed hashes of the merge to the whole's; the parts' hashes together
// are the whole's too, in order.
void ExpectPartsMergeToTheWhole(const ScratchFolder& folder,
                                const std::vector<std::string>& request,
                                const std::vector<int>& splits, bool sweep = true)
{
    const LabResult one = RunLabBinary(folder, With(request, OutputOptions("one-", sweep)));
    ASSERT_EQ(one.status, 0) << one.err;
    for (const int k : splits) {
        SCOPED_TRACE("K = " + std::to_string(k));
        std::vector<std::string> parts;
        std::string part_hashes;
        for (int i = k; i >= 1; --i) { // made, and merged, backwards
            const std::string name = "part-" + std::to_string(i) + ".smp";
            const std::string shard = std::to_string(i) + "/" + std::to_string(k);
            const LabResult part = RunLabBinary(
                folder, With(request, {"--shard", shard, "--samples-out", name, "--hash"}));
            ASSERT_EQ(part.status, 0) << part.err;
            part_hashes = part.out + part_hashes;
            parts.push_back(name);
        }
        EXPECT_EQ(part_hashes, one.out);
        const LabResult merged =
            RunLabBinary(folder, With(With({"merge"}, parts), OutputOptions("merged-", sweep)));
        ASSERT_EQ(merged.status, 0) << merged.err;
        EXPECT_EQ(merged.out, one.out);
        for (const std::string& name : Files) {
            if (!sweep && name == "sweep.csv") continue;
            const std::string whole = ReadFile(folder.Work() / ("one-" + name));
            EXPECT_FALSE(whole.empty()) << name;
            EXPECT_TRUE(ReadFile(folder.Work() / ("merged-" + name)) == whole) << name;
            fs::remove(folder.Work() / ("merged-" + name)); // none is left for the next split
        }
        for (const std::string& part : parts)
            fs::remove(folder.Work() / part);
    }
}

// The format version a samples file names, after its magic.
int FormatVersion(const fs::path& path) { return ReadFile(path).at(8); }

TEST(SweepShards, PartsCutAnywhereAcrossThePointsMergeToTheOneProcessBytes)
{
    ScratchFolder folder;
    const std::vector<std::string> grid{"--vary",  "speed-mutation=0,0.5,1",
                                        "--runs",  "3",
                                        "--seed",  "4",
                                        "--ticks", "1200",
                                        "--every", "200",
                                        "--rule",  "upkeep=2",
                                        "--quiet"};
    // 9 runs: whole points, parts that cut a point, a part a run.
    ExpectPartsMergeToTheWhole(folder, grid, {1, 3, 4, 9});
    EXPECT_EQ(FormatVersion(folder.Work() / "one-samples.smp"), 2);

    // A merged sweep's samples are a whole sweep's, and merge again to the same outputs.
    const LabResult again =
        RunLabBinary(folder, With({"merge", "one-samples.smp"}, OutputOptions("again-")));
    ASSERT_EQ(again.status, 0) << again.err;
    for (const std::string& name : Files)
        EXPECT_TRUE(ReadFile(folder.Work() / ("again-" + name)) ==
                    ReadFile(folder.Work() / ("one-" + name)))
            << name;

    // A design's points, under rules from a file as well.
    folder.Write("design.csv", "birth-cost,glances\n300,4\n250,11\n400,0\n");
    folder.Write("rules.txt", "plant-energy = 4\n");
    const std::vector<std::string> design{"--design", "design.csv", "--rules", "rules.txt",
                                          "--runs",   "2",          "--ticks", "900",
                                          "--every",  "300",        "--quiet"};
    ExpectPartsMergeToTheWhole(folder, design, {5});
    const CsvTable sweep = ParseCsv(ReadFile(folder.Work() / "one-sweep.csv"));
    ASSERT_EQ(sweep.rows.size(), 6u);
    EXPECT_EQ(sweep.At(4, "birth_cost"), "400");
    EXPECT_EQ(sweep.At(4, "glances"), "0");
    EXPECT_EQ(sweep.At(4, "plant_energy"), "4");
}

TEST(SweepShards, AnEnsembleKeepsItsRulesInItsSamplesAndTheWindowsTheFirstFormat)
{
    ScratchFolder folder;
    const std::vector<std::string> ensemble{
        "--runs", "5",      "--seed",         "20",     "--ticks", "1000", "--every",
        "250",    "--rule", "birth-cost=400", "--quiet"};
    ExpectPartsMergeToTheWhole(folder, ensemble, {3}, false);
    EXPECT_EQ(FormatVersion(folder.Work() / "one-samples.smp"), 2);
    // Under the window's rules, every ensemble's samples are what they were before rules.
    ASSERT_EQ(
        RunLabBinary(folder, {"--runs", "2", "--ticks", "100", "--samples-out", "w.smp", "--quiet"})
            .status,
        0);
    EXPECT_EQ(FormatVersion(folder.Work() / "w.smp"), 1);
}

TEST(SweepShards, MergeRefusesPartsOfOtherRulesOrPointsAndLeavesNothing)
{
    ScratchFolder folder;
    const auto part = [&](const std::vector<std::string>& request, const std::string& shard,
                          const std::string& name) {
        const LabResult run =
            RunLabBinary(folder, With(With({"--ticks", "200", "--quiet"}, request),
                                      {"--shard", shard, "--samples-out", name}));
        ASSERT_EQ(run.status, 0) << run.err;
    };
    const std::vector<std::string> sweep{
        "--vary", "speed-mutation=0,0.5,1", "--runs", "3", "--seed", "4"};
    for (const char* shard : {"1/4", "3/4", "4/4"})
        part(sweep, shard, std::string("s") + shard[0] + ".smp");
    part(sweep, "1/2", "half-1.smp");
    part({"--vary", "speed-mutation=0,0.25,1", "--runs", "3", "--seed", "4"}, "2/4", "other.smp");
    part({"--vary", "speed-mutation=0,0.5", "--runs", "3", "--seed", "4"}, "2/4", "fewer.smp");
    part({"--runs", "2", "--rule", "birth-cost=300"}, "1/2", "r1.smp");
    part({"--runs", "2", "--rule", "birth-cost=400"}, "2/2", "r2.smp");
    part({"--runs", "2"}, "2/2", "w2.smp");
    part({"--runs", "2", "--vary", "birth-cost=250"}, "2/2", "one-point.smp");
    const std::set<std::string> before = folder.Names();

    const std::vector<std::pair<std::vector<std::string>, std::string>> refusals{
        {{"s1.smp", "s3.smp", "s4.smp"},
         "merge: the runs of point 0, seed 6 to point 1, seed 4 are in none of the 3 files given "
         "(missing: shard 2/4)"},
        {{"s1.smp", "s3.smp"},
         "merge: the runs of point 0, seed 6 to point 1, seed 4 and point 2, seeds 4 to 6 are in "
         "none of the 2 files given (missing: shards 2/4 and 4/4)"},
        {{"half-1.smp", "s1.smp", "s3.smp", "s4.smp"},
         "merge: half-1.smp and s1.smp both hold the runs of point 0, seeds 4 to 5"},
        {{"s1.smp", "other.smp", "s3.smp", "s4.smp"},
         "merge: s1.smp and other.smp are shards of different requests (point 1's rule "
         "speed-mutation 0.5 and 0.25)"},
        {{"s1.smp", "fewer.smp", "s3.smp", "s4.smp"},
         "merge: s1.smp and fewer.smp are shards of different requests (sweeps of 3 and 2 "
         "points)"},
        {{"r1.smp", "r2.smp"},
         "merge: r1.smp and r2.smp are shards of different requests (rule birth-cost 300 and "
         "400)"},
        {{"r1.smp", "w2.smp"},
         "merge: r1.smp and w2.smp are shards of different requests (rule birth-cost 300 and "
         "250)"},
        {{"w2.smp", "one-point.smp"},
         "merge: w2.smp and one-point.smp are shards of different requests (an ensemble and a "
         "sweep)"},
        {{"r1.smp", "--sweep-out", "out.csv"},
         "merge: --sweep-out describes a sweep, and r1.smp holds the runs of an ensemble (no "
         "--vary or --design)"},
    };
    for (const auto& [args, message] : refusals) {
        const LabResult run = RunLabBinary(folder, With(With({"merge"}, args), {"--hash"}));
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.err, "morvane-lab: error: " + message + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(folder.Names(), before) << message;
    }
}

// A sweep's samples as the writer makes them: three points varying speed-mutation, the rest
// of their rules the same and not the window's.
lab::ShardSamples SweepSamples()
{
    lab::ShardSamples s;
    s.identity.program_version = "1.0.0.0";
    s.identity.to = 40;
    s.identity.every = 20;
    s.identity.first_seed = 7;
    s.identity.runs = 2;
    s.identity.swept = true;
    Rules rules;
    rules.upkeep = 2;
    s.identity.point_rules.clear();
    for (const double h : {0.4375, 0.375, 0.25}) {
        rules.speed_mutation = h;
        s.identity.point_rules.push_back(rules);
    }
    s.shard = {2, 2};
    s.runs = lab::RunsOf(s.shard, s.identity.AllRuns());
    for (std::uint64_t k = s.runs.first; k < s.runs.end; ++k) {
        lab::RunRecord record;
        record.seed = 7 + k % 2;
        record.ticks = 40;
        record.final_census.living = 4;
        record.final_census.speed.mean = 0.4;
        record.totals.tally.died_exhausted = static_cast<std::int64_t>(k);
        record.samples.assign(3, {4, 30, 0.4, 0.5});
        s.records.push_back(record);
    }
    return s;
}

std::string Written(const lab::ShardSamples& s)
{
    const std::vector<lab::EnsembleRow> rows;
    return lab::WriteSamples(lab::FinishedEnsemble{s.records, rows, s.identity, s.runs, s.shard});
}

// The samples with their last four bytes made their checksum again.
std::string Resealed(std::string bytes)
{
    bytes.resize(bytes.size() - 4);
    std::uint32_t crc = Crc32(bytes);
    for (int k = 0; k < 4; ++k, crc >>= 8)
        bytes.push_back(static_cast<char>(crc & 0xffu));
    return bytes;
}

// The samples with every copy of `from`'s bits made `to`'s (or only the last copy), resealed.
std::string Swapped(std::string bytes, double from, double to, bool last_only = false)
{
    const auto bits = [](double value) {
        std::string text(8, '\0');
        const auto pattern = BitCast<std::uint64_t>(value);
        for (int k = 0; k < 8; ++k)
            text[k] = static_cast<char>((pattern >> (8 * k)) & 0xff);
        return text;
    };
    const std::string was = bits(from), now = bits(to);
    std::size_t found = 0;
    for (std::size_t at = bytes.size(); (at = bytes.rfind(was, at)) != std::string::npos; --at) {
        bytes.replace(at, 8, now);
        if (++found == 1 && last_only) break;
        if (at == 0) break;
    }
    if (found == 0) throw std::logic_error("no such value in the samples");
    return Resealed(bytes);
}

std::string Refusal(const std::string& bytes)
{
    try {
        lab::ReadSamples(bytes);
    } catch (const lab::SamplesError& e) {
        return e.what();
    }
    return "read";
}

TEST(SweepShards, ASweepsSamplesKeepEachPointsRulesAndEachRunsPlace)
{
    const lab::ShardSamples written = SweepSamples();
    const std::string bytes = Written(written);
    const lab::ShardSamples read = lab::ReadSamples(bytes);
    EXPECT_TRUE(read.identity == written.identity);
    ASSERT_EQ(read.records.size(), 3u); // runs 3..5: point 1's second, point 2's both
    EXPECT_EQ(read.records[0].point, 1u);
    EXPECT_EQ(read.records[0].run, 1u);
    EXPECT_EQ(read.records[0].rules.speed_mutation, 0.375);
    EXPECT_EQ(read.records[2].point, 2u);
    EXPECT_EQ(read.records[2].seed, 8u);
    EXPECT_EQ(read.records[2].rules.upkeep, 2);
    EXPECT_EQ(read.records[2].totals.tally.died_exhausted, 5);
    EXPECT_EQ(Written(read), bytes);

    // Values no writer keeps: a point out of a rule's range, a rule said to vary that does
    // not, a first point other than the rules kept in full, a rule of no name, -0 (which would
    // be read as 0 and written back otherwise).
    EXPECT_EQ(Refusal(Swapped(bytes, 0.25, 0.125)), "read");
    EXPECT_EQ(Refusal(Swapped(bytes, 0.375, 2000)),
              "corrupt (rule speed-mutation: 2000 is out of its range, 0 to 1000)");
    EXPECT_EQ(Refusal(Swapped(Swapped(bytes, 0.375, 0.4375), 0.25, 0.4375)),
              "corrupt (the sweep's rules)");
    EXPECT_EQ(Refusal(Swapped(bytes, 0.4375, 0.3125, true)), "corrupt (the sweep's rules)");
    std::string unnamed = bytes;
    unnamed.replace(unnamed.rfind("speed-mutation"), 5, "speeD");
    EXPECT_EQ(Refusal(Resealed(unnamed)), "corrupt (the sweep's rules)");
    // Every rule once, but two of them the other way round.
    std::string reordered = bytes;
    const std::size_t speed = reordered.find("\x0espeed-mutation"), speed_size = 1 + 14 + 8;
    const std::string turn = reordered.substr(speed + speed_size, 1 + 13 + 8);
    ASSERT_EQ(turn.substr(1, 13), "turn-mutation");
    reordered.replace(speed, speed_size + turn.size(), turn + reordered.substr(speed, speed_size));
    EXPECT_EQ(Refusal(Resealed(reordered)), "corrupt (a rule's name)");
    EXPECT_EQ(Refusal(Swapped(bytes, 0.25, -0.0)), "corrupt (a rule's value)");

    // One point of the window's rules, not a sweep, is what the first format keeps.
    lab::ShardSamples window = SweepSamples();
    window.identity.swept = false;
    window.identity.point_rules = {WindowRules};
    window.shard = {1, 1};
    window.runs = {0, 2};
    window.records.resize(2);
    window.records[0].seed = 7;
    window.records[1].seed = 8;
    for (lab::RunRecord& record : window.records)
        record.totals.tally = {};
    const std::string first_format = Written(window);
    EXPECT_EQ(first_format.at(8), 1);
    EXPECT_EQ(Written(lab::ReadSamples(first_format)), first_format);
    // The same runs under other rules need the second, whose rules made the window's again
    // are what no writer writes.
    window.identity.point_rules.front().upkeep = 2;
    const std::string second_format = Written(window);
    EXPECT_EQ(second_format.at(8), 2);
    EXPECT_EQ(Refusal(Swapped(second_format, 2, 1)),
              "corrupt (an ensemble under the window's rules in format version 2)");
}

} // namespace
} // namespace morvane::labtest
