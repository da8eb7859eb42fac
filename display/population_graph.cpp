// Ten ticks share one graph column; the samples flicker because each takes a fresh shade.
#include "display/population_graph.h"

namespace morvane {

void PlotPopulation(Canvas& graph, const PopulationSample& sample)
{
    const double height = GraphHeight;
    const float eraser_x = static_cast<float>(sample.sweep * 0.1 + 1);
    graph.VerticalLine(eraser_x, static_cast<float>(height), -1.0f, Black);

    const float sample_x = static_cast<float>(sample.sweep * 0.1);
    const Colour plant_colour = Rgb(0, sample.plant_shade + 155, 0);
    graph.PSet(sample_x,
               static_cast<float>(height - sample.plants /
                                               static_cast<double>(GraphPlantFullScale) * height),
               plant_colour);
    const Colour animal_colour = Rgb(255, sample.animal_shade, 0);
    graph.PSet(sample_x,
               static_cast<float>(height - sample.animals /
                                               static_cast<double>(GraphAnimalFullScale) * height),
               animal_colour);
}

} // namespace morvane
