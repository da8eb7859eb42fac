// --shard and morvane-lab merge: an ensemble split into parts that GNU parallel runs as jobs of
// their own, merged, is byte for byte the ensemble one process runs; shards that do not make
// one whole ensemble are refused, naming the files, and leave nothing behind.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "lab/command/lab_error.h"
#include "lab/shards/shard.h"
#include "lab_test_support.h"
#include "sim/byte_codec.h"

namespace morvane::labtest {
namespace {

// Releases of every button, one at the start, one between rows, one after the last tick.
const char* const Events = "0 left 100 200\n"
                           "0 right 50 60\n"
                           "777 left 248 214.5\n"
                           "1200 middle 5 5\n"
                           "1201 right 400 100\n"
                           "9000 left 10 10\n";

const std::vector<std::string> Request = {"--runs",   "9",          "--seed",  "11",
                                          "--ticks",  "2500",       "--every", "50",
                                          "--events", "events.txt", "--quiet"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The request with `option`'s value changed.
std::vector<std::string> Changed(std::vector<std::string> args, const std::string& option,
                                 const std::string& value)
{
    const auto at = std::find(args.begin(), args.end(), option);
    if (at == args.end() || at + 1 == args.end()) throw std::logic_error("no " + option);
    *(at + 1) = value;
    return args;
}

std::string Joined(const std::vector<std::string>& args)
{
    std::string joined;
    for (const std::string& arg : args) {
        joined += ' ';
        joined += Quote(arg);
    }
    return joined;
}

// Runs the request's K shards as GNU parallel's jobs, two at a time, into shard-I.smp.
void RunShardsWithParallel(const ScratchFolder& folder, const std::vector<std::string>& request,
                           int k)
{
    const std::string shard = std::to_string(k);
    const LabResult run = RunShell(
        folder, "seq 1 " + shard + " | timeout 300 parallel --will-cite --halt now,fail=1 -j 2 " +
                    Quote(MORVANE_LAB_PATH) + Joined(request) + " --shard {}/" + shard +
                    " --samples-out shard-{}.smp");
    ASSERT_EQ(run.status, 0) << run.err;
}

// shard-K.smp ... shard-1.smp: the merge takes them in any order.
std::vector<std::string> ShardFilesBackwards(int k)
{
    std::vector<std::string> files;
    for (int i = k; i >= 1; --i)
        files.push_back("shard-" + std::to_string(i) + ".smp");
    return files;
}

const std::vector<std::string> Outputs = {"summary.csv", "ensemble.csv", "samples.smp"};

std::vector<std::string> OutputOptions(const std::string& prefix)
{
    return {"--summary-out", prefix + "summary.csv", "--ensemble-out", prefix + "ensemble.csv",
            "--samples-out", prefix + "samples.smp", "--hash"};
}

LabResult Merge(const ScratchFolder& folder, const std::vector<std::string>& files,
                const std::vector<std::string>& outputs)
{
    return RunLabBinary(folder, With(With({"merge"}, files), outputs));
}

// Every output written under `prefix` is, byte for byte, the one-process run's.
void ExpectTheOneProcessOutputs(const ScratchFolder& folder, const std::string& prefix)
{
    for (const std::string& name : Outputs)
        EXPECT_TRUE(ReadFile(folder.Work() / (prefix + name)) ==
                    ReadFile(folder.Work() / ("one-" + name)))
            << prefix << name;
}

TEST(Shard, PartsHoldEveryRunOnceInSeedOrderAndDifferByAtMostOne)
{
    for (std::uint64_t runs = 1; runs <= 40; ++runs)
        for (std::uint64_t k = 1; k <= runs; ++k) {
            std::uint64_t next = 0, smallest = runs, largest = 0;
            for (std::uint64_t i = 1; i <= k; ++i) {
                const lab::RunRange part = lab::RunsOf({i, k}, runs);
                ASSERT_EQ(part.first, next) << i << "/" << k << " of " << runs;
                next = part.end;
                smallest = std::min(smallest, part.Count());
                largest = std::max(largest, part.Count());
            }
            EXPECT_EQ(next, runs);
            EXPECT_GE(smallest, 1u);
            EXPECT_LE(largest - smallest, 1u);
        }
    EXPECT_EQ(lab::ReadShard("3/7", 9), (lab::Shard{3, 7}));
    for (const char* bad : {"0/3", "4/3", "3", "1/0", "a/b", "1/10", "-1/3", "1/3/5", "/3"})
        EXPECT_THROW(lab::ReadShard(bad, 9), lab::LabError) << bad;
}

TEST(Shard, SplitByGnuParallelAndMergedEqualsOneProcess)
{
    ScratchFolder folder;
    folder.Write("events.txt", Events);
    const LabResult one = RunLabBinary(folder, With(Request, OutputOptions("one-")));
    ASSERT_EQ(one.status, 0) << one.err;
    ASSERT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 9);

    for (const int k : {1, 2, 3, 7}) {
        SCOPED_TRACE("K = " + std::to_string(k));
        RunShardsWithParallel(folder, Request, k);
        const LabResult merged = Merge(folder, ShardFilesBackwards(k), OutputOptions("merged-"));
        ASSERT_EQ(merged.status, 0) << merged.err;
        EXPECT_EQ(merged.out, one.out); // the runs' hashes, in seed order
        ExpectTheOneProcessOutputs(folder, "merged-");
        for (int i = 1; i <= k; ++i)
            fs::remove(folder.Work() / ("shard-" + std::to_string(i) + ".smp"));
    }

    // A merged samples file is a whole ensemble's, and merges again to the same outputs.
    const LabResult again = Merge(folder, {"one-samples.smp"}, OutputOptions("again-"));
    ASSERT_EQ(again.status, 0) << again.err;
    ExpectTheOneProcessOutputs(folder, "again-");
}

TEST(Shard, AForkOfAKeptWorldSplitAndMergedEqualsTheOneProcessFork)
{
    ScratchFolder folder;
    folder.Write("events.txt", Events);
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "1500", "--seed", "3", "--events", "events.txt",
                                    "--checkpoint-out", "kept.ckpt"})
                  .status,
              0);
    const std::vector<std::string> fork = {"--resume", "kept.ckpt",  "--runs", "5",       "--seed",
                                           "100",      "--ticks",    "1000",   "--every", "40",
                                           "--events", "events.txt", "--quiet"};
    ASSERT_EQ(RunLabBinary(folder, With(fork, OutputOptions("one-"))).status, 0);
    RunShardsWithParallel(folder, fork, 2);
    const LabResult merged = Merge(folder, ShardFilesBackwards(2), OutputOptions("merged-"));
    ASSERT_EQ(merged.status, 0) << merged.err;
    ExpectTheOneProcessOutputs(folder, "merged-");

    // The same fork of another kept world is another request, though every option is equal.
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "1500", "--seed", "4", "--events", "events.txt",
                                    "--checkpoint-out", "kept.ckpt"})
                  .status,
              0);
    ASSERT_EQ(
        RunLabBinary(folder, With(fork, {"--shard", "2/2", "--samples-out", "other-2.smp"})).status,
        0);
    const LabResult mixed = Merge(folder, {"shard-1.smp", "other-2.smp"}, {"--hash"});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_EQ(mixed.err, "morvane-lab: error: merge: shard-1.smp and other-2.smp are shards of "
                         "different requests (--resume files of different content)\n");
}

