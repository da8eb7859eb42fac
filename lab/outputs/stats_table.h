// The --stats-out table: one row every K ticks with the population, the spread of the
// animals' traits and the births and deaths since the row before.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "lab/run/tick_loop.h"

namespace morvane::lab {

// The header line, newline included.
std::string StatsHeader();

// One row, newline included. With no living animal the trait and energy fields are empty.
std::string StatsLine(const SampleRow& row);

// --stats-out: the header, then a row every K ticks.
std::unique_ptr<WorldOutput> MakeStatisticsOutput(const std::string& value,
                                                  const std::vector<OutputFile*>& files);

} // namespace morvane::lab
