// The lab's one entry to running: a request, checked, read in and run as one world or many.
#pragma once

#include <ostream>

#include "lab/command/request.h"
#include "lab/run/stop_flag.h"

namespace morvane::lab {

// Runs as the request says, after the checks above and reading the events file and the
// checkpoint. Warnings (events beyond the run) go to `warnings`, what the outputs print to
// `out`. Throws LabError for input that cannot be used; no output file is then left behind.
// When `stop` is set (to a signal's number) the run stops at the end of a tick and throws
// RunInterrupted, leaving only a checkpoint, if one was asked for.
void RunRequest(const Request& request, std::ostream& warnings, std::ostream& out,
                StopFlag stop = {});

} // namespace morvane::lab
