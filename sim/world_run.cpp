// Rows close lazily, as the next tick begins or the run is kept: the same moment, for the books,
// as the lab's row at a multiple of the spacing once that tick's releases are in, so a
// checkpoint taken by any front end goes on in any other, statistics and lineage included.
#include "sim/world_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "sim/mouse_release.h"
#include "sim/number_text.h"
#include "sim/quoted_text.h"
#include "sim/rule_book.h"
#include "sim/world_hash.h"

namespace morvane {

namespace {

// A double written to be read back exactly, in the fewest digits that do. (Only values no float
// can hold are ever shown, and for those this is the standard library's shortest form too;
// the WebAssembly build's library has no std::to_chars for doubles.)
std::string Shown(double value)
{
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char text[64];
    for (int digits = 1;; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (digits == 17 || std::strtod(text, nullptr) == value) return text;
    }
}

} // namespace

std::int16_t ButtonNamed(std::string_view name)
{
    // The codes the window's handler receives, so a release by name is a real one.
    if (name == "left") return LeftButton;
    if (name == "right") return RightButton;
    if (name == "middle") return MiddleButton;
    throw RunRefused("unknown button " + QuotedText(name) + " " + ExpectedButtons);
}

float ReleaseCoordinate(const char* name, double value)
{
    if (!std::isfinite(value))
        throw RunRefused(std::string(name) + " '" + Shown(value) +
                         "' is not a finite decimal number");
    const float rounded = static_cast<float>(value);
    if (std::isinf(rounded))
        throw RunRefused(std::string(name) + " '" + Shown(value) +
                         "' is beyond the range of a 32-bit float");
    return rounded;
}

void CheckTicksFit(const std::string& asked, std::uint64_t ticks, std::uint64_t from,
                   const std::string& whence)
{
    if (ticks > std::numeric_limits<std::uint64_t>::max() - from)
        throw RunRefused(asked + " " + std::to_string(ticks) + " from the " + std::to_string(from) +
                         " ticks" + whence + " would run beyond 18446744073709551615 ticks");
}

ClosedRow CloseRow(RunState& run)
{
    const ClosedRow closed{run.since_row, run.born_by_events_since_row};
    run.since_row = {};
    run.born_by_events_since_row = 0;
    run.since_row_tick = run.ticks_run;
    return closed;
}

WorldRun WorldRun::Fresh(std::optional<std::uint64_t> seed, const Rules& rules)
{
    CheckRulesHold(rules);
    RunState run = FreshRun(seed.value_or(RandomSource::DefaultInitState));
    run.rules = rules;
    return WorldRun(std::move(run));
}

void WorldRun::CloseRowIfDue()
{
    if (state_.ticks_run % DefaultRowSpacing == 0 && state_.since_row_tick != state_.ticks_run)
        CloseRow(state_);
}

TickCounts WorldRun::Tick(LifeStory& story)
{
    last_counts_ = RunBookedTick(state_, story);
    return last_counts_;
}

std::uint64_t WorldRun::Step(std::uint64_t ticks, LifeStory& story,
                             const std::function<bool()>& go_on)
{
    CheckTicksFit("ticks", ticks, state_.ticks_run, " run");
    std::uint64_t done = 0;
    while (done < ticks) {
        const std::uint64_t stretch = std::min(ticks - done, TicksBetweenChecks);
        for (std::uint64_t t = 0; t < stretch; ++t) {
            CloseRowIfDue();
            Tick(story);
        }
        done += stretch;
        if (done < ticks && go_on && !go_on()) break;
    }
    return done;
}

std::uint64_t WorldRun::Step(std::uint64_t ticks, const std::function<bool()>& go_on)
{
    Untold nobody;
    return Step(ticks, nobody, go_on);
}

int WorldRun::Release(std::int16_t button, float x, float y, LifeStory& story)
{
    return DeliverRelease(state_, button, x, y, story);
}

int WorldRun::Release(std::string_view button, double x, double y)
{
    const std::int16_t code = ButtonNamed(button);
    const float fx = ReleaseCoordinate("x", x), fy = ReleaseCoordinate("y", y);
    Untold nobody;
    return Release(code, fx, fy, nobody);
}

WorldRun WorldRun::Fork(std::uint64_t seed) const
{
    WorldRun fork = *this;
    fork.state_.random = RandomSource::FromSeed(seed);
    fork.state_.seed = seed;
    return fork;
}

std::uint64_t WorldRun::Hash() const { return HashWorld(state_.world); }

std::string WorldRun::HashText() const { return HexDigits(Hash()); }

} // namespace morvane
