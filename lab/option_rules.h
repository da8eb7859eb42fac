// Which options go together: a run is refused before anything is read or written when two of
// its options contradict each other or it would not fit in memory.
#pragma once

#include <cstdint>

#include "lab/lab_run.h"

namespace morvane::lab {

// Throws LabError naming the options that do not go together.
void CheckCombinations(const LabOptions& options);

// The seed of the first run: --seed, or 42, the seed of the window's own starting state.
std::uint64_t FirstSeed(const LabOptions& options);

// Ticks between statistics rows: --every, or DefaultEvery.
std::uint64_t RowSpacing(const LabOptions& options);

} // namespace morvane::lab
