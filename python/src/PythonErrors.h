#pragma once

#include <string>

#include <pybind11/pybind11.h>

// Raises the Python exception `type` with `message` (for the types pybind11
// has no exception class of its own for, such as OSError).
[[noreturn]] inline void raise(PyObject* type, const std::string& message)
{
    PyErr_SetString(type, message.c_str());
    throw pybind11::error_already_set();
}
