// The scenes draw nothing anyone sees, so they tick on discarding canvases.
#include "sim/scenes.h"

#include "display/canvas.h"
#include "sim/spawning.h"
#include "sim/tick.h"

namespace morvane {

Scene FreshScene(const Rules& rules) { return Scene{World{}, RandomSource{}, rules}; }

Scene PopulatedScene(int ticks, const Rules& rules)
{
    Scene scene = FreshScene(rules);
    Canvas space = Canvas::Discarding();
    Canvas graph = Canvas::Discarding();
    for (int t = 0; t < ticks; ++t)
        RunTick(scene.world, scene.random, scene.rules, space, graph);
    return scene;
}

Scene FullTablesScene(const Rules& rules)
{
    Scene scene = FreshScene(rules);
    for (int i = 0; i < AnimalSlots; ++i) {
        const float x = static_cast<float>(static_cast<double>(scene.random.Uniform()) * WorldMaxX);
        const float y = static_cast<float>(static_cast<double>(scene.random.Uniform()) * WorldMaxY);
        AddAnimal(scene.world, scene.random, scene.rules, x, y, 0.5, 0.5);
    }
    for (int s = 0; s < PlantSlots; ++s) {
        const float x = static_cast<float>(static_cast<double>(scene.random.Uniform()) * WorldMaxX);
        const float y = static_cast<float>(static_cast<double>(scene.random.Uniform()) * WorldMaxY);
        AddPlant(scene.world, scene.random, scene.rules, x, y);
    }
    return scene;
}

} // namespace morvane
