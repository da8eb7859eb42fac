// What a user asked morvane-lab for, read from the command line: how long to run, from which
// seed, with which releases, and which outputs. The rules on which of them go together.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "lab/output_table.h"

namespace morvane::lab {

inline constexpr std::uint64_t DefaultEvery = 100; // ticks between sample rows
inline constexpr std::uint64_t MostRuns = 1'000'000;
inline constexpr std::uint64_t MostThreads = 1024;
// Runs times rows kept in memory for the outputs that keep rows, about 24 bytes each.
inline constexpr std::uint64_t MostSamples = 4'000'000;

struct Request {
    std::uint64_t ticks = 0;              // ticks to run on a fresh world
    std::optional<std::uint64_t> seed;    // none: the program's fixed starting state (seed 42)
    std::string events;                   // events file, or empty
    std::optional<std::uint64_t> every;   // K, 1..2^64-1; none: DefaultEvery
    std::optional<std::uint64_t> runs;    // 1..MostRuns runs from consecutive seeds; none: one
    std::optional<std::uint64_t> threads; // 1..MostThreads; none: the machine's cores
    bool quiet = false;                   // no progress bar
    // The value given for each output of Outputs() that was asked for ("" for a flag).
    std::array<std::optional<std::string>, OutputKinds> outputs;

    bool Ensemble() const { return runs.has_value(); }
    // The seed of the first run: --seed, or 42, the seed of the window's own starting state.
    std::uint64_t FirstSeed() const;
    // Ticks between sample rows: --every, or DefaultEvery.
    std::uint64_t RowSpacing() const;
    // Whether any output asked for passes `wanted`.
    bool Asks(bool (*wanted)(const OutputKind&)) const;
};

// Throws LabError naming the options that do not go together, or a run that would not fit
// in memory.
void CheckCombinations(const Request& request);

// Throws LabError when two of the files the request names (the events file and the outputs)
// are one file.
void RefuseSharedFiles(const Request& request);

// Runs as the request says, after the checks above and reading the events file. Warnings
// (events beyond the run) go to `warnings`, what the outputs print to `out`. Throws LabError
// for input that cannot be used; no output file is then left behind.
void RunRequest(const Request& request, std::ostream& warnings, std::ostream& out);

} // namespace morvane::lab
