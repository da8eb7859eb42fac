// An ensemble: R runs from seeds S, S+1, ..., S+R-1 spread over threads, each through the
// same tick loop as a single world, and their outputs made once every run is done; or a fork,
// R runs going on from one kept world, run r drawing from seed S + r. A sweep is P such
// ensembles side by side, one for each of its points' rules, with the same seeds: its runs
// are numbered point by point, run k being run k % R of point k / R.
#pragma once

#include <ostream>
#include <vector>

#include "lab/command/events_file.h"
#include "lab/command/request.h"
#include "lab/run/stop_flag.h"
#include "lab/shards/ensemble_identity.h"
#include "sim/run_state.h"

namespace morvane::lab {

// The default thread count: the machine's cores, or 1 when it cannot tell.
std::uint64_t DefaultThreads();

// Runs the ensemble the request describes from `start`, a fresh world or a kept one, every
// run with the same `releases` (ordered by after_ticks) and the random source restarted from
// its own seed. Every output comes out the same whatever the number of threads. Throws
// LabError; no output is then left. Stopped by `stop`, it throws RunInterrupted. `inputs`
// are the files the runs read, which a shard's samples record.
// `point_rules` are a sweep's points' rules, or none for an ensemble, whose one point runs under
// the start's rules.
void RunEnsemble(const Request& request, RunState start, const std::vector<Rules>& point_rules,
                 const std::vector<ScriptedRelease>& releases, const InputDigests& inputs,
                 std::ostream& warnings, std::ostream& out, StopFlag stop);

} // namespace morvane::lab
