// The bindings: Python's names for PythonWorld, the world's tables and canvases shown as numpy
// arrays over the world's own memory (read-only, so the only way to change a world is the way
// the window has: a mouse release), and the refusals turned into ValueError.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "python/python_world.h"

namespace py = pybind11;
using morvane::python::PythonWorld;
using morvane::python::Refused;

namespace {

constexpr std::uint64_t Largest = std::numeric_limits<std::uint64_t>::max();

// A whole number from Python, 0 to 2^64 - 1, refused in the lab's words otherwise.
std::uint64_t WholeNumber(const char* name, const py::int_& value)
{
    const std::string text = py::str(static_cast<const py::handle&>(value)).cast<std::string>();
    const std::string range = " (expected a whole number from 0 to 18446744073709551615)";
    if (value < py::int_(0))
        throw Refused(std::string(name) + " '" + text + "' is negative" + range);
    if (value > py::int_(Largest))
        throw Refused(std::string(name) + " '" + text + "' is too large" + range);
    return value.cast<std::uint64_t>();
}

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

const PythonWorld& Of(const py::object& world) { return world.cast<const PythonWorld&>(); }

template <auto column> py::array AnimalColumn(const AnimalsView& v)
{
    return Column(Of(v.world).Run().world.animals.*column, v.world);
}

template <auto column> py::array PlantColumn(const PlantsView& v)
{
    return Column(Of(v.world).Run().world.plants.*column, v.world);
}

std::string Hex(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

PYBIND11_MODULE(morvane, m)
{
    m.doc() = "Morvane's world from Python: step it at the C++ core's full speed, bit for bit as "
              "morvane-lab and the window run it, and look at its tables and canvases as numpy "
              "arrays.";
    py::register_exception<Refused>(m, "Refused", PyExc_ValueError);

    py::class_<AnimalsView>(m, "Animals",
                            "The animal table's 251 slots as read-only float32 and int16 arrays "
                            "over the world's own memory: live, they show the world after every "
                            "step. A slot with energy 0 holds no living animal.")
        .def_property_readonly("x", &AnimalColumn<&morvane::AnimalTable::x>,
                               "x position, world pixels (float32)")
        .def_property_readonly("y", &AnimalColumn<&morvane::AnimalTable::y>,
                               "y position, world pixels (float32)")
        .def_property_readonly("heading", &AnimalColumn<&morvane::AnimalTable::heading>,
                               "heading, radians (float32)")
        .def_property_readonly("energy", &AnimalColumn<&morvane::AnimalTable::energy>,
                               "energy; 0 in a slot with no living animal (int16)")
        .def_property_readonly("target", &AnimalColumn<&morvane::AnimalTable::target>,
                               "the plant or animal slot it heads for (int16)")
        .def_property_readonly("mode", &AnimalColumn<&morvane::AnimalTable::mode>,
                               "0 foraging, 1 mating (int16)")
        .def_property_readonly("turn", &AnimalColumn<&morvane::AnimalTable::turn>,
                               "turning rate it was born with, radians per tick (float32)")
        .def_property_readonly("speed", &AnimalColumn<&morvane::AnimalTable::speed>,
                               "speed it was born with, world pixels per tick (float32)")
        .def_property_readonly(
            "alive",
            [](const AnimalsView& v) { return AliveWhere(Of(v.world).Run().world.animals.energy); },
            "a new bool array: True where energy > 0 (a copy, taken now)");

    py::class_<PlantsView>(m, "Plants",
                           "The plant table's 501 slots as read-only int16 arrays over the "
                           "world's own memory, live like the animals'. A slot of size 0 holds "
                           "no plant.")
        .def_property_readonly("x", &PlantColumn<&morvane::PlantTable::x>,
                               "x position, whole world pixels (int16)")
        .def_property_readonly("y", &PlantColumn<&morvane::PlantTable::y>,
                               "y position, whole world pixels (int16)")
        .def_property_readonly("size", &PlantColumn<&morvane::PlantTable::size>,
                               "size, 0 in a free slot (int16)")
        .def_property_readonly(
            "alive",
            [](const PlantsView& v) { return AliveWhere(Of(v.world).Run().world.plants.size); },
            "a new bool array: True where size > 0 (a copy, taken now)");

    py::class_<PythonWorld>(m, "World",
                            "A Morvane world: the animals, the plants, the random source and "
                            "the two canvases, exactly as the window and morvane-lab keep them.")
        .def(py::init([](std::optional<py::int_> seed, bool canvases) {
                 if (!seed) return PythonWorld(std::nullopt, canvases);
                 return PythonWorld(WholeNumber("seed", *seed), canvases);
             }),
             py::arg("seed") = py::none(), py::kw_only(), py::arg("canvases") = true,
             "A fresh, empty world. seed (0 to 2**64 - 1) starts its random source; None is the "
             "window program's fixed state (seed 42), as morvane-lab without --seed. With "
             "canvases=False it draws on canvases that keep nothing, as morvane-lab does unless "
             "an output needs them: the same world, about 7 % faster, but without space, graph "
             "or checkpoint (and so without pickling).")
        .def(
            "step",
            [](PythonWorld& w, const py::int_& ticks) {
                const std::uint64_t count = WholeNumber("ticks", ticks);
                py::gil_scoped_release unlocked; // other threads' worlds run meanwhile
                w.Step(count);
            },
            py::arg("ticks") = 1,
            "Runs this many whole ticks (default 1). The GIL is released while they run, so "
            "worlds on several threads step in parallel; do not read this world's arrays from "
            "another thread meanwhile.")
        .def("release", &PythonWorld::Release, py::arg("button"), py::arg("x"), py::arg("y"),
             "Delivers a mouse release between ticks as the window's handler does: 'left' adds an "
             "animal (turn 0.5, speed 0.3), 'right' a plant, 'middle' nothing, at world "
             "coordinates (x, y) rounded to single precision.")
        .def_property_readonly(
            "ticks_run", [](const PythonWorld& w) { return w.Run().ticks_run; },
            "Ticks run since the world was created.")
        .def_property_readonly(
            "counts",
            [](const PythonWorld& w) {
                return py::make_tuple(w.LastCounts().animals, w.LastCounts().plants);
            },
            "(animals, plants): what the last tick's passes counted, before their top-ups; "
            "(0, 0) before the first tick.")
        .def("hash", &PythonWorld::Hash,
             "The world's 64-bit hash, the same as morvane-lab --hash prints in hex.")
        .def_property_readonly(
            "animals", [](py::object self) { return AnimalsView{std::move(self)}; },
            "The animal table (see Animals).")
        .def_property_readonly(
            "plants", [](py::object self) { return PlantsView{std::move(self)}; },
            "The plant table (see Plants).")
        .def_property_readonly(
            "space", [](py::object self) { return Picture(Of(self).Space(), self); },
            "The world canvas as a read-only (429, 496, 3) uint8 array of red, green, blue, "
            "over the world's own memory.")
        .def_property_readonly(
            "graph", [](py::object self) { return Picture(Of(self).Graph(), self); },
            "The population graph's canvas as a read-only (69, 496, 3) uint8 array.")
        .def(
            "checkpoint", [](const PythonWorld& w) { return py::bytes(w.Checkpoint()); },
            "The whole world as the bytes of a checkpoint, the format of morvane-lab "
            "--checkpoint-out, to go on from with World.from_checkpoint or morvane-lab --resume.")
        .def_static(
            "from_checkpoint",
            [](const py::bytes& data) { return PythonWorld::FromCheckpoint(std::string(data)); },
            py::arg("data"),
            "The world a checkpoint kept (bytes, as checkpoint() or a --checkpoint-out file "
            "gives them). Raises ValueError naming what is wrong with them.")
        .def(
            "fork",
            [](const PythonWorld& w, const py::int_& seed) {
                return w.Fork(WholeNumber("seed", seed));
            },
            py::arg("seed"),
            "A copy of this world whose random source restarts from seed: the same past, other "
            "chance.")
        .def(py::pickle(
            [](const PythonWorld& w) { return py::bytes(w.Checkpoint()); },
            [](const py::bytes& data) { return PythonWorld::FromCheckpoint(std::string(data)); }))
        .def(
            "__copy__", [](const PythonWorld& w) { return PythonWorld(w); },
            "A copy of the whole world.")
        .def(
            "__deepcopy__",
            [](const PythonWorld& w, const py::dict&) {
                return PythonWorld::FromCheckpoint(w.Checkpoint());
            },
            py::arg("memo"), "A copy of the whole world, through its checkpoint.")
        .def("__repr__", [](const PythonWorld& w) {
            return "<morvane.World after " + std::to_string(w.Run().ticks_run) + " ticks, hash " +
                   Hex(w.Hash()) + ">";
        });
}
