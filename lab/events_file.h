// Mouse releases scripted in a text file, one a line: <ticks before> <button> <x> <y>.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "lab/ensemble_identity.h"

namespace morvane::lab {

struct ScriptedRelease {
    std::uint64_t after_ticks; // ticks run before the release is delivered; 0 = before the first
    std::int16_t button;       // LeftButton, RightButton or MiddleButton of sim/mouse_release.h
    float x;                   // world canvas pixels, the nearest float to the text
    float y;
    std::uint64_t line; // 1-based line of the file, for messages (a file may hold billions)
};

// Reads every release of `in`, in file order. Blank lines and lines starting with # are
// skipped. A malformed line throws LabError naming `source` and the line number.
std::vector<ScriptedRelease> ReadEvents(std::istream& in, const std::string& source);

// Reads the events file at `path`; an unreadable file throws LabError. The bytes read are
// taken into `digest` when one is given.
std::vector<ScriptedRelease> ReadEventsFile(const std::string& path, FileDigest* digest = nullptr);

// One warning line on `warnings` for each release after more than `ticks` ticks, which a run
// of `ticks` never reaches; `path` is the events file, for the message.
void WarnLateReleases(const std::vector<ScriptedRelease>& releases, const std::string& path,
                      std::uint64_t ticks, std::ostream& warnings);

} // namespace morvane::lab
