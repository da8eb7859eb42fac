// morvane-lab: runs the world without a window, for as many ticks as asked, and writes it out.
// The flow runs one way: the command line, the request, the runs, the outputs.
#include <exception>
#include <iostream>
#include <string_view>

#include "lab/command_line.h"
#include "lab/lab_error.h"
#include "lab/merge.h"
#include "lab/request.h"
#include "lab/stop_signals.h"

int main(int argc, char** argv)
{
    using namespace morvane::lab;
    try {
        const StopSignals signals;
        if (argc > 1 && std::string_view(argv[1]) == "merge") {
            const auto merge = ReadMergeCommandLine(argc - 1, argv + 1, std::cout);
            if (merge) RunMerge(*merge, std::cout, &StopSignals::Flag());
            return 0;
        }
        const auto request = ReadCommandLine(argc, argv, std::cout);
        if (request) RunRequest(*request, std::cerr, std::cout, &StopSignals::Flag());
    } catch (const RunInterrupted& stopped) {
        std::cerr << "morvane-lab: " << stopped.what() << "\n";
        return ExitStatusAfter(stopped.signal);
    } catch (const std::exception& e) {
        std::cerr << "morvane-lab: error: " << e.what() << "\n";
        return 2; // bad input
    }
    return 0;
}
