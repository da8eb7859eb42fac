// The rules are checked on the world as stored, bit for bit: a NaN coordinate, which the core
// accepts from a release, must not hide a change behind NaN != NaN.
#include "checks/world_checks.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/mouse_release.h"
#include "sim/plant_phase.h"
#include "sim/rule_book.h"
#include "sim/tick.h"
#include "sim/world_columns.h"

namespace morvane::fuzz {

namespace {

// What a tick's checks compare with: the world as the tick found it.
struct TickStart {
    std::array<std::int16_t, AnimalSlots> mode;
    std::array<float, AnimalSlots> y;
    std::array<float, AnimalSlots> heading;
    std::array<std::int16_t, PlantSlots> plant_x;
    std::array<std::int16_t, PlantSlots> plant_y;
    std::int16_t sweep;
};

Breach AnimalBreach(const char* rule, int slot) { return Breach{rule, slot, Table::Animals}; }
Breach PlantBreach(const char* rule, int slot) { return Breach{rule, slot, Table::Plants}; }
Breach WorldBreach(const char* rule) { return Breach{rule, -1, Table::None}; }

// Where a newcomer animal was put: the release's own value (a signalling NaN may come back
// quieted, having passed through double on the way).
bool SameCoordinate(float stored, float released)
{
    if (std::isnan(released)) return std::isnan(stored);
    return std::bit_cast<std::uint32_t>(stored) == std::bit_cast<std::uint32_t>(released);
}

template <std::size_t N> int LowestZero(const std::array<std::int16_t, N>& occupancy)
{
    for (std::size_t k = 0; k < N; ++k)
        if (occupancy[k] == 0) return static_cast<int>(k);
    return -1;
}

bool InWorld(int x, int y) { return x >= 0 && x <= WorldMaxX && y >= 0 && y <= WorldMaxY; }

// The edge test cannot see a NaN coordinate, so an animal a release put there lives on; only
// a release can bring one in.
bool InWorldOrNaN(float v, int max) { return std::isnan(v) || (v >= 0 && v <= max); }

// A free plant slot drifts -1, 0 or +1 a tick on each axis, in 16-bit two's-complement
// arithmetic: 32767 + 1 is -32768, one step, not a jump across the plane.
bool OneStep(std::int16_t from, std::int16_t to)
{
    const auto step = static_cast<std::uint16_t>(static_cast<std::uint16_t>(to) -
                                                 static_cast<std::uint16_t>(from));
    return step == 0 || step == 1 || step == 0xffff;
}

// The biggest plant the plant pass can leave: one about to seed, or one just regrown or sown
// bigger than that, which seeds only after its next growth.
int MostPlantSize(const Rules& rules)
{
    return std::max(
        {rules.seeding_size, rules.regrowth_spread - 1, std::max(rules.seedling_spread, 1)});
}

std::optional<Breach> CheckAnimalSlots(const World& world, const Rules& rules)
{
    const AnimalTable& a = world.animals;
    for (int i = 0; i < AnimalSlots; ++i) {
        // The rules that let a world start are those under which no energy can overflow.
        if (a.energy[i] > MostEnergyReached(rules))
            return AnimalBreach("an animal's energy stays within the most its rules allow", i);
        if (a.mode[i] != Foraging && a.mode[i] != Mating)
            return AnimalBreach("an animal is foraging (0) or mating (1)", i);
        // Energy below 0 would make a slot neither free nor alive.
        if (a.energy[i] < 0) return AnimalBreach("an animal's energy is never negative", i);
        // Free slots too: a newcomer takes over the mode and target its slot held.
        if (a.target[i] < 0 || a.target[i] >= PlantSlots)
            return AnimalBreach("an animal's target is a plant slot 0..500", i);
        if (a.energy[i] > 0 &&
            !(InWorldOrNaN(a.x[i], WorldMaxX) && InWorldOrNaN(a.y[i], WorldMaxY)))
            return AnimalBreach("a living animal lies inside the world after the animal pass", i);
    }
    return std::nullopt;
}

std::optional<Breach> CheckPlantSlots(const World& world, const Rules& rules)
{
    const PlantTable& p = world.plants;
    for (int s = 0; s < PlantSlots; ++s) {
        // With 0 as the only free marker, this keeps "free" meaning exactly "size 0".
        if (p.size[s] < 0 || p.size[s] > MostPlantSize(rules))
            return PlantBreach("a plant's size after the plant pass is 0..its most (100 under "
                               "the window's rules)",
                               s);
        if (p.size[s] > 0 && !InWorld(p.x[s], p.y[s]))
            return PlantBreach("a living plant lies inside the world after the plant pass", s);
    }
    return std::nullopt;
}

// What one tick did to each animal, against what it found.
std::optional<Breach> CheckAnimalTurns(const TickStart& start, const World& world)
{
    const AnimalTable& a = world.animals;
    for (int i = 0; i < AnimalSlots; ++i) {
        // A forager ends its turn on a plant slot, even when it has just turned to mating; a
        // mater always on an animal slot, even when it has just turned back to foraging.
        if (start.mode[i] == Mating && a.target[i] >= AnimalSlots)
            return AnimalBreach("a mater's target after its turn is an animal slot 0..250", i);
        // A NaN height stays NaN through every move, and makes the bearing to any target
        // NaN, which steers neither way. (A slot refilled in the pass has a finite height.)
        if (std::isnan(start.y[i]) && std::isnan(a.y[i]) &&
            std::bit_cast<std::uint32_t>(start.heading[i]) !=
                std::bit_cast<std::uint32_t>(a.heading[i]))
            return AnimalBreach("an animal at a NaN height keeps its heading", i);
    }
    return std::nullopt;
}

// What one tick did to each free plant slot, against what it found.
std::optional<Breach> CheckPlantDrift(const TickStart& start, const World& world)
{
    const PlantTable& p = world.plants;
    for (int s = 0; s < PlantSlots; ++s) {
        // A slot refilled in this pass and then drifted out lies just beyond the edge;
        // any other free slot has only drifted.
        const bool by_the_edge =
            p.x[s] >= -1 && p.x[s] <= WorldMaxX + 1 && p.y[s] >= -1 && p.y[s] <= WorldMaxY + 1;
        if (p.size[s] == 0 && !by_the_edge &&
            !(OneStep(start.plant_x[s], p.x[s]) && OneStep(start.plant_y[s], p.y[s])))
            return PlantBreach("a free plant slot drifts one step a tick, wrapping at 16 bits", s);
    }
    return std::nullopt;
}

std::string FieldText(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    return text;
}

std::string FieldText(std::int16_t v) { return std::to_string(v); }

// Slot k of a table, every column: "animal slot 3: x 1.5, y 2, ...".
template <typename Columns>
std::string SlotText(const char* slot_name, const Columns& columns, const World& world, int k)
{
    std::string text = std::string(slot_name) + " slot " + std::to_string(k);
    const char* before = ": ";
    ForEachColumn(columns, [&](const auto& column) {
        text += before + std::string(column.name) + " " + FieldText(column.Of(world)[k]);
        before = ", ";
    });
    return text;
}

} // namespace

std::optional<Breach> CheckWorldInvariants(const World& world, std::uint64_t ticks_run,
                                           const Rules& rules)
{
    if (auto breach = CheckAnimalSlots(world, rules)) return breach;
    if (auto breach = CheckPlantSlots(world, rules)) return breach;
    if (world.sweep < 0 || world.sweep > SweepMax)
        return WorldBreach("the graph sweep stays within 0..4960");
    // One step a tick, back to 0 after 4960: the graph's columns stay in step with time.
    if (static_cast<std::uint64_t>(world.sweep) != ticks_run % (SweepMax + 1))
        return WorldBreach("the graph sweep moves one step a tick, wrapping after 4960");
    return std::nullopt;
}

std::int16_t ExpectedPlantCoordinate(float v)
{
    if (std::isnan(v)) return 32767;
    if (v >= 32767.0f) return 32767;
    if (v <= -32768.0f) return -32768;
    // Below 2^15 in magnitude a float's whole part and fraction are both exact.
    const float whole = std::floor(v);
    const float fraction = v - whole;
    const int below = static_cast<int>(whole);
    if (fraction > 0.5f) return static_cast<std::int16_t>(below + 1);
    if (fraction < 0.5f) return static_cast<std::int16_t>(below);
    return static_cast<std::int16_t>(below % 2 == 0 ? below : below + 1);
}

std::optional<Breach> TickAndCheck(World& world, RandomSource& random, Canvas& space, Canvas& graph,
                                   const Rules& rules)
{
    const TickStart start{world.animals.mode, world.animals.y, world.animals.heading,
                          world.plants.x,     world.plants.y,  world.sweep};
    const TickCounts counts = RunTick(world, random, rules, space, graph);

    // A world whose sweep stands at s is s ticks from fresh, as far as the sweep can tell (or
    // 4961 more, ...); one tick on it stands one further. A sweep found below 0 is already
    // broken, and counting it as 0 makes the tick's check say so.
    const std::uint64_t ticks_run =
        static_cast<std::uint64_t>(start.sweep < 0 ? 0 : start.sweep) + 1;
    if (auto breach = CheckWorldInvariants(world, ticks_run, rules)) return breach;
    if (counts.animals < 0 || counts.animals > AnimalSlots)
        return WorldBreach("the animal pass counts 0..251 animals");
    // A plant counted in the pass cannot die later in it; seedlings may join uncounted.
    if (counts.plants < 0 || counts.plants > LivingPlants(world))
        return WorldBreach("the plant pass counts no more plants than it leaves alive");
    if (auto breach = CheckAnimalTurns(start, world)) return breach;
    return CheckPlantDrift(start, world);
}

std::optional<Breach> ReleaseAndCheck(World& world, RandomSource& random, std::int16_t button,
                                      std::int16_t shift, float x, float y, const Rules& rules)
{
    const World before = world;
    const RandomSource drawn_before = random;
    const int slot = space_MouseUp(world, random, rules, button, shift, x, y);
    const bool unchanged = SameBits(world, before) && random == drawn_before;

    if (button != LeftButton && button != RightButton) {
        if (slot != -1 || !unchanged)
            return Breach{"a release of any other button changes nothing and draws nothing", slot,
                          Table::None};
        return std::nullopt;
    }
    const bool animal = button == LeftButton;
    const Table table = animal ? Table::Animals : Table::Plants;
    const int lowest_free =
        animal ? LowestZero(before.animals.energy) : LowestZero(before.plants.size);
    if (slot != lowest_free) return Breach{"a newcomer takes the lowest free slot", slot, table};
    if (slot < 0) {
        if (!unchanged) return Breach{"a full table refuses silently and draws nothing", -1, table};
        return std::nullopt;
    }

    // The newcomer's fields as the rules give them; the rest of the world untouched.
    World expected = before;
    RandomSource expected_random = drawn_before;
    if (animal) {
        const AnimalTable& a = world.animals;
        if (!SameCoordinate(a.x[slot], x) || !SameCoordinate(a.y[slot], y))
            return Breach{"a newcomer animal lands exactly where the button was released", slot,
                          table};
        const int least = rules.newborn_energy_min;
        if (a.energy[slot] < least ||
            a.energy[slot] > least + std::max(rules.newborn_energy_spread - 1, 0))
            return Breach{"a newcomer animal has its rules' newborn energy (200..699 under the "
                          "window's)",
                          slot, table};
        if (!(a.heading[slot] >= 0 && a.heading[slot] <= static_cast<float>(TwoPi)))
            return Breach{"a newcomer animal heads somewhere in [0, 2pi)", slot, table};
        if (a.turn[slot] != 0.5f || a.speed[slot] != 0.3f)
            return Breach{"a clicked animal turns 0.5 and moves 0.3 a tick", slot, table};
        expected.animals.x[slot] = a.x[slot];
        expected.animals.y[slot] = a.y[slot];
        expected.animals.heading[slot] = a.heading[slot];
        expected.animals.energy[slot] = a.energy[slot];
        expected.animals.turn[slot] = a.turn[slot];
        expected.animals.speed[slot] = a.speed[slot];
        expected_random.NextBits(); // heading
        expected_random.NextBits(); // energy
    } else {
        const PlantTable& p = world.plants;
        if (p.x[slot] != ExpectedPlantCoordinate(x) || p.y[slot] != ExpectedPlantCoordinate(y))
            return Breach{"a plant lands on the nearest pixel, ties to even, saturated", slot,
                          table};
        if (p.size[slot] < 1 || p.size[slot] > std::max(rules.seedling_spread, 1))
            return Breach{"a newcomer plant has its rules' seedling size (1..40 under the "
                          "window's)",
                          slot, table};
        expected.plants.x[slot] = p.x[slot];
        expected.plants.y[slot] = p.y[slot];
        expected.plants.size[slot] = p.size[slot];
        expected_random.NextBits(); // size
    }
    if (!SameBits(world, expected))
        return Breach{"a release changes nothing but the newcomer's slot", slot, table};
    if (!(random == expected_random))
        return Breach{"an animal takes two draws, a plant one", slot, table};
    return std::nullopt;
}

std::string Describe(const Breach& breach, const World& world)
{
    std::string text = breach.rule;
    const int k = breach.slot;
    if (breach.table == Table::Animals && k >= 0 && k < AnimalSlots) {
        text += " (" + SlotText("animal", AnimalColumns, world, k) + ")";
    } else if (breach.table == Table::Plants && k >= 0 && k < PlantSlots) {
        text += " (" + SlotText("plant", PlantColumns, world, k) + ")";
    } else {
        text += " (sweep " + std::to_string(world.sweep) + ")";
    }
    return text;
}

void Abort(const Breach& breach, const char* context)
{
    std::fprintf(stderr, "broken rule: %s (slot %d) %s\n", breach.rule, breach.slot, context);
    std::fflush(stderr);
    std::abort();
}

} // namespace morvane::fuzz
