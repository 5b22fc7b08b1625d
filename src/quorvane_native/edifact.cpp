#include "quorvane_native/edifact.hpp"

#include <array>

#include "quorvane_native/py/function.hpp"

namespace quorvane_native::edifact {

namespace {

constexpr std::array<py::Function, 0> functions{};

}  // namespace

int register_(PyObject* module) { return py::add_functions<functions>(module); }

}  // namespace quorvane_native::edifact
