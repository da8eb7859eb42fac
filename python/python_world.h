// The world as the Python module offers it, in plain C++: a run of the core stepped whole ticks
// at a time, mouse releases checked and delivered as the window delivers them, and kept or
// forked through a checkpoint. Nothing here knows Python; the bindings only translate.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/run_state.h"
#include "sim/tick.h"

namespace morvane::python {

// A request the world refuses, in the words the lab uses for the same mistake.
class Refused : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

class PythonWorld {
public:
    // A fresh world from `seed`, or from the window's fixed state without one. Without
    // `canvases` it draws on canvases that keep nothing, as morvane-lab does unless an output
    // needs them: the world is the same, its pictures are not kept, and it cannot be kept
    // itself, since a checkpoint holds them.
    PythonWorld(std::optional<std::uint64_t> seed, bool canvases);
    // The world a checkpoint kept; throws Refused naming what is wrong with the bytes.
    static PythonWorld FromCheckpoint(std::string_view bytes);

    // Runs `ticks` whole ticks. Throws Refused when the count would pass 2^64 - 1 ticks.
    void Step(std::uint64_t ticks);
    // The same, asking `go_on` after every `TicksBetweenChecks` ticks whether to carry on, so a
    // long run can be stopped (by a Ctrl-C) at the end of a whole tick. Returns the ticks run.
    static constexpr std::uint64_t TicksBetweenChecks = 4096;
    std::uint64_t Step(std::uint64_t ticks, const std::function<bool()>& go_on);
    // A release of "left", "right" or "middle" at (x, y), rounded to single precision as the
    // mouse handler receives it. Throws Refused for another button or a coordinate that is
    // not finite or beyond a float's range.
    void Release(const std::string& button, double x, double y);

    std::string Checkpoint() const;
    // Throws Refused when the world keeps no canvases.
    const Canvas& Space() const;
    const Canvas& Graph() const;
    // A copy whose random source restarts from `seed`: the same past, other chance.
    PythonWorld Fork(std::uint64_t seed) const;

    const RunState& Run() const { return run_; }
    TickCounts LastCounts() const { return last_counts_; }
    std::uint64_t Hash() const;

private:
    explicit PythonWorld(RunState run) : run_(std::move(run)) {}
    void CloseRowIfDue();
    void NeedCanvases(const char* what) const;

    RunState run_;
    TickCounts last_counts_{0, 0}; // before the first tick, nothing was counted
};

} // namespace morvane::python
