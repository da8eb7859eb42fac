// The --selection-out table: for each trait, at each statistics row after the run's start, how
// its mean moved since the row before and what moved it; with --runs, the 10/50/90 %
// quantiles of each part across the runs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "lab/outputs/selection_follower.h"

namespace morvane::lab {

std::string SelectionHeader();                             // newline included
std::string SelectionLines(const SelectionWindow& window); // speed's line, then turn's

std::unique_ptr<WorldOutput> MakeSelectionOutput(const std::string& value,
                                                 const std::vector<OutputFile*>& files);
std::unique_ptr<EnsembleOutput> MakeSelectionQuantilesOutput(const std::string& value,
                                                             const std::vector<OutputFile*>& files);

} // namespace morvane::lab
