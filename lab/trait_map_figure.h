// The trait map: how the living animals spread over speed and turning rate at six moments of a
// run (or of an ensemble, its runs' animals pooled), each moment a panel of its own on shared
// axes, with the density of animals shaded and their mean marked.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "lab/figure_file.h"

namespace morvane::lab {

// The living animals at one moment: the values each was born with, as the table holds them.
struct TraitMoment {
    std::uint64_t tick = 0;   // ticks the world had run
    std::vector<float> speed; // world pixels per tick, one per living animal (of every run)
    std::vector<float> turn;  // radians per tick, in the same order
};

struct TraitMap {
    std::string title;                // the figure's heading, UTF-8
    std::vector<TraitMoment> moments; // in tick order; six for a run of six ticks or more
    std::uint64_t runs = 1;           // how many runs' animals each panel pools
};

inline constexpr int TraitMapWidth = 1080; // pixels of the PNG, points of the SVG
inline constexpr int TraitMapHeight = 760;

// Draws `map` and writes it to `out`; throws LabError when cairo reports a failure.
void WriteTraitMap(std::FILE* out, PlotFormat format, const TraitMap& map);

} // namespace morvane::lab
