// A run that could not finish (past the last tick count, or beyond the memory its rows would
// take) or whose rows would not follow on from the checkpoint's is refused before its first
// tick, so no output is begun for it.
#include "lab/run/run_plan.h"

#include "lab/command/lab_error.h"
#include "lab/run/row_schedule.h"
#include "sim/world_run.h"

namespace morvane::lab {

RunPlan PlanOf(const Request& request, const RunState& start)
{
    RunPlan plan;
    plan.to = start.ticks_run + request.ticks; // CheckRunFits refuses a sum past 2^64 - 1
    plan.every = request.RowSpacing();
    plan.take_rows = request.Asks(Sampled);
    plan.resumed = request.Resumed();
    return plan;
}

void CheckRunFits(const Request& request, const RunState& start, std::uint64_t points)
{
    const std::uint64_t from = start.ticks_run;
    try {
        CheckTicksFit("--ticks", request.ticks, from, " of " + request.resume);
    } catch (const RunRefused& refused) {
        throw LabError(refused.what());
    }

    // Sampled outputs that stream their rows need no memory; those that keep them do, and an
    // ensemble keeps every sampled output's rows, to take quantiles across its runs.
    const RunPlan plan = PlanOf(request, start);
    const std::uint64_t rows = RowsOf(plan, from).Count();
    const std::uint64_t runs = request.runs.value_or(1) * points; // every point's, in a sweep
    const bool keeps_rows = request.Ensemble() ? request.Asks(Sampled) : request.Asks(KeepsRows);
    if (keeps_rows && rows > MostSamples / runs)
        throw LabError(std::to_string(runs) + (runs == 1 ? " run" : " runs") + " of " +
                       std::to_string(rows) + " rows would keep more than " +
                       std::to_string(MostSamples) +
                       " samples in memory (take a larger --every or fewer --runs)");

    // A resumed run's first row counts the births and deaths since the last row of K before
    // the checkpoint; the checkpoint carries them since its own last row.
    const std::uint64_t last_row = LastRowAtOrBefore(from, plan.every);
    if (request.Resumed() && request.Asks(Tallied) && last_row != start.since_row_tick)
        throw LabError("--every " + std::to_string(plan.every) + ": " + request.resume +
                       " counts births and deaths from tick " +
                       std::to_string(start.since_row_tick) + ", but rows every " +
                       std::to_string(plan.every) + " ticks had their last at tick " +
                       std::to_string(last_row) + " (resume with the --every it was written with)");
}

} // namespace morvane::lab