// The bytes of a samples file with its checksum made right again after `edit`.
void Rewrite(const fs::path& path, std::size_t offset, const std::string& bytes)
{
    std::string file = ReadFile(path);
    file.replace(offset, bytes.size(), bytes);
    file.resize(file.size() - 4);
    std::uint32_t crc = Crc32(file);
    for (int b = 0; b < 4; ++b, crc >>= 8)
        file.push_back(static_cast<char>(crc & 0xffu));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
}

TEST(Shard, MergeRefusesShardsThatAreNotOneWholeEnsembleAndLeavesNothing)
{
    ScratchFolder folder;
    folder.Write("events.txt", Events);
    const std::vector<std::string> request = Changed(Request, "--ticks", "400");
    RunShardsWithParallel(folder, request, 3);
    auto other = [&](const std::vector<std::string>& request, const std::string& name) {
        const LabResult run =
            RunLabBinary(folder, With(request, {"--shard", "2/3", "--samples-out", name}));
        ASSERT_EQ(run.status, 0) << run.err;
    };
    other(Changed(request, "--ticks", "500"), "ticks.smp");
    other(Changed(request, "--seed", "12"), "seed.smp");
    other(Changed(request, "--every", "25"), "every.smp");
    other(Changed(request, "--runs", "10"), "runs.smp");
    const std::string kept_events = ReadFile(folder.Work() / "events.txt");
    folder.Write("events.txt", std::string(kept_events).replace(0, 1, "1")); // same name
    other(request, "events.smp");
    folder.Write("events.txt", kept_events);
    // The program version's text, after the magic, the format version and its length: its
    // last character changed.
    fs::copy_file(folder.Work() / "shard-2.smp", folder.Work() / "version.smp");
    const std::string shard_2 = ReadFile(folder.Work() / "shard-2.smp");
    const std::size_t version_size = static_cast<unsigned char>(shard_2[12]);
    const std::string version = shard_2.substr(14, version_size);
    const std::string other_version = version.substr(0, version_size - 1) + "~";
    Rewrite(folder.Work() / "version.smp", 14, other_version);
    fs::copy_file(folder.Work() / "shard-2.smp", folder.Work() / "newer.smp");
    Rewrite(folder.Work() / "newer.smp", 8, std::string("\x03\0\0\0", 4));
    std::string damaged = ReadFile(folder.Work() / "shard-2.smp");
    damaged[damaged.size() / 2] ^= 0x10;
    folder.Write("damaged.smp", damaged);
    folder.Write("short.smp", ReadFile(folder.Work() / "shard-2.smp").substr(0, 300));
    const std::set<std::string> before = folder.Names();

    const std::map<std::vector<std::string>, std::string> refusals = {
        {{"shard-1.smp", "shard-3.smp"},
         "merge: the runs of seeds 14 to 16 are in none of the 2 files given (missing: shard "
         "2/3)"},
        {{"shard-1.smp", "shard-2.smp"},
         "merge: the runs of seeds 17 to 19 are in none of the 2 files given (missing: shard "
         "3/3)"},
        {{"shard-3.smp", "shard-2.smp", "shard-1.smp", "shard-2.smp"},
         "merge: shard-2.smp is given twice"},
        {{"shard-1.smp", "shard-2.smp", "shard-3.smp", "./shard-3.smp"},
         "merge: ./shard-3.smp is given twice"},
        {{"shard-2.smp"},
         "merge: the runs of seeds 11 to 13 and 17 to 19 are in none of the 1 file given "
         "(missing: shards 1/3 and 3/3)"},
        {{"shard-1.smp", "shard-2.smp", "shard-3.smp", "one-of-all.smp"},
         "merge: one-of-all.smp: cannot be opened for reading"},
        {{"shard-1.smp", "ticks.smp", "shard-3.smp"},
         "merge: shard-1.smp and ticks.smp are shards of different requests (--ticks 400 and "
         "500)"},
        {{"shard-1.smp", "seed.smp", "shard-3.smp"},
         "merge: shard-1.smp and seed.smp are shards of different requests (--seed 11 and 12)"},
        {{"shard-1.smp", "every.smp", "shard-3.smp"},
         "merge: shard-1.smp and every.smp are shards of different requests (--every 50 and "
         "25)"},
        {{"shard-1.smp", "runs.smp", "shard-3.smp"},
         "merge: shard-1.smp and runs.smp are shards of different requests (--runs 9 and 10)"},
        {{"shard-1.smp", "events.smp", "shard-3.smp"},
         "merge: shard-1.smp and events.smp are shards of different requests (--events files "
         "of different content)"},
        {{"shard-1.smp", "version.smp", "shard-3.smp"},
         "merge: shard-1.smp and version.smp were written by different versions of morvane-lab "
         "(" +
             version + " and " + other_version + ")"},
        {{"shard-1.smp", "newer.smp", "shard-3.smp"},
         "merge: newer.smp: format version 3 is newer than this program reads (2)"},
        {{"shard-1.smp", "damaged.smp", "shard-3.smp"}, "merge: damaged.smp: corrupt (checksum)"},
        {{"shard-1.smp", "short.smp", "shard-3.smp"}, "merge: short.smp: corrupt (checksum)"},
        {{"shard-1.smp", "events.txt"}, "merge: events.txt: not a samples file"},
        {{"shard-1.smp", "shard-2.smp", "shard-3.smp", "--samples-out", "shard-2.smp"},
         "merge: a file to merge and --samples-out both name shard-2.smp"},
        {{"shard-1.smp", "--plot", "e.png"},
         "--plot is no longer a figure the lab draws: draw it with python3 -m morvane.figures run "
         "(from --stats-out) or ensemble (from --ensemble-out)"},
        {{"shard-1.smp", "--selection-out"},
         "merge: --selection-out cannot be made from samples files (merge makes --summary-out, "
         "--ensemble-out, --samples-out, --sweep-out and --hash)"},
        {{}, "merge: no samples files given (see morvane-lab merge --help)"},
    };
    for (const auto& [args, message] : refusals) {
        const LabResult run =
            Merge(folder, args, {"--summary-out", "s.csv", "--ensemble-out", "e.csv", "--hash"});
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.err, "morvane-lab: error: " + message + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(folder.Names(), before) << message;
    }
}

