// One world from one seed: its dump, counts, canvases, statistics rows, figure and hash.
#pragma once

#include <ostream>
#include <vector>

#include "lab/events_file.h"
#include "lab/lab_run.h"

namespace morvane::lab {

// Runs the one world the options describe. `releases` are ordered by after_ticks; the hash
// goes to `out`. Throws LabError; no output is then left behind.
void RunSingle(const LabOptions& options, const std::vector<ScriptedRelease>& releases,
               std::ostream& warnings, std::ostream& out);

} // namespace morvane::lab
