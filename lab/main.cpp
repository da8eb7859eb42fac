// morvane-lab: runs the world without a window, for as many ticks as asked, and writes it out.
#include <CLI/CLI.hpp>

#include <iostream>

#include "lab/lab_error.h"
#include "lab/lab_run.h"

namespace {

constexpr int BadInput = 2;

int Refuse(const std::string& message)
{
    std::cerr << "morvane-lab: error: " << message << "\n";
    return BadInput;
}

} // namespace

int main(int argc, char** argv)
{
    morvane::lab::LabOptions options;
    CLI::App app{"morvane-lab: runs the Morvane world headless and writes what it became.\n"
                 "Without a seed the world starts from the window program's fixed state, so the\n"
                 "same ticks and events give the same world, bit for bit.",
                 "morvane-lab"};
    app.add_option("--ticks", options.ticks, "ticks to run on a fresh world")->required();
    app.add_option("--seed", options.seed, "start the random source from this seed (0 to 2^64-1)");
    app.add_option("--events", options.events,
                   "mouse releases to deliver: '<ticks before> <left|right|middle> <x> <y>' a line");
    app.add_option("--state-out", options.state_out, "write the whole world as JSON after the run");
    app.add_option("--counts-out", options.counts_out, "write each tick's counts as CSV (tick,animals,plants)");
    app.add_option("--png", options.png_prefix,
                   "write PREFIX-space.png and PREFIX-graph.png, the two canvases after the run");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        std::string message = e.what();
        for (char& c : message)
            if (c == '\n') c = ' ';
        return Refuse(message + " (see --help)");
    }

    try {
        morvane::lab::RunLab(options, std::cerr);
    } catch (const morvane::lab::LabError& e) {
        return Refuse(e.what());
    } catch (const std::exception& e) {
        return Refuse(e.what());
    }
    return 0;
}
