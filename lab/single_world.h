// One world from one seed, its outputs listening to its run.
#pragma once

#include <ostream>
#include <vector>

#include "lab/events_file.h"
#include "lab/request.h"

namespace morvane::lab {

// Runs the one world the request describes. `releases` are ordered by after_ticks; what the
// outputs print goes to `out`. Throws LabError; no output is then left behind.
void RunSingleWorld(const Request& request, const std::vector<ScriptedRelease>& releases,
                    std::ostream& warnings, std::ostream& out);

} // namespace morvane::lab
