// An ensemble: R runs from seeds S, S+1, ..., S+R-1 spread over threads, summarised per run
// and as quantiles across the runs every K ticks.
#pragma once

#include <ostream>
#include <vector>

#include "lab/events_file.h"
#include "lab/lab_run.h"

namespace morvane::lab {

// The default thread count: the machine's cores, or 1 when it cannot tell.
std::uint64_t DefaultThreads();

// Runs the ensemble the options describe, every run with the same `releases` (ordered by
// after_ticks). The outputs and the hashes (one "seed hash" line per run, in seed order) come
// out the same whatever the number of threads. Throws LabError; no output is then left.
void RunEnsemble(const LabOptions& options, const std::vector<ScriptedRelease>& releases,
                 std::ostream& warnings, std::ostream& out);

} // namespace morvane::lab
