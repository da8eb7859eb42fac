// Everything that can be refused is refused before the first tick, in the order a user would
// fix it: options that contradict each other, files that clash (before any is read, so a
// checkpoint named as the events file too is not read as one), the events file, the
// checkpoint, then a run that cannot go on from where it starts.
#include "lab/run/run_request.h"

#include <algorithm>
#include <vector>

#include "lab/command/events_file.h"
#include "lab/command/lab_error.h"
#include "lab/command/sweep_points.h"
#include "lab/outputs/checkpoint_file.h"
#include "lab/run/ensemble.h"
#include "lab/run/run_plan.h"
#include "lab/run/single_world.h"
#include "lab/shards/shard.h"
#include "sim/number_text.h"

namespace morvane::lab {

namespace {

// A fresh world from the first seed, or the kept one; a single run resumed with --seed asks
// what chance would have done from there, so its random source starts again. Either runs on
// under its rules (the window's, or the kept world's) with the changes asked for: a resumed
// world with --rule forks under other rules from the tick it was kept at.
RunState StartOf(const Request& request, const std::vector<RuleChange>& rule_changes,
                 FileDigest& digest)
{
    RunState start = request.Resumed() ? ReadCheckpointFile(request.resume, &digest)
                                       : FreshRun(request.FirstSeed());
    if (request.Resumed() && request.seed && !request.Ensemble()) {
        start.random = RandomSource::FromSeed(*request.seed);
        start.seed = *request.seed;
    }
    start.rules = WithChanges(start.rules, rule_changes);
    return start;
}

// A sweep's points, each the run's rules with the point's changes made, every one held
// together before the first tick; none for a request that is no sweep. A rule is fixed or
// swept, never both: `from_file` are the changes the rules file asked for.
std::vector<Rules> PointRulesOf(const Request& request, const std::vector<RuleChange>& from_file,
                                const Rules& start)
{
    if (!request.Sweep()) return {};
    const SweepPoints sweep =
        request.design_file.empty() ? GridOf(request.varies) : ReadDesignFile(request.design_file);
    const char* swept_by = request.design_file.empty() ? "--vary" : "the design";
    for (const RuleEntry* varied : sweep.varied) {
        for (const RuleChange& fixed : request.rule_options)
            if (fixed.rule == varied)
                throw LabError(std::string("rule ") + varied->name +
                               " is both set by --rule and swept by " + swept_by);
        for (const RuleChange& fixed : from_file)
            if (fixed.rule == varied)
                throw LabError(std::string("rule ") + varied->name + " is both set by --rules " +
                               request.rules_file + " and swept by " + swept_by);
    }
    const std::uint64_t points = sweep.points.size(), runs = *request.runs;
    if (points > MostRuns / runs)
        throw LabError(GroupedDigits(points) + " points of " + GroupedDigits(runs) +
                       " runs each are more than the " + GroupedDigits(MostRuns) +
                       " runs one request may make");
    if (request.shard && request.shard->count > points * runs)
        throw LabError("--shard " + ShardText(*request.shard) + ": the sweep has only " +
                       GroupedDigits(points * runs) + " runs (" + GroupedDigits(points) +
                       (points == 1 ? " point of " : " points of ") + GroupedDigits(runs) +
                       (runs == 1 ? " run" : " runs") + "), fewer than the parts asked for");
    std::vector<Rules> rules;
    for (std::size_t p = 0; p < sweep.points.size(); ++p) {
        try {
            rules.push_back(WithChanges(start, sweep.points[p]));
        } catch (const LabError& refused) {
            throw LabError("the sweep's point " + std::to_string(p) + ": " + refused.what());
        }
    }
    return rules;
}

} // namespace

void RunRequest(const Request& request, std::ostream& warnings, std::ostream& out, StopFlag stop)
{
    CheckCombinations(request);
    RefuseSharedFiles(request);
    InputDigests inputs;
    std::vector<ScriptedRelease> releases;
    if (!request.events.empty()) releases = ReadEventsFile(request.events, &inputs.events);
    std::stable_sort(releases.begin(), releases.end(),
                     [](const ScriptedRelease& a, const ScriptedRelease& b) {
                         return a.after_ticks < b.after_ticks;
                     });
    std::vector<RuleChange> from_file;
    if (!request.rules_file.empty()) from_file = ReadRulesFile(request.rules_file);
    std::vector<RuleChange> rule_changes = from_file;
    rule_changes.insert(rule_changes.end(), request.rule_options.begin(),
                        request.rule_options.end());
    RunState start = StartOf(request, rule_changes, inputs.checkpoint);
    const std::vector<Rules> point_rules = PointRulesOf(request, from_file, start.rules);
    CheckRunFits(request, start, std::max<std::size_t>(point_rules.size(), 1));
    if (request.Ensemble())
        RunEnsemble(request, std::move(start), point_rules, releases, inputs, warnings, out, stop);
    else
        RunSingleWorld(request, std::move(start), releases, warnings, out, stop);
}

} // namespace morvane::lab
