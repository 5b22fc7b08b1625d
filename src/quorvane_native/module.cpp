// Entry point of the extension module quorvane._native: multi-phase initialisation with a single
// exec step, which sets the docstring and registers every function and class in a fixed order.
#include <Python.h>

#include <array>

#include "quorvane_native/antwortcodes.hpp"
#include "quorvane_native/edifact.hpp"
#include "quorvane_native/events.hpp"
#include "quorvane_native/fristen.hpp"
#include "quorvane_native/identifiers.hpp"
#include "quorvane_native/pids.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/function.hpp"
#include "quorvane_native/py/result.hpp"

static_assert(Py_LIMITED_API == 0x030B0000, "the module is built for the stable ABI of Python 3.11");

namespace quorvane_native {

namespace {

constexpr const char* module_doc = "Native core for quorvane: BDEW identifiers, Fristen, EDIFACT.";

py::Result bo4e_schema_version(py::Args) { return py::str("202607.1.0"); }

constexpr py::Function root_functions[] = {
    {"bo4e_schema_version", "()",
     "The BO4E schema generation that quorvane's object model is generated from.\n\n"
     "Compare it with the version that the system under test advertises before asserting over "
     "business objects: objects of another generation may differ in fields and codes.",
     bo4e_schema_version},
};

using RegisterStep = int (*)(PyObject* module);

constexpr std::array<RegisterStep, 7> register_steps{
    py::add_functions<root_functions>,
    register_identifiers,
    register_events,
    register_fristen,
    pids::register_,
    antwortcodes::register_,
    edifact::register_,
};

// Type objects and lazily built catalogues are process-wide; another interpreter would share
// them across interpreter boundaries, so only the main interpreter may load the module.
py::Status refuse_sub_interpreter() {
  if (PyInterpreterState_GetID(PyInterpreterState_Get()) == 0) return {};
  return py::Failure(py::Error(
      PyExc_ImportError, "quorvane._native can only be imported in the main interpreter, not in a sub-interpreter"));
}

int exec_module(PyObject* module) {
  return py::guard_status([module]() -> py::Status {
    if (auto status = refuse_sub_interpreter(); !status) return status;
    if (!PyModule_Check(module)) return py::cannot_convert(module, "PyModule");
    if (PyModule_SetDocString(module, module_doc) < 0) return py::raised();
    // The first step that fails ends the import; what was added stays with the discarded module.
    for (RegisterStep step : register_steps) {
      if (step(module) < 0) return py::raised();
    }
    return {};
  });
}

PyModuleDef_Slot slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_module)},
    {0, nullptr},
};

PyModuleDef definition = {
    PyModuleDef_HEAD_INIT, "_native", nullptr, 0, nullptr, slots, nullptr, nullptr, nullptr,
};

}  // namespace

}  // namespace quorvane_native

PyMODINIT_FUNC PyInit__native() { return PyModuleDef_Init(&quorvane_native::definition); }
