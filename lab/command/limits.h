// How far a request may reach: what one process takes on, and what it keeps in memory. A
// request, a shard's samples and a merge are all held to the same bounds.
#pragma once

#include <cstdint>

namespace morvane::lab {

inline constexpr std::uint64_t MostRuns = 1'000'000;
inline constexpr std::uint64_t MostThreads = 1024;
// Runs times rows kept in memory for the outputs that keep rows, about 24 bytes each.
inline constexpr std::uint64_t MostSamples = 4'000'000;

} // namespace morvane::lab
