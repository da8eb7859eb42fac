// The world as the Python module offers it, in plain C++: the core's run of a world, with the
// one rule Python adds, that a world made without canvases cannot be kept or shown. Nothing
// here knows Python; the bindings only translate.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/world_run.h"

namespace morvane::python {

// A request the world refuses, in the words the lab uses for the same mistake.
using Refused = RunRefused;

class PythonWorld {
public:
    // A fresh world from `seed`, or from the window's fixed state without one. Without
    // `canvases` it draws on canvases that keep nothing, as morvane-lab does unless an output
    // needs them: the world is the same, its pictures are not kept, and it cannot be kept
    // itself, since a checkpoint holds them.
    // Under `rules`; throws Refused for rules that do not hold together.
    PythonWorld(std::optional<std::uint64_t> seed, bool canvases, const Rules& rules = WindowRules);
    // The world a checkpoint kept; throws Refused naming what is wrong with the bytes.
    static PythonWorld FromCheckpoint(std::string_view bytes);

    // Runs `ticks` whole ticks, asking `go_on` after every WorldRun::TicksBetweenChecks ticks
    // whether to carry on (so a Ctrl-C stops it at the end of a whole tick). Returns the ticks
    // run; throws Refused when the count would pass 2^64 - 1 ticks.
    std::uint64_t Step(std::uint64_t ticks, const std::function<bool()>& go_on = nullptr)
    {
        return run_.Step(ticks, go_on);
    }
    // A release of "left", "right" or "middle" at (x, y); throws Refused as the core does.
    void Release(const std::string& button, double x, double y) { run_.Release(button, x, y); }

    std::string Checkpoint() const;
    // Throws Refused when the world keeps no canvases.
    const Canvas& Space() const;
    const Canvas& Graph() const;
    PythonWorld Fork(std::uint64_t seed) const { return PythonWorld(run_.Fork(seed)); }

    const RunState& Run() const { return run_.State(); }
    TickCounts LastCounts() const { return run_.LastCounts(); }
    std::uint64_t Hash() const { return run_.Hash(); }
    std::string HashText() const { return run_.HashText(); }

private:
    explicit PythonWorld(WorldRun run) : run_(std::move(run)) {}
    void NeedCanvases(const char* what) const;

    WorldRun run_;
};

} // namespace morvane::python
