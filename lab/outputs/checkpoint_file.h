// Checkpoint files: --checkpoint-out writes one after the run (or when it is interrupted),
// --checkpoint-every replaces it during the run, and --resume reads one back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "lab/shards/ensemble_identity.h"
#include "sim/run_state.h"

namespace morvane::lab {

// The run's state read from the checkpoint file at `path`. Throws LabError naming the file
// and the problem: missing or unreadable, not a checkpoint, truncated, corrupt, a newer
// format, other world rules. The bytes read are taken into `digest` when one is given.
RunState ReadCheckpointFile(const std::string& path, FileDigest* digest = nullptr);

// --checkpoint-out: the run's whole state after its last tick.
std::unique_ptr<WorldOutput> MakeCheckpointOutput(const std::string& value,
                                                  const std::vector<OutputFile*>& files);

// --checkpoint-every: the checkpoint file replaced, whole, whenever the world's tick count
// reaches a multiple of `every`, so a crash loses at most `every` ticks.
class RollingCheckpoint : public RunListener {
public:
    RollingCheckpoint(std::string path, std::uint64_t every) : path_(std::move(path)), every_(every)
    {
    }
    void Settled(const RunState& run) override;

private:
    std::string path_;
    std::uint64_t every_;
};

} // namespace morvane::lab
