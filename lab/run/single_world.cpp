// Events are delivered between ticks exactly as the window's mouse handler would deliver them,
// and every output is opened before the first tick so a bad path costs no run.
#include "lab/run/single_world.h"

#include <cstdio>
#include <optional>

#include "lab/command/lab_error.h"
#include "lab/outputs/checkpoint_file.h"
#include "lab/outputs/output_set.h"
#include "lab/run/run_plan.h"
#include "lab/run/tick_loop.h"
#include "sim/number_text.h"

namespace morvane::lab {

namespace {

// `path` as one word a shell reads back as it is: quoted only when it needs to be.
std::string ShellWord(const std::string& path)
{
    const bool plain =
        !path.empty() && path.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                                "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                "0123456789._-/+,:=@%") == std::string::npos;
    if (plain) return path;
    std::string word = "'";
    for (char c : path)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

// "a", "a and b", "a, b and c".
std::string Joined(const std::vector<std::string>& items)
{
    std::string list;
    for (std::size_t k = 0; k < items.size(); ++k)
        list += (k == 0 ? "" : k + 1 == items.size() ? " and " : ", ") + items[k];
    return list;
}

// What an interrupted run left: the checkpoint to go on from, if one was kept, and the pipes
// that already took part of their output, which cannot be called unwritten.
RunInterrupted Stopped(int signal, std::uint64_t done, std::uint64_t asked,
                       const std::optional<std::string>& kept,
                       const std::vector<std::string>& delivered)
{
    std::string line =
        "interrupted after " + GroupedDigits(done) + " of " + GroupedDigits(asked) + " ticks; ";
    const std::string partly = delivered.empty() ? ""
                                                 : Joined(delivered) +
                                                       (delivered.size() == 1 ? " has" : " have") +
                                                       " taken part of its output";
    if (kept) {
        line += "continue with --resume " + ShellWord(*kept) + " --ticks " +
                std::to_string(asked - done);
        if (!partly.empty()) line += " (" + partly + ")";
    } else if (partly.empty()) {
        line += "nothing was written (--checkpoint-out keeps a world to go on from)";
    } else {
        line += "no file was written, but " + partly +
                " (--checkpoint-out keeps a world to go on from)";
    }
    return RunInterrupted(signal, line);
}

} // namespace

void RunSingleWorld(const Request& request, RunState start,
                    const std::vector<ScriptedRelease>& releases, std::ostream& warnings,
                    std::ostream& out, StopFlag stop)
{
    OutputSet<WorldOutput> outputs = OpenWorldOutputs(request.outputs);
    RunPlan plan = PlanOf(request, start);
    plan.releases = &releases;
    plan.stop = stop;
    // Warned only once every output is open, so a run refused for its outputs says one thing.
    WarnLateReleases(releases, request.events, plan.to, warnings);

    WorldRun world_run(std::move(start));
    RunState& run = world_run.State();
    // Nobody looks at the canvases unless an output keeps them, and drawing changes no world
    // value, so otherwise the run draws on surfaces that keep nothing.
    bool keep_canvases = false;
    Listeners listeners;
    for (auto& output : outputs.outputs) {
        keep_canvases |= output->NeedsCanvases();
        listeners.Add(*output);
    }
    if (!keep_canvases) run.space = Canvas::Discarding(), run.graph = Canvas::Discarding();
    std::optional<RollingCheckpoint> rolling;
    if (request.checkpoint_every) {
        rolling.emplace(*request.ValueOf(KeepsWorlds), *request.checkpoint_every);
        listeners.Add(*rolling);
    }

    const std::uint64_t from = run.ticks_run;
    RunTotals totals;
    {
        ProgressMeter progress(static_cast<double>(request.ticks), ProgressWanted(request.quiet),
                               stderr);
        totals = RunTicks(plan, world_run, listeners, &progress);
    } // the bar is wiped here, before anything else is said
    if (totals.stopped)
        throw Stopped(stop.Signal(), run.ticks_run - from, request.ticks, outputs.Interrupt(run),
                      outputs.Delivered());

    outputs.Finish(run, out);
}

} // namespace morvane::lab
