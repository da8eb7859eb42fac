#include "python/python_world.h"

namespace morvane::python {

PythonWorld::PythonWorld(std::optional<std::uint64_t> seed, bool canvases, const Rules& rules)
    : run_(WorldRun::Fresh(seed, rules))
{
    if (!canvases)
        run_.State().space = Canvas::Discarding(), run_.State().graph = Canvas::Discarding();
}

PythonWorld PythonWorld::FromCheckpoint(std::string_view bytes)
{
    return PythonWorld(WorldRun::FromCheckpoint(bytes));
}

void PythonWorld::NeedCanvases(const char* what) const
{
    if (Run().space.Discards())
        throw Refused(std::string(what) + " needs the canvases, and this world keeps none " +
                      "(morvane.World(seed, canvases=True) keeps them)");
}

const Canvas& PythonWorld::Space() const
{
    NeedCanvases("the world canvas");
    return Run().space;
}

const Canvas& PythonWorld::Graph() const
{
    NeedCanvases("the graph canvas");
    return Run().graph;
}

std::string PythonWorld::Checkpoint() const
{
    NeedCanvases("a checkpoint");
    return run_.Checkpoint();
}

} // namespace morvane::python
