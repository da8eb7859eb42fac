// The whole world as JSON, every float written so it reads back to exactly the same float.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane::lab {

// {"ticks_run": N, "tick": T, "animals": {"x": [...251], ...}, "plants": {"x": [...501], ...}},
// with "rules": {"mating-energy": 1000, ...} after "ticks_run" unless they are the window's.
void WriteStateJson(std::FILE* out, const World& world, std::uint64_t ticks_run,
                    const Rules& rules);

// --state-out: the world after the run, as above.
std::unique_ptr<WorldOutput> MakeStateOutput(const std::string& value,
                                             const std::vector<OutputFile*>& files);

} // namespace morvane::lab
