// The bindings: Python's names for PythonWorld, the world's tables and canvases shown as numpy
// arrays over the world's own memory (read-only, so the only way to change a world is the way
// the window has: a mouse release), and the refusals turned into ValueError.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "python/locked_world.h"
#include "python/python_arguments.h"
#include "python/python_world.h"
#include "sim/rule_book.h"
#include "sim/world_columns.h"

namespace py = pybind11;
using morvane::python::Built;
using morvane::python::Held;
using morvane::python::LockedWorld;
using morvane::python::PythonWorld;
using morvane::python::Refused;
using morvane::python::WholeNumber;

namespace {

// A read-only array over `data`, which lives as long as `owner` (the Python World) does.
template <typename T, std::size_t N>
py::array Column(const std::array<T, N>& data, const py::object& owner)
{
    py::array column(py::dtype::of<T>(), {static_cast<py::ssize_t>(N)}, {sizeof(T)}, data.data(),
                     owner);
    column.attr("setflags")(py::arg("write") = false);
    return column;
}

// A canvas as height x width x (red, green, blue) bytes: each pixel is a packed colour whose
// first three bytes, least significant first, are red, green and blue.
py::array Picture(const morvane::Canvas& canvas, const py::object& owner)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(canvas.Pixels().data());
    const auto width = static_cast<py::ssize_t>(canvas.Width());
    py::array picture(py::dtype::of<std::uint8_t>(),
                      {static_cast<py::ssize_t>(canvas.Height()), width, py::ssize_t{3}},
                      {width * 4, py::ssize_t{4}, py::ssize_t{1}}, bytes, owner);
    picture.attr("setflags")(py::arg("write") = false);
    return picture;
}

template <typename T, std::size_t N> py::array AliveWhere(const std::array<T, N>& measure)
{
    py::array_t<bool> alive(static_cast<py::ssize_t>(N));
    auto out = alive.mutable_unchecked<1>();
    for (std::size_t i = 0; i < N; ++i)
        out(static_cast<py::ssize_t>(i)) = measure[i] > 0;
    return alive;
}

// The views `world.animals` and `world.plants`: attributes computed from the world they hold.
struct AnimalsView {
    py::object world;
};
struct PlantsView {
    py::object world;
};

// A column's description as help() shows it, with the numpy type of its array.
template <typename WorldColumn> std::string Described(const WorldColumn& column)
{
    const std::string dtype = py::str(py::dtype::of<typename WorldColumn::Value>());
    return std::string(column.meaning) + " (" + dtype + ")";
}

// Each of the table's columns (sim/world_columns.h) as a property of its view, under the
// column's own name. The views lie over the world's memory and need no lock to be made; what
// they show while another thread steps the world is the subject of Animals' description.
template <typename View, typename Columns>
void DefineColumns(py::class_<View>& view, const Columns& columns)
{
    morvane::ForEachColumn(columns, [&view](const auto& column) {
        view.def_property_readonly(
            column.name,
            [column](const View& v) {
                return Column(column.Of(Built(v.world).world.Run().world), v.world);
            },
            Described(column).c_str());
    });
}

// Runs the ticks without the GIL, holding the world's lock throughout, and looks for signals
// between stretches of ticks: a Ctrl-C stops the run at the end of a whole tick and raises
// KeyboardInterrupt, with ticks_run telling how far it got.
void Step(py::handle self, const py::object& ticks)
{
    const std::uint64_t count = WholeNumber("ticks", ticks);
    LockedWorld& box = Built(self);
    bool stopped = false;
    {
        py::gil_scoped_release unlocked; // other threads' worlds run meanwhile
        const std::lock_guard hold(box.lock);
        box.world.Step(count, [&stopped] {
            const py::gil_scoped_acquire gil;
            stopped = PyErr_CheckSignals() != 0;
            return !stopped;
        });
    }
    if (stopped) throw py::error_already_set(); // the handler's exception, KeyboardInterrupt
}

