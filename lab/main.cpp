// morvane-lab: runs the world without a window, for as many ticks as asked, and writes it out.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
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

// CLI11's own conversion goes through strtoull in base 0, which wraps "-5" to a huge count,
// saturates numbers beyond 2^64 - 1 and reads "010" as octal; so the numbers are taken as
// text and read here, in plain decimal digits only.
std::uint64_t ReadWholeNumber(const std::string& option, const std::string& text)
{
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (!text.empty() && ec == std::errc() && stop == end) return value;

    // Name the fault as the user would see it; strtod reads any number they might have meant.
    char* number_end = nullptr;
    errno = 0;
    const double number = std::strtod(text.c_str(), &number_end);
    const bool numeric = !text.empty() && *number_end == '\0';
    std::string fault = "is not a number";
    if (ec == std::errc::result_out_of_range)
        fault = "is too large";
    else if (text.empty())
        fault = "is empty";
    else if (numeric && number < 0)
        fault = "is negative";
    else if (numeric && errno == ERANGE && std::isinf(number))
        fault = "is too large";
    else if (numeric && !std::isfinite(number))
        fault = "is not finite";
    else if (numeric && number != std::floor(number))
        fault = "is not a whole number";
    else if (numeric && number > 18446744073709551615.0)
        fault = "is too large";
    else if (numeric)
        fault = "is not written in plain decimal digits";
    throw morvane::lab::LabError(option + " '" + text + "' " + fault +
                                 " (expected a whole number from 0 to 18446744073709551615)");
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

} // namespace

int main(int argc, char** argv)
{
    morvane::lab::LabOptions options;
    std::string ticks, seed;
    CLI::App app{"morvane-lab: runs the Morvane world headless and writes what it became.\n"
                 "Without a seed the world starts from the window program's fixed state, so the\n"
                 "same ticks and events give the same world, bit for bit.",
                 "morvane-lab"};
    app.add_option("--ticks", ticks, "ticks to run on a fresh world")
        ->required()
        ->type_name("N")
        ->check(NotAnOption);
    app.add_option("--seed", seed, "start the random source from this seed (0 to 2^64-1)")
        ->type_name("S")
        ->check(NotAnOption);
    app.add_option("--events", options.events,
                   "mouse releases to deliver: '<ticks before> <left|right|middle> <x> <y>' a line")
        ->type_name("FILE")
        ->check(NotAnOption);
    app.add_option("--state-out", options.state_out, "write the whole world as JSON after the run")
        ->type_name("FILE")
        ->check(NotAnOption);
    app.add_option("--counts-out", options.counts_out,
                   "write each tick's counts as CSV (tick,animals,plants)")
        ->type_name("FILE")
        ->check(NotAnOption);
    app.add_option("--png", options.png_prefix,
                   "write PREFIX-space.png and PREFIX-graph.png, the two canvases after the run")
        ->type_name("PREFIX")
        ->check(NotAnOption);

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
        options.ticks = ReadWholeNumber("--ticks", ticks);
        if (app.count("--seed") > 0) options.seed = ReadWholeNumber("--seed", seed);
        // An empty name would otherwise read as "not asked for" and be silently ignored.
        const std::pair<const char*, const std::string*> files[] = {
            {"--events", &options.events},
            {"--state-out", &options.state_out},
            {"--counts-out", &options.counts_out},
            {"--png", &options.png_prefix}};
        for (const auto& [option, name] : files)
            if (app.count(option) > 0 && name->empty())
                throw morvane::lab::LabError(std::string(option) + " needs a file name");
        morvane::lab::RunLab(options, std::cerr);
    } catch (const std::exception& e) {
        return Refuse(e.what());
    }
    return 0;
}