TEST(Shard, AShardWritesOnlyItsSamplesAndTheHashesOfItsRuns)
{
    ScratchFolder folder;
    folder.Write("events.txt", Events);
    const std::map<std::vector<std::string>, std::string> refusals = {
        {{"--shard", "1/3"},
         "--shard needs --samples-out, the file its runs go to for "
         "morvane-lab merge"},
        {{"--shard", "1/3", "--samples-out", "s.smp", "--ensemble-out", "e.csv"},
         "--ensemble-out describes the whole ensemble: with --shard, write --samples-out and "
         "make it from the shards with morvane-lab merge"},
        {{"--shard", "1/3", "--samples-out", "s.smp", "--selection-out", "q.csv"},
         "--selection-out follows every run event by event, which a shard's samples do not keep: "
         "ask for it from one process running all the runs"},
        {{"--shard", "10/10", "--samples-out", "s.smp"},
         "--shard 10/10: K '10' is too large (expected a whole number from 1 to 9)"},
    };
    for (const auto& [args, message] : refusals) {
        const LabResult run = RunLabBinary(folder, With(Request, args));
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.err, "morvane-lab: error: " + message + "\n");
    }
    const LabResult alone = RunLabBinary(folder, {"--ticks", "5", "--shard", "1/2"});
    EXPECT_EQ(alone.err,
              "morvane-lab: error: --shard needs --runs or a sweep, the runs it takes a part of\n");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"events.txt"});

    const LabResult whole =
        RunLabBinary(folder, With(Request, {"--samples-out", "whole.smp", "--hash"}));
    ASSERT_EQ(whole.status, 0) << whole.err;
    const LabResult part =
        RunLabBinary(folder, With(Request, {"--shard", "2/3", "--samples-out", "s.smp", "--hash"}));
    ASSERT_EQ(part.status, 0) << part.err;
    // Runs 4 to 6 of 9: the lines of seeds 14 to 16.
    std::istringstream lines(whole.out);
    std::string expected, line;
    for (int k = 0; std::getline(lines, line); ++k)
        if (k >= 3 && k < 6) expected += line + "\n";
    EXPECT_EQ(part.out, expected);
    EXPECT_EQ(part.out.substr(0, 3), "14 ");
}

