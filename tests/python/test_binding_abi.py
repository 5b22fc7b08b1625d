"""The shared object imports only limited-API symbols, links no libpython, exports only its init."""

import shutil
import subprocess
import sysconfig

import pytest

import quorvane._native as native


def tool_output(*command, **options):
    if shutil.which(command[0]) is None:
        pytest.skip(f"{command[0]} is not installed")
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def dynamic_symbols(option):
    lines = tool_output("nm", "-D", option, native.__file__).splitlines()
    return {line.split()[-1].split("@")[0] for line in lines if line.strip()}


def limited_api_symbols():
    """Every function and data symbol that Python.h declares with Py_LIMITED_API=0x030B0000."""
    marker = "__quorvane_api__"
    preprocessed = tool_output(
        "cc", "-E", "-P", "-x", "c", f"-I{sysconfig.get_paths()['include']}", "-DPy_LIMITED_API=0x030B0000",
        f"-DPyAPI_FUNC(T)=T {marker}", f"-DPyAPI_DATA(T)=extern T {marker}", "-",
        input="#include <Python.h>\n",
    )
    names = {chunk.lstrip(" (*").split("(")[0].split(";")[0].split()[0] for chunk in preprocessed.split(marker)[1:]}
    assert {"PyType_FromSpec", "PyModule_AddType", "PyExc_TypeError"} <= names
    assert "PyTuple_GET_ITEM" not in names and "_PyObject_GetState" not in names
    return names


def test_imports_only_limited_api_symbols():
    imported = {name for name in dynamic_symbols("--undefined-only") if name.startswith(("Py", "_Py"))}
    assert imported
    assert sorted(imported - limited_api_symbols()) == []


def test_exports_only_the_init_function():
    assert dynamic_symbols("--defined-only") == {"PyInit__native"}


def test_links_no_libpython():
    needed = [line for line in tool_output("readelf", "-d", native.__file__).splitlines() if "(NEEDED)" in line]
    assert needed and not any("libpython" in line for line in needed)
