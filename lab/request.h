// What a user asked morvane-lab for, read from the command line: how long to run, from which
// seed, with which releases, and which outputs. The rules on which of them go together.
#pragma once

#include <array>
#include <csignal>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "lab/output_table.h"
#include "lab/shard.h"
#include "lab/tick_loop.h"
#include "sim/run_state.h"

namespace morvane::lab {

inline constexpr std::uint64_t DefaultEvery = 100; // ticks between sample rows
inline constexpr std::uint64_t MostRuns = 1'000'000;
inline constexpr std::uint64_t MostThreads = 1024;
// Runs times rows kept in memory for the outputs that keep rows, about 24 bytes each.
inline constexpr std::uint64_t MostSamples = 4'000'000;

struct Request {
    std::uint64_t ticks = 0;           // ticks to run, on a fresh world or on from --resume
    std::optional<std::uint64_t> seed; // none: the program's fixed starting state (seed 42), or
                                       // with --resume the kept random source going on
    std::string events;                // events file, or empty
    std::string resume;                // checkpoint file to go on from, or empty
    std::optional<std::uint64_t> checkpoint_every; // 1..2^64-1: replace --checkpoint-out so often
    std::optional<std::uint64_t> every;            // K, 1..2^64-1; none: DefaultEvery
    std::optional<std::uint64_t> runs;    // 1..MostRuns runs from consecutive seeds; none: one
    std::optional<std::uint64_t> threads; // 1..MostThreads; none: the machine's cores
    std::optional<Shard> shard;           // with --runs: run only this part of the runs
    bool quiet = false;                   // no progress bar
    // The value given for each output of Outputs() that was asked for ("" for a flag).
    std::array<std::optional<std::string>, OutputKinds> outputs;

    bool Ensemble() const { return runs.has_value(); }
    bool Resumed() const { return !resume.empty(); }
    // The seed of the first run: --seed, or 42, the seed of the window's own starting state.
    std::uint64_t FirstSeed() const;
    // Ticks between sample rows: --every, or DefaultEvery.
    std::uint64_t RowSpacing() const;
    // Whether any output asked for passes `wanted`.
    bool Asks(bool (*wanted)(const OutputKind&)) const;
    // The value given for the first output asked for that passes `wanted`, or nullptr.
    const std::string* ValueOf(bool (*wanted)(const OutputKind&)) const;
};

// Throws LabError naming the options that do not go together.
void CheckCombinations(const Request& request);

// How the tick loop runs the request from `start`; the releases and the stop flag are the
// caller's to add.
RunPlan PlanOf(const Request& request, const RunState& start);

// Throws LabError when the run cannot go on from `start` as asked: past 2^64 - 1 ticks, with
// more rows than memory would hold, or with statistics rows that the births and deaths
// `start` carries do not lead to.
void CheckRunFits(const Request& request, const RunState& start);

// Throws LabError when two of the files the request names (the events file, the checkpoint
// to resume and the outputs) are one file; a run may replace the checkpoint it resumed.
void RefuseSharedFiles(const Request& request);

// A file a command names, and what it does with it.
struct NamedFile {
    std::string role; // the option that names it, or what it is for
    std::string path;
    bool resumed = false;      // the checkpoint read whole before the first tick
    bool keeps_worlds = false; // an output that writes a checkpoint
    bool merged = false;       // a samples file read by morvane-lab merge

    // Read, never written: the events file, the checkpoint resumed, the files to merge.
    bool Input() const { return resumed || merged || role == "--events"; }
};

// Throws LabError when two of `files` are one file, however named (through links, including
// links to a file not made yet, or as two hard links of one file), but for a checkpoint
// replaced by the run that resumed it, and files that are only read by the merge.
void RefuseSharedFiles(const std::vector<NamedFile>& files);

// Runs as the request says, after the checks above and reading the events file and the
// checkpoint. Warnings (events beyond the run) go to `warnings`, what the outputs print to
// `out`. Throws LabError for input that cannot be used; no output file is then left behind.
// When `stop` is set (to a signal's number) the run stops at the end of a tick and throws
// RunInterrupted, leaving only a checkpoint, if one was asked for.
void RunRequest(const Request& request, std::ostream& warnings, std::ostream& out,
                const volatile std::sig_atomic_t* stop = nullptr);

} // namespace morvane::lab
