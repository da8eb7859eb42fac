// Where an output lands: a plain file appears whole or not at all, a link to a file keeps
// being a link, and a pipe is written into rather than replaced by a file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "lab/command/lab_error.h"
#include "lab/outputs/output_file.h"
#include "lab_test_support.h"

namespace morvane::labtest {
namespace {

TEST(OutputFile, AFileAppearsOnlyWhenCommittedAndNoTemporaryOutlivesIt)
{
    ScratchFolder folder;
    const fs::path path = folder.Work() / "out.csv";
    {
        lab::OutputFile dropped(path.string());
        std::fputs("half", dropped.Stream());
        EXPECT_EQ(folder.Names().size(), 1u) << "the temporary exists while writing";
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_TRUE(folder.Names().empty()) << "an output never committed leaves nothing";

    folder.Write("out.csv", "old");
    lab::OutputFile kept(path.string());
    std::fputs("new", kept.Stream());
    EXPECT_EQ(ReadFile(path), "old") << "the old file stays until the new one is whole";
    kept.Commit();
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"out.csv"});
}

TEST(OutputFile, ALinkToAFileStaysALinkAndTheFileGetsTheOutput)
{
    ScratchFolder folder;
    fs::create_directory(folder.Work() / "data");
    folder.Write("data/target.csv", "old");
    fs::create_symlink("data/target.csv", folder.Work() / "link.csv");
    const LabResult run = RunLabBinary(folder, {"--ticks", "200", "--stats-out", "link.csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(folder.Work() / "link.csv"));
    const std::string written = ReadFile(folder.Work() / "data/target.csv");
    EXPECT_EQ(written.rfind("tick,animals,plants,", 0), 0u) << written;
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 4);
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"data", "link.csv"}));
}

TEST(OutputFile, APipeIsWrittenIntoNotReplaced)
{
    ScratchFolder folder;
    const fs::path fifo = folder.Work() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A reader drains the pipe into a file; the lab writes its table through the pipe.
    const std::string command = "cd " + Quote(folder.Work().string()) +
                                " && (timeout 30 cat pipe > ../got.csv &) && timeout 30 " +
                                Quote(MORVANE_LAB_PATH) + " --ticks 200 --stats-out pipe";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the pipe was replaced by a plain file";
    std::string got;
    for (int wait = 0; wait < 100 && std::count(got.begin(), got.end(), '\n') < 4; ++wait) {
        ::usleep(50'000); // the reader may still be writing what it read
        got = ReadFile(folder.Root() / "got.csv");
    }
    EXPECT_EQ(got.rfind("tick,animals,plants,", 0), 0u) << got;
    EXPECT_EQ(std::count(got.begin(), got.end(), '\n'), 4);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"pipe"});
}

} // namespace
} // namespace morvane::labtest