// A shard may read its events from a pipe, read once: its samples record what came through
// it, so shards fed the same events merge to the one-process outputs and shards fed other
// events are told apart, though every name is the same.
TEST(Shard, EventsReadFromAPipeAreRecordedAsTheyCame)
{
    ScratchFolder folder;
    folder.Write("events.txt", Events);
    folder.Write("other.txt", "0 right 300 300\n");
    const std::vector<std::string> request = Changed(Request, "--ticks", "600");
    ASSERT_EQ(RunLabBinary(folder, With(request, OutputOptions("one-"))).status, 0);
    auto through_pipe = [&](const std::string& events, const std::string& shard) {
        const std::vector<std::string> piped = Changed(request, "--events", "events.pipe");
        const LabResult run =
            RunShell(folder, "rm -f events.pipe && mkfifo events.pipe && (cat " + events +
                                 " > events.pipe &) && timeout 60 " + Quote(MORVANE_LAB_PATH) +
                                 Joined(piped) + " --shard " + shard + "/2 --samples-out shard-" +
                                 shard + ".smp");
        ASSERT_EQ(run.status, 0) << run.err;
    };
    through_pipe("events.txt", "1");
    through_pipe("events.txt", "2");
    const LabResult merged = Merge(folder, ShardFilesBackwards(2), OutputOptions("merged-"));
    ASSERT_EQ(merged.status, 0) << merged.err;
    ExpectTheOneProcessOutputs(folder, "merged-");

    through_pipe("other.txt", "2");
    const LabResult mixed = Merge(folder, ShardFilesBackwards(2), {"--hash"});
    EXPECT_EQ(mixed.status, 2);
    EXPECT_EQ(mixed.err, "morvane-lab: error: merge: shard-2.smp and shard-1.smp are shards of "
                         "different requests (--events files of different content)\n");
}

} // namespace
} // namespace morvane::labtest