// A rule as Python spells it: mating_energy for mating-energy.
std::string PythonName(const morvane::RuleEntry& rule)
{
    std::string name = rule.name;
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

std::string PythonRuleNames()
{
    std::string names;
    for (const morvane::RuleEntry& rule : morvane::RuleBook) {
        if (!names.empty()) names += ", ";
        names += PythonName(rule);
    }
    return names;
}

// Rules(**changes): the window's rules with the changes made, each checked as morvane-lab checks
// --rule, and the whole as a fresh world checks it.
morvane::Rules RulesFrom(const py::kwargs& changes)
{
    morvane::Rules rules;
    for (const auto& [key, value] : changes) {
        std::string name = py::str(key);
        for (char& c : name)
            if (c == '_') c = '-';
        const morvane::RuleEntry* rule = morvane::RuleNamed(name);
        if (!rule)
            throw Refused("unknown rule " + std::string(py::repr(key)) + " (expected " +
                          PythonRuleNames() + ")");
        morvane::SetRule(rules, *rule, morvane::python::Decimal(rule->name, value));
    }
    morvane::CheckRulesHold(rules);
    return rules;
}

// The rules= of World(), which must be a Rules: a dict or a number there is a slip.
morvane::Rules RulesGiven(const py::object& rules)
{
    if (!py::isinstance<morvane::Rules>(rules))
        throw Refused("rules " + std::string(py::repr(rules)) +
                      " is not a morvane.Rules (make one with morvane.Rules(name=value, ...))");
    return rules.cast<morvane::Rules>();
}

py::object RuleValue(const morvane::Rules& rules, const morvane::RuleEntry& rule)
{
    if (rule.whole) return py::int_(rules.*rule.whole);
    return py::float_(rules.*rule.real);
}

void DefineRules(py::module_& m)
{
    py::class_<morvane::Rules> rules_class(
        m, "Rules",
        "The rules a world runs by. Rules() is the window's; Rules(speed_mutation=0.25, ...) "
        "changes the rules named, each held to its range as morvane-lab's --rule holds it "
        "(see morvane-lab --help). A value: equal when every rule is, hashable, never changed "
        "in place.");
    rules_class.def(py::init([](const py::kwargs& changes) { return RulesFrom(changes); }));
    for (const morvane::RuleEntry& rule : morvane::RuleBook) {
        const std::string doc = std::string(rule.meaning) + " (" + morvane::RangeText(rule) +
                                "; the window's: " + morvane::RuleText(morvane::WindowRules, rule) +
                                ")";
        rules_class.def_property_readonly(
            PythonName(rule).c_str(),
            [&rule](const morvane::Rules& rules) { return RuleValue(rules, rule); }, doc.c_str());
    }
    rules_class
        .def("__eq__",
             [](const morvane::Rules& a, const py::object& b) {
                 return py::isinstance<morvane::Rules>(b) && a == b.cast<morvane::Rules>();
             })
        .def("__hash__",
             [](const morvane::Rules& rules) {
                 py::list values;
                 for (const auto& rule : morvane::RuleBook)
                     values.append(RuleValue(rules, rule));
                 return py::hash(py::tuple(values));
             })
        .def(
            "to_dict",
            [](const morvane::Rules& rules) {
                py::dict values;
                for (const auto& rule : morvane::RuleBook)
                    values[PythonName(rule).c_str()] = RuleValue(rules, rule);
                return values;
            },
            "Every rule by its Python name, in morvane-lab's order.")
        .def("__repr__", [](const morvane::Rules& rules) {
            // Only the rules that differ from the window's: Rules() reads back as it is.
            std::string changed;
            for (const auto& rule : morvane::RuleBook)
                if (rule.Of(rules) != rule.Of(morvane::WindowRules)) {
                    // Appended piece by piece: GCC 12 warns falsely on "text" + std::string.
                    if (!changed.empty()) changed += ", ";
                    changed += PythonName(rule);
                    changed += '=';
                    changed += morvane::RuleText(rules, rule);
                }
            return "morvane.Rules(" + changed + ")";
        });
}

std::unique_ptr<LockedWorld> Boxed(PythonWorld world)
{
    return std::make_unique<LockedWorld>(std::move(world));
}

// pybind11 quietly ignores __init__ and __setstate__ on an object already built (it cannot
// build a C++ object twice), which would leave a user believing their world was replaced.
// This puts a refusal in front of the method `name` for a world that is already built.
void BuildOnlyOnce(py::class_<LockedWorld>& world_class, const char* name, const char* refusal)
{
    py::object build = world_class.attr(name);
    const std::string doc = py::str(build.attr("__doc__"));
    py::options only_the_builders_signature;
    only_the_builders_signature.disable_function_signatures();
    world_class.attr(name) = py::cpp_function(
        [build, refusal](const py::object& self, const py::args& args, const py::kwargs& kwargs) {
            if (morvane::python::IsBuilt(self)) throw Refused(refusal);
            build(self, *args, **kwargs);
        },
        py::is_method(world_class), py::doc(doc.c_str()));
}

} // namespace

