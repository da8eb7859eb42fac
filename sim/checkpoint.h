// A checkpoint: everything needed to continue a world exactly, as bytes that can be kept in a
// file and read back by this program or the Python module. The layout, field by field, is in
// docs/checkpoint.md.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "display/canvas.h"
#include "sim/life_tally.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane {

// Raised when the version of the format changes what a reader must do.
inline constexpr std::uint32_t CheckpointFormatVersion = 1;
// Raised whenever a change to the world's rules would make an old world continue differently.
inline constexpr std::uint32_t WorldRulesVersion = 1;

struct Checkpoint {
    World world;
    RandomSource random;
    Canvas space = Canvas::Space(); // both canvases, pixel for pixel
    Canvas graph = Canvas::Graph();
    std::uint64_t ticks_run = 0; // ticks since the world was created
    std::uint64_t seed = 0;      // the seed the world started from
    // What a statistics row needs to go on seamlessly: births and deaths since the last row.
    LifeTally since_row;
    std::int64_t born_by_events_since_row = 0;
};

// A checkpoint that cannot be read: `what()` names the problem in a few words ("not a
// checkpoint", "truncated", ...), for a message that also names the file.
struct CheckpointError : std::runtime_error {
    explicit CheckpointError(const std::string& problem) : std::runtime_error(problem) {}
};

// The checkpoint as bytes: a header, the state compressed with zlib, and zlib's CRC-32 of all
// that comes before it. `program_version` is recorded for people, not checked.
std::string WriteCheckpoint(const Checkpoint& checkpoint, std::string_view program_version);

// Reads what WriteCheckpoint wrote. Throws CheckpointError for anything else, whatever the
// bytes: another file, a truncated or corrupted one, a newer format, other world rules.
Checkpoint ReadCheckpoint(std::string_view bytes);

} // namespace morvane
