// Contiguous parts keep each part's runs in seed order, so merging is putting parts side by
// side, and any split of the same runs merges to the same ensemble.
#include "lab/shards/shard.h"

#include "lab/command/lab_error.h"
#include "lab/command/whole_number.h"

namespace morvane::lab {

Shard ReadShard(const std::string& text, std::uint64_t runs)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos)
        throw LabError("--shard " + text + ": give the part and the number of parts, as I/K");
    Shard shard;
    // No part may be empty: K is at most the number of runs.
    shard.count = ReadWholeNumber("--shard " + text + ": K", text.substr(slash + 1), 1, runs);
    shard.index = ReadWholeNumber("--shard " + text + ": I", text.substr(0, slash), 1, shard.count);
    return shard;
}

RunRange RunsOf(Shard shard, std::uint64_t runs)
{
    // runs is at most a million, so runs * K stays far inside 64 bits.
    return {(shard.index - 1) * runs / shard.count, shard.index * runs / shard.count};
}

std::string ShardText(Shard shard)
{
    return std::to_string(shard.index) + "/" + std::to_string(shard.count);
}

} // namespace morvane::lab
