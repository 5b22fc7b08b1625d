// Entry point of the extension module quorvane._native (placeholder until the binding layer).
#include <Python.h>

namespace {

PyObject* bo4e_schema_version(PyObject*, PyObject*) { return PyUnicode_FromString("202607.1.0"); }

PyMethodDef functions[] = {
    {"bo4e_schema_version", bo4e_schema_version, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

int exec_module(PyObject* module) { return PyModule_AddFunctions(module, functions); }

PyModuleDef_Slot slots[] = {{Py_mod_exec, reinterpret_cast<void*>(exec_module)}, {0, nullptr}};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "_native", nullptr, 0, nullptr, slots,
                          nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__native() { return PyModuleDef_Init(&definition); }
