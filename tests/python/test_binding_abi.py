"""The shared object keeps to the stable ABI of Python 3.11: it imports only symbols that the
limited-API headers declare, links no libpython, and exports nothing but its init function."""

import shutil
import subprocess
import sysconfig

import pytest

import quorvane._native as native

SHARED_OBJECT = native.__file__


def tool_output(*command):
    if shutil.which(command[0]) is None:
        pytest.skip(f"{command[0]} is not installed")
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def dynamic_symbols(*options):
    lines = tool_output("nm", "-D", *options, SHARED_OBJECT).splitlines()
    return {line.split()[-1].split("@")[0] for line in lines if line.strip()}


@pytest.fixture(scope="module")
def limited_api_symbols():
    """Every function and data symbol declared by Python.h with Py_LIMITED_API=0x030B0000."""
    compiler = shutil.which("cc") or shutil.which("gcc")
    if compiler is None:
        pytest.skip("no C compiler to read the headers with")
    marker = "__quorvane_api__"
    preprocessed = subprocess.run(
        [
            compiler, "-E", "-P", "-x", "c",
            f"-I{sysconfig.get_paths()['include']}",
            "-DPy_LIMITED_API=0x030B0000",
            f"-DPyAPI_FUNC(T)=T {marker}",
            f"-DPyAPI_DATA(T)=extern T {marker}",
            "-",
        ],
        input="#include <Python.h>\n", check=True, capture_output=True, text=True,
    ).stdout
    names = set()
    for chunk in preprocessed.split(marker)[1:]:
        declared = chunk.lstrip(" (*").split("(")[0].split(";")[0].split()[0]
        names.add(declared)
    assert {"PyType_FromSpec", "PyModule_AddType", "PyExc_TypeError"} <= names
    assert "PyTuple_GET_ITEM" not in names and "_PyObject_GetState" not in names
    return names


def test_imports_only_limited_api_symbols(limited_api_symbols):
    imported = {name for name in dynamic_symbols("--undefined-only") if name.startswith(("Py", "_Py"))}
    assert imported, "the module must import the interpreter's API"
    assert sorted(imported - limited_api_symbols) == []


def test_exports_only_the_init_function():
    assert dynamic_symbols("--defined-only") == {"PyInit__native"}


def test_links_no_libpython():
    needed = [line for line in tool_output("readelf", "-d", SHARED_OBJECT).splitlines() if "(NEEDED)" in line]
    assert needed
    assert not any("libpython" in line for line in needed)
