// The glances of glance.h and their plain twins, which the tests hold the fast ones to.
#include "sim/kernels/glance.h"

#include "sim/kernels/hot_path.h"

namespace morvane::kernels {

MORVANE_HOT_PATH void TakePlantPlaces(const PlantTable& plants, PlantPlaces& places)
{
    for (int s = 0; s < PlantSlots; ++s) {
        places.x[s] = plants.x[s];
        places.y[s] = plants.y[s];
    }
}

std::int16_t PlainGlanceAtPlants(RandomSource& random, int glances, const PlantTable& plants,
                                 float x, float y, std::int16_t target, double target_square)
{
    const double target_distance = std::sqrt(target_square);
    for (int j = 0; j < glances; ++j) {
        const int k = random.Below(PlantSlots);
        const double dy = plants.y[k] - static_cast<double>(y);
        const double dx = plants.x[k] - static_cast<double>(x);
        if (std::sqrt(dy * dy + dx * dx) < target_distance && plants.size[k] > 0)
            target = static_cast<std::int16_t>(k);
    }
    return target;
}

std::int16_t PlainGlanceAtAnimals(RandomSource& random, int glances, const AnimalTable& animals,
                                  float x, float y, std::int16_t target, double target_square)
{
    const double target_distance = std::sqrt(target_square);
    for (int j = 0; j < glances; ++j) {
        const int k = random.Below(AnimalSlots);
        const double dx = static_cast<double>(animals.x[k]) - x;
        const double dy = static_cast<double>(animals.y[k]) - y;
        if (std::sqrt(dx * dx + dy * dy) < target_distance && animals.energy[k] > 0)
            target = static_cast<std::int16_t>(k);
    }
    return target;
}

} // namespace morvane::kernels
