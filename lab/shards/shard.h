// One of K parts of an ensemble's R runs, for a scheduler to run as a job of its own: part I
// holds the runs floor((I-1)R/K) to floor(IR/K) - 1, counted from 0, so the K parts hold every
// run once, in seed order, and differ in size by at most one run.
#pragma once

#include <cstdint>
#include <string>

namespace morvane::lab {

struct Shard {
    std::uint64_t index = 1; // I, 1..count
    std::uint64_t count = 1; // K, 1..the runs

    friend bool operator==(const Shard&, const Shard&) = default;
};

// Runs first..end-1 of an ensemble, counted from 0 (run r draws from the first seed + r).
struct RunRange {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
    std::uint64_t Count() const { return end - first; }
};

// Reads the value of --shard, "I/K" in plain decimal digits with 1 <= I <= K <= `runs`;
// throws LabError naming what is wrong.
Shard ReadShard(const std::string& text, std::uint64_t runs);

// The runs of `shard` among `runs` (at most MostRuns).
RunRange RunsOf(Shard shard, std::uint64_t runs);

// "I/K".
std::string ShardText(Shard shard);

} // namespace morvane::lab
