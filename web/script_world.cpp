// The World that scripts on the page (and node) hold: the core's run of a world, its tables
// and canvases as typed arrays over the module's own memory, and refusals thrown as Errors in
// the lab's words. Nothing here knows the page; the window is built from the same World.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "sim/number_text.h"
#include "sim/quoted_text.h"
#include "sim/world_columns.h"
#include "sim/world_run.h"
#include "web/script_world.h"

namespace morvane::web {

namespace {

using emscripten::val;

// How String() writes a value a message quotes.
std::string Shown(const val& value) { return val::global("String")(value).as<std::string>(); }

[[noreturn]] void ThrowError(const std::string& message)
{
    val::global("Error").new_(message).throw_();
    __builtin_unreachable();
}

constexpr const char* WholeRange = " (expected a whole number from 0 to 18446744073709551615)";

// A count or a seed as a script gives it: a whole number, as a Number (exact only up to 2^53)
// or a BigInt, refused in the lab's words otherwise.
std::uint64_t WholeNumber(const char* name, const val& value)
{
    const std::string type = value.typeOf().as<std::string>();
    const std::string shown = Shown(value);
    const auto refused = [&](const std::string& fault) {
        ThrowError(std::string(name) + " " + QuotedText(shown) + " " + fault + WholeRange);
    };
    if (type == "bigint") {
        if (shown.empty() || shown[0] == '-') refused("is negative");
        if (shown.size() > 20 || (shown.size() == 20 && shown > "18446744073709551615"))
            refused("is too large");
        return std::stoull(shown);
    }
    if (type == "string") refused("is text, not a number");
    if (type == "boolean") refused("is a truth value, not a number");
    if (type != "number") refused("is not a number");
    const double number = value.as<double>();
    if (!std::isfinite(number)) refused("is not finite");
    if (number != std::floor(number)) refused("is not a whole number");
    if (number < 0) refused("is negative");
    if (number > 9007199254740991.0)
        refused("is beyond a Number's exact whole numbers (give a BigInt)");
    return static_cast<std::uint64_t>(number);
}

double Decimal(const char* name, const val& value)
{
    const std::string type = value.typeOf().as<std::string>();
    if (type != "number")
        ThrowError(std::string(name) + " " + QuotedText(Shown(value)) + " is not a number");
    return value.as<double>();
}

template <typename Array> val View(Array& values)
{
    return val(emscripten::typed_memory_view(values.size(), values.data()));
}

template <typename Columns> val TableOf(World& world, const Columns& columns)
{
    val table = val::object();
    ForEachColumn(columns,
                  [&](const auto& column) { table.set(column.name, View(column.Of(world))); });
    return table;
}

} // namespace

ScriptWorld::ScriptWorld(const val& seed)
    : run_(WorldRun::Fresh(seed.isUndefined() || seed.isNull()
                               ? std::nullopt
                               : std::optional<std::uint64_t>(WholeNumber("seed", seed))))
{
}

void ScriptWorld::Step(const val& ticks)
{
    const std::uint64_t count = ticks.isUndefined() ? 1 : WholeNumber("ticks", ticks);
    try {
        run_.Step(count);
    } catch (const RunRefused& refused) {
        ThrowError(refused.what());
    }
}

void ScriptWorld::Release(const val& button, const val& x, const val& y)
{
    if (!button.isString())
        ThrowError("button " + QuotedText(Shown(button)) + " is not text " + ExpectedButtons);
    try {
        run_.Release(button.as<std::string>(), Decimal("x", x), Decimal("y", y));
    } catch (const RunRefused& refused) {
        ThrowError(refused.what());
    }
}

val ScriptWorld::Counts() const
{
    val counts = val::array();
    counts.call<void>("push", run_.LastCounts().animals);
    counts.call<void>("push", run_.LastCounts().plants);
    return counts;
}

val ScriptWorld::Animals() { return TableOf(run_.State().world, AnimalColumns); }
val ScriptWorld::Plants() { return TableOf(run_.State().world, PlantColumns); }
// RGBA would need a copy: the canvases keep red in the low byte of a 32-bit pixel, as
// Uint32Array shows them.
val ScriptWorld::Space()
{
    return val(emscripten::typed_memory_view(run_.State().space.Pixels().size(),
                                             run_.State().space.Pixels().data()));
}
val ScriptWorld::Graph()
{
    return val(emscripten::typed_memory_view(run_.State().graph.Pixels().size(),
                                             run_.State().graph.Pixels().data()));
}

EMSCRIPTEN_BINDINGS(morvane_world)
{
    emscripten::class_<ScriptWorld>("World")
        .constructor<val>()
        .function("step", &ScriptWorld::Step)
        .function("release", &ScriptWorld::Release)
        .function("hash", &ScriptWorld::Hash)
        .property("ticksRun", &ScriptWorld::TicksRun)
        .property("counts", &ScriptWorld::Counts)
        .function("animals", &ScriptWorld::Animals)
        .function("plants", &ScriptWorld::Plants)
        .function("space", &ScriptWorld::Space)
        .function("graph", &ScriptWorld::Graph);
}

} // namespace morvane::web
