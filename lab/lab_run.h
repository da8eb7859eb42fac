// A headless run of the world, or an ensemble of runs from consecutive seeds: ticks,
// scripted mouse releases and the chosen outputs.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace morvane::lab {

inline constexpr std::uint64_t DefaultEvery = 100; // ticks between statistics rows
inline constexpr std::uint64_t MostRuns = 1'000'000;
inline constexpr std::uint64_t MostThreads = 1024;
// Runs times rows kept in memory for --ensemble-out and --plot, about 24 bytes each.
inline constexpr std::uint64_t MostSamples = 4'000'000;

struct LabOptions {
    std::uint64_t ticks = 0;              // ticks to run on a fresh world
    std::optional<std::uint64_t> seed;    // none: the program's fixed starting state (seed 42)
    std::string events;                   // events file, or empty
    std::string state_out;                // JSON world dump, or empty
    std::string counts_out;               // CSV of each tick's counts, or empty
    std::string png_prefix;               // PREFIX-space.png and PREFIX-graph.png, or empty
    std::string stats_out;                // CSV of a statistics row every K ticks, or empty
    std::optional<std::uint64_t> every;   // K, 1..2^64-1; none: DefaultEvery
    std::optional<std::uint64_t> runs;    // 1..MostRuns runs from consecutive seeds; none: one
    std::optional<std::uint64_t> threads; // 1..MostThreads; none: the machine's cores
    std::string summary_out;              // CSV of one line per run, or empty
    std::string ensemble_out;             // CSV of quantiles across runs every K ticks, or empty
    std::string plot;                     // figure, .png or .svg, or empty
    bool hash = false;                    // print the world's 64-bit hash on stdout
    bool quiet = false;                   // no progress bar
};

// Runs as the options say. Warnings (events beyond the run) go to `warnings`, the hashes to
// `out`. Throws LabError for input that cannot be used; no output file is then left behind.
void RunLab(const LabOptions& options, std::ostream& warnings, std::ostream& out);

} // namespace morvane::lab
