// The --sweep-out table: one CSV line per run of a sweep, in point-then-run order, each naming
// its point, its run, its seed and every rule it ran under (written so that each reads back to
// the same double), then what became of it and its world's hash. Any line replays alone:
// morvane-lab --seed SEED --rule NAME=VALUE ... --ticks N --hash prints its hash.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"

namespace morvane::lab {

// The header line, newline included: the rules under their Python names (speed_mutation).
std::string SweepHeader();

// One run's line, newline included.
std::string SweepLine(const RunRecord& record);

// --sweep-out.
std::unique_ptr<EnsembleOutput> MakeSweepOutput(const std::string& value,
                                                const std::vector<OutputFile*>& files);

} // namespace morvane::lab
