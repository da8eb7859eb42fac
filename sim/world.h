// The whole state of the simulation: the animal and plant tables and the graph sweep counter.
// Plain parallel arrays indexed by slot; a slot is free exactly when its energy or size is 0.
#pragma once

#include <array>
#include <cstdint>

namespace morvane {

inline constexpr int AnimalSlots = 251; // animal slot indices 0..250
inline constexpr int PlantSlots = 501;  // plant slot indices 0..500
inline constexpr int WorldMaxX = 496;   // alive while 0 <= x <= 496
inline constexpr int WorldMaxY = 429;   // alive while 0 <= y <= 429
inline constexpr int SweepMax = 4960;   // the sweep counter runs 0..4960, tenths of a graph pixel

inline constexpr double Pi = 3.141592653589793;
inline constexpr double TwoPi = 6.283185307179586;
inline constexpr double HalfPi = 1.5707963267948966;
inline constexpr double OneDegree = 0.017453292519943295;

enum Mode : std::int16_t { Foraging = 0, Mating = 1 };

struct AnimalTable {
    std::array<float, AnimalSlots> x{};             // world pixels, rightwards
    std::array<float, AnimalSlots> y{};             // world pixels, downwards
    std::array<float, AnimalSlots> heading{};       // radians, 0 = +y, pi/2 = +x; never normalised
    std::array<std::int16_t, AnimalSlots> energy{}; // 0 = free slot; a newborn has 200..699
    std::array<std::int16_t, AnimalSlots>
        target{}; // plant slot while foraging, animal slot while mating
    std::array<std::int16_t, AnimalSlots> mode{}; // Foraging or Mating
    std::array<float, AnimalSlots> turn{};        // radians per tick; may be 0 or negative
    std::array<float, AnimalSlots> speed{};       // world pixels per tick; may be 0 or negative

    bool operator==(const AnimalTable&) const = default;
};

struct PlantTable {
    std::array<std::int16_t, PlantSlots> x{};    // world pixels
    std::array<std::int16_t, PlantSlots> y{};    // world pixels
    std::array<std::int16_t, PlantSlots> size{}; // 0 = free slot; 1..100 after every plant pass

    bool operator==(const PlantTable&) const = default;
};

// Value-initialised, a World is the empty world the program starts with: every field zero.
struct World {
    AnimalTable animals;
    PlantTable plants;
    std::int16_t sweep = 0; // population graph sweep position, 0..SweepMax

    bool operator==(const World&) const = default;
};

int LivingAnimals(const World& world); // 0..251
int LivingPlants(const World& world);  // 0..501

} // namespace morvane
