// A headless run of the world: ticks, scripted mouse releases and the chosen outputs.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace morvane::lab {

struct LabOptions {
    std::uint64_t ticks = 0;           // ticks to run on a fresh world
    std::optional<std::uint64_t> seed; // none: the program's fixed starting state
    std::string events;                // events file, or empty
    std::string state_out;             // JSON world dump, or empty
    std::string counts_out;            // CSV of each tick's counts, or empty
    std::string png_prefix;            // PREFIX-space.png and PREFIX-graph.png, or empty
};

// Runs as the options say. Warnings (events beyond the run) go to `warnings`. Throws
// LabError for input that cannot be used; no output file is then left behind.
void RunLab(const LabOptions& options, std::ostream& warnings);

} // namespace morvane::lab
