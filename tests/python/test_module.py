import pathlib

import quorvane._native as native


def test_extension_is_a_stable_abi_module():
    assert pathlib.Path(native.__file__).name.endswith(".abi3.so")


def test_schema_version():
    assert native.bo4e_schema_version() == "202607.1.0"
