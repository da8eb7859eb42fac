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
                   const std::vector<std::pair<std::string, std::string>>& setup = {})
{
    for (const BadInput& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args)
            shown += " [" + arg + "]";
        SCOPED_TRACE("morvane-lab" + shown);
        ScratchFolder folder;
        fs::create_directory(folder.Work() / "folder");
        for (const auto& [name, text] : setup)
            folder.Write(name, text);
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

TEST(LabCommandLine, BadNumbersAndOptionsAreRefusedInOneLine)
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

TEST(LabCommandLine, UnusableOutputsAreRefusedBeforeAnythingIsWritten)
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
        },
        {{"moves.txt", "0 left 1 1\n9 left 1 1\n"},
         {"old.json", "kept"},
         {"bad.txt", "# c\n0 up 1 1\n"}});
}

TEST(LabCommandLine, BadEventsFilesAreRefusedNamingTheLine)
{
    ExpectRefused(
        {
            {{"--ticks", "3", "--events", "absent.txt"}, "events file absent.txt"},
            {{"--ticks", "3", "--events", "folder"}, "events file folder is a folder"},
            {{"--ticks", "3", "--events", "button.txt", "--state-out", "s.json"},
             "button.txt:3: unknown button 'wheel'"},
            {{"--ticks", "3", "--events", "x.txt", "--counts-out", "c.csv"},
             "x.txt:1: x 'inf' is not a finite decimal number"},
        },
        {{"button.txt", "0 left 1 1\n\n0 wheel 1 1\n"}, {"x.txt", "0 right inf 1\n"}});
}

TEST(LabCommandLine, HelpGoesToStandardOutputAndExitsZero)
{
    ScratchFolder folder;
    for (const char* help : {"--help", "-h"}) {
        const LabResult result = RunLabBinary(folder, {help});
        EXPECT_EQ(result.status, 0) << help;
        EXPECT_EQ(result.err, "") << help;
        for (const char* option :
             {"--ticks", "--seed", "--events", "--state-out", "--counts-out", "--png"})
            EXPECT_NE(result.out.find(option), std::string::npos) << help << " lacks " << option;
    }
    EXPECT_TRUE(folder.Names().empty());
}

TEST(LabCommandLine, TheLargestSeedIsUsedAsItIsNotClipped)
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

TEST(LabCommandLine, AReleaseBeyondTheRunIsWarnedAboutAndNotDelivered)
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
