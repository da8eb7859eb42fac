// The comparison is made on the stored bits; only the report turns them back into numbers.
#include "tests/reference/first_difference.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace morvane::reference {

namespace {

std::string Shown(float v)
{
    char text[64];
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    std::snprintf(text, sizeof text, "%a (bits %08x)", static_cast<double>(v), bits);
    return text;
}

std::string Shown(std::int16_t v) { return std::to_string(v); }

template <typename T, std::size_t N>
bool SameBits(const std::array<T, N>& core, const std::array<T, N>& ref)
{
    return std::memcmp(core.data(), ref.data(), sizeof(T) * N) == 0;
}

// Adds slot k's field to `fields` when its bits differ.
template <typename T, std::size_t N>
void Note(std::string& fields, const char* field, const std::array<T, N>& core,
          const std::array<T, N>& ref, std::size_t k)
{
    if (std::memcmp(&core[k], &ref[k], sizeof(T)) == 0) return;
    fields += fields.empty() ? ": " : "; ";
    fields += std::string(field) + " " + Shown(core[k]) + " in the core, " + Shown(ref[k]) +
              " in the reference";
}

// The lowest slot in which the tables differ, with every field that differs there.
std::optional<std::string> CompareAnimals(const AnimalTable& a, const AnimalTable& b)
{
    if (SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.heading, b.heading) &&
        SameBits(a.energy, b.energy) && SameBits(a.target, b.target) && SameBits(a.mode, b.mode) &&
        SameBits(a.turn, b.turn) && SameBits(a.speed, b.speed))
        return std::nullopt;
    for (std::size_t k = 0; k < a.x.size(); ++k) {
        std::string fields;
        Note(fields, "x", a.x, b.x, k);
        Note(fields, "y", a.y, b.y, k);
        Note(fields, "heading", a.heading, b.heading, k);
        Note(fields, "energy", a.energy, b.energy, k);
        Note(fields, "target", a.target, b.target, k);
        Note(fields, "mode", a.mode, b.mode, k);
        Note(fields, "turn", a.turn, b.turn, k);
        Note(fields, "speed", a.speed, b.speed, k);
        if (!fields.empty()) return "animal slot " + std::to_string(k) + fields;
    }
    return std::nullopt;
}

std::optional<std::string> ComparePlants(const PlantTable& p, const PlantTable& q)
{
    if (SameBits(p.x, q.x) && SameBits(p.y, q.y) && SameBits(p.size, q.size)) return std::nullopt;
    for (std::size_t k = 0; k < p.x.size(); ++k) {
        std::string fields;
        Note(fields, "x", p.x, q.x, k);
        Note(fields, "y", p.y, q.y, k);
        Note(fields, "size", p.size, q.size, k);
        if (!fields.empty()) return "plant slot " + std::to_string(k) + fields;
    }
    return std::nullopt;
}

std::optional<std::string> CompareTables(const World& core, const World& ref)
{
    if (auto difference = CompareAnimals(core.animals, ref.animals)) return difference;
    if (auto difference = ComparePlants(core.plants, ref.plants)) return difference;
    if (core.tick != ref.tick)
        return "the graph's sweep: " + Shown(core.tick) + " in the core, " + Shown(ref.tick) +
               " in the reference";
    return std::nullopt;
}

// How far apart two sources are, when one is a few draws behind the other.
std::string CompareSources(const RandomSource& core, const RandomSource& ref)
{
    constexpr int Furthest = 100'000;
    RandomSource behind = core;
    for (int n = 1; n <= Furthest; ++n) {
        behind.Uniform();
        if (behind == ref)
            return "the random source: the reference took " + std::to_string(n) +
                   " draws more than the core";
    }
    behind = ref;
    for (int n = 1; n <= Furthest; ++n) {
        behind.Uniform();
        if (behind == core)
            return "the random source: the core took " + std::to_string(n) +
                   " draws more than the reference";
    }
    return "the random source: more than " + std::to_string(Furthest) + " draws apart";
}

std::optional<std::string> CompareCanvases(const char* name, const Canvas& core, const Canvas& ref)
{
    if (core.Width() != ref.Width() || core.Height() != ref.Height())
        return std::string("the ") + name + " canvas's size";
    const auto& c = core.Pixels();
    const auto& r = ref.Pixels();
    if (std::memcmp(c.data(), r.data(), c.size() * sizeof(Colour)) == 0) return std::nullopt;
    for (std::size_t k = 0; k < c.size(); ++k)
        if (c[k] != r[k]) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "the %s canvas's pixel (%d, %d): %06x in the core, %06x in the reference",
                          name, static_cast<int>(k % core.Width()),
                          static_cast<int>(k / core.Width()), c[k], r[k]);
            return std::string(text);
        }
    return std::nullopt;
}

} // namespace

std::optional<std::string> FirstDifference(const World& core_world, const RandomSource& core_random,
                                           const World& reference_world,
                                           const RandomSource& reference_random)
{
    if (auto difference = CompareTables(core_world, reference_world)) return difference;
    if (!(core_random == reference_random)) return CompareSources(core_random, reference_random);
    return std::nullopt;
}

std::optional<std::string> FirstDifference(const Run& core, const Run& reference)
{
    if (auto difference =
            FirstDifference(core.world, core.random, reference.world, reference.random))
        return difference;
    if (auto difference = CompareCanvases("world", core.space, reference.space)) return difference;
    return CompareCanvases("graph", core.graph, reference.graph);
}

} // namespace morvane::reference
