// An ensemble: R runs from seeds S, S+1, ..., S+R-1 spread over threads, each through the
// same tick loop as a single world, and their outputs made once every run is done.
#pragma once

#include <ostream>
#include <vector>

#include "lab/events_file.h"
#include "lab/request.h"

namespace morvane::lab {

// The default thread count: the machine's cores, or 1 when it cannot tell.
std::uint64_t DefaultThreads();

// Runs the ensemble the request describes, every run with the same `releases` (ordered by
// after_ticks). Every output comes out the same whatever the number of threads. Throws
// LabError; no output is then left.
void RunEnsemble(const Request& request, const std::vector<ScriptedRelease>& releases,
                 std::ostream& warnings, std::ostream& out);

} // namespace morvane::lab
