// The world's columns, listed once. Everything that takes a world apart value by value (the
// hash, the checkpoint, the state dump, the Python module's arrays, the checks) walks these
// lists, so every one of them sees the same columns in the same order: the animals', then the
// plants', then the sweep counter.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "sim/world.h"

namespace morvane {

// One column of one of the world's tables: a value of one type for every slot.
template <typename Table, typename T, std::size_t N> struct Column {
    using Value = T;
    static constexpr std::size_t Slots = N;
    static constexpr std::size_t Bytes = sizeof(T) * N; // as the hash and the checkpoint take it

    const char* name;    // as the state dump and the Python module spell it
    const char* meaning; // what a slot's value is, for people: the Python module's help
    Table World::*table;
    std::array<T, N> Table::*values;

    const std::array<T, N>& Of(const World& world) const { return (world.*table).*values; }
    std::array<T, N>& Of(World& world) const { return (world.*table).*values; }
};

template <typename Table, typename T, std::size_t N>
Column(const char*, const char*, Table World::*, std::array<T, N> Table::*) -> Column<Table, T, N>;

// The one value of the world outside its tables.
struct WorldField {
    using Value = std::int16_t;
    static constexpr std::size_t Bytes = sizeof(Value);

    const char* name;
    Value World::*value;

    const Value& Of(const World& world) const { return world.*value; }
    Value& Of(World& world) const { return world.*value; }
};

inline constexpr std::tuple AnimalColumns{
    Column{"x", "x position, world pixels", &World::animals, &AnimalTable::x},
    Column{"y", "y position, world pixels", &World::animals, &AnimalTable::y},
    Column{"heading", "heading, radians", &World::animals, &AnimalTable::heading},
    Column{"energy", "energy; 0 in a slot with no living animal", &World::animals,
           &AnimalTable::energy},
    Column{"target", "the plant or animal slot it heads for", &World::animals,
           &AnimalTable::target},
    Column{"mode", "0 foraging, 1 mating", &World::animals, &AnimalTable::mode},
    Column{"turn", "turning rate it was born with, radians per tick", &World::animals,
           &AnimalTable::turn},
    Column{"speed", "speed it was born with, world pixels per tick", &World::animals,
           &AnimalTable::speed},
};

inline constexpr std::tuple PlantColumns{
    Column{"x", "x position, whole world pixels", &World::plants, &PlantTable::x},
    Column{"y", "y position, whole world pixels", &World::plants, &PlantTable::y},
    Column{"size", "size, 0 in a free slot", &World::plants, &PlantTable::size},
};

// The outputs have always called the sweep counter "tick".
inline constexpr WorldField SweepField{"tick", &World::sweep};

// Calls visit(column) for each column of `columns` (AnimalColumns or PlantColumns), in order.
template <typename Columns, typename Visit>
constexpr void ForEachColumn(const Columns& columns, Visit&& visit)
{
    std::apply([&visit](const auto&... column) { (visit(column), ...); }, columns);
}

// Calls visit for every column of the world and then for the sweep counter: the order in
// which the hash and the checkpoint take a world.
template <typename Visit> constexpr void ForEachWorldColumn(Visit&& visit)
{
    ForEachColumn(AnimalColumns, visit);
    ForEachColumn(PlantColumns, visit);
    visit(SweepField);
}

// Whether two worlds hold the same bits in every column and the sweep: unlike ==, a NaN equals
// its own bit pattern and -0 is not 0. (The bytes between the tables are padding, which no
// column holds.)
inline bool SameBits(const World& a, const World& b)
{
    bool same = true;
    ForEachWorldColumn([&](const auto& column) {
        same = same && std::memcmp(&column.Of(a), &column.Of(b), column.Bytes) == 0;
    });
    return same;
}

} // namespace morvane
