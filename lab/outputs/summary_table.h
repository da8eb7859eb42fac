// The --summary-out table: one line per run of an ensemble, in seed order, with its final
// population, mean traits and births.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"

namespace morvane::lab {

// The header line, newline included.
std::string SummaryHeader();

// One run's line, newline included; the means are empty when the run ends with no animal.
std::string SummaryLine(const RunRecord& record);

// --summary-out: the header, then a line per run, in seed order.
std::unique_ptr<EnsembleOutput> MakeSummaryOutput(const std::string& value,
                                                  const std::vector<OutputFile*>& files);

} // namespace morvane::lab
