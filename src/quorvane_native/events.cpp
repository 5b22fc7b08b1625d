#include "quorvane_native/events.hpp"

#include <array>

#include "quorvane_native/py/function.hpp"

namespace quorvane_native {

namespace {

constexpr std::array<py::Function, 0> functions{};

}  // namespace

int register_events(PyObject* module) { return py::add_functions<functions>(module); }

}  // namespace quorvane_native
