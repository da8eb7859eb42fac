// CLI11 takes the command line apart; the counts are then read strictly by ReadWholeNumber,
// so "1e3", "-5" or "0x10" are refused with a reason rather than converted.
#include "lab/command/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "lab/command/lab_error.h"
#include "lab/command/rules_file.h"
#include "lab/command/sweep_points.h"
#include "lab/command/whole_number.h"
#include "lab/shards/merge.h"
#include "sim/world_run.h"

namespace morvane::lab {

namespace {

// Every rule with its default and range, a line each, for the end of the help.
std::string RuleList()
{
    std::string list = "The rules (--rule NAME=VALUE, --rules FILE), each with the window's value "
                       "and its range:\n";
    for (const RuleEntry& rule : RuleBook) {
        std::string line = "  " + std::string(rule.name);
        line.resize(std::max<std::size_t>(line.size() + 1, 25), ' ');
        line += RuleText(WindowRules, rule) + ", " + RangeText(rule);
        line.resize(std::max<std::size_t>(line.size() + 1, 45), ' ');
        list += line + rule.meaning + "\n";
    }
    return list + "Together they must keep an energy within " + std::to_string(MostEnergy) +
           ": the most of mating-energy,\nforaging-energy and a newborn's most, plus twice "
           "plant-energy times the biggest plant\n(the most of seeding-size + 1, regrowth-spread "
           "and seedling-spread).";
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

// The values as text, read once CLI11 has taken the command line apart.
struct Texts {
    std::string ticks, seed, every, runs, threads, shard, events, resume, checkpoint_every;
    std::string rules_file, design;
    std::vector<std::string> rules, varies;
    std::array<std::string, OutputKinds> outputs;
    std::array<bool, OutputKinds> flags{};
};

// The figures are drawn by the Python package, from the tables the lab writes; an old command
// line is told where they went rather than that the option is unknown.
struct RetiredOption {
    const char* option;
    const char* instead;
};
constexpr RetiredOption RetiredOptions[] = {
    {"--plot", "draw it with python3 -m morvane.figures run (from --stats-out) or ensemble (from "
               "--ensemble-out)"},
    {"--trait-map", "draw it with python3 -m morvane.figures trait-map (from --lineage-out)"},
};

void RefuseRetiredOptions(int argc, const char* const* argv)
{
    for (int k = 1; k < argc; ++k)
        for (const RetiredOption& retired : RetiredOptions) {
            const std::string_view arg = argv[k], option = retired.option;
            if (arg == option || (arg.substr(0, option.size()) == option &&
                                  arg.size() > option.size() && arg[option.size()] == '='))
                throw LabError(std::string(retired.option) + " is no longer a figure the lab " +
                               "draws: " + retired.instead);
        }
}

void AddOutputs(CLI::App& app, Texts& texts, bool (*wanted)(const OutputKind&))
{
    for (std::size_t k = 0; k < OutputKinds; ++k) {
        const OutputKind& kind = Outputs()[k];
        if (!wanted(kind)) continue;
        if (kind.value_name)
            app.add_option(kind.option, texts.outputs[k], kind.help)
                ->type_name(kind.value_name)
                ->check(NotAnOption);
        else
            app.add_flag(kind.option, texts.flags[k], kind.help);
    }
}

// The options in the order of the help: the run, the outputs of one world, the ensemble's
// options and its outputs, then the bar.
void AddOptions(CLI::App& app, Texts& texts, bool& quiet)
{
    auto text = [&](const char* name, std::string& into, const char* help, const char* type) {
        return app.add_option(name, into, help)->type_name(type)->check(NotAnOption);
    };
    // Required, but checked only once CLI11 has named any argument it does not know, so a
    // mistyped "--tick 10" is reported as what it is.
    text("--ticks", texts.ticks, "ticks to run, on a fresh world or on from --resume (required)",
         "N");
    text("--seed", texts.seed,
         "start the random source from this seed (0 to 2^64-1); the first seed with --runs; "
         "with --resume, draw from it instead of the kept random source",
         "S");
    text("--events", texts.events,
         "mouse releases to deliver: '<ticks before> <left|right|middle> <x> <y>' a line, the "
         "ticks counted from the world's creation",
         "FILE");
    app.add_option("--rule", texts.rules,
                   "change one rule of the world from the window's, as listed below "
                   "(repeatable; on top of --rules and of a resumed world's rules)")
        ->type_name("NAME=VALUE")
        ->check(NotAnOption)
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    text("--rules", texts.rules_file,
         "change the rules named in FILE, one 'NAME = VALUE' a line, '#' comments", "FILE");
    text("--resume", texts.resume,
         "go on from a checkpoint of --checkpoint-out (with --runs and --seed: fork it into runs "
         "that differ only by chance)",
         "FILE");
    AddOutputs(app, texts, DescribesOneWorld);
    text("--checkpoint-every", texts.checkpoint_every,
         "with --checkpoint-out: also replace it whenever the tick count is a multiple of K", "K");
    static const std::string every_help = "ticks between the rows of " +
                                          OptionList(Sampled, "and") + " (default " +
                                          std::to_string(DefaultRowSpacing) + ")";
    text("--every", texts.every, every_help.c_str(), "K");
    text("--runs", texts.runs,
         "run R worlds from seeds S, S+1, ... (without --seed, from 42, the window's own)", "R");
    text("--threads", texts.threads, "threads for --runs (default: every core)", "N");
    text("--shard", texts.shard,
         "with --runs or a sweep, and --samples-out: run only the I-th of K parts of the runs "
         "(every point's, in a sweep), a job of its own for a scheduler; morvane-lab merge makes "
         "the outputs from the K samples files",
         "I/K");
    app.add_option("--vary", texts.varies,
                   "sweep the rule NAME over the values V1,V2,... or FIRST:STEP:LAST (FIRST + i x "
                   "STEP up to the nearest whole number of steps); several make the full grid, "
                   "the last varying fastest. Each point runs the --runs seeds S, S+1, ...")
        ->type_name("NAME=VALUES")
        ->check(NotAnOption)
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    text("--design", texts.design,
         "sweep the points of a CSV file whose header names rules and whose rows are the points "
         "(from scipy.stats.qmc, say)",
         "FILE");
    AddOutputs(app, texts, DescribesEnsembles);
    app.add_flag("--quiet", quiet, "show no progress bar");
}

// "-" names no file here: the outputs go to files, and standard output carries what the run
// prints (--hash). The system's own names for the streams serve instead.
void RefuseDash(const std::string& option, const std::string& path, bool written)
{
    if (path != "-") return;
    throw LabError(option + " -: '-' is not taken for standard " +
                   (written ? "output; name /dev/stdout to write there"
                            : "input; name /dev/stdin to read it"));
}

// A flag says the same however often it is given; twice is a slip, refused like a value given
// twice.
void RefuseRepeatedFlag(const CLI::App& app, const char* option)
{
    if (const std::size_t given = app.count(option); given > 1)
        throw LabError(std::string(option) + ": At Most 1 required but received " +
                       std::to_string(given) + " (see --help)");
}

void ReadOutputs(const CLI::App& app, const Texts& texts,
                 std::array<std::optional<std::string>, OutputKinds>& outputs)
{
    for (std::size_t k = 0; k < OutputKinds; ++k) {
        const OutputKind& kind = Outputs()[k];
        if (app.get_option_no_throw(kind.option) == nullptr || app.count(kind.option) == 0)
            continue;
        if (!kind.value_name) {
            RefuseRepeatedFlag(app, kind.option);
            if (texts.flags[k]) outputs[k] = "";
            continue;
        }
        if (texts.outputs[k].empty())
            throw LabError(std::string(kind.option) + " needs a file name");
        if (kind.files)
            for (const std::string& path : kind.files(texts.outputs[k]))
                RefuseDash(kind.option, path, true);
        outputs[k] = texts.outputs[k];
    }
}

Request ReadValues(const CLI::App& app, const Texts& texts, bool quiet)
{
    Request request;
    RefuseRepeatedFlag(app, "--quiet");
    request.quiet = quiet;
    if (app.count("--ticks") == 0) throw LabError("--ticks is required (see --help)");
    request.ticks = ReadWholeNumber("--ticks", texts.ticks);
    if (app.count("--seed") > 0) request.seed = ReadWholeNumber("--seed", texts.seed);
    if (app.count("--every") > 0)
        request.every = ReadWholeNumber("--every", texts.every, 1, LargestWholeNumber);
    if (app.count("--checkpoint-every") > 0)
        request.checkpoint_every =
            ReadWholeNumber("--checkpoint-every", texts.checkpoint_every, 1, LargestWholeNumber);
    if (app.count("--runs") > 0) request.runs = ReadWholeNumber("--runs", texts.runs, 1, MostRuns);
    if (app.count("--threads") > 0)
        request.threads = ReadWholeNumber("--threads", texts.threads, 1, MostThreads);

    // An empty name would otherwise read as "not asked for" and be silently ignored.
    if (app.count("--events") > 0 && texts.events.empty())
        throw LabError("--events needs a file name");
    RefuseDash("--events", texts.events, false);
    request.events = texts.events;
    if (app.count("--resume") > 0 && texts.resume.empty())
        throw LabError("--resume needs a file name");
    RefuseDash("--resume", texts.resume, false);
    request.resume = texts.resume;
    if (app.count("--rules") > 0 && texts.rules_file.empty())
        throw LabError("--rules needs a file name");
    RefuseDash("--rules", texts.rules_file, false);
    request.rules_file = texts.rules_file;
    for (const std::string& text : texts.varies)
        request.varies.push_back(ReadVary(text));
    if (app.count("--design") > 0 && texts.design.empty())
        throw LabError("--design needs a file name");
    RefuseDash("--design", texts.design, false);
    request.design_file = texts.design;
    // A sweep without --runs runs each point once, from the first seed.
    if (request.Sweep() && !request.runs) request.runs = 1;
    // A sweep's runs are known once its points are (a design is a file): they are checked then.
    if (app.count("--shard") > 0) {
        if (!request.runs)
            throw LabError("--shard needs --runs or a sweep, the runs it takes a part of");
        request.shard = ReadShard(texts.shard, request.Sweep() ? MostRuns : *request.runs);
    }
    for (const std::string& text : texts.rules) {
        request.rule_options.push_back(ReadRuleOption(text));
        for (std::size_t k = 0; k + 1 < request.rule_options.size(); ++k)
            if (request.rule_options[k].rule == request.rule_options.back().rule)
                throw LabError("--rule " + std::string(request.rule_options.back().rule->name) +
                               " is given twice");
    }
    ReadOutputs(app, texts, request.outputs);
    return request;
}

// CLI11 takes the command line apart; false when it asked for the help, printed to `out`.
bool Parse(CLI::App& app, int argc, const char* const* argv, std::ostream& out)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return false;
    } catch (const CLI::ParseError& e) {
        std::string message = e.what();
        for (char& c : message)
            if (c == '\n') c = ' ';
        throw LabError(message + " (see --help)");
    }
    return true;
}

} // namespace

