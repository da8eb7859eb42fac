// morvane-lab: runs the world without a window, for as many ticks as asked, and writes it out.
// The flow runs one way: the command line, the request, the runs, the outputs.
#include <exception>
#include <iostream>

#include "lab/command_line.h"
#include "lab/request.h"

int main(int argc, char** argv)
{
    try {
        const auto request = morvane::lab::ReadCommandLine(argc, argv, std::cout);
        if (request) morvane::lab::RunRequest(*request, std::cerr, std::cout);
    } catch (const std::exception& e) {
        std::cerr << "morvane-lab: error: " << e.what() << "\n";
        return 2; // bad input
    }
    return 0;
}
