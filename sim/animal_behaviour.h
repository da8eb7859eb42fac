// One tick of an animal's behaviour mode: check the target, measure it, eat or breed when
// within a pixel, and glance at eleven random candidates for something nearer.
#pragma once

#include <array>

#include "display/canvas.h"
#include "sim/life_tally.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane {

inline constexpr int FeedUpEnergy = 1000;   // strictly above: a forager turns to mating
inline constexpr int ExhaustedEnergy = 250; // strictly below: a mater turns back to foraging
inline constexpr int BirthCost = 250;       // paid by each parent, floored at 0
inline constexpr int EnergyPerPlantSize = 3;
inline constexpr int CandidatesPerTick = 11;

// How a target lies from an animal: its distance in world pixels and the signed angle in
// radians by which the heading misses it (only its sign steers).
struct TargetFix {
    double distance;
    double bearing_delta;
};

// Measures (tx, ty) from an animal at (x, y) heading `heading`: differences rounded to single
// precision, distance and bearing in double. Straight below is 0, straight above pi, straight
// to either side pi/2; the bearing delta is folded into [-pi, pi] at most once each way.
TargetFix MeasureTarget(float tx, float ty, float x, float y, float heading);

// The behaviour of animal slot i in Foraging mode for this tick; returns the bearing delta.
double Forage(World& world, RandomSource& random, Canvas& space, int i);

// The behaviour of animal slot i in Mating mode for this tick; returns the bearing delta.
// A birth and any parent it kills are added to `tally` when one is given.
double Mate(World& world, RandomSource& random, Canvas& space, int i, LifeTally* tally = nullptr);

// What the animals saw of their targets in their visits, slot by slot: the differences from
// each to its target, rounded to single precision, and its own heading then. The sign of the
// bearing delta they give (SteeringSign) is all that steers, so the turns can be worked out
// after the pass, many at a time.
struct Sightings {
    std::array<float, AnimalSlots> dx;
    std::array<float, AnimalSlots> dy;
    std::array<float, AnimalSlots> heading;
};

// The plants' places in double precision, in which candidates are measured. No animal moves
// a plant, so the animal pass takes them once, before its first visit.
struct PlantPlaces {
    std::array<double, PlantSlots> x;
    std::array<double, PlantSlots> y;
};
void TakePlantPlaces(const PlantTable& plants, PlantPlaces& places);

// ForageSighting and MateSighting, the versions the animal pass uses, are in animal_visits.h.

} // namespace morvane
