// Outputs appear together or not at all, a replaced file keeps what its owner set, and an
// output named through links or hard links is known for the file it is.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/lab/lab_test_support.h"

namespace morvane::labtest {
namespace {

std::string Lab() { return Quote(LabPath()); }

TEST(OutputsWhole, AnOutputThatFailsLeavesEveryOtherFileAsItWas)
{
    ScratchFolder folder;
    folder.Write("s.json", "OLD\n");
    const LabResult one = RunLabBinary(
        folder, {"--ticks", "10", "--state-out", "s.json", "--counts-out", "/dev/full"});
    EXPECT_EQ(one.status, 2);
    EXPECT_EQ(ReadFile(folder.Work() / "s.json"), "OLD\n");

    const LabResult ensemble =
        RunLabBinary(folder, {"--ticks", "10", "--runs", "2", "--samples-out", "/dev/full",
                              "--summary-out", "s.csv", "--ensemble-out", "e.csv"});
    EXPECT_EQ(ensemble.status, 2);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"s.json"});
}

TEST(OutputsWhole, TheReasonGivenIsTheFailedWritesOwn)
{
    // The outputs written after the failed one, and their temporaries' removal, must not
    // change the reason reported.
    ScratchFolder folder;
    for (const char* later : {"--lineage-out", "--checkpoint-out"}) {
        const LabResult run =
            RunLabBinary(folder, {"--ticks", "10", "--state-out", "/dev/full", later, "p.out"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "morvane-lab: error: output /dev/full could not be written: No space "
                           "left on device\n")
            << later;
        EXPECT_TRUE(folder.Names().empty()) << later;
    }
}

TEST(OutputsWhole, KeepTheirPermissions)
{
    ScratchFolder folder;
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0755)}) {
        folder.Write("c.csv", "old\n");
        fs::permissions(folder.Work() / "c.csv", mode);
        ASSERT_EQ(RunLabBinary(folder, {"--ticks", "10", "--counts-out", "c.csv"}).status, 0);
        EXPECT_EQ(fs::status(folder.Work() / "c.csv").permissions(), mode);
        EXPECT_NE(ReadFile(folder.Work() / "c.csv"), "old\n");
    }
}

TEST(OutputsWhole, AFileTheUserMayNotWriteIsRefused)
{
    // Root may write any file, as the shell's > would; the refusal is for everyone else, so a
    // test run as root asks as the user nobody, in a folder of nobody's.
    ScratchFolder folder;
    folder.Write("c.csv", "old\n");
    fs::permissions(folder.Work() / "c.csv", fs::perms(0444));
    std::string as_user;
    if (::geteuid() == 0) {
        if (::access(LabPath().c_str(), X_OK) != 0 || std::system("command -v setpriv >/dev/null"))
            GTEST_SKIP() << "setpriv is needed to run the lab as another user";
        ASSERT_EQ(::chown(folder.Work().c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown((folder.Work() / "c.csv").c_str(), 65534, 65534), 0);
        as_user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    const LabResult run = RunShell(folder, as_user + Lab() + " --ticks 10 --counts-out c.csv");
    if (run.err.find("Permission denied") != std::string::npos && !as_user.empty())
        GTEST_SKIP() << "the user nobody cannot run the lab from where it was built";
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "morvane-lab: error: output c.csv is read-only, so it is not replaced\n");
    EXPECT_EQ(ReadFile(folder.Work() / "c.csv"), "old\n");
}

TEST(OutputsWhole, AreFollowedEvenToAFileNotMadeYet)
{
    ScratchFolder folder;
    const fs::path work = folder.Work();
    fs::create_symlink("target.csv", work / "out.csv");
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "10", "--counts-out", "out.csv"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(work / "out.csv"));
    EXPECT_EQ(ReadFile(work / "target.csv").rfind("tick,animals,plants\n", 0), 0u);

    // A dangling link names the file it leads to, for the check of two outputs in one file.
    fs::create_symlink("s.csv", work / "link.csv");
    const LabResult shared = RunLabBinary(folder, {"--ticks", "10", "--every", "1", "--stats-out",
                                                   "link.csv", "--counts-out", "s.csv"});
    EXPECT_EQ(shared.status, 2);
    EXPECT_EQ(shared.err, "morvane-lab: error: --counts-out and --stats-out both name link.csv\n");
    EXPECT_TRUE(fs::is_symlink(work / "link.csv"));

    fs::create_symlink("no-folder/t.csv", work / "nowhere.csv");
    EXPECT_EQ(RunLabBinary(folder, {"--ticks", "10", "--counts-out", "nowhere.csv"}).status, 2);
    EXPECT_TRUE(fs::is_symlink(work / "nowhere.csv"));

    fs::create_symlink("b", work / "a");
    fs::create_symlink("a", work / "b");
    const LabResult loop = RunLabBinary(folder, {"--ticks", "10", "--counts-out", "a"});
    EXPECT_EQ(loop.status, 2);
    EXPECT_EQ(loop.err, "morvane-lab: error: output a is a link in a loop of links, not a file\n");
}

TEST(OutputsWhole, TwoHardLinksOfOneFileAreOneFile)
{
    ScratchFolder folder;
    folder.Write("a.csv", "x\n");
    fs::create_hard_link(folder.Work() / "a.csv", folder.Work() / "b.csv");
    const LabResult run = RunLabBinary(
        folder, {"--ticks", "10", "--counts-out", "a.csv", "--every", "1", "--stats-out", "b.csv"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "morvane-lab: error: --counts-out and --stats-out both name b.csv\n");
    EXPECT_EQ(ReadFile(folder.Work() / "a.csv"), "x\n");
}

TEST(OutputsWhole, SayWhenAPipeHasTakenPartOfItsOutput)
{
    ScratchFolder folder;
    folder.Write("stop.sh", "mkfifo ff; cat ff > got & " + Lab() +
                                " --ticks 1000000000 --quiet --counts-out ff 2>err & p=$!\n"
                                "sleep 1; kill -INT $p; wait $p; echo $?\n");
    const LabResult run = RunShell(folder, "timeout -s KILL 20 bash stop.sh");
    EXPECT_EQ(run.out, "130\n");
    EXPECT_GT(fs::file_size(folder.Work() / "got"), 0u);
    const std::string err = ReadFile(folder.Work() / "err");
    EXPECT_EQ(err.find("nothing was written"), std::string::npos) << err;
    EXPECT_NE(err.find("ff has taken part of its output"), std::string::npos) << err;
}

} // namespace
} // namespace morvane::labtest
