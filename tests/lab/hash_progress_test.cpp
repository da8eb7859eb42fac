// --hash names the final world in 16 hex digits; the progress bar shows only on a terminal,
// only for runs of more than a second, and never with --quiet.
#include <gtest/gtest.h>

#include <cstdlib>

#include "lab/run/progress_meter.h"
#include "lab_test_support.h"
#include "sim/world_hash.h"

namespace morvane::labtest {
namespace {

TEST(HashProgress, TheHashOfAFixedRunIsPinnedAndFollowsEveryChangeOfTheRun)
{
    ScratchFolder folder;
    folder.Write("e", "10 left 100 100\n");
    const LabResult pinned = RunLabBinary(folder, {"--ticks", "2000", "--seed", "7", "--hash"});
    ASSERT_EQ(pinned.status, 0) << pinned.err;
    EXPECT_EQ(pinned.out, "61d0fa191068e8e6\n");
    char expected[17];
    std::snprintf(expected, sizeof expected, "%016llx",
                  static_cast<unsigned long long>(HashWorld(RunReference(2000, 7).world)));
    EXPECT_EQ(pinned.out, std::string(expected) + "\n");

    for (const std::vector<std::string>& changed :
         {std::vector<std::string>{"--ticks", "2001", "--seed", "7"},
          std::vector<std::string>{"--ticks", "2000", "--seed", "8"},
          std::vector<std::string>{"--ticks", "2000", "--seed", "7", "--events", "e"}}) {
        std::vector<std::string> args = changed;
        args.push_back("--hash");
        const LabResult other = RunLabBinary(folder, args);
        ASSERT_EQ(other.status, 0) << other.err;
        EXPECT_EQ(other.out.size(), 17u) << other.out;
        EXPECT_NE(other.out, pinned.out) << changed[1] << " " << changed[3];
    }
    // Small values keep their leading zeros.
    EXPECT_EQ(RunLabBinary(folder, {"--ticks", "0", "--hash"}).out.size(), 17u);
}

TEST(HashProgress, TheBarShowsHowFarHowFastAndHowLongIsLeft)
{
    const std::string half = lab::ProgressLine(50'000, 100'000, 2.0);
    EXPECT_EQ(half, "[###############...............]  50%  25000 ticks/s  0:02 left");
    EXPECT_EQ(lab::ProgressLine(0, 100, 1.5), "[..............................]   0%  0 ticks/s  "
                                              "--:-- left");
    EXPECT_EQ(lab::ProgressLine(1, 7201, 1), "[..............................]   0%  1 ticks/s  "
                                             "2:00:00 left");
    EXPECT_EQ(lab::ProgressLine(100, 100, 3).substr(0, 37),
              "[##############################] 100%");
}

// Runs the lab on a terminal of its own (util-linux's `script` gives it one) for about two
// seconds of a long run, and returns what the terminal showed.
std::string OnATerminal(const ScratchFolder& folder, const std::string& extra)
{
    const std::string lab = std::string(MORVANE_LAB_PATH) + " --ticks 1000000000 " + extra;
    const std::string command = "cd " + Quote(folder.Work().string()) + " && script -qec " +
                                Quote("timeout -s INT 2 " + lab) + " /dev/null > " +
                                Quote((folder.Root() / "tty.txt").string());
    std::system(command.c_str());
    return ReadFile(folder.Root() / "tty.txt");
}

TEST(HashProgress, TheBarIsDrawnOnATerminalButNotWithQuietNorIntoAFile)
{
    if (std::system("command -v script >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no `script` command to give the lab a terminal";
    ScratchFolder folder;
    const std::string shown = OnATerminal(folder, "");
    EXPECT_NE(shown.find("ticks/s"), std::string::npos) << shown;
    EXPECT_NE(shown.find(" left"), std::string::npos) << shown;
    EXPECT_NE(shown.find('\r'), std::string::npos) << "the bar redraws in place";
    // Stopped by the signal, the run wipes its bar before saying so, at the start of the line.
    const std::size_t stopped = shown.rfind("morvane-lab: interrupted after ");
    ASSERT_NE(stopped, std::string::npos) << shown;
    EXPECT_EQ(shown.substr(stopped).find("ticks/s"), std::string::npos) << shown;
    EXPECT_EQ(shown[stopped - 1], '\r') << shown;
    const std::string quiet = OnATerminal(folder, "--quiet");
    EXPECT_EQ(quiet.find("ticks/s"), std::string::npos) << quiet;

    // stderr a file, as in every other test here: no bar, even for a run of over a second;
    // only the line that says the run was stopped.
    const std::string to_file = "cd " + Quote(folder.Work().string()) + " && timeout -s INT 1.5 " +
                                std::string(MORVANE_LAB_PATH) + " --ticks 1000000000 2> " +
                                Quote((folder.Root() / "err.txt").string());
    std::system(to_file.c_str());
    const std::string err = ReadFile(folder.Root() / "err.txt");
    EXPECT_EQ(err.rfind("morvane-lab: interrupted after ", 0), 0u) << err;
    EXPECT_EQ(err.find('\r'), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

} // namespace
} // namespace morvane::labtest
