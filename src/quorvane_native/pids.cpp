#include "quorvane_native/pids.hpp"

#include <array>

#include "quorvane_native/py/function.hpp"

namespace quorvane_native::pids {

namespace {

constexpr std::array<py::Function, 0> functions{};

}  // namespace

int register_(PyObject* module) { return py::add_functions<functions>(module); }

}  // namespace quorvane_native::pids
