// A reader that went away, a file-size limit, a full or closed standard output: each is a write
// error like any other, said in one line with exit status 2, and no temporary is left behind.
#include <gtest/gtest.h>

#include <string>

#include "tests/lab/lab_test_support.h"

namespace morvane::labtest {
namespace {

std::string Lab() { return Quote(LabPath()); }

bool LeftATemporary(const ScratchFolder& folder)
{
    for (const std::string& name : folder.Names())
        if (name.find(".tmp-") != std::string::npos) return true;
    return false;
}

TEST(WriteErrors, AVanishedReaderIsAWriteErrorAndChangesNoFile)
{
    // 20,000 ticks of counts overfill a pipe's buffer, so the lab writes after the reader left.
    const std::string outputs = " --ticks 20000 --quiet --state-out s.json --checkpoint-out k.ckpt";
    for (const std::string& reader :
         {std::string("bash -c 'echo OLD > s.json; " + Lab() + outputs +
                      " --counts-out >(head -c 10 >/dev/null)'"),
          "echo OLD > s.json; mkfifo ff; (head -c 10 ff > /dev/null &); " + Lab() + outputs +
              " --counts-out ff"}) {
        ScratchFolder folder;
        const LabResult run = RunShell(folder, reader);
        EXPECT_EQ(run.status, 2) << reader;
        ASSERT_EQ(run.ErrLines().size(), 1u) << run.err;
        EXPECT_NE(run.err.find("could not be written: Broken pipe"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(folder.Work() / "s.json"), "OLD\n");
        EXPECT_FALSE(fs::exists(folder.Work() / "k.ckpt"));
        EXPECT_FALSE(LeftATemporary(folder));
    }
}

TEST(WriteErrors, AFileSizeLimitIsAWriteErrorAndLeavesNoTemporary)
{
    ScratchFolder folder;
    const LabResult run = RunShell(folder, "ulimit -f 10; " + Lab() +
                                               " --ticks 20000 --quiet --counts-out c.csv "
                                               "--checkpoint-out k.ckpt");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("could not be written: File too large"), std::string::npos) << run.err;
    EXPECT_TRUE(folder.Names().empty()) << *folder.Names().begin();
}

TEST(WriteErrors, AHashThatCannotBeWrittenIsAnError)
{
    ScratchFolder folder;
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "10", "--runs", "2", "--shard", "1/2",
                                    "--samples-out", "a.smp"})
                  .status,
              0);
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "10", "--runs", "2", "--shard", "2/2",
                                    "--samples-out", "b.smp"})
                  .status,
              0);
    for (const std::string& lost : {std::string(" --ticks 10 --hash > /dev/full"),
                                    std::string(" --ticks 10 --runs 3 --hash > /dev/full"),
                                    std::string(" merge a.smp b.smp --hash > /dev/full")}) {
        const LabResult run = RunShell(folder, Lab() + lost);
        EXPECT_EQ(run.status, 2) << lost;
        EXPECT_EQ(run.err, "morvane-lab: error: standard output could not be written: No space "
                           "left on device\n")
            << lost;
    }
    const LabResult closed = RunShell(folder, Lab() + " --ticks 10 --hash >&-");
    EXPECT_EQ(closed.status, 2);
    EXPECT_NE(closed.err.find("standard output could not be written"), std::string::npos);
}

} // namespace
} // namespace morvane::labtest