PYBIND11_MODULE(_core, m)
{
    m.doc() = "Morvane's world from Python: step it at the C++ core's full speed, bit for bit as "
              "morvane-lab and the window run it, and look at its tables and canvases as numpy "
              "arrays.";
    py::register_exception<Refused>(m, "Refused", PyExc_ValueError);
    DefineRules(m);

    py::class_<AnimalsView> animals(m, "Animals",
                                    "The animal table's 251 slots as read-only float32 and int16 "
                                    "arrays over the world's own memory: live, they show the "
                                    "world after every step. A slot with energy 0 holds no "
                                    "living animal.");
    DefineColumns(animals, morvane::AnimalColumns);
    animals.def_property_readonly(
        "alive",
        [](const AnimalsView& v) {
            Held world(v.world);
            return AliveWhere(world->Run().world.animals.energy);
        },
        "a new bool array: True where energy > 0 (a copy, taken now)");

    py::class_<PlantsView> plants(m, "Plants",
                                  "The plant table's 501 slots as read-only int16 arrays over the "
                                  "world's own memory, live like the animals'. A slot of size 0 "
                                  "holds no plant.");
    DefineColumns(plants, morvane::PlantColumns);
    plants.def_property_readonly(
        "alive",
        [](const PlantsView& v) {
            Held world(v.world);
            return AliveWhere(world->Run().world.plants.size);
        },
        "a new bool array: True where size > 0 (a copy, taken now)");

    py::class_<LockedWorld> world_class(
        m, "World",
        "A Morvane world: the animals, the plants, the random source and the two canvases, "
        "exactly as the window and morvane-lab keep them. Threads may share a world: each call "
        "that reads or changes it whole (step, release, checkpoint, fork, pickling, copying, "
        "hash, ticks_run, counts) waits for the one before to finish.");
    world_class
        .def(py::init([](const py::object& seed, bool canvases, const py::object& rules) {
                 const morvane::Rules asked =
                     rules.is_none() ? morvane::WindowRules : RulesGiven(rules);
                 if (seed.is_none()) return Boxed(PythonWorld(std::nullopt, canvases, asked));
                 return Boxed(PythonWorld(WholeNumber("seed", seed), canvases, asked));
             }),
             py::arg("seed") = py::none(), py::kw_only(), py::arg("canvases") = true,
             py::arg("rules") = py::none(),
             "A fresh, empty world. seed (0 to 2**64 - 1) starts its random source; None is the "
             "window program's fixed state (seed 42), as morvane-lab without --seed. With "
             "canvases=False it draws on canvases that keep nothing, as morvane-lab does unless "
             "an output needs them: the same world, about 7 % faster, but without space, graph "
             "or checkpoint (and so without pickling). rules (a morvane.Rules) are the rules it "
             "runs by; None is the window's.")
        .def("step", &Step, py::arg("ticks") = 1,
             "Runs this many whole ticks (default 1). The GIL is released while they run, so "
             "worlds on several threads step in parallel; a second call on this world waits for "
             "the first. Ctrl-C stops the run at the end of a whole tick and raises "
             "KeyboardInterrupt; ticks_run then tells how far it got, and a later step goes on "
             "exactly.")
        .def(
            "release",
            [](py::handle self, const py::object& button, const py::object& x,
               const py::object& y) {
                const std::string name = morvane::python::ButtonName(button);
                const double at_x = morvane::python::Decimal("x", x);
                const double at_y = morvane::python::Decimal("y", y);
                Held(self)->Release(name, at_x, at_y);
            },
            py::arg("button"), py::arg("x"), py::arg("y"),
            "Delivers a mouse release between ticks as the window's handler does: 'left' adds an "
            "animal (turn 0.5, speed 0.3), 'right' a plant, 'middle' nothing, at world "
            "coordinates (x, y) rounded to single precision.")
        .def_property_readonly(
            "ticks_run", [](py::handle self) { return Held(self)->Run().ticks_run; },
            "Ticks run since the world was created.")
        .def_property_readonly(
            "rules", [](py::handle self) { return Held(self)->Run().rules; },
            "The rules it runs by (a morvane.Rules), kept by its checkpoints and forks.")
        .def_property_readonly(
            "counts",
            [](py::handle self) {
                const auto counts = Held(self)->LastCounts();
                return py::make_tuple(counts.animals, counts.plants);
            },
            "(animals, plants): what the last tick's passes counted, before their top-ups; "
            "(0, 0) before the first tick.")
        .def(
            "hash", [](py::handle self) { return Held(self)->Hash(); },
            "The world's 64-bit hash, the same as morvane-lab --hash prints in hex.")
        .def_property_readonly(
            "animals",
            [](py::object self) {
                Built(self);
                return AnimalsView{std::move(self)};
            },
            "The animal table (see Animals).")
        .def_property_readonly(
            "plants",
            [](py::object self) {
                Built(self);
                return PlantsView{std::move(self)};
            },
            "The plant table (see Plants).")
        .def_property_readonly(
            "space", [](py::object self) { return Picture(Built(self).world.Space(), self); },
            "The world canvas as a read-only (429, 496, 3) uint8 array of red, green, blue, "
            "over the world's own memory.")
        .def_property_readonly(
            "graph", [](py::object self) { return Picture(Built(self).world.Graph(), self); },
            "The population graph's canvas as a read-only (69, 496, 3) uint8 array.")
        .def(
            "checkpoint", [](py::handle self) { return py::bytes(Held(self)->Checkpoint()); },
            "The whole world as the bytes of a checkpoint, the format of morvane-lab "
            "--checkpoint-out, to go on from with World.from_checkpoint or morvane-lab --resume.")
        .def_static(
            "from_checkpoint",
            [](const py::object& data) {
                return Boxed(
                    PythonWorld::FromCheckpoint(morvane::python::Bytes("checkpoint", data)));
            },
            py::arg("data"),
            "The world a checkpoint kept (bytes, bytearray or memoryview, as checkpoint() or a "
            "--checkpoint-out file gives them). Raises ValueError naming what is wrong with "
            "them.")
        .def(
            "fork",
            [](py::handle self, const py::object& seed) {
                const std::uint64_t from = WholeNumber("seed", seed);
                return Boxed(Held(self)->Fork(from));
            },
            py::arg("seed"),
            "A copy of this world whose random source restarts from seed: the same past, other "
            "chance.")
        .def(py::pickle(
            [](py::handle self) -> py::object { return py::bytes(Held(self)->Checkpoint()); },
            [](const py::object& data) {
                return Boxed(
                    PythonWorld::FromCheckpoint(morvane::python::Bytes("checkpoint", data)));
            }))
        .def(
            "__copy__", [](py::handle self) { return Boxed(*Held(self)); },
            "A copy of the whole world.")
        .def(
            "__deepcopy__", [](py::handle self, py::handle) { return Boxed(*Held(self)); },
            py::arg("memo"),
            "A copy of the whole world: it shares nothing with this one, so a copy is deep.")
        .def("__repr__", [](py::handle self) {
            Held world(self);
            return "<morvane.World after " + std::to_string(world->Run().ticks_run) +
                   " ticks, hash " + world->HashText() + ">";
        });
    BuildOnlyOnce(world_class, "__init__",
                  "this World is already built: make another with morvane.World(seed)");
    BuildOnlyOnce(world_class, "__setstate__",
                  "this World is already built: read a checkpoint into a new one with "
                  "morvane.World.from_checkpoint(data)");
}
