// --hash: the final world's 64-bit hash on stdout, so two runs, builds or machines can be
// compared at a glance.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"

namespace morvane::lab {

// One line, the hash of the world; for an ensemble a line "<seed> <hash>" per run, in seed
// order. Writes no file.
std::unique_ptr<WorldOutput> MakeWorldHash(const std::string& value,
                                           const std::vector<OutputFile*>& files);
std::unique_ptr<EnsembleOutput> MakeEnsembleHashes(const std::string& value,
                                                   const std::vector<OutputFile*>& files);

} // namespace morvane::lab
