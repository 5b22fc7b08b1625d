"""Under make py-sanitize: the module the suite imports is the one built with the sanitizers and
their runtimes are live, so that a green run is not a release build passing by mistake."""

import os
import shutil
import subprocess

import pytest

import quorvane._native as native

pytestmark = pytest.mark.skipif(os.environ.get("QUORVANE_SANITIZE") != "1", reason="only under make py-sanitize")


def test_the_module_is_the_sanitized_build_with_its_runtimes_loaded():
    if shutil.which("readelf") is None:
        pytest.skip("readelf is not installed")
    dynamic = subprocess.run(["readelf", "-d", native.__file__], check=True, capture_output=True, text=True).stdout
    needed = {line.split("[")[1].rstrip("]") for line in dynamic.splitlines() if "(NEEDED)" in line}
    assert {name.split(".so")[0] for name in needed} >= {"libasan", "libubsan"}
    with open("/proc/self/maps") as maps:
        loaded = maps.read()
    assert "libasan.so" in loaded and "libubsan.so" in loaded
