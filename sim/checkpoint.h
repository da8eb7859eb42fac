// A checkpoint: a run's whole state (sim/run_state.h), everything needed to continue a world
// exactly, as bytes that can be kept in a file and read back by this program or the Python
// module. The layout, field by field, is in docs/checkpoint.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/run_state.h"

namespace morvane {

// Raised when the version of the format changes what a reader must do. Version 2 keeps the
// run's rules; a version 1 checkpoint, which has none, is of a world under the window's, and
// such a world is still written as one.
inline constexpr std::uint32_t CheckpointFormatVersion = 2;
inline constexpr std::uint32_t OldestCheckpointFormatRead = 1;
// Raised whenever a change to the world's rules would make an old world continue differently.
inline constexpr std::uint32_t WorldRulesVersion = 1;
// No checkpoint is longer (one is at most about 1 MB, its state uncompressed): a reader need
// never take in more of a file than this and one byte.
inline constexpr std::size_t MostCheckpointBytes = 4u << 20;

// A checkpoint that cannot be read: `what()` names the problem in a few words ("not a
// checkpoint", "truncated", ...), for a message that also names the file.
struct CheckpointError : std::runtime_error {
    explicit CheckpointError(const std::string& problem) : std::runtime_error(problem) {}
};

// The checkpoint as bytes: a header, the state compressed with zlib, and zlib's CRC-32 of all
// that comes before it. `program_version` is recorded for people, not checked.
std::string WriteCheckpoint(const RunState& run, std::string_view program_version);

// Reads what WriteCheckpoint wrote, now or in format version 1. Throws CheckpointError for
// anything else, whatever the bytes: another file, a truncated or corrupted one, a newer
// format, other world rules, rules out of their ranges.
RunState ReadCheckpoint(std::string_view bytes);

} // namespace morvane
