// morvane-lab merge: the outputs of an ensemble made from the samples files of its shards,
// byte for byte those one process running every run would have written.
#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "lab/outputs/output_table.h"
#include "lab/run/stop_flag.h"

namespace morvane::lab {

struct MergeRequest {
    std::vector<std::string> files; // samples files, in any order
    AskedOutputs outputs;           // only those that MadeFromSamples passes
};

// Reads the files, checks that they hold every run of one request once, and writes the
// outputs, printing to `out`. Throws LabError naming the files concerned, leaving no output.
// When `stop` is set (to a signal's number) it throws RunInterrupted, leaving no output.
void RunMerge(const MergeRequest& request, std::ostream& out, StopFlag stop = {});

} // namespace morvane::lab
