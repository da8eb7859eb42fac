// One number for the whole world, so runs, builds and machines can be compared at a glance.
#pragma once

#include <cstdint>

#include "sim/world.h"

namespace morvane {

// FNV-1a (64-bit) over every column of every slot, column by column in the order of
// sim/world_columns.h, each value's bit pattern little-endian, then the sweep counter.
std::uint64_t HashWorld(const World& world);

} // namespace morvane
