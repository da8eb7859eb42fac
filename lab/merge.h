// morvane-lab merge: the outputs of an ensemble made from the samples files of its shards,
// byte for byte those one process running every run would have written.
#pragma once

#include <array>
#include <csignal>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "lab/output_table.h"

namespace morvane::lab {

struct MergeRequest {
    std::vector<std::string> files; // samples files, in any order
    // The value given for each output of Outputs() asked for ("" for a flag); only those that
    // MadeFromSamples passes.
    std::array<std::optional<std::string>, OutputKinds> outputs;
};

// Whether the merge can make `kind`: an ensemble's output that needs nothing of its runs but
// what their samples files keep, as the table of outputs says.
bool MadeFromSamples(const OutputKind& kind);

// Reads the files, checks that they hold every run of one request once, and writes the
// outputs, printing to `out`. Throws LabError naming the files concerned, leaving no output.
// When `stop` is set (to a signal's number) it throws RunInterrupted, leaving no output.
void RunMerge(const MergeRequest& request, std::ostream& out,
              const volatile std::sig_atomic_t* stop = nullptr);

} // namespace morvane::lab
