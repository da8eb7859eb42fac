// The --counts-out table: one row per tick with the counts its two passes took.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "sim/tick.h"

namespace morvane::lab {

struct CountsRow {
    std::uint64_t tick = 0; // 1..N
    TickCounts counts;      // taken during the passes, before the top-ups
};

// The header line, newline included.
std::string CountsHeader();

// Appends one row, newline included, to `text`.
void AppendCountsLine(std::string& text, const CountsRow& row);

// --counts-out: the header, then a row after every tick.
std::unique_ptr<WorldOutput> MakeCountsOutput(const std::string& value,
                                              const std::vector<OutputFile*>& files);

} // namespace morvane::lab
