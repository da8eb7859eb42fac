#include "python/python_arguments.h"

#include <cmath>
#include <string_view>

#include "python/python_world.h"
#include "sim/quoted_text.h"

namespace py = pybind11;

namespace morvane::python {

namespace {

const char* const WholeRange = " (expected a whole number from 0 to 18446744073709551615)";

std::string TypeName(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

// The value as a message quotes it: a text as it stands, anything else as str() shows it.
std::string Quoted(py::handle value)
{
    try {
        return QuotedText(py::str(value).cast<std::string>());
    } catch (const py::error_already_set&) {
        // str() itself may refuse (an int of more digits than Python will print, say).
        return "(a value of type " + TypeName(value) + " that str() will not show)";
    }
}

bool IsText(py::handle value)
{
    return PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr()) ||
           PyByteArray_Check(value.ptr());
}

bool IsTruthValue(py::handle value)
{
    return PyBool_Check(value.ptr()) ||
           std::string_view(Py_TYPE(value.ptr())->tp_name) == "numpy.bool_";
}

// Why `value`, which is not an index, is not a whole number.
std::string NotWholeBecause(py::handle value)
{
    if (IsText(value)) return "is text, not a number";
    if (IsTruthValue(value)) return "is a truth value, not a number";
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        PyErr_Clear();
        return "is not a number";
    }
    if (!std::isfinite(number)) return "is not finite";
    if (number != std::floor(number)) return "is not a whole number";
    return "is a float, not an int";
}

} // namespace

std::uint64_t WholeNumber(const char* name, py::handle value)
{
    const auto refused = [&](const std::string& fault) {
        return Refused(std::string(name) + " " + Quoted(value) + " " + fault + WholeRange);
    };
    if (IsTruthValue(value) || !PyIndex_Check(value.ptr())) throw refused(NotWholeBecause(value));
    const auto number = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
    if (!number) throw py::error_already_set();
    int overflow = 0;
    const long long small = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (overflow < 0 || (overflow == 0 && small < 0)) throw refused("is negative");
    const unsigned long long whole = PyLong_AsUnsignedLongLong(number.ptr());
    if (whole == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        PyErr_Clear();
        throw refused("is too large");
    }
    return whole;
}

double Decimal(const char* name, py::handle value)
{
    const auto refused = [&](const char* fault) {
        return Refused(std::string(name) + " " + Quoted(value) + " " + fault);
    };
    if (IsText(value)) throw refused("is text, not a number");
    if (IsTruthValue(value)) throw refused("is a truth value, not a number");
    const double number = PyFloat_AsDouble(value.ptr());
    if (number == -1.0 && PyErr_Occurred()) {
        const bool too_large = PyErr_ExceptionMatches(PyExc_OverflowError);
        PyErr_Clear();
        throw refused(too_large ? "is beyond the range of a 32-bit float" : "is not a number");
    }
    return number;
}

std::string ButtonName(py::handle value)
{
    if (!PyUnicode_Check(value.ptr()))
        throw Refused("button " + Quoted(value) + " is not text " + ExpectedButtons);
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(value.ptr(), &size);
    if (text == nullptr) {
        PyErr_Clear(); // a lone surrogate has no UTF-8; it names no button either
        throw Refused("unknown button " + Quoted(value) + " " + ExpectedButtons);
    }
    return std::string(text, static_cast<std::size_t>(size));
}

std::string Bytes(const char* name, py::handle value)
{
    Py_buffer view;
    if (PyObject_GetBuffer(value.ptr(), &view, PyBUF_SIMPLE) != 0) {
        PyErr_Clear();
        throw Refused(std::string(name) + ": expected bytes, bytearray or memoryview, not " +
                      TypeName(value));
    }
    std::string bytes(static_cast<const char*>(view.buf), static_cast<std::size_t>(view.len));
    PyBuffer_Release(&view);
    return bytes;
}

} // namespace morvane::python
