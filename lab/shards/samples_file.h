// A shard's samples (--samples-out): for each of its runs, what the ensemble's outputs take
// from it (the summary line's values, the final world's hash and the sample rows), and for
// the whole shard the request it followed, a sweep's points' rules included, so that
// `morvane-lab merge` can tell the shards of one ensemble or sweep from any other and make its
// outputs from them. Little-endian, with a format version and a CRC-32; the layout, field by
// field, is in docs/cluster.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "lab/shards/ensemble_identity.h"
#include "lab/shards/shard.h"

namespace morvane::lab {

// Raised when the version of the format changes what a reader must do. Version 2 keeps the
// rules (each point's, in a sweep) and each run's deaths by cause; the runs of an ensemble
// under the window's rules are still kept as version 1, byte for byte.
inline constexpr std::uint32_t SamplesFormatVersion = 2;
inline constexpr std::uint32_t OldestSamplesFormatRead = 1;
// The longest program version a samples file records.
inline constexpr std::size_t MostProgramVersionBytes = 64;
// No samples file is longer: a million runs of 92 bytes, four million rows of 20, a million
// points varying every rule (152 bytes each), a header.
inline constexpr std::size_t MostSamplesFileBytes = 320u << 20;

// A samples file that cannot be read: `what()` names the problem in a few words.
struct SamplesError : std::runtime_error {
    explicit SamplesError(const std::string& problem) : std::runtime_error(problem) {}
};

struct ShardSamples {
    EnsembleIdentity identity;
    Shard shard;
    RunRange runs; // of identity.AllRuns()
    // One per run, in point-then-seed order. Of each run's totals only the births and deaths
    // by kind and the ticks below three animals are kept (no deaths in format version 1), of
    // its final census the count and the two means.
    std::vector<RunRecord> records;
};

// The bytes of a samples file for `ensemble`, whose records all hold their sample rows.
std::string WriteSamples(const FinishedEnsemble& ensemble);

// Reads what WriteSamples wrote. Throws SamplesError for anything else, whatever the bytes.
ShardSamples ReadSamples(std::string_view bytes);

// --samples-out: the samples file of the runs, the shard's or the whole ensemble's.
std::unique_ptr<EnsembleOutput> MakeSamplesOutput(const std::string& value,
                                                  const std::vector<OutputFile*>& files);

} // namespace morvane::lab
