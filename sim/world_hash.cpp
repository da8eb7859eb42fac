// The hash reads bit patterns, so -0 and 0, or two NaNs, are told apart as the world holds them.
#include "sim/world_hash.h"

#include "sim/bit_cast.h"
#include "sim/world_columns.h"

namespace morvane {

namespace {

class Fnv1a {
public:
    void Add(std::uint32_t bits, int bytes)
    {
        for (int b = 0; b < bytes; ++b) {
            hash_ ^= (bits >> (8 * b)) & 0xffu;
            hash_ *= 0x100000001b3ULL;
        }
    }
    void Add(float value) { Add(BitCast<std::uint32_t>(value), 4); }
    void Add(std::int16_t value) { Add(static_cast<std::uint16_t>(value), 2); }
    template <typename T, std::size_t N> void Add(const std::array<T, N>& values)
    {
        for (T v : values)
            Add(v);
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

} // namespace

std::uint64_t HashWorld(const World& world)
{
    Fnv1a h;
    ForEachWorldColumn([&](const auto& column) { h.Add(column.Of(world)); });
    return h.Value();
}

} // namespace morvane
