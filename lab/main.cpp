// morvane-lab: runs the world without a window, for as many ticks as asked, and writes it out.
// The flow runs one way: the command line, the request, the runs, the outputs.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <string_view>

#include "lab/command/command_line.h"
#include "lab/command/lab_error.h"
#include "lab/run/run_request.h"
#include "lab/run/stop_signals.h"
#include "lab/shards/merge.h"
#include "sim/quoted_text.h"

namespace {

// What the run printed (the hashes, the help) is an output like any file: one that could not
// be written is an error, not a success with nothing to show.
void FinishStandardOutput()
{
    std::cout.flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout) || !std::cout)
        throw morvane::lab::LabError(std::string("standard output could not be written: ") +
                                     std::strerror(errno != 0 ? errno : EIO));
}

// One line, whatever names and values the message quotes.
void Say(const std::string& line) { std::cerr << morvane::PrintableLine(line) << "\n"; }

} // namespace

int main(int argc, char** argv)
{
    using namespace morvane::lab;
    try {
        const StopSignals signals;
        if (argc > 1 && std::string_view(argv[1]) == "merge") {
            const auto merge = ReadMergeCommandLine(argc - 1, argv + 1, std::cout);
            if (merge) RunMerge(*merge, std::cout, StopSignals::Flag());
        } else {
            const auto request = ReadCommandLine(argc, argv, std::cout);
            if (request) RunRequest(*request, std::cerr, std::cout, StopSignals::Flag());
        }
        errno = 0;
        FinishStandardOutput();
    } catch (const RunInterrupted& stopped) {
        Say(std::string("morvane-lab: ") + stopped.what());
        return ExitStatusAfter(stopped.signal);
    } catch (const std::bad_alloc&) {
        Say("morvane-lab: error: not enough memory for this request");
        return 2;
    } catch (const std::exception& e) {
        Say(std::string("morvane-lab: error: ") + e.what());
        return 2; // bad input
    }
    return 0;
}