std::optional<Request> ReadCommandLine(int argc, const char* const* argv, std::ostream& out)
{
    Texts texts;
    bool quiet = false;
    CLI::App app{"morvane-lab: runs the Morvane world headless and writes what it became.\n"
                 "Without a seed the world starts from the window program's fixed state (seed\n"
                 "42), so the same ticks and events give the same world, bit for bit.",
                 "morvane-lab"};
    app.footer("A FILE of '-' is refused: name /dev/stdout (or /dev/stdin for --events, --rules\n"
               "and --resume) for the standard streams, which --hash prints on.\n\n"
               "morvane-lab merge FILE... makes the outputs of an ensemble or a sweep run in\n"
               "shards from their --samples-out files (see morvane-lab merge --help).\n\n" +
               RuleList());
    AddOptions(app, texts, quiet);
    RefuseRetiredOptions(argc, argv);
    if (!Parse(app, argc, argv, out)) return std::nullopt;
    return ReadValues(app, texts, quiet);
}

std::optional<MergeRequest> ReadMergeCommandLine(int argc, const char* const* argv,
                                                 std::ostream& out)
{
    Texts texts;
    MergeRequest request;
    CLI::App app{
        "morvane-lab merge: makes the outputs of an ensemble or a sweep from the\n"
        "--samples-out files of its shards (--runs R --shard I/K, with --vary or --design\n"
        "for a sweep), byte for byte those of one process running every run. The files\n"
        "may come in any order; together they must hold every run of one request once.",
        "morvane-lab merge"};
    app.add_option("FILE", request.files, "samples files of the shards")->check(NotAnOption);
    AddOutputs(app, texts, MadeFromSamples);
    RefuseRetiredOptions(argc, argv);
    // The ensemble's other outputs are refused in words rather than as strangers.
    for (int k = 1; k < argc; ++k)
        for (const OutputKind& kind : Outputs())
            if (DescribesEnsembles(kind) && !MadeFromSamples(kind) &&
                std::string_view(argv[k]).substr(0, std::strlen(kind.option)) == kind.option)
                throw LabError("merge: " + std::string(kind.option) +
                               " cannot be made from samples files (merge makes " +
                               OptionList(MadeFromSamples, "and") + ")");
    if (!Parse(app, argc, argv, out)) return std::nullopt;
    if (request.files.empty())
        throw LabError("merge: no samples files given (see morvane-lab merge --help)");
    for (const std::string& path : request.files) {
        if (path.empty()) throw LabError("merge: an empty file name was given");
        RefuseDash("merge:", path, false);
    }
    ReadOutputs(app, texts, request.outputs);
    return request;
}

} // namespace morvane::lab
