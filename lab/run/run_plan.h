// A request as the tick loop follows it: how far the run goes, its rows, and whether it can
// go on at all from where it starts.
#pragma once

#include "lab/command/request.h"
#include "lab/run/tick_loop.h"
#include "sim/run_state.h"

namespace morvane::lab {

// How the tick loop runs the request from `start`; the releases and the stop flag are the
// caller's to add.
RunPlan PlanOf(const Request& request, const RunState& start);

// Throws LabError when the run cannot go on from `start` as asked: past 2^64 - 1 ticks, with
// more rows than memory would hold, or with statistics rows that the births and deaths
// `start` carries do not lead to.
void CheckRunFits(const Request& request, const RunState& start, std::uint64_t points = 1);

} // namespace morvane::lab
