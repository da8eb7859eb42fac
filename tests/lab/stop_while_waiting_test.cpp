// Stopping morvane-lab while it waits: for a FIFO's reader or writer, for a pipe that delivers
// slowly or without end. A stop must end the wait at once, leaving nothing behind.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "tests/lab/lab_test_support.h"

namespace morvane::labtest {
namespace {

struct Stopped {
    std::string status; // the lab's exit status, or "hung" when it outlived the signal by 5 s
    std::string err;
};

// Starts `lab_arguments` (shell words after the lab's name) in the background of a bash
// script, sends `signal` a second later (time for even a sanitized build to reach its wait), and
// waits up to 5 s for the lab to end.
Stopped StopWhileWaiting(const ScratchFolder& folder, const std::string& setup,
                         const std::string& lab_arguments, const char* signal)
{
    std::string script = setup + "\n";
    script += Quote(LabPath()) + " " + lab_arguments + " 2>err & p=$!\n";
    script += "sleep 1; kill -" + std::string(signal) + " $p\n";
    script += "for i in $(seq 50); do kill -0 $p 2>/dev/null || break; sleep 0.1; done\n";
    script += "if kill -0 $p 2>/dev/null; then kill -KILL $p; wait $p; echo hung; "
              "else wait $p; echo $?; fi\n";
    folder.Write("stop.sh", script);
    const LabResult run = RunShell(folder, "bash stop.sh");
    std::string status = run.out;
    while (!status.empty() && status.back() == '\n')
        status.pop_back();
    return {status, ReadFile(folder.Work() / "err")};
}

TEST(StopWhileWaiting, EndTheWaitForAFifosReaderAtOnceLeavingNothing)
{
    for (const auto& [signal, status] :
         {std::pair{"INT", "130"}, std::pair{"TERM", "143"}, std::pair{"HUP", "129"}}) {
        ScratchFolder folder;
        const Stopped stopped = StopWhileWaiting(
            folder, "mkfifo ff", "--ticks 10 --state-out s.json --counts-out ff", signal);
        EXPECT_EQ(stopped.status, status) << signal;
        EXPECT_EQ(stopped.err.rfind("morvane-lab: interrupted while waiting for a reader of ff", 0),
                  0u)
            << stopped.err;
        EXPECT_EQ(folder.Names(), (std::set<std::string>{"err", "ff", "stop.sh"})) << signal;
    }
}

TEST(StopWhileWaiting, EndTheWaitForAnInputThatNeverComesOrNeverEnds)
{
    const struct {
        const char* setup;
        const char* arguments;
        const char* signal;
        const char* status;
    } cases[] = {
        {"mkfifo ev", "--ticks 10 --events ev --hash", "INT", "130"},
        {"mkfifo ev; (sleep 4 > ev &)", "--ticks 10 --events ev --hash", "TERM", "143"},
        {"", "--ticks 10 --resume <(sleep 4) --hash", "TERM", "143"},
        {"", "--ticks 10 --events <(yes '0 middle 1 1') --hash", "TERM", "143"},
    };
    for (const auto& c : cases) {
        ScratchFolder folder;
        const Stopped stopped = StopWhileWaiting(folder, c.setup, c.arguments, c.signal);
        EXPECT_EQ(stopped.status, c.status) << c.arguments;
        EXPECT_EQ(stopped.err.rfind("morvane-lab: interrupted while ", 0), 0u) << stopped.err;
    }
}

TEST(StopWhileWaiting, AnEventsFileWithoutLineEndsIsRefusedAtOnce)
{
    ScratchFolder folder;
    // A lab that reads on is killed after 5 s, before it can take much of the machine.
    const LabResult run = RunShell(folder, "timeout -s KILL 5 " + Quote(LabPath()) +
                                               " --ticks 10 --events /dev/zero --hash");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "morvane-lab: error: /dev/zero:1: the line is longer than 4096 characters\n");
}

} // namespace
} // namespace morvane::labtest
