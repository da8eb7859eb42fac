// morvane-lab: runs the world without a window, for as many ticks as asked, and writes it out.
#include <CLI/CLI.hpp>

#include <iostream>

#include "lab/ensemble_run.h"
#include "lab/lab_error.h"
#include "lab/lab_run.h"
#include "lab/whole_number.h"

namespace {

constexpr int BadInput = 2;

int Refuse(const std::string& message)
{
    std::cerr << "morvane-lab: error: " << message << "\n";
    return BadInput;
}

// CLI11 takes the next argument as an option's value even when it is another option, so
// "--ticks --state-out s.json" would report s.json as unexpected and "--state-out --png" would
// write a file named "--png". An option name is refused as a value instead.
const CLI::Validator NotAnOption(
    [](std::string& value) {
        const bool option = value.rfind("--", 0) == 0 || value == "-h";
        return option ? "no value given (" + value + " is an option)" : std::string();
    },
    "");

// Numbers as text, read by ReadWholeNumber once CLI11 has taken the command line apart.
struct NumberTexts {
    std::string ticks, seed, every, runs, threads;
};

void AddOptions(CLI::App& app, morvane::lab::LabOptions& options, NumberTexts& numbers)
{
    auto text = [&](const char* name, std::string& into, const char* help, const char* type) {
        return app.add_option(name, into, help)->type_name(type)->check(NotAnOption);
    };
    text("--ticks", numbers.ticks, "ticks to run on a fresh world", "N")->required();
    text("--seed", numbers.seed,
         "start the random source from this seed (0 to 2^64-1); the first seed with --runs", "S");
    text("--events", options.events,
         "mouse releases to deliver: '<ticks before> <left|right|middle> <x> <y>' a line", "FILE");
    text("--state-out", options.state_out, "write the whole world as JSON after the run", "FILE");
    text("--counts-out", options.counts_out,
         "write each tick's counts as CSV (tick,animals,plants)", "FILE");
    text("--png", options.png_prefix,
         "write PREFIX-space.png and PREFIX-graph.png, the two canvases after the run", "PREFIX");
    text("--stats-out", options.stats_out,
         "write a CSV row of population, traits, births and deaths every K ticks", "FILE");
    text("--every", numbers.every,
         "ticks between the rows of --stats-out, --ensemble-out and --plot (default 100)", "K");
    text("--runs", numbers.runs,
         "run R worlds from seeds S, S+1, ... (without --seed, from 42, the window's own)", "R");
    text("--threads", numbers.threads, "threads for --runs (default: every core)", "N");
    text("--summary-out", options.summary_out, "with --runs: write one CSV line per run", "FILE");
    text("--ensemble-out", options.ensemble_out,
         "with --runs: write the 10/50/90 % quantiles across runs every K ticks as CSV", "FILE");
    text("--plot", options.plot,
         "draw populations, mean speed and mean turn over time (.png or .svg)", "FILE");
    app.add_flag("--hash", options.hash,
                 "print the final world's 64-bit hash (with --runs: "
                 "'seed hash' for each run)");
    app.add_flag("--quiet", options.quiet, "show no progress bar");
}

void ReadNumbers(const CLI::App& app, const NumberTexts& numbers, morvane::lab::LabOptions& options)
{
    using morvane::lab::LargestWholeNumber;
    using morvane::lab::ReadWholeNumber;
    options.ticks = ReadWholeNumber("--ticks", numbers.ticks);
    if (app.count("--seed") > 0) options.seed = ReadWholeNumber("--seed", numbers.seed);
    if (app.count("--every") > 0)
        options.every = ReadWholeNumber("--every", numbers.every, 1, LargestWholeNumber);
    if (app.count("--runs") > 0)
        options.runs = ReadWholeNumber("--runs", numbers.runs, 1, morvane::lab::MostRuns);
    if (app.count("--threads") > 0)
        options.threads =
            ReadWholeNumber("--threads", numbers.threads, 1, morvane::lab::MostThreads);
}

} // namespace

int main(int argc, char** argv)
{
    morvane::lab::LabOptions options;
    NumberTexts numbers;
    CLI::App app{"morvane-lab: runs the Morvane world headless and writes what it became.\n"
                 "Without a seed the world starts from the window program's fixed state (seed\n"
                 "42), so the same ticks and events give the same world, bit for bit.",
                 "morvane-lab"};
    AddOptions(app, options, numbers);

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
        ReadNumbers(app, numbers, options);
        // An empty name would otherwise read as "not asked for" and be silently ignored.
        const std::pair<const char*, const std::string*> files[] = {
            {"--events", &options.events},
            {"--state-out", &options.state_out},
            {"--counts-out", &options.counts_out},
            {"--png", &options.png_prefix},
            {"--stats-out", &options.stats_out},
            {"--summary-out", &options.summary_out},
            {"--ensemble-out", &options.ensemble_out},
            {"--plot", &options.plot}};
        for (const auto& [option, name] : files)
            if (app.count(option) > 0 && name->empty())
                throw morvane::lab::LabError(std::string(option) + " needs a file name");
        morvane::lab::RunLab(options, std::cerr, std::cout);
    } catch (const std::exception& e) {
        return Refuse(e.what());
    }
    return 0;
}
