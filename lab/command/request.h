// What a user asked morvane-lab for, read from the command line: how long to run, from which
// seed, with which releases, and which outputs. The rules on which of them go together.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "lab/command/limits.h"
#include "lab/command/rules_file.h"
#include "lab/command/sweep_points.h"
#include "lab/outputs/output_table.h"
#include "lab/shards/shard.h"

namespace morvane::lab {

struct Request {
    std::uint64_t ticks = 0;              // ticks to run, on a fresh world or on from --resume
    std::optional<std::uint64_t> seed;    // none: the program's fixed starting state (seed 42), or
                                          // with --resume the kept random source going on
    std::string events;                   // events file, or empty
    std::string rules_file;               // --rules FILE, or empty
    std::vector<RuleChange> rule_options; // each --rule, in order: after the file's, they win
    std::vector<Varied> varies;           // each --vary, in order: the grid's axes
    std::string design_file;              // --design FILE, or empty
    std::string resume;                   // checkpoint file to go on from, or empty
    std::optional<std::uint64_t> checkpoint_every; // 1..2^64-1: replace --checkpoint-out so often
    std::optional<std::uint64_t> every;            // K, 1..2^64-1; none: DefaultRowSpacing
    std::optional<std::uint64_t> runs;    // 1..MostRuns runs from consecutive seeds; none: one
    std::optional<std::uint64_t> threads; // 1..MostThreads; none: the machine's cores
    std::optional<Shard> shard;           // with --runs: run only this part of the runs
    bool quiet = false;                   // no progress bar
    AskedOutputs outputs;

    bool Ensemble() const { return runs.has_value() || Sweep(); }
    // A sweep runs each of its points' rules over the same --runs seeds.
    bool Sweep() const { return !varies.empty() || !design_file.empty(); }
    bool Resumed() const { return !resume.empty(); }
    // The seed of the first run: --seed, or 42, the seed of the window's own starting state.
    std::uint64_t FirstSeed() const;
    // Ticks between sample rows: --every, or DefaultRowSpacing.
    std::uint64_t RowSpacing() const;
    bool Asks(bool (*wanted)(const OutputKind&)) const { return AnyAsked(outputs, wanted); }
    const std::string* ValueOf(bool (*wanted)(const OutputKind&)) const
    {
        return FirstAsked(outputs, wanted);
    }
};

// Throws LabError naming the options that do not go together.
void CheckCombinations(const Request& request);

// Throws LabError when two of the files the request names (the events file, the checkpoint
// to resume and the outputs) are one file; a run may replace the checkpoint it resumed.
void RefuseSharedFiles(const Request& request);

} // namespace morvane::lab
