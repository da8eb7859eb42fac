// Mouse releases scripted in a text file, one a line: <ticks before> <button> <x> <y>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "lab/shards/ensemble_identity.h"

namespace morvane::lab {

struct ScriptedRelease {
    std::uint64_t after_ticks; // ticks run before the release is delivered; 0 = before the first
    std::int16_t button;       // LeftButton, RightButton or MiddleButton of sim/mouse_release.h
    float x;                   // world canvas pixels, the nearest float to the text
    float y;
    std::uint64_t line; // 1-based line of the file, for messages (a file may hold billions)
};

// A line of an events file holds four short fields; one far longer is not an events file.
inline constexpr std::size_t MostLineCharacters = 4096;
// A script of releases, not a recording: 64 MiB holds some six million of them.
inline constexpr std::uint64_t MostEventsFileBytes = std::uint64_t{64} << 20;

// Reads every release of `in`, in file order. Blank lines and lines starting with # are
// skipped, and so is a UTF-8 byte-order mark before the first line. A malformed line, or one
// longer than MostLineCharacters, throws LabError naming `source` and the line number.
std::vector<ScriptedRelease> ReadEvents(std::istream& in, const std::string& source);

// Reads the events file at `path`; an unreadable file, or one larger than MostEventsFileBytes,
// throws LabError, and a stop signal while it is read (a pipe that never ends, say) throws
// RunInterrupted. The bytes read are taken into `digest` when one is given.
std::vector<ScriptedRelease> ReadEventsFile(const std::string& path, FileDigest* digest = nullptr);

// One warning line on `warnings` for each release after more than `ticks` ticks, which a run
// of `ticks` never reaches; `path` is the events file, for the message.
void WarnLateReleases(const std::vector<ScriptedRelease>& releases, const std::string& path,
                      std::uint64_t ticks, std::ostream& warnings);

} // namespace morvane::lab
