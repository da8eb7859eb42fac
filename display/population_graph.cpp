// Ten ticks share one graph column; the samples flicker because each takes a fresh green.
#include "display/population_graph.h"

namespace morvane {

void GraphUpdate(World& world, RandomSource& random, Canvas& graph, int plants, int animals)
{
    world.tick = static_cast<std::int16_t>(world.tick + 1);
    if (world.tick > GraphTickMax) world.tick = 0;

    const double height = GraphHeight;
    const float eraser_x = static_cast<float>(world.tick * 0.1 + 1);
    graph.Line(eraser_x, static_cast<float>(height), eraser_x, -1.0f, Black);

    const float sample_x = static_cast<float>(world.tick * 0.1);
    const Colour plant_colour = Rgb(0, random.Below(100) + 155, 0);
    graph.PSet(
        sample_x,
        static_cast<float>(height - plants / static_cast<double>(GraphPlantFullScale) * height),
        plant_colour);
    const Colour animal_colour = Rgb(255, random.Below(100), 0);
    graph.PSet(
        sample_x,
        static_cast<float>(height - animals / static_cast<double>(GraphAnimalFullScale) * height),
        animal_colour);
}

} // namespace morvane
