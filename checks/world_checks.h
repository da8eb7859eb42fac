// What every tick and every mouse release must leave true of the world, whatever was clicked
// where: the fuzz target, the soak run and the long-run test all hold the core to it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane::fuzz {

// The table a broken rule's slot belongs to; None when the rule concerns the whole world.
enum class Table : std::uint8_t { None, Animals, Plants };

// A broken rule: which one, and the slot it was found in (-1 when it concerns the world).
struct Breach {
    const char* rule;
    int slot;
    Table table;
};

// Checks what must hold of any world a tick has just left, slot by slot and then the graph's
// sweep. ticks_run: ticks since the world was fresh, when its sweep stood at 0 (releases do
// not count), so the sweep must stand at ticks_run modulo 4961. Returns the first broken rule.
// Not for the moment after a release: a newcomer put off the world lives there until the next
// tick's pass sees it.
// Under other rules than the window's, sizes and energies have the bounds those rules give.
std::optional<Breach> CheckWorldInvariants(const World& world, std::uint64_t ticks_run,
                                           const Rules& rules = WindowRules);

// Runs one tick and checks the world it leaves, on its own and against the one it found.
std::optional<Breach> TickAndCheck(World& world, RandomSource& random, Canvas& space, Canvas& graph,
                                   const Rules& rules = WindowRules);

// Delivers one mouse release on the world canvas and checks what it did: a newcomer in the
// lowest free slot with the release's coordinates, or nothing changed and nothing drawn.
std::optional<Breach> ReleaseAndCheck(World& world, RandomSource& random, std::int16_t button,
                                      std::int16_t shift, float x, float y,
                                      const Rules& rules = WindowRules);

// The whole pixel a plant put down at v lies on, worked out independently of the core: v
// rounded to the nearest whole number, ties to the even one, saturated to the 16-bit range;
// NaN goes to the top of the range.
std::int16_t ExpectedPlantCoordinate(float v);

// One line for a person: the rule, and every field of the slot it broke in (or the sweep),
// with floats to the last digit, so the line alone says where to look.
std::string Describe(const Breach& breach, const World& world);

// Prints the breach and what led to it on stderr, then aborts, so a fuzzer keeps the input.
[[noreturn]] void Abort(const Breach& breach, const char* context);

} // namespace morvane::fuzz
