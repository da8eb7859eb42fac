// morvane-lab as a user meets it: every bad input is one error line and status 2, and no
// output file, whole or partial, is left behind.
#include <gtest/gtest.h>

#include "lab_test_support.h"

namespace morvane::labtest {
namespace {

struct BadInput {
    std::vector<std::string> args;
    std::string fault; // part of the one error line that names what is wrong
};

// Runs each case in its own folder, with `setup` files present beforehand, and checks the
// refusal: status 2, a single "morvane-lab: error:" line naming the fault, and no new file.
void ExpectRefused(const std::vector<BadInput>& cases,
                   const std::vector<std::pair<std::string, std::string>>& setup = {},
                   const std::vector<std::pair<std::string, std::string>>& links = {})
{
    for (const BadInput& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args)
            shown += " [" + arg + "]";
        SCOPED_TRACE("morvane-lab" + shown);
        ScratchFolder folder;
        fs::create_directory(folder.Work() / "folder");
        fs::create_directory(folder.Work() / "figure.svg");
        for (const auto& [name, text] : setup)
            folder.Write(name, text);
        for (const auto& [name, target] : links)
            fs::create_symlink(target, folder.Work() / name);
        const std::set<std::string> before = folder.Names();

        const LabResult result = RunLabBinary(folder, c.args);
        EXPECT_EQ(result.status, 2);
        const auto lines = result.ErrLines();
        EXPECT_EQ(lines.size(), 1u) << result.err;
        const std::string first = lines.empty() ? "" : lines[0];
        EXPECT_EQ(first.rfind("morvane-lab: error: ", 0), 0u) << first;
        EXPECT_NE(first.find(c.fault), std::string::npos) << first;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(folder.Names(), before);
        for (const auto& [name, text] : setup)
            EXPECT_EQ(ReadFile(folder.Work() / name), text) << name << " was changed";
    }
}

TEST(CommandLine, BadNumbersAndOptionsAreRefusedInOneLine)
{
    const std::string outputs[] = {"--state-out", "s.json", "--counts-out", "c.csv", "--png", "p"};
    auto with_outputs = [&](std::vector<std::string> args) {
        args.insert(args.end(), std::begin(outputs), std::end(outputs));
        return args;
    };
    ExpectRefused({
        {with_outputs({"--ticks", "-5"}), "--ticks '-5' is negative"},
        {with_outputs({"--ticks=-5"}), "--ticks '-5' is negative"},
        {with_outputs({"--ticks", "abc"}), "--ticks 'abc' is not a number"},
        {with_outputs({"--ticks", "5x"}), "--ticks '5x' is not a number"},
        {with_outputs({"--ticks", "1e3"}), "--ticks '1e3' is not written in plain decimal"},
        {with_outputs({"--ticks", "0x10"}), "--ticks '0x10' is not written in plain decimal"},
        {with_outputs({"--ticks", "1.5"}), "--ticks '1.5' is not a whole number"},
        {with_outputs({"--ticks", "inf"}), "--ticks 'inf' is not finite"},
        {with_outputs({"--ticks", "nan"}), "--ticks 'nan' is not finite"},
        {with_outputs({"--ticks", ""}), "--ticks '' is empty"},
        {with_outputs({"--ticks", "18446744073709551616"}),
         "--ticks '18446744073709551616' is too large"},
        {with_outputs({"--ticks", "1e20"}), "--ticks '1e20' is too large"},
        {with_outputs({"--ticks"}), "--ticks: no value given (--state-out is an option)"},
        {{"--ticks"}, "--ticks"},
        {with_outputs({}), "--ticks is required"},
        {with_outputs({"--ticks", "3", "--ticks", "4"}), "--ticks"},
        {with_outputs({"--ticks", "3", "--seed", "18446744073709551616"}),
         "--seed '18446744073709551616' is too large"},
        {with_outputs({"--ticks", "3", "--seed", "-1"}), "--seed '-1' is negative"},
        {with_outputs({"--ticks", "3", "--seed", "1.0"}), "--seed '1.0' is not written in plain"},
        {with_outputs({"--ticks", "3", "--seed"}), "--seed: no value given"},
        {{"--ticks", "3", "--state-out", "--png"}, "--state-out: no value given"},
        {{"--ticks", "-h"}, "--ticks: no value given"},
        {with_outputs({"--ticks", "3", "--bogus"}), "--bogus"},
        {with_outputs({"--ticks", "3", "stray"}), "stray"},
        {with_outputs({"--ticks", "3", "--events", ""}), "--events needs a file name"},
        {{"--ticks", "3", "--state-out", ""}, "--state-out needs a file name"},
        {{"--ticks", "3", "--png", ""}, "--png needs a file name"},
    });
}

// Every count the lab takes is read by the same strict reader; each is refused the same way,
// with the range it accepts.
TEST(CommandLine, BadValuesOfEveryCountAreRefusedWithTheRange)
{
    struct Count {
        std::string option;
        std::vector<std::string> context; // what makes the option meaningful
        std::string range;
    };
    const Count counts[] = {
        {"--every", {"--ticks", "3", "--stats-out", "s.csv"}, "from 1 to 18446744073709551615"},
        {"--runs", {"--ticks", "3", "--summary-out", "r.csv"}, "from 1 to 1000000"},
        {"--threads", {"--ticks", "3", "--runs", "2"}, "from 1 to 1024"},
        {"--seed", {"--ticks", "3", "--stats-out", "s.csv"}, "from 0 to 18446744073709551615"},
        {"--ticks", {"--stats-out", "s.csv"}, "from 0 to 18446744073709551615"},
    };
    const std::pair<std::string, std::string> values[] = {
        {"abc", "is not a number"},
        {"-3", "is negative"},
        {"inf", "is not finite"},
        {"-nan", "is not finite"},
        {"2.5", "is not a whole number"},
        {"1e1", "is not written in plain decimal digits"},
        {"", "is empty"},
        {"99999999999999999999", "is too large"},
        {" 7", "is not written in plain decimal digits"},
        {"7 ", "is not a number"},
    };
    std::vector<BadInput> cases;
    for (const Count& count : counts) {
        for (const auto& [value, fault] : values) {
            std::vector<std::string> args = count.context;
            args.insert(args.end(), {count.option, value});
            cases.push_back({args, count.option + " '" + value + "' " + fault +
                                       " (expected a "
                                       "whole number " +
                                       count.range + ")"});
        }
    }
    cases.push_back({{"--ticks", "3", "--stats-out", "s.csv", "--every", "0"},
                     "--every '0' is too small (expected a whole number from 1 to"});
    cases.push_back({{"--ticks", "3", "--summary-out", "r.csv", "--runs", "0"},
                     "--runs '0' is too small (expected a whole number from 1 to 1000000)"});
    cases.push_back({{"--ticks", "3", "--summary-out", "r.csv", "--runs", "1000001"},
                     "--runs '1000001' is too large (expected a whole number from 1 to 1000000)"});
    cases.push_back(
        {{"--ticks", "3", "--runs", "2", "--threads", "0"}, "--threads '0' is too small"});
    cases.push_back(
        {{"--ticks", "3", "--runs", "2", "--threads", "1025"}, "--threads '1025' is too large"});
    cases.push_back(
        {{"--ticks", "3", "--runs", "2", "--threads", "5e3"}, "--threads '5e3' is too large"});
    cases.push_back({{"--ticks", "3", "--runs"}, "--runs"});
    cases.push_back({{"--ticks", "3", "--every", "--stats-out", "s.csv"},
                     "--every: no value given (--stats-out is an option)"});
    ExpectRefused(cases);
}

TEST(CommandLine, OptionsThatDoNotGoTogetherAreRefused)
{
    ExpectRefused(
        {
            {{"--ticks", "3", "--runs", "2", "--state-out", "s.json"},
             "--state-out describes a single world and cannot be combined with --runs"},
            {{"--ticks", "3", "--runs", "2", "--counts-out", "c.csv"},
             "--counts-out describes a single world"},
            {{"--ticks", "3", "--runs", "2", "--png", "p"}, "--png describes a single world"},
            {{"--ticks", "3", "--runs", "2", "--stats-out", "s.csv", "--summary-out", "r.csv"},
             "--stats-out describes a single world"},
            {{"--ticks", "3", "--summary-out", "r.csv"}, "--summary-out needs --runs"},
            {{"--ticks", "3", "--ensemble-out", "e.csv"}, "--ensemble-out needs --runs"},
            {{"--ticks", "3", "--threads", "2", "--stats-out", "s.csv"}, "--threads needs --runs"},
            {{"--ticks", "3", "--every", "10", "--state-out", "s.json"},
             "--every sets the rows of --stats-out, --selection-out, --ensemble-out and "
             "--samples-out, and none of them is asked for"},
            {{"--ticks", "3", "--runs", "2", "--every", "10", "--summary-out", "r.csv"},
             "--every sets the rows"},
            {{"--ticks", "3", "--runs", "2", "--seed", "18446744073709551615", "--summary-out",
              "r.csv"},
             "--runs 2 from seed 18446744073709551615 would need seeds beyond "
             "18446744073709551615"},
            {{"--ticks", "3", "--runs", "1000000", "--seed", "18446744073709000000",
              "--summary-out", "r.csv"},
             "would need seeds beyond"},
            // The figures are the Python package's now; the old options say where they went.
            {{"--ticks", "3", "--plot", "p.png", "--stats-out", "s.csv"},
             "--plot is no longer a figure the lab draws: draw it with python3 -m "
             "morvane.figures run (from --stats-out) or ensemble (from --ensemble-out)"},
            {{"--ticks", "3", "--runs", "2", "--trait-map=t.svg"},
             "--trait-map is no longer a figure the lab draws: draw it with python3 -m "
             "morvane.figures trait-map (from --lineage-out)"},
            {{"--ticks", "3", "--plotting=p.png"}, "The following argument was not expected"},
            {{"--ticks", "3", "--lineage-out", ""}, "--lineage-out needs a file name"},
            {{"--ticks", "3", "--stats-out", ""}, "--stats-out needs a file name"},
            {{"--ticks", "3", "--runs", "2", "--summary-out", ""}, "--summary-out needs a file"},
            {{"--ticks", "3", "--runs", "2", "--ensemble-out", ""}, "--ensemble-out needs a"},
            {{"--ticks", "400000", "--every", "1", "--runs", "10", "--samples-out", "s.smp"},
             "10 runs of 400001 rows would keep more than 4000000 samples in memory (take a larger "
             "--every or fewer --runs)"},
            {{"--ticks", "4000", "--every", "1", "--runs", "1000", "--ensemble-out", "e.csv"},
             "1000 runs of 4001 rows would keep more than 4000000 samples"},
            {{"--ticks", "3", "--hash=maybe"}, "--hash"},
            {{"--ticks", "3", "--quiet", "--bogus"}, "--bogus"},
        },
        {{"s.json", "old"}});
}

TEST(CommandLine, UnusableOutputsAreRefusedBeforeAnythingIsWritten)
{
    ExpectRefused(
        {
            {{"--ticks", "3", "--state-out", "folder"}, "output folder is a folder"},
            {{"--ticks", "3", "--counts-out", "c.csv", "--state-out", "missing/s.json"},
             "output missing/s.json cannot be written"},
            {{"--ticks", "3", "--state-out", "s.json", "--png", "missing/p"},
             "output missing/p-space.png cannot be written"},
            {{"--ticks", "3", "--png", "folder/sub/p"}, "folder/sub/p-space.png"},
            {{"--ticks", "3", "--state-out", "a.out", "--counts-out", "a.out"},
             "--state-out and --counts-out both name a.out"},
            {{"--ticks", "3", "--state-out", "a.out", "--counts-out", "./folder/../a.out"},
             "--state-out and --counts-out both name"},
            {{"--ticks", "3", "--counts-out", "p-graph.png", "--png", "p"},
             "--counts-out and --png both name p-graph.png"},
            {{"--ticks", "3", "--events", "moves.txt", "--state-out", "moves.txt"},
             "--events and --state-out both name moves.txt"},
            // A release beyond the run is not worth a warning when the run is refused anyway.
            {{"--ticks", "3", "--events", "moves.txt", "--counts-out", "missing/c.csv"},
             "output missing/c.csv cannot be written"},
            // An existing output stays as it was when the run is refused.
            {{"--ticks", "3", "--state-out", "old.json", "--events", "bad.txt"}, "bad.txt:2:"},
            {{"--ticks", "3", "--stats-out", "folder"}, "output folder is a folder"},
            {{"--ticks", "3", "--lineage-out", "figure.svg"}, "output figure.svg is a folder"},
            {{"--ticks", "3", "--runs", "2", "--summary-out", "folder"}, "output folder is a"},
            {{"--ticks", "3", "--runs", "2", "--ensemble-out", "folder/"}, "is a folder"},
            // A folder that cannot be written, even by root: the "folder" is a plain file.
            {{"--ticks", "3", "--stats-out", "plain.txt/s.csv"},
             "output plain.txt/s.csv cannot be written: Not a directory"},
            {{"--ticks", "3", "--state-out", "plain.txt/s.json"}, "plain.txt/s.json cannot be"},
            {{"--ticks", "3", "--lineage-out", "plain.txt/l.csv"},
             "plain.txt/l.csv cannot be written"},
            {{"--ticks", "3", "--runs", "2", "--summary-out", "r.csv", "--ensemble-out",
              "plain.txt/e.csv"},
             "output plain.txt/e.csv cannot be written"},
            {{"--ticks", "3", "--runs", "2", "--summary-out", "plain.txt/r.csv"},
             "output plain.txt/r.csv cannot be written"},
            {{"--ticks", "3", "--counts-out", "c.csv", "--png", "plain.txt/p"},
             "output plain.txt/p-space.png cannot be written"},
            {{"--ticks", "3", "--stats-out", "a.png", "--lineage-out", "a.png"},
             "--stats-out and --lineage-out both name a.png"},
            {{"--ticks", "3", "--counts-out", "a.csv", "--stats-out", "./a.csv"},
             "--counts-out and --stats-out both name ./a.csv"},
            {{"--ticks", "3", "--png", "p", "--stats-out", "p-space.png"},
             "--png and --stats-out both name p-space.png"},
            {{"--ticks", "3", "--events", "moves.txt", "--stats-out", "moves.txt"},
             "--events and --stats-out both name moves.txt"},
            {{"--ticks", "3", "--runs", "2", "--summary-out", "r.csv", "--ensemble-out", "r.csv"},
             "--summary-out and --ensemble-out both name r.csv"},
            {{"--ticks", "3", "--runs", "2", "--ensemble-out", "f.svg", "--samples-out",
              "folder/../f.svg"},
             "--ensemble-out and --samples-out both name folder/../f.svg"},
            {{"--ticks", "3", "--runs", "2", "--events", "moves.txt", "--summary-out", "moves.txt"},
             "--events and --summary-out both name moves.txt"},
            {{"--ticks", "3", "--runs", "2", "--events", "m.svg", "--selection-out", "m.svg"},
             "--events and --selection-out both name m.svg"},
            {{"--ticks", "3", "--runs", "2", "--summary-out", "link.csv", "--ensemble-out",
              "target.csv"},
             "--summary-out and --ensemble-out both name target.csv"},
        },
        {{"moves.txt", "0 left 1 1\n9 left 1 1\n"},
         {"old.json", "kept"},
         {"bad.txt", "# c\n0 up 1 1\n"},
         {"plain.txt", "a plain file, not a folder"},
         {"m.svg", "0 left 1 1\n"},
         {"target.csv", "kept"}},
        {{"link.csv", "target.csv"}});
}

TEST(CommandLine, BadEventsFilesAreRefusedNamingTheLine)
{
    ExpectRefused(
        {
            {{"--ticks", "3", "--events", "absent.txt"}, "events file absent.txt"},
            {{"--ticks", "3", "--events", "folder"}, "events file folder is a folder"},
            {{"--ticks", "3", "--events", "button.txt", "--state-out", "s.json"},
             "button.txt:3: unknown button 'wheel'"},
            {{"--ticks", "3", "--events", "x.txt", "--counts-out", "c.csv"},
             "x.txt:1: x 'inf' is not a finite decimal number"},
            {{"--ticks", "3", "--events", "plain.txt/e.txt"},
             "events file plain.txt/e.txt: cannot be opened for reading"},
            {{"--ticks", "3", "--events", "nul.txt", "--stats-out", "s.csv"},
             "nul.txt:1: tick count"},
            {{"--ticks", "3", "--runs", "2", "--events", "x.txt", "--summary-out", "r.csv"},
             "x.txt:1: x 'inf' is not a finite decimal number"},
        },
        {{"button.txt", "0 left 1 1\n\n0 wheel 1 1\n"},
         {"x.txt", "0 right inf 1\n"},
         {"plain.txt", "a file"},
         {"nul.txt", std::string("0\0 left 1 1\n", 13)}});
}

TEST(CommandLine, AnEventsFileWithoutReadPermissionIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, who reads a file whatever its permissions; the "
                        "unreadable path under a plain file is tested instead";
    ScratchFolder folder;
    folder.Write("locked.txt", "0 left 1 1\n");
    fs::permissions(folder.Work() / "locked.txt", fs::perms::none);
    const LabResult result =
        RunLabBinary(folder, {"--ticks", "3", "--events", "locked.txt", "--stats-out", "s.csv"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "morvane-lab: error: events file locked.txt: cannot be opened for "
                          "reading\n");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"locked.txt"});
}

