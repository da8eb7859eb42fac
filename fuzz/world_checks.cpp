// The rules are checked on the world as stored, bit for bit: a NaN coordinate, which the core
// accepts from a release, must not hide a change behind NaN != NaN.
#include "fuzz/world_checks.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/mouse_release.h"
#include "sim/plant_phase.h"
#include "sim/tick.h"

namespace morvane::fuzz {

namespace {

// What a tick's checks compare with: the world as the tick found it.
struct TickStart {
    std::array<std::int16_t, AnimalSlots> mode;
    std::array<float, AnimalSlots> y;
    std::array<float, AnimalSlots> heading;
    std::array<std::int16_t, PlantSlots> plant_x;
    std::array<std::int16_t, PlantSlots> plant_y;
};

template <typename T, std::size_t N>
bool SameBits(const std::array<T, N>& a, const std::array<T, N>& b)
{
    return std::memcmp(a.data(), b.data(), sizeof(T) * N) == 0;
}

bool SameBits(const World& a, const World& b)
{
    const AnimalTable &p = a.animals, &q = b.animals;
    return SameBits(p.x, q.x) && SameBits(p.y, q.y) && SameBits(p.heading, q.heading) &&
           SameBits(p.energy, q.energy) && SameBits(p.target, q.target) &&
           SameBits(p.mode, q.mode) && SameBits(p.turn, q.turn) && SameBits(p.speed, q.speed) &&
           SameBits(a.plants.x, b.plants.x) && SameBits(a.plants.y, b.plants.y) &&
           SameBits(a.plants.size, b.plants.size) && a.tick == b.tick;
}

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

// A free plant slot drifts -1, 0 or +1 a tick on each axis, in 16-bit two's-complement
// arithmetic: 32767 + 1 is -32768, one step, not a jump across the plane.
bool OneStep(std::int16_t from, std::int16_t to)
{
    const auto step = static_cast<std::uint16_t>(static_cast<std::uint16_t>(to) -
                                                 static_cast<std::uint16_t>(from));
    return step == 0 || step == 1 || step == 0xffff;
}

std::optional<Breach> CheckAnimals(const TickStart& start, const World& world)
{
    const AnimalTable& a = world.animals;
    for (int i = 0; i < AnimalSlots; ++i) {
        if (a.mode[i] != Foraging && a.mode[i] != Mating)
            return Breach{"an animal is foraging (0) or mating (1)", i};
        // Energy below 0 would make a slot neither free nor alive.
        if (a.energy[i] < 0) return Breach{"an animal's energy is never negative", i};
        // A forager ends its turn on a plant slot, even when it has just turned to mating; a
        // mater always on an animal slot, even when it has just turned back to foraging.
        if (a.target[i] < 0 || a.target[i] >= PlantSlots)
            return Breach{"an animal's target is a plant slot 0..500", i};
        if (start.mode[i] == Mating && a.target[i] >= AnimalSlots)
            return Breach{"a mater's target after its turn is an animal slot 0..250", i};
        // The edge test cannot see a NaN coordinate; only a release can bring one in.
        if (a.energy[i] > 0 && ((!std::isnan(a.x[i]) && !(a.x[i] >= 0 && a.x[i] <= WorldMaxX)) ||
                                (!std::isnan(a.y[i]) && !(a.y[i] >= 0 && a.y[i] <= WorldMaxY))))
            return Breach{"a living animal lies inside the world after the animal pass", i};
        // A NaN height stays NaN through every move, and makes the bearing to any target
        // NaN, which steers neither way. (A slot refilled in the pass has a finite height.)
        if (std::isnan(start.y[i]) && std::isnan(a.y[i]) &&
            std::bit_cast<std::uint32_t>(start.heading[i]) !=
                std::bit_cast<std::uint32_t>(a.heading[i]))
            return Breach{"an animal at a NaN height keeps its heading", i};
    }
    return std::nullopt;
}

std::optional<Breach> CheckPlants(const TickStart& start, const World& world)
{
    const PlantTable& p = world.plants;
    for (int s = 0; s < PlantSlots; ++s) {
        if (p.size[s] < 0 || p.size[s] > PlantFullSize)
            return Breach{"a plant's size after the plant pass is 0..100", s};
        if (p.size[s] > 0 && !InWorld(p.x[s], p.y[s]))
            return Breach{"a living plant lies inside the world after the plant pass", s};
        // A slot refilled in this pass and then drifted out lies just beyond the edge;
        // any other free slot has only drifted.
        const bool by_the_edge =
            p.x[s] >= -1 && p.x[s] <= WorldMaxX + 1 && p.y[s] >= -1 && p.y[s] <= WorldMaxY + 1;
        if (p.size[s] == 0 && !by_the_edge &&
            !(OneStep(start.plant_x[s], p.x[s]) && OneStep(start.plant_y[s], p.y[s])))
            return Breach{"a free plant slot drifts one step a tick, wrapping at 16 bits", s};
    }
    return std::nullopt;
}

} // namespace

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

std::optional<Breach> TickAndCheck(World& world, RandomSource& random, Canvas& space, Canvas& graph)
{
    const TickStart start{world.animals.mode, world.animals.y, world.animals.heading,
                          world.plants.x, world.plants.y};
    const TickCounts counts = RunTick(world, random, space, graph);

    if (world.tick < 0 || world.tick > GraphTickMax)
        return Breach{"the graph sweep stays within 0..4960", -1};
    if (counts.animals < 0 || counts.animals > AnimalSlots)
        return Breach{"the animal pass counts 0..251 animals", -1};
    // A plant counted in the pass cannot die later in it; seedlings may join uncounted.
    if (counts.plants < 0 || counts.plants > LivingPlants(world))
        return Breach{"the plant pass counts no more plants than it leaves alive", -1};
    if (auto breach = CheckAnimals(start, world)) return breach;
    return CheckPlants(start, world);
}

std::optional<Breach> ReleaseAndCheck(World& world, RandomSource& random, std::int16_t button,
                                      std::int16_t shift, float x, float y)
{
    const World before = world;
    const RandomSource drawn_before = random;
    const int slot = space_MouseUp(world, random, button, shift, x, y);
    const bool unchanged = SameBits(world, before) && random == drawn_before;

    if (button != LeftButton && button != RightButton) {
        if (slot != -1 || !unchanged)
            return Breach{"a release of any other button changes nothing and draws nothing", slot};
        return std::nullopt;
    }
    const bool animal = button == LeftButton;
    const int lowest_free =
        animal ? LowestZero(before.animals.energy) : LowestZero(before.plants.size);
    if (slot != lowest_free) return Breach{"a newcomer takes the lowest free slot", slot};
    if (slot < 0) {
        if (!unchanged) return Breach{"a full table refuses silently and draws nothing", -1};
        return std::nullopt;
    }

    // The newcomer's fields as the rules give them; the rest of the world untouched.
    World expected = before;
    RandomSource expected_random = drawn_before;
    if (animal) {
        const AnimalTable& a = world.animals;
        if (!SameCoordinate(a.x[slot], x) || !SameCoordinate(a.y[slot], y))
            return Breach{"a newcomer animal lands exactly where the button was released", slot};
        if (a.energy[slot] < 200 || a.energy[slot] > 699)
            return Breach{"a newcomer animal has 200..699 energy", slot};
        if (!(a.heading[slot] >= 0 && a.heading[slot] <= static_cast<float>(TwoPi)))
            return Breach{"a newcomer animal heads somewhere in [0, 2pi)", slot};
        if (a.turn[slot] != 0.5f || a.speed[slot] != 0.3f)
            return Breach{"a clicked animal turns 0.5 and moves 0.3 a tick", slot};
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
            return Breach{"a plant lands on the nearest pixel, ties to even, saturated", slot};
        if (p.size[slot] < 1 || p.size[slot] > 40)
            return Breach{"a newcomer plant has size 1..40", slot};
        expected.plants.x[slot] = p.x[slot];
        expected.plants.y[slot] = p.y[slot];
        expected.plants.size[slot] = p.size[slot];
        expected_random.NextBits(); // size
    }
    if (!SameBits(world, expected))
        return Breach{"a release changes nothing but the newcomer's slot", slot};
    if (!(random == expected_random)) return Breach{"an animal takes two draws, a plant one", slot};
    return std::nullopt;
}

void Abort(const Breach& breach, const char* context)
{
    std::fprintf(stderr, "broken rule: %s (slot %d) %s\n", breach.rule, breach.slot, context);
    std::fflush(stderr);
    std::abort();
}

} // namespace morvane::fuzz
