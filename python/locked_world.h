// A Python World: the world with a lock of its own. Python threads share objects freely and
// step() runs without the GIL, so without the lock two steps on one world would interleave their
// ticks, and a checkpoint taken meanwhile would hold half a tick under a valid checksum.
#pragma once

#include <pybind11/pybind11.h>

#include <mutex>
#include <string>
#include <utility>

#include "python/python_world.h"

namespace morvane::python {

struct LockedWorld {
    explicit LockedWorld(PythonWorld world) : world(std::move(world)) {}

    PythonWorld world;
    // Recursive, because the stepping thread runs Python between stretches of ticks (signal
    // handlers, when it looks for a Ctrl-C): a handler that reads the world it interrupted finds
    // it whole, between two ticks, and must not wait for itself.
    std::recursive_mutex lock;
};

// The world `self` holds. Refused when `self` holds none: World.__new__ makes such an object
// (pickle makes it so, just before __setstate__ builds it), and pybind11 would hand a method
// uninitialised memory for it rather than refuse it.
inline LockedWorld* BuiltOrNull(pybind11::handle self)
{
    const auto* type = pybind11::detail::get_type_info(typeid(LockedWorld));
    if (!PyObject_TypeCheck(self.ptr(), type->type))
        throw Refused(std::string("expected a morvane.World, not ") + Py_TYPE(self.ptr())->tp_name);
    auto* instance = reinterpret_cast<pybind11::detail::instance*>(self.ptr());
    const auto held = instance->get_value_and_holder(type);
    return held.holder_constructed() ? held.value_ptr<LockedWorld>() : nullptr;
}

inline bool IsBuilt(pybind11::handle self) { return BuiltOrNull(self) != nullptr; }

inline LockedWorld& Built(pybind11::handle self)
{
    LockedWorld* world = BuiltOrNull(self);
    if (world == nullptr) throw Refused("this World was not initialised");
    return *world;
}

// The world behind a lock held for as long as this lives. It waits for the lock with the GIL
// released, so a thread that holds the lock and wants the GIL (a step looking for a Ctrl-C) is
// never kept waiting by the one waiting for the lock, and other threads' worlds run meanwhile.
class Held {
public:
    explicit Held(pybind11::handle world)
        : world_(Built(world)), hold_(world_.lock, std::try_to_lock)
    {
        if (hold_.owns_lock()) return; // the usual case, with nobody to wait for
        pybind11::gil_scoped_release unlocked;
        hold_.lock();
    }

    PythonWorld& operator*() { return world_.world; }
    PythonWorld* operator->() { return &world_.world; }

private:
    LockedWorld& world_;
    std::unique_lock<std::recursive_mutex> hold_;
};

} // namespace morvane::python
