import importlib.util
import inspect
import pathlib
import re

import pytest

import quorvane._native as native

# Public names in the order the exec step adds them; each area appends its own.
REGISTRATION_ORDER = [
    "bo4e_schema_version",
    "malo_is_valid",
    "malo_check_digit",
    "malo_from_base",
    "melo_is_valid",
    "mp_id_is_valid",
    "mp_id_check_digit_schemes",
    "mp_id_from_base",
    "mp_id_authority",
    "mp_id_unb_qualifier",
    "eic_from_prefix",
    "eic_is_valid",
    "eic_type_char",
    "bilanzkreis_from_prefix",
    "bilanzkreis_is_valid",
    "bilanzierungsgebiet_from_prefix",
    "bilanzierungsgebiet_is_valid",
    "resource_id_from_base",
    "resource_id_is_valid",
    "resource_id_kinds",
    "event_types",
    "event_type_exists",
    "event_matches",
    "event_types_matching",
    "cloudevent_core_attributes",
    "cloudevent_json_members",
    "is_valid_extension_key",
    "parse_cloudevent_time",
    "is_werktag",
    "add_werktage",
    "next_werktag",
    "deadline_at_werktage",
    "end_of_werktag_after",
    "next_werktag_at",
    "add_hours",
    "contrl_due_at",
    "aperak_strom_due_at",
    "aperak_gas_folgeprozess_due_at",
    "aperak_gas_initialprozess_due_at",
    "berlin_day_bounds",
    "format_303",
    "berlin_instant",
    "berlin_mtu_count",
    "antwort_obligation",
    "antwort_obligations",
    "antwort_deadline",
    "AntwortObligation",
    "release_for",
    "format_versions",
    "releases",
    "pruefidentifikatoren",
    "pid_has_ahb_rules",
    "message_types_of",
    "pid_carrying_message_types",
    "answer_pids",
    "bestaetigung_pid",
    "ablehnung_pid",
    "entscheidungsbaeume",
    "antwort_code",
    "antwort_codes",
    "antwort_codes_for_pid",
    "AntwortCode",
]


def public_names(module):
    return [name for name in vars(module) if not name.startswith("_")]


def test_extension_is_a_stable_abi_module():
    assert pathlib.Path(native.__file__).name == "_native.abi3.so"


def test_module_holds_the_registered_names_in_registration_order():
    assert public_names(native) == REGISTRATION_ORDER


def test_docstring_is_the_one_line_summary():
    doc = native.__doc__
    assert len(doc.encode()) == 61
    assert "\n" not in doc
    assert "native core" in doc.lower() and "quorvane" in doc
    assert re.search(r": BDEW identifiers, Fristen, EDIFACT\.$", doc)


def test_schema_version():
    assert native.bo4e_schema_version() == "202607.1.0"


@pytest.mark.parametrize(
    ("args", "kwargs", "message"),
    [
        ((1,), {}, "bo4e_schema_version() takes 0 positional arguments but 1 was given"),
        ((None, None), {}, "bo4e_schema_version() takes 0 positional arguments but 2 were given"),
        ((), {"on": "2026-01-01"}, "bo4e_schema_version() got an unexpected keyword argument 'on'"),
    ],
)
def test_schema_version_refuses_arguments(args, kwargs, message):
    with pytest.raises(TypeError) as raised:
        native.bo4e_schema_version(*args, **kwargs)
    assert str(raised.value) == message


def test_functions_carry_signature_doc_and_module():
    function = native.bo4e_schema_version
    assert inspect.signature(function) == inspect.Signature()
    assert function.__text_signature__ == "()"
    assert "compare" in function.__doc__.lower()
    assert not function.__doc__.startswith("bo4e_schema_version(")
    assert function.__module__ == "quorvane._native"
    assert function.__self__ is native


def test_panic_exception_is_not_a_module_attribute():
    assert not hasattr(native, "PanicException")
    exception_types = [value for value in vars(native).values() if isinstance(value, type) and issubclass(value, BaseException)]
    assert exception_types == []


def test_a_second_module_object_gets_fresh_functions():
    spec = importlib.util.find_spec("quorvane._native")
    second = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(second)
    assert second is not native
    assert public_names(second) == REGISTRATION_ORDER
    assert second.bo4e_schema_version is not native.bo4e_schema_version
    assert second.bo4e_schema_version() == native.bo4e_schema_version()


def run_in_sub_interpreter(code):
    """Returns the text of the exception the code raised in a fresh sub-interpreter, or None."""
    try:
        import _xxsubinterpreters as interpreters
    except ImportError:
        pytest.skip("no sub-interpreter support in this interpreter")
    interpreter = interpreters.create()
    try:
        interpreters.run_string(interpreter, code)
    except interpreters.RunFailedError as failure:
        return str(failure)
    finally:
        interpreters.destroy(interpreter)
    return None


@pytest.mark.parametrize("statement", ["import quorvane._native", "import quorvane"])
def test_sub_interpreter_import_is_refused(statement):
    failure = run_in_sub_interpreter(statement)
    assert failure is not None
    assert failure.startswith("<class 'ImportError'>")
    # From 3.12 on the interpreter itself refuses first, in its own words.
    assert "main interpreter" in failure or "subinterpreters" in failure
    # The main interpreter's module is untouched.
    assert native.bo4e_schema_version() == "202607.1.0"
