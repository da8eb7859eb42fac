// The comparison is made on the stored bits; only the report turns them back into numbers.
#include "checks/first_difference.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <tuple>

#include "sim/world_columns.h"

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

template <typename T> bool SameBits(const T& core, const T& ref)
{
    return std::memcmp(&core, &ref, sizeof(T)) == 0;
}

// Adds slot k's value of `column` to `fields` when its bits differ.
template <typename WorldColumn>
void Note(std::string& fields, const WorldColumn& column, const World& core, const World& ref,
          std::size_t k)
{
    const auto& c = column.Of(core)[k];
    const auto& r = column.Of(ref)[k];
    if (SameBits(c, r)) return;
    fields += fields.empty() ? ": " : "; ";
    fields += std::string(column.name) + " " + Shown(c) + " in the core, " + Shown(r) +
              " in the reference";
}

// The lowest slot in which a table differs, with every column that differs there.
template <typename Columns>
std::optional<std::string> CompareTable(const char* slot_name, const Columns& columns,
                                        const World& core, const World& ref)
{
    bool same = true;
    ForEachColumn(columns, [&](const auto& column) {
        same = same && SameBits(column.Of(core), column.Of(ref));
    });
    if (same) return std::nullopt;
    for (std::size_t k = 0; k < std::tuple_element_t<0, Columns>::Slots; ++k) {
        std::string fields;
        ForEachColumn(columns, [&](const auto& column) { Note(fields, column, core, ref, k); });
        if (!fields.empty()) return std::string(slot_name) + " slot " + std::to_string(k) + fields;
    }
    return std::nullopt;
}

std::optional<std::string> CompareTables(const World& core, const World& ref)
{
    if (auto difference = CompareTable("animal", AnimalColumns, core, ref)) return difference;
    if (auto difference = CompareTable("plant", PlantColumns, core, ref)) return difference;
    if (core.sweep != ref.sweep)
        return "the graph's sweep: " + Shown(core.sweep) + " in the core, " + Shown(ref.sweep) +
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
