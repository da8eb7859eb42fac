// One world, fresh or resumed, its outputs listening to its run.
#pragma once

#include <ostream>
#include <vector>

#include "lab/command/events_file.h"
#include "lab/command/request.h"
#include "lab/run/stop_flag.h"
#include "sim/run_state.h"

namespace morvane::lab {

// Runs the one world the request describes on from `start`. `releases` are ordered by
// after_ticks; what the outputs print goes to `out`. Throws LabError; no output is then left
// behind. Stopped by `stop`, it keeps a checkpoint when one was asked for and throws
// RunInterrupted saying how to go on.
void RunSingleWorld(const Request& request, RunState start,
                    const std::vector<ScriptedRelease>& releases, std::ostream& warnings,
                    std::ostream& out, StopFlag stop);

} // namespace morvane::lab
