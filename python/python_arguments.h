// What Python hands the World's methods, turned into the world's own types: any integer that
// Python can use as an index (a numpy integer too), any float-like number, any bytes-like object.
// Everything else is refused with Refused, in morvane-lab's words where it has them, since a
// TypeError listing pybind11's overloads tells a user nothing about their world.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

namespace morvane::python {

// A whole number from 0 to 2^64 - 1 named `name` (seed, ticks) in the refusal. True and False
// are refused: a seed or a count given as a truth value is a slip, not a number.
std::uint64_t WholeNumber(const char* name, pybind11::handle value);

// A coordinate as a double, for the world to round and check as the mouse handler would.
double Decimal(const char* name, pybind11::handle value);

// A button's name, which is text.
std::string ButtonName(pybind11::handle value);

// The bytes of a bytes-like object (bytes, bytearray, a contiguous memoryview...), copied.
std::string Bytes(const char* name, pybind11::handle value);

} // namespace morvane::python
