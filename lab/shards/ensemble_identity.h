// What makes the runs of one ensemble request recognisable wherever they were run: the program
// that ran them, the ticks, the rows, the seeds, the rules of each point of a sweep, and the
// content of the files they read. Two shards belong together only when all of it is equal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/rules.h"

namespace morvane::lab {

// A file's length and zlib's CRC-32 of its bytes, taken from the very bytes a run read (a
// pipe cannot be read twice, a file may change between two readings); none when no file was
// read.
struct FileDigest {
    bool given = false;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;

    // Takes in the next bytes of the file.
    void Add(std::string_view bytes);

    friend bool operator==(const FileDigest&, const FileDigest&) = default;
};

// The files a request read, as it read them.
struct InputDigests {
    FileDigest events;     // --events
    FileDigest checkpoint; // --resume
};

struct EnsembleIdentity {
    std::string program_version; // of the morvane-lab that ran the runs
    std::uint64_t to = 0;        // ticks each run's world has run when it ends, from its creation
    std::uint64_t from = 0;      // ticks the world had run when the runs began: 0, or a fork's
    bool resumed = false;        // the runs went on from a kept world
    std::uint64_t every = 1;     // K, ticks between sample rows
    std::uint64_t first_seed = 0;
    std::uint64_t runs = 1; // R, in the whole ensemble, or at each point of a sweep
    FileDigest events;      // the events file every run read
    FileDigest checkpoint;  // the kept world a fork went on from
    // A sweep's runs are numbered point by point, run k being run k % R of point k / R; an
    // ensemble is one point, and its tables name no point.
    bool swept = false;
    std::vector<Rules> point_rules = std::vector<Rules>(1, WindowRules); // each point's, in order

    // Every run of every point.
    std::uint64_t AllRuns() const { return runs * point_rules.size(); }

    friend bool operator==(const EnsembleIdentity&, const EnsembleIdentity&) = default;
};

// The first thing `a` and `b` differ in, in a user's words ("--ticks 500 and 800"), or empty
// when they are one request.
std::string FirstDifference(const EnsembleIdentity& a, const EnsembleIdentity& b);

} // namespace morvane::lab
