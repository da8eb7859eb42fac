// One way to run a world, for every front end that drives one: the lab's tick loop, the Python
// module and the page. A run is stepped whole ticks at a time, takes mouse releases by the
// names people give the buttons, keeps its books (the births and deaths since the last
// statistics row, and the pedigree) and is kept as a checkpoint that any of them reads back.
// What it refuses, it refuses in one set of words, which every front end shows as they stand.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/life_tally.h"
#include "sim/run_book.h"
#include "sim/run_refused.h"
#include "sim/run_state.h"
#include "sim/tick.h"

namespace morvane {

// Ticks between statistics rows unless a front end is asked for others: each row counts the
// births and deaths since the row before.
inline constexpr std::uint64_t DefaultRowSpacing = 100;

// The code of the button a release names: "left", "right" or "middle". Throws RunRefused
// ("unknown button 'x' (expected left, right or middle)") for any other name.
inline constexpr const char* ExpectedButtons = "(expected left, right or middle)";
std::int16_t ButtonNamed(std::string_view name);

// A release's coordinate `name` ("x" or "y") as the mouse handler receives it, rounded to
// single precision. Throws RunRefused for a value that is not finite or beyond a float's range.
float ReleaseCoordinate(const char* name, double value);

// Throws RunRefused when `ticks` more after `from` would count past 2^64 - 1 ticks: "<asked>
// <ticks> from the <from> ticks<whence> would run beyond ...", where `asked` names the count
// ("ticks", "--ticks") and `whence` where the `from` ticks were run (" run", " of c.ckpt").
void CheckTicksFit(const std::string& asked, std::uint64_t ticks, std::uint64_t from,
                   const std::string& whence);

// Empties the run's births and deaths since its last statistics row, starting the next row at
// this tick; returns what the closed row counted. A run closes a row at every multiple of its
// spacing, once that tick's releases are in.
struct ClosedRow {
    LifeTally tally;
    std::int64_t born_by_events = 0;
};
ClosedRow CloseRow(RunState& run);

class WorldRun {
public:
    // A fresh world whose random source starts from `seed`, or the window's own fixed state
    // without one, run under `rules`. Throws RunRefused for rules that do not hold together
    // (CheckRulesHold).
    static WorldRun Fresh(std::optional<std::uint64_t> seed, const Rules& rules = WindowRules);
    // The run a checkpoint kept. Throws RunRefused ("checkpoint: truncated", ...).
    static WorldRun FromCheckpoint(std::string_view bytes);
    explicit WorldRun(RunState state) : state_(std::move(state)) {}

    // Runs `ticks` whole ticks, telling `story` who enters and who leaves. Asks `go_on` after
    // every TicksBetweenChecks ticks whether to carry on, so a long step can be stopped at the
    // end of a whole tick. Throws RunRefused when the count would pass 2^64 - 1 ticks. Returns
    // the ticks run.
    static constexpr std::uint64_t TicksBetweenChecks = 4096;
    std::uint64_t Step(std::uint64_t ticks, LifeStory& story,
                       const std::function<bool()>& go_on = nullptr);
    std::uint64_t Step(std::uint64_t ticks, const std::function<bool()>& go_on = nullptr);
    // One tick, as Step takes them; the caller closes the rows.
    TickCounts Tick(LifeStory& story);

    // A mouse release between ticks, as the window's handler delivers it. Returns the slot the
    // newcomer took, or -1 when none was born.
    int Release(std::int16_t button, float x, float y, LifeStory& story);
    // The same by the button's name and coordinates as given; throws RunRefused as
    // ButtonNamed and ReleaseCoordinate do.
    int Release(std::string_view button, double x, double y);

    // The run kept as a checkpoint, its row closed if one is due.
    std::string Checkpoint() const;
    // A copy whose random source restarts from `seed`: the same past, other chance.
    WorldRun Fork(std::uint64_t seed) const;

    const RunState& State() const { return state_; }
    RunState& State() { return state_; }
    std::uint64_t TicksRun() const { return state_.ticks_run; }
    // What the last tick's passes counted: {0, 0} before the first.
    TickCounts LastCounts() const { return last_counts_; }
    std::uint64_t Hash() const;
    std::string HashText() const; // 16 hex digits

private:
    void CloseRowIfDue();

    RunState state_;
    TickCounts last_counts_{0, 0};
};

} // namespace morvane
