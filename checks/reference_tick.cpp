// One tick of the world, written the way the rules tell it, one sentence at a time. Every
// number is set down here once more, straight from the rules, so that a wrong constant in the
// core cannot hide behind the same wrong constant here.
#include "checks/reference_tick.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "sim/conversions.h"
#include "sim/exact_math.h"

namespace morvane::reference {

namespace {

// The world: 251 animal slots, 501 plant slots, and a field from (0, 0) to (496, 429) with
// both edges inside.
constexpr int Animals = 251, Plants = 501;
constexpr int RightEdge = 496, BottomEdge = 429;
static_assert(AnimalTable{}.energy.size() == Animals && PlantTable{}.size.size() == Plants);

// Angles, in radians.
constexpr double Pi = 3.141592653589793, TwoPi = 6.283185307179586;
constexpr double HalfPi = 1.5707963267948966, OneDegree = 0.017453292519943295;
constexpr double FullTurnInDegrees = 360;

// An animal's modes, and the mouse buttons that mean something to the world.
constexpr std::int16_t Foraging = 0, Mating = 1;
constexpr std::int16_t LeftButton = 1, RightButton = 2;

// What the rules leave fixed. The rest (the energies, the mutation, the glances, the sizes
// and the odds) each world's rules give.
constexpr double ClickTurn = 0.5, ClickSpeed = 0.3; // a left release's slow newcomer
constexpr double Reach = 1;                         // strictly within: eat or breed
constexpr int DriftSteps = 3;                       // a plant drifts -1, 0 or +1 on each axis

// The graph: a tenth of a pixel a tick, 0..4960; the counts against 500 plants and 250
// animals over a height of 69 pixels, in one of 100 random shades.
constexpr int SweepEnd = 4960;
constexpr double SweepStep = 0.1, GraphBottom = 69;
constexpr double PlantFullScale = 500, AnimalFullScale = 250;
constexpr int SampleShades = 100, PlantSampleGreen = 155; // plants 155..254, animals 0..99

constexpr Colour AnimalColour = Rgb(255, 50, 0);
// Green 52..250 for sizes 1..100; no brighter than 255 for the bigger plants of other rules.
Colour PlantColour(int size) { return Rgb(0, std::min(2 * size + 50, 255), 0); }

// A draw from 0..n-1 is floor(Uniform() x n), in double precision.
int DrawBelow(RandomSource& random, int n)
{
    return static_cast<int>(std::floor(static_cast<double>(random.Uniform()) * n));
}

// A random place in the world: Uniform() x 496, then Uniform() x 429, each stored as a float.
struct Place {
    float x, y;
};
Place Scattered(RandomSource& random)
{
    const auto x = static_cast<float>(static_cast<double>(random.Uniform()) * RightEdge);
    const auto y = static_cast<float>(static_cast<double>(random.Uniform()) * BottomEdge);
    return {x, y};
}

// Whether a thin population gets a newcomer this tick: fewer than `wanted` alive, and one
// chance in `odds`. The chance is drawn every tick, whatever the count.
bool NewcomerDue(RandomSource& random, int count, int wanted, int odds)
{
    const float chance = random.Uniform();
    return count < wanted && std::floor(static_cast<double>(chance) * odds) == 0;
}

// Below 0 or beyond the far edges on either axis; a NaN place is neither.
bool OutsideTheWorld(double x, double y)
{
    return x < 0 || x > RightEdge || y < 0 || y > BottomEdge;
}

double Square(double v) { return v * v; }

// A slot drawn for a target, from 0..slots-1.
std::int16_t DrawSlot(RandomSource& random, int slots)
{
    return static_cast<std::int16_t>(DrawBelow(random, slots));
}

} // namespace

int AddAnimal(World& world, RandomSource& random, const Rules& rules, double x, double y,
              double turn, double speed)
{
    AnimalTable& a = world.animals;
    // A newcomer takes the lowest free slot; a full table refuses it and draws nothing.
    for (int i = 0; i < Animals; ++i) {
        if (a.energy[i] != 0) continue;
        // It stands where it is put, even off the world, with a random heading (drawn first)
        // and the newborn's energy. Its mode and target are whatever the slot's last animal left.
        a.x[i] = static_cast<float>(x);
        a.y[i] = static_cast<float>(y);
        a.heading[i] = static_cast<float>(static_cast<double>(random.Uniform()) *
                                          FullTurnInDegrees * OneDegree);
        a.energy[i] = static_cast<std::int16_t>(DrawBelow(random, rules.newborn_energy_spread) +
                                                rules.newborn_energy_min);
        a.turn[i] = static_cast<float>(turn);
        a.speed[i] = static_cast<float>(speed);
        return i;
    }
    return -1;
}

int AddPlant(World& world, RandomSource& random, const Rules& rules, double x, double y)
{
    PlantTable& p = world.plants;
    // A new plant takes the lowest free slot, at the whole pixel nearest to where it is put
    // (ties to the even one), with a seedling's size; a full table refuses it and draws nothing.
    for (int s = 0; s < Plants; ++s) {
        if (p.size[s] != 0) continue;
        p.x[s] = RoundToInt16(x);
        p.y[s] = RoundToInt16(y);
        p.size[s] = static_cast<std::int16_t>(DrawBelow(random, rules.seedling_spread) + 1);
        return s;
    }
    return -1;
}

Fix Measure(float tx, float ty, float x, float y, float heading)
{
    // The differences are kept as floats; distance and bearing are worked out in double.
    const float dx = tx - x;
    const float dy = ty - y;
    const double distance = std::sqrt(Square(dx) + Square(dy));
    // Straight below is 0, straight above pi, straight to either side pi/2.
    double bearing = HalfPi;
    if (dy != 0) bearing = ExactAtan(static_cast<double>(dx) / static_cast<double>(dy));
    if (dy < 0) bearing = bearing + Pi;
    // The miss is folded towards [-pi, pi] once each way, no more.
    double delta = bearing - static_cast<double>(heading);
    if (delta < -Pi) delta = delta + TwoPi;
    if (delta > Pi) delta = delta - TwoPi;
    return {distance, delta};
}

double Forage(World& world, RandomSource& random, const Rules& rules, Canvas& space, int i)
{
    AnimalTable& a = world.animals;
    PlantTable& p = world.plants;

    // Above the mating energy a forager turns to mating and picks a slot from 0..250, a
    // partner from the next tick on; for the rest of this tick it forages for that plant.
    if (a.energy[i] > rules.mating_energy) {
        a.mode[i] = Mating;
        a.target[i] = DrawSlot(random, Animals);
    }

    // A target that is no plant slot, or whose plant is gone, gives way to a draw from
    // 0..500, which is not checked again.
    if (a.target[i] < 0 || a.target[i] >= Plants || p.size[a.target[i]] == 0)
        a.target[i] = DrawSlot(random, Plants);

    const int t = a.target[i];
    const Fix fix = Measure(p.x[t], p.y[t], a.x[i], a.y[i], a.heading[i]);

    // An animal within one pixel of a living plant eats it and gains the plant energy per unit
    // of its size; the plant's dot is erased.
    if (fix.distance < Reach && p.size[t] > 0 && a.energy[i] > 0) {
        space.PSet(p.x[t], p.y[t], Black);
        a.energy[i] = static_cast<std::int16_t>(p.size[t] * rules.plant_energy + a.energy[i]);
        p.size[t] = 0;
    }

    // It glances at its number of random plant slots and takes any living plant nearer than its
    // target was before the glances; of several, the last one drawn. A candidate is measured
    // wholly in double.
    for (int j = 0; j < rules.glances; ++j) {
        const int k = DrawBelow(random, Plants);
        const double d = std::sqrt(Square(p.y[k] - static_cast<double>(a.y[i])) +
                                   Square(p.x[k] - static_cast<double>(a.x[i])));
        if (d < fix.distance && p.size[k] > 0) a.target[i] = static_cast<std::int16_t>(k);
    }
    return fix.bearing_delta;
}

double Mate(World& world, RandomSource& random, const Rules& rules, Canvas& space, int i)
{
    AnimalTable& a = world.animals;

    // Below the foraging energy a mater turns back to foraging with a plant slot from 0..500 as its
    // target; for the rest of this tick it still mates, with that slot as a partner.
    if (a.energy[i] < rules.foraging_energy) {
        a.mode[i] = Foraging;
        a.target[i] = DrawSlot(random, Plants);
    }

    // A target that is no animal slot gives way to a draw from 0..250.
    if (a.target[i] < 0 || a.target[i] >= Animals) a.target[i] = DrawSlot(random, Animals);

    // So does a partner that is the animal itself or dead; the new one is not checked again.
    if (a.target[i] == i || a.energy[a.target[i]] == 0) a.target[i] = DrawSlot(random, Animals);

    const int t = a.target[i];
    const Fix fix = Measure(a.x[t], a.y[t], a.x[i], a.y[i], a.heading[i]);

    // Two living animals within one pixel breed. The newborn starts at the breeder's place
    // with the mean of its parents' turn and speed, each shifted by u x 2h - h for a draw u
    // and its mutation's half-width h (the turn's drawn first); each parent pays the birth
    // cost, down to none, and the partner's dot is erased.
    if (fix.distance < Reach && a.energy[t] > 0 && a.energy[i] > 0) {
        const double u1 = random.Uniform();
        const double u2 = random.Uniform();
        const double hs = rules.speed_mutation, ht = rules.turn_mutation;
        const double speed =
            (static_cast<double>(a.speed[i]) + static_cast<double>(a.speed[t])) / 2 +
            u2 * (2 * hs) - hs;
        const double turn = (static_cast<double>(a.turn[t]) + static_cast<double>(a.turn[i])) / 2 +
                            u1 * (2 * ht) - ht;
        AddAnimal(world, random, rules, a.x[i], a.y[i], turn, speed);
        a.energy[i] = static_cast<std::int16_t>(std::max(a.energy[i] - rules.birth_cost, 0));
        a.energy[t] = static_cast<std::int16_t>(std::max(a.energy[t] - rules.birth_cost, 0));
        space.PSet(a.x[t], a.y[t], Black);
    }

    // It glances at its number of random animal slots, of any mode, and takes any living animal
    // nearer than its partner was before the glances; of several, the last one drawn. A
    // candidate is measured wholly in double.
    for (int j = 0; j < rules.glances; ++j) {
        const int k = DrawBelow(random, Animals);
        const double d = std::sqrt(Square(a.x[k] - static_cast<double>(a.x[i])) +
                                   Square(a.y[k] - static_cast<double>(a.y[i])));
        if (d < fix.distance && a.energy[k] > 0) a.target[i] = static_cast<std::int16_t>(k);
    }
    return fix.bearing_delta;
}

int AnimalPhase(World& world, RandomSource& random, const Rules& rules, Canvas& space)
{
    AnimalTable& a = world.animals;
    int count = 0;
    // Every slot, living or dead, is visited in order; a newborn put into a later slot is
    // visited in this same pass.
    for (int i = 0; i < Animals; ++i) {
        // Its dot is erased where it stood.
        space.PSet(a.x[i], a.y[i], Black);

        // It moves along its heading by its speed (a dead animal has none), each coordinate
        // worked out in double and stored as a float.
        // The sine and cosine are the exact ones: the double nearest the true value.
        a.x[i] = static_cast<float>(a.speed[i] * ExactSin(a.heading[i]) + a.x[i]);
        a.y[i] = static_cast<float>(a.speed[i] * ExactCos(a.heading[i]) + a.y[i]);

        // An animal that leaves the world dies.
        if (OutsideTheWorld(a.x[i], a.y[i])) a.energy[i] = 0;

        // It behaves by its mode, dead or alive.
        const double bearing_delta = a.mode[i] == Mating ? Mate(world, random, rules, space, i)
                                                         : Forage(world, random, rules, space, i);

        // It turns by its turning rate towards the side its target lies on; dead ahead, it
        // keeps its heading.
        if (bearing_delta < 0) a.heading[i] = a.heading[i] - a.turn[i];
        if (bearing_delta > 0) a.heading[i] = a.turn[i] + a.heading[i];

        // A dead animal stops.
        if (a.energy[i] == 0) a.speed[i] = 0;

        // Living costs the upkeep a tick, down to none; an animal still alive after that is
        // drawn and counted.
        if (a.energy[i] > 0)
            a.energy[i] = static_cast<std::int16_t>(std::max(a.energy[i] - rules.upkeep, 0));
        if (a.energy[i] > 0) {
            space.PSet(a.x[i], a.y[i], AnimalColour);
            ++count;
        }
    }

    // With too few animals alive, now and then a newcomer appears at a random place.
    if (NewcomerDue(random, count, rules.animal_top_up_below, rules.top_up_chance)) {
        const Place place = Scattered(random);
        AddAnimal(world, random, rules, place.x, place.y, rules.newcomer_turn,
                  rules.newcomer_speed);
    }
    return count;
}

int PlantPhase(World& world, RandomSource& random, const Rules& rules, Canvas& space)
{
    PlantTable& p = world.plants;
    int count = 0;
    // Every slot, living or free, is visited in order; a seedling put into a later slot is
    // visited in this same pass.
    for (int s = 0; s < Plants; ++s) {
        // Its dot is erased where it stood.
        space.PSet(p.x[s], p.y[s], Black);

        // It drifts by -1, 0 or +1 pixel, first across, then down; a free slot too, its
        // 16-bit place wrapping around should it ever get that far.
        p.x[s] = static_cast<std::int16_t>(DrawBelow(random, DriftSteps) + p.x[s] - 1);
        p.y[s] = static_cast<std::int16_t>(DrawBelow(random, DriftSteps) + p.y[s] - 1);

        // A plant that drifts out of the world dies; a living one grows by one.
        if (OutsideTheWorld(p.x[s], p.y[s])) p.size[s] = 0;
        if (p.size[s] > 0) ++p.size[s];

        // Past the seeding size it starts again from a draw below the regrowth spread (0 is
        // its end) and drops a seedling where it stands; now and then a second seed lands
        // anywhere.
        if (p.size[s] > rules.seeding_size) {
            p.size[s] = static_cast<std::int16_t>(DrawBelow(random, rules.regrowth_spread));
            AddPlant(world, random, rules, p.x[s], p.y[s]);
            if (DrawBelow(random, rules.far_seed_chance) == 0) {
                const Place place = Scattered(random);
                AddPlant(world, random, rules, place.x, place.y);
            }
        }

        // A living plant is drawn, greener the bigger it is, and counted.
        if (p.size[s] > 0) {
            space.PSet(p.x[s], p.y[s], PlantColour(p.size[s]));
            ++count;
        }
    }

    // With too few plants alive, now and then a new plant appears at a random place.
    if (NewcomerDue(random, count, rules.plant_top_up_below, rules.top_up_chance)) {
        const Place place = Scattered(random);
        AddPlant(world, random, rules, place.x, place.y);
    }
    return count;
}

void GraphUpdate(World& world, RandomSource& random, Canvas& graph, int plants, int animals)
{
    // The sweep moves on by a tenth of a pixel, and after 4960 starts again at the left.
    world.sweep = static_cast<std::int16_t>(world.sweep + 1);
    if (world.sweep > SweepEnd) world.sweep = 0;

    // A black line one pixel ahead of the sweep wipes out the last sweep's samples.
    const auto ahead = static_cast<float>(world.sweep * SweepStep + 1);
    graph.VerticalLine(ahead, static_cast<float>(GraphBottom), -1.0f, Black);

    // The plant count is plotted in a flickering green, then the animal count in a
    // flickering orange-red, each colour a fresh draw; none is at the bottom, a full scale at
    // the top.
    const auto x = static_cast<float>(world.sweep * SweepStep);
    const Colour plant_colour = Rgb(0, DrawBelow(random, SampleShades) + PlantSampleGreen, 0);
    graph.PSet(x, static_cast<float>(GraphBottom - plants / PlantFullScale * GraphBottom),
               plant_colour);
    const Colour animal_colour = Rgb(255, DrawBelow(random, SampleShades), 0);
    graph.PSet(x, static_cast<float>(GraphBottom - animals / AnimalFullScale * GraphBottom),
               animal_colour);
}

TickCounts RunTick(World& world, RandomSource& random, const Rules& rules, Canvas& space,
                   Canvas& graph)
{
    // Animals first, so they find the plants as the last tick left them; then the plants, in
    // which those eaten are already free; then the graph, with the counts the passes took.
    const int animals = AnimalPhase(world, random, rules, space);
    const int plants = PlantPhase(world, random, rules, space);
    GraphUpdate(world, random, graph, plants, animals);
    return {animals, plants};
}

int space_MouseUp(World& world, RandomSource& random, const Rules& rules, std::int16_t button,
                  std::int16_t /*shift*/, float x, float y)
{
    // Releasing the left button adds a slow animal where it was released, the right button a
    // plant; any other button, and any modifier key, changes nothing.
    if (button == LeftButton) return AddAnimal(world, random, rules, x, y, ClickTurn, ClickSpeed);
    if (button == RightButton) return AddPlant(world, random, rules, x, y);
    return -1;
}

} // namespace morvane::reference