TEST(CommandLine, AnEmptyOrCommentOnlyEventsFileIsAValidFileWithNoReleases)
{
    ScratchFolder folder;
    folder.Write("empty.txt", "");
    folder.Write("comments.txt", "# nothing yet\n\n   \n# 10 left 1 1\n");
    const LabResult plain = RunLabBinary(folder, {"--ticks", "500", "--hash"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    for (const char* events : {"empty.txt", "comments.txt"}) {
        const LabResult run =
            RunLabBinary(folder, {"--ticks", "500", "--events", events, "--hash"});
        EXPECT_EQ(run.status, 0) << events << ": " << run.err;
        EXPECT_EQ(run.err, "") << events;
        EXPECT_EQ(run.out, plain.out) << events;
    }
}

// Each thread reserves a stack; with the address space capped, the system runs out of room
// for a thousand of them, which is how a machine short of threads is played here.
TEST(CommandLine, MoreThreadsThanTheSystemWillStartAreRefused)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the cap allows";
#else
    ScratchFolder folder;
    const std::string command = "cd " + Quote(folder.Work().string()) +
                                " && ulimit -v 400000 && timeout 60 " + Quote(MORVANE_LAB_PATH) +
                                " --runs 1024 --threads 1024 --ticks 1000 --summary-out r.csv"
                                " 2> ../err.txt";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    EXPECT_EQ(ReadFile(folder.Root() / "err.txt"),
              "morvane-lab: error: --threads 1024: the system would not start that many "
              "threads\n");
    EXPECT_TRUE(folder.Names().empty());
#endif
}

TEST(CommandLine, HelpGoesToStandardOutputAndExitsZero)
{
    ScratchFolder folder;
    for (const char* help : {"--help", "-h"}) {
        const LabResult result = RunLabBinary(folder, {help});
        EXPECT_EQ(result.status, 0) << help;
        EXPECT_EQ(result.err, "") << help;
        for (const char* option :
             {"--ticks", "--seed", "--events", "--state-out", "--counts-out", "--png",
              "--stats-out", "--every", "--runs", "--threads", "--summary-out", "--ensemble-out",
              "--selection-out", "--samples-out", "--lineage-out", "--checkpoint-out", "--hash",
              "--quiet"})
            EXPECT_NE(result.out.find(option), std::string::npos) << help << " lacks " << option;
    }
    EXPECT_TRUE(folder.Names().empty());
}

TEST(CommandLine, TheLargestSeedIsUsedAsItIsNotClipped)
{
    ScratchFolder folder;
    const LabResult largest = RunLabBinary(
        folder, {"--ticks", "300", "--seed", "18446744073709551615", "--counts-out", "max.csv"});
    ASSERT_EQ(largest.status, 0) << largest.err;
    EXPECT_EQ(largest.err, "");
    const LabResult next = RunLabBinary(
        folder, {"--ticks", "300", "--seed", "18446744073709551614", "--counts-out", "less.csv"});
    ASSERT_EQ(next.status, 0) << next.err;

    // Two seeds a step apart must give two different runs, each the in-process one.
    const std::string expected_max = CountsCsv(RunReference(300, 18446744073709551615ull));
    const std::string expected_less = CountsCsv(RunReference(300, 18446744073709551614ull));
    ASSERT_NE(expected_max, expected_less);
    EXPECT_EQ(ReadFile(folder.Work() / "max.csv"), expected_max);
    EXPECT_EQ(ReadFile(folder.Work() / "less.csv"), expected_less);
}

TEST(CommandLine, AReleaseBeyondTheRunIsWarnedAboutAndNotDelivered)
{
    ScratchFolder folder;
    folder.Write("moves.txt", "# far\n0 middle 9 9\n41 left 100 100\n40 right 30 40\n");
    const LabResult result = RunLabBinary(
        folder, {"--ticks", "40", "--events", "moves.txt", "--state-out", "with.json"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto lines = result.ErrLines();
    ASSERT_EQ(lines.size(), 1u) << result.err;
    EXPECT_EQ(lines[0].rfind("morvane-lab: warning: moves.txt:3:", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("not delivered"), std::string::npos) << lines[0];

    // The same run with only the right release: the world must be identical, so neither the
    // late left release nor the middle one changed anything.
    folder.Write("right.txt", "40 right 30 40\n");
    ASSERT_EQ(RunLabBinary(
                  folder, {"--ticks", "40", "--events", "right.txt", "--state-out", "without.json"})
                  .status,
              0);
    EXPECT_EQ(ReadFile(folder.Work() / "with.json"), ReadFile(folder.Work() / "without.json"));
    EXPECT_EQ(folder.Names(),
              (std::set<std::string>{"moves.txt", "right.txt", "with.json", "without.json"}));
}

} // namespace
} // namespace morvane::labtest
