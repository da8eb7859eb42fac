// The strip chart under the world: one plant and one animal sample per tick at the sweep
// position, with a black eraser line just ahead of it.
#pragma once

#include "display/canvas.h"

namespace morvane {

inline constexpr int GraphPlantFullScale = 500;  // plants plotted against 500 over the height
inline constexpr int GraphAnimalFullScale = 250; // animals plotted against 250 over the height

// One tick's samples as the world gives them: the sweep position in tenths of a pixel, the
// counts of the tick's passes, and each sample's shade (0..99).
struct PopulationSample {
    int sweep;
    int plants;
    int animals;
    int plant_shade;
    int animal_shade;
};

// Erases the column ahead of the sweep, then plots the plant sample in a green of its shade
// and the animal sample in an orange-red of its shade.
void PlotPopulation(Canvas& graph, const PopulationSample& sample);

} // namespace morvane
