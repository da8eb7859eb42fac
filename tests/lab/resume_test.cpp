// A world kept and resumed is the world that never stopped: every output of a run cut
// anywhere, or in ten pieces, is the straight run's. A fork goes on from one past with other
// chance. A run stopped by a signal leaves nothing behind but the checkpoint it was asked for.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include <nlohmann/json.hpp>

#include "lab_test_support.h"

namespace morvane::labtest {
namespace {

constexpr std::uint64_t Ticks = 6000; // past the graph's wrap at 4960
constexpr std::uint64_t Every = 100;

// Releases at the start, at a split point, on both sides of the wrap and after the last tick.
const char* const Events = "0 left 100 200\n"
                           "0 right 50.5 60\n"
                           "3000 left 248 214.5\n"
                           "3000 right 400 100\n"
                           "4960 left 10 10\n"
                           "4961 middle 5 5\n"
                           "6000 left 300 300\n";

struct Variant {
    const char* name;
    std::vector<std::string> args; // the seed and events options
};

const std::vector<Variant>& Variants()
{
    static const std::vector<Variant> variants{
        {"the window's own state", {}},
        {"a seed and an events file", {"--seed", "77", "--events", "ev.txt"}},
    };
    return variants;
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

void ExpectRan(const LabResult& result) { EXPECT_EQ(result.status, 0) << result.err; }

// The rows of a --stats-out file that fall on multiples of K: a run's own last row, at the
// split, is the one row a straight run does not have.
std::string RowsOnMultiples(const std::string& csv)
{
    std::istringstream lines(csv);
    std::string kept, line;
    std::getline(lines, line);
    while (std::getline(lines, line))
        if (std::stoull(line.substr(0, line.find(','))) % Every == 0) kept += line + "\n";
    return kept;
}

std::string Body(const std::string& csv) { return csv.substr(csv.find('\n') + 1); }

// Two files' contents compared, a difference shown by its first differing line alone.
void ExpectSameText(const std::string& actual, const std::string& expected, const char* what)
{
    if (actual == expected) return;
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const std::size_t line = actual.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = line == std::string::npos ? 0 : line + 1;
    ADD_FAILURE() << what << " differs from byte " << at << ": got '"
                  << actual.substr(from, actual.find('\n', from) - from) << "', expected '"
                  << expected.substr(from, expected.find('\n', from) - from) << "'";
}

// The straight run's outputs, against which every split run is held.
struct Straight {
    std::string state, space, graph, counts, stats, hash;
};

Straight RunStraight(const ScratchFolder& folder, const Variant& variant)
{
    ExpectRan(RunLabBinary(
        folder, With({"--quiet", "--ticks", std::to_string(Ticks), "--state-out", "s.json", "--png",
                      "p", "--counts-out", "c.csv", "--stats-out", "st.csv", "--hash"},
                     variant.args)));
    const fs::path w = folder.Work();
    return {ReadFile(w / "s.json"),      ReadFile(w / "p-space.png"),
            ReadFile(w / "p-graph.png"), ReadFile(w / "c.csv"),
            ReadFile(w / "st.csv"),      ReadFile(folder.Root() / "stdout.txt")};
}

TEST(Resume, ARunSplitAnywhereAndResumedEqualsTheStraightRun)
{
    const std::vector<std::uint64_t> splits{0,    1,    99,   100,  2999, 3000,
                                            3001, 4959, 4960, 4961, 5999, 6000};
    for (const Variant& variant : Variants()) {
        SCOPED_TRACE(variant.name);
        ScratchFolder folder;
        folder.Write("ev.txt", Events);
        const Straight straight = RunStraight(folder, variant);
        for (std::uint64_t split : splits) {
            SCOPED_TRACE("split after " + std::to_string(split) + " ticks");
            ExpectRan(RunLabBinary(
                folder, With({"--quiet", "--ticks", std::to_string(split), "--checkpoint-out",
                              "k.ckpt", "--counts-out", "c1.csv", "--stats-out", "st1.csv"},
                             variant.args)));
            // The seed is the kept random source's own: a resumed run names only the events.
            std::vector<std::string> events;
            if (!variant.args.empty()) events = {"--events", "ev.txt"};
            ExpectRan(RunLabBinary(
                folder, With({"--quiet", "--resume", "k.ckpt", "--ticks",
                              std::to_string(Ticks - split), "--state-out", "s2.json", "--png",
                              "p2", "--counts-out", "c2.csv", "--stats-out", "st2.csv", "--hash"},
                             events)));
            const fs::path w = folder.Work();
            ExpectSameText(ReadFile(w / "s2.json"), straight.state, "the state dump");
            EXPECT_TRUE(ReadFile(w / "p2-space.png") == straight.space) << "the world canvas";
            EXPECT_TRUE(ReadFile(w / "p2-graph.png") == straight.graph) << "the graph canvas";
            ExpectSameText(ReadFile(folder.Root() / "stdout.txt"), straight.hash, "the hash");
            ExpectSameText(ReadFile(w / "c1.csv") + Body(ReadFile(w / "c2.csv")), straight.counts,
                           "the counts joined");
            ExpectSameText(RowsOnMultiples(ReadFile(w / "st1.csv")) + Body(ReadFile(w / "st2.csv")),
                           Body(straight.stats), "the statistics joined");
        }
    }
}

TEST(Resume, TenSegmentsEachResumingTheLastCheckpointEqualTheStraightRun)
{
    const Variant& variant = Variants()[1];
    ScratchFolder folder;
    folder.Write("ev.txt", Events);
    const Straight straight = RunStraight(folder, variant);
    const std::vector<std::uint64_t> lengths{0, 1, 599, 1400, 1000, 960, 1, 1039, 500, 500};
    std::string counts = "tick,animals,plants\n", stats;
    for (std::size_t k = 0; k < lengths.size(); ++k) {
        SCOPED_TRACE("segment " + std::to_string(k + 1));
        // Each piece keeps its end in the very file it resumed.
        std::vector<std::string> args{"--quiet",
                                      "--ticks",
                                      std::to_string(lengths[k]),
                                      "--checkpoint-out",
                                      "k.ckpt",
                                      "--counts-out",
                                      "c.csv",
                                      "--stats-out",
                                      "st.csv"};
        args = k == 0 ? With(args, variant.args)
                      : With(args, {"--resume", "k.ckpt", "--events", "ev.txt"});
        if (k + 1 == lengths.size()) args = With(args, {"--state-out", "s.json", "--hash"});
        ExpectRan(RunLabBinary(folder, args));
        counts += Body(ReadFile(folder.Work() / "c.csv"));
        const std::string piece = ReadFile(folder.Work() / "st.csv");
        stats += k + 1 == lengths.size() ? Body(piece) : RowsOnMultiples(piece);
    }
    ExpectSameText(ReadFile(folder.Work() / "s.json"), straight.state, "the state dump");
    ExpectSameText(ReadFile(folder.Root() / "stdout.txt"), straight.hash, "the hash");
    ExpectSameText(counts, straight.counts, "the counts joined");
    ExpectSameText(stats, Body(straight.stats), "the statistics joined");
}

TEST(Resume, AForkGoesOnFromOnePastWithEachRunsOwnChanceWhateverTheThreads)
{
    ScratchFolder folder;
    folder.Write("ev.txt", Events);
    ExpectRan(RunLabBinary(folder, {"--quiet", "--ticks", "2500", "--events", "ev.txt",
                                    "--checkpoint-out", "k.ckpt"}));
    std::string first_hashes;
    for (const char* threads : {"1", "3"}) {
        ExpectRan(RunLabBinary(folder,
                               {"--quiet", "--resume", "k.ckpt", "--events", "ev.txt", "--runs",
                                "4", "--seed", "10", "--ticks", "3500", "--threads", threads,
                                "--summary-out", std::string("su") + threads + ".csv",
                                "--ensemble-out", std::string("en") + threads + ".csv", "--hash"}));
        const std::string hashes = ReadFile(folder.Root() / "stdout.txt");
        if (first_hashes.empty()) first_hashes = hashes;
        EXPECT_EQ(hashes, first_hashes);
    }
    EXPECT_EQ(ReadFile(folder.Work() / "su1.csv"), ReadFile(folder.Work() / "su3.csv"));
    EXPECT_EQ(ReadFile(folder.Work() / "en1.csv"), ReadFile(folder.Work() / "en3.csv"));

    // Run r is the single world resumed with seed 10 + r: the same past, its own future.
    std::istringstream lines(first_hashes);
    std::set<std::string> distinct;
    for (int r = 0; r < 4; ++r) {
        std::string seed, hash;
        lines >> seed >> hash;
        EXPECT_EQ(seed, std::to_string(10 + r));
        ExpectRan(RunLabBinary(folder, {"--quiet", "--resume", "k.ckpt", "--events", "ev.txt",
                                        "--seed", seed, "--ticks", "3500", "--hash"}));
        EXPECT_EQ(ReadFile(folder.Root() / "stdout.txt"), hash + "\n") << "run " << r;
        distinct.insert(hash);
    }
    EXPECT_EQ(distinct.size(), 4u) << "each run draws its own chance";

    // The ensemble's rows and records count ticks from the world's creation.
    const CsvTable summary = ParseCsv(ReadFile(folder.Work() / "su1.csv"));
    EXPECT_EQ(summary.At(0, "ticks"), "6000");
    const CsvTable rows = ParseCsv(ReadFile(folder.Work() / "en1.csv"));
    ASSERT_EQ(rows.rows.size(), 35u);
    EXPECT_EQ(rows.At(0, "tick"), "2600");
    EXPECT_EQ(rows.At(34, "tick"), "6000");
}

TEST(Resume, BadCheckpointsAreRefusedInOneLineAndNothingIsWritten)
{
    ScratchFolder folder;
    ExpectRan(RunLabBinary(folder, {"--quiet", "--ticks", "150", "--checkpoint-out", "k.ckpt"}));
    const std::string good = ReadFile(folder.Work() / "k.ckpt");
    folder.Write("short.ckpt", good.substr(0, good.size() / 2));
    std::string flipped = good;
    flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 1);
    folder.Write("flipped.ckpt", flipped);
    folder.Write("notes.txt", "a world, kept\n");
    fs::create_directory(folder.Work() / "folder");
    const std::set<std::string> before = folder.Names();

    // Each asks for a file too, which must not appear.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--resume", "missing.ckpt"}, "--resume missing.ckpt: cannot be opened for reading"},
        {{"--resume", "folder"}, "--resume folder is a folder, not a file"},
        {{"--resume", "notes.txt"}, "--resume notes.txt: not a checkpoint"},
        {{"--resume", "short.ckpt"}, "--resume short.ckpt: truncated"},
        {{"--resume", "flipped.ckpt"}, "--resume flipped.ckpt: corrupt (checksum)"},
        {{"--resume", "k.ckpt", "--runs", "3", "--summary-out", "su.csv"},
         "--resume with --runs forks the kept world"},
        {{"--resume", "k.ckpt", "--ticks", "18446744073709551600"},
         "--ticks 18446744073709551600 from the 150 ticks of k.ckpt would run beyond"},
        {{"--resume", "k.ckpt", "--state-out", "k.ckpt"}, "--resume and --state-out both name"},
        {{"--checkpoint-every", "10"}, "--checkpoint-every needs --checkpoint-out"},
        // Its births and deaths were counted from tick 100, the last row of 100 ticks; rows
        // of 70 had theirs at 140.
        {{"--resume", "k.ckpt", "--stats-out", "st.csv", "--every", "70"},
         "--every 70: k.ckpt counts births and deaths from tick 100, but rows every 70 ticks "
         "had their last at tick 140"},
    };
    for (const auto& [args, fault] : cases) {
        std::vector<std::string> full{"--quiet"};
        full = With(full, args);
        if (std::find(args.begin(), args.end(), "--ticks") == args.end())
            full = With(full, {"--ticks", "5"});
        if (std::find(args.begin(), args.end(), "--runs") == args.end())
            full = With(full, {"--counts-out", "out.csv"});
        SCOPED_TRACE(fault);
        const LabResult result = RunLabBinary(folder, full);
        EXPECT_EQ(result.status, 2);
        ASSERT_EQ(result.ErrLines().size(), 1u) << result.err;
        EXPECT_EQ(result.ErrLines()[0].rfind("morvane-lab: error: " + fault, 0), 0u)
            << result.ErrLines()[0];
        EXPECT_EQ(folder.Names(), before);
    }
}

// morvane-lab started in the folder, its stdout and stderr kept beside it.
pid_t StartLab(const ScratchFolder& folder, const std::vector<std::string>& args)
{
    const std::string out = (folder.Root() / "stdout.txt").string();
    const std::string err = (folder.Root() / "stderr.txt").string();
    const std::string work = folder.Work().string();
    std::vector<std::string> words{MORVANE_LAB_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 || chdir(work.c_str()) != 0)
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits until a name starting with `prefix` appears in the folder (an output's temporary,
// opened once the signals are caught and just before the first tick), then a little longer.
void AwaitTicking(const ScratchFolder& folder, const std::string& prefix)
{
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        for (const std::string& name : folder.Names())
            if (name.rfind(prefix, 0) == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                return;
            }
        ASSERT_LT(std::chrono::steady_clock::now(), give_up) << "the run never began";
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int ExitStatusOf(pid_t pid)
{
    int raw = 0;
    if (waitpid(pid, &raw, 0) != pid) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
}

TEST(Resume, ASignalStopsTheRunAtATicksEndKeepingOnlyTheCheckpointToGoOnFrom)
{
    const std::regex said(
        "morvane-lab: interrupted after ([0-9,]+) of 100,000,000 ticks; continue with --resume "
        "run\\.ckpt --ticks ([0-9]+)\n");
    for (const auto& [signal, status] :
         {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
        SCOPED_TRACE("signal " + std::to_string(signal));
        ScratchFolder folder;
        folder.Write("ev.txt", Events);
        const pid_t lab = StartLab(folder, {"--quiet", "--ticks", "100000000", "--seed", "5",
                                            "--events", "ev.txt", "--checkpoint-out", "run.ckpt",
                                            "--state-out", "s.json", "--counts-out", "c.csv",
                                            "--stats-out", "st.csv", "--png", "p", "--hash"});
        AwaitTicking(folder, "s.json");
        kill(lab, signal);
        EXPECT_EQ(ExitStatusOf(lab), status);

        EXPECT_EQ(folder.Names(), (std::set<std::string>{"ev.txt", "run.ckpt"}));
        EXPECT_EQ(ReadFile(folder.Root() / "stdout.txt"), "");
        const std::string err = ReadFile(folder.Root() / "stderr.txt");
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(err, parts, said)) << err;
        std::string digits = parts[1];
        digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
        const std::uint64_t done = std::stoull(digits);
        EXPECT_EQ(done + std::stoull(parts[2]), 100'000'000u);
        if (signal != SIGINT) continue;

        // The checkpoint is of the last whole tick: a thousand ticks on from it is the world
        // a straight run reaches.
        ExpectRan(RunLabBinary(folder, {"--quiet", "--resume", "run.ckpt", "--events", "ev.txt",
                                        "--ticks", "1000", "--state-out", "s2.json"}));
        ExpectRan(RunLabBinary(folder, {"--quiet", "--seed", "5", "--events", "ev.txt", "--ticks",
                                        std::to_string(done + 1000), "--state-out", "s.json"}));
        EXPECT_EQ(ReadFile(folder.Work() / "s2.json"), ReadFile(folder.Work() / "s.json"));
    }
}

TEST(Resume, WithoutACheckpointOrInAnEnsembleNothingIsLeftButTheLine)
{
    ScratchFolder folder;
    pid_t lab = StartLab(folder, {"--quiet", "--ticks", "100000000", "--state-out", "s.json"});
    AwaitTicking(folder, "s.json");
    kill(lab, SIGINT);
    EXPECT_EQ(ExitStatusOf(lab), 130);
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_NE(ReadFile(folder.Root() / "stderr.txt").find("; nothing was written"),
              std::string::npos);

    lab = StartLab(folder, {"--quiet", "--ticks", "100000000", "--runs", "3", "--threads", "2",
                            "--summary-out", "su.csv", "--ensemble-out", "en.csv"});
    AwaitTicking(folder, "su.csv");
    kill(lab, SIGTERM);
    EXPECT_EQ(ExitStatusOf(lab), 143);
    EXPECT_TRUE(folder.Names().empty());
    const std::regex said("morvane-lab: interrupted after [0-9,]+ of 300,000,000 ticks of 3 runs; "
                          "nothing was written \\(an ensemble keeps no checkpoint\\)\n");
    EXPECT_TRUE(std::regex_match(ReadFile(folder.Root() / "stderr.txt"), said))
        << ReadFile(folder.Root() / "stderr.txt");
    EXPECT_EQ(ReadFile(folder.Root() / "stdout.txt"), "");
}

TEST(Resume, ARollingCheckpointSurvivesAKillWholeAndGoesOnExactly)
{
    ScratchFolder folder;
    // Replaced along the way, the checkpoint at the end is the one a run without it writes.
    ExpectRan(RunLabBinary(folder, {"--quiet", "--ticks", "1234", "--checkpoint-out", "a.ckpt",
                                    "--checkpoint-every", "500"}));
    ExpectRan(RunLabBinary(folder, {"--quiet", "--ticks", "1234", "--checkpoint-out", "b.ckpt"}));
    EXPECT_EQ(ReadFile(folder.Work() / "a.ckpt"), ReadFile(folder.Work() / "b.ckpt"));

    // Killed outright, a run has no chance to write anything: the last rolling checkpoint is
    // what survives, whole.
    ScratchFolder crash;
    const pid_t lab = StartLab(crash, {"--quiet", "--ticks", "100000000", "--checkpoint-out",
                                       "run.ckpt", "--checkpoint-every", "300"});
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(crash.Work() / "run.ckpt") && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(lab, SIGKILL);
    EXPECT_EQ(ExitStatusOf(lab), 1000 + SIGKILL);
    ExpectRan(RunLabBinary(
        crash, {"--quiet", "--resume", "run.ckpt", "--ticks", "0", "--state-out", "kept.json"}));
    const std::uint64_t kept = nlohmann::json::parse(ReadFile(crash.Work() / "kept.json"))
                                   .at("ticks_run")
                                   .get<std::uint64_t>();
    EXPECT_GT(kept, 0u);
    EXPECT_EQ(kept % 300, 0u);
    ExpectRan(RunLabBinary(crash, {"--quiet", "--resume", "run.ckpt", "--ticks", "700", "--hash"}));
    const std::string resumed = ReadFile(crash.Root() / "stdout.txt");
    ExpectRan(RunLabBinary(crash, {"--quiet", "--ticks", std::to_string(kept + 700), "--hash"}));
    EXPECT_EQ(ReadFile(crash.Root() / "stdout.txt"), resumed);
}

} // namespace
} // namespace morvane::labtest
