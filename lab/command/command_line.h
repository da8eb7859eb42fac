// morvane-lab's command line: the options of the run and those of the table of outputs,
// their help, and the reading of their values into a Request.
#pragma once

#include <ostream>

#include "lab/command/request.h"
#include "lab/shards/merge.h"

namespace morvane::lab {

// Reads the command line. Prints the help to `out` and returns nothing for --help; throws
// LabError for anything it cannot use, with the message to show.
std::optional<Request> ReadCommandLine(int argc, const char* const* argv, std::ostream& out);

// Reads the command line of `morvane-lab merge`, argv[0] being "merge"; likewise.
std::optional<MergeRequest> ReadMergeCommandLine(int argc, const char* const* argv,
                                                 std::ostream& out);

} // namespace morvane::lab
