// What every tick and every mouse release must leave true of the world, whatever was clicked
// where: the fuzz target and the soak run both hold the core to it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::fuzz {

// A broken rule: which one, and the slot it was found in (-1 when it concerns the world).
struct Breach {
    const char* rule;
    int slot;
};

// Runs one tick and checks the world it leaves against the one it found.
std::optional<Breach> TickAndCheck(World& world, RandomSource& random, Canvas& space,
                                   Canvas& graph);

// Delivers one mouse release on the world canvas and checks what it did: a newcomer in the
// lowest free slot with the release's coordinates, or nothing changed and nothing drawn.
std::optional<Breach> ReleaseAndCheck(World& world, RandomSource& random, std::int16_t button,
                                      std::int16_t shift, float x, float y);

// The whole pixel a plant put down at v lies on, worked out independently of the core: v
// rounded to the nearest whole number, ties to the even one, saturated to the 16-bit range;
// NaN goes to the top of the range.
std::int16_t ExpectedPlantCoordinate(float v);

// Prints the breach and what led to it on stderr, then aborts, so a fuzzer keeps the input.
[[noreturn]] void Abort(const Breach& breach, const char* context);

} // namespace morvane::fuzz
