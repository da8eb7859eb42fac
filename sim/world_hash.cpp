// The hash reads bit patterns, so -0 and 0, or two NaNs, are told apart as the world holds them.
#include "sim/world_hash.h"

#include <bit>
#include <cstring>

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
    template <std::size_t N> void Add(const std::array<float, N>& values)
    {
        for (float v : values)
            Add(std::bit_cast<std::uint32_t>(v), 4);
    }
    template <std::size_t N> void Add(const std::array<std::int16_t, N>& values)
    {
        for (std::int16_t v : values)
            Add(static_cast<std::uint16_t>(v), 2);
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

} // namespace

std::uint64_t HashWorld(const World& world)
{
    Fnv1a h;
    const AnimalTable& a = world.animals;
    h.Add(a.x), h.Add(a.y), h.Add(a.heading), h.Add(a.energy), h.Add(a.target), h.Add(a.mode);
    h.Add(a.turn), h.Add(a.speed);
    const PlantTable& p = world.plants;
    h.Add(p.x), h.Add(p.y), h.Add(p.size);
    h.Add(static_cast<std::uint16_t>(world.tick), 2);
    return h.Value();
}

} // namespace morvane
