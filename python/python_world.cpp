// A Python world keeps its books as morvane-lab does with its default rows of 100 ticks, so a
// checkpoint taken here goes on in the lab, statistics and lineage included, and back.
#include "python/python_world.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "sim/checkpoint.h"
#include "sim/mouse_release.h"
#include "sim/quoted_text.h"
#include "sim/run_book.h"
#include "sim/world_hash.h"

namespace morvane::python {

namespace {

constexpr std::uint64_t RowEvery = 100; // morvane-lab's default --every
constexpr const char* ProgramVersion = "1.0.0.0";

std::int16_t ButtonOf(const std::string& name)
{
    if (name == "left") return LeftButton;
    if (name == "right") return RightButton;
    if (name == "middle") return MiddleButton;
    throw Refused("unknown button " + QuotedText(name) + " (expected left, right or middle)");
}

std::string Shown(double value)
{
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, value); // the shortest that reads back
    return std::string(text, written.ptr);
}

float Coordinate(const char* name, double value)
{
    if (!std::isfinite(value))
        throw Refused(std::string(name) + " '" + Shown(value) + "' is not a finite decimal number");
    const float rounded = static_cast<float>(value);
    if (std::isinf(rounded))
        throw Refused(std::string(name) + " '" + Shown(value) +
                      "' is beyond the range of a 32-bit float");
    return rounded;
}

} // namespace

PythonWorld::PythonWorld(std::optional<std::uint64_t> seed, bool canvases)
    : run_(FreshRun(seed.value_or(RandomSource::DefaultInitState)))
{
    if (!canvases) run_.space = Canvas::Discarding(), run_.graph = Canvas::Discarding();
}

void PythonWorld::NeedCanvases(const char* what) const
{
    if (run_.space.Discards())
        throw Refused(std::string(what) + " needs the canvases, and this world keeps none " +
                      "(morvane.World(seed, canvases=True) keeps them)");
}

const Canvas& PythonWorld::Space() const
{
    NeedCanvases("the world canvas");
    return run_.space;
}

const Canvas& PythonWorld::Graph() const
{
    NeedCanvases("the graph canvas");
    return run_.graph;
}

PythonWorld PythonWorld::FromCheckpoint(std::string_view bytes)
{
    try {
        return PythonWorld(ReadCheckpoint(bytes));
    } catch (const CheckpointError& e) {
        throw Refused(std::string("checkpoint: ") + e.what());
    }
}

// The lab takes a statistics row at every multiple of 100 ticks, once that tick's releases are
// in, and starts counting births and deaths afresh; here the row is closed as the next tick
// begins or the world is kept, which is the same moment for the books.
void PythonWorld::CloseRowIfDue()
{
    if (run_.ticks_run % RowEvery != 0 || run_.since_row_tick == run_.ticks_run) return;
    run_.since_row = {};
    run_.born_by_events_since_row = 0;
    run_.since_row_tick = run_.ticks_run;
}

void PythonWorld::Step(std::uint64_t ticks)
{
    Step(ticks, [] { return true; });
}

std::uint64_t PythonWorld::Step(std::uint64_t ticks, const std::function<bool()>& go_on)
{
    if (ticks > std::numeric_limits<std::uint64_t>::max() - run_.ticks_run)
        throw Refused("ticks " + std::to_string(ticks) + " from the " +
                      std::to_string(run_.ticks_run) +
                      " ticks run would run beyond 18446744073709551615 ticks");
    Untold nobody;
    std::uint64_t done = 0;
    while (done < ticks) {
        const std::uint64_t stretch = std::min(ticks - done, TicksBetweenChecks);
        for (std::uint64_t t = 0; t < stretch; ++t) {
            CloseRowIfDue();
            last_counts_ = RunBookedTick(run_, nobody);
        }
        done += stretch;
        if (done < ticks && !go_on()) break;
    }
    return done;
}

void PythonWorld::Release(const std::string& button, double x, double y)
{
    const std::int16_t code = ButtonOf(button);
    const float fx = Coordinate("x", x), fy = Coordinate("y", y);
    Untold nobody;
    DeliverRelease(run_, code, fx, fy, nobody);
}

std::string PythonWorld::Checkpoint() const
{
    NeedCanvases("a checkpoint");
    PythonWorld kept = *this;
    kept.CloseRowIfDue();
    return WriteCheckpoint(kept.run_, ProgramVersion);
}

PythonWorld PythonWorld::Fork(std::uint64_t seed) const
{
    PythonWorld fork = *this;
    fork.run_.random = RandomSource::FromSeed(seed);
    fork.run_.seed = seed;
    return fork;
}

std::uint64_t PythonWorld::Hash() const { return HashWorld(run_.world); }

} // namespace morvane::python
