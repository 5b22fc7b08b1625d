import importlib.util
import inspect
import pathlib

import pytest

import quorvane._native as native

# Public names in the order the exec step adds them; each area appends its own.
REGISTRATION_ORDER = """
    bo4e_schema_version
    malo_is_valid malo_check_digit malo_from_base melo_is_valid mp_id_is_valid mp_id_check_digit_schemes
    mp_id_from_base mp_id_authority mp_id_unb_qualifier eic_from_prefix eic_is_valid eic_type_char
    bilanzkreis_from_prefix bilanzkreis_is_valid bilanzierungsgebiet_from_prefix bilanzierungsgebiet_is_valid
    resource_id_from_base resource_id_is_valid resource_id_kinds
    event_types event_type_exists event_matches event_types_matching cloudevent_core_attributes
    cloudevent_json_members is_valid_extension_key parse_cloudevent_time
    is_werktag add_werktage next_werktag deadline_at_werktage end_of_werktag_after next_werktag_at add_hours
    contrl_due_at aperak_strom_due_at aperak_gas_folgeprozess_due_at aperak_gas_initialprozess_due_at
    berlin_day_bounds format_303 berlin_instant berlin_mtu_count
    antwort_obligation antwort_obligations antwort_deadline AntwortObligation
    release_for format_versions releases pruefidentifikatoren pid_has_ahb_rules message_types_of
    pid_carrying_message_types answer_pids bestaetigung_pid ablehnung_pid
    entscheidungsbaeume antwort_code antwort_codes antwort_codes_for_pid AntwortCode
    validate_edifact build_utilmd build_mscons build_aperak build_contrl build_aperak_for build_contrl_for
    build_answer build_remadv build_ordrsp build_orders build_iftsta build_quotes build_interchange
    UtilmdTransaction Vorgang Positionsfehler Finding MessageReport Envelope ValidationReport
""".split()


def public_names(module):
    return [name for name in vars(module) if not name.startswith("_")]


def test_module_surface():
    assert pathlib.Path(native.__file__).name == "_native.abi3.so"
    assert public_names(native) == REGISTRATION_ORDER
    assert native.__doc__ == "Native core for quorvane: BDEW identifiers, Fristen, EDIFACT."
    # The panic exception stays private: no exception type is exported.
    assert not [value for value in vars(native).values() if isinstance(value, type) and issubclass(value, BaseException)]


def test_functions_carry_signature_doc_and_module():
    function = native.bo4e_schema_version
    assert function() == "202607.1.0"
    assert inspect.signature(function) == inspect.Signature() and function.__text_signature__ == "()"
    assert "compare" in function.__doc__.lower() and not function.__doc__.startswith("bo4e_schema_version(")
    assert function.__module__ == "quorvane._native" and function.__self__ is native


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


def test_a_second_module_object_gets_fresh_functions():
    spec = importlib.util.find_spec("quorvane._native")
    second = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(second)
    assert second is not native and public_names(second) == REGISTRATION_ORDER
    assert second.bo4e_schema_version is not native.bo4e_schema_version
    assert second.bo4e_schema_version() == native.bo4e_schema_version()


@pytest.mark.parametrize("statement", ["import quorvane._native", "import quorvane"])
def test_sub_interpreter_import_is_refused(statement):
    try:
        import _xxsubinterpreters as interpreters
    except ImportError:
        pytest.skip("no sub-interpreter support in this interpreter")
    interpreter = interpreters.create()
    try:
        with pytest.raises(interpreters.RunFailedError) as failure:
            interpreters.run_string(interpreter, statement)
    finally:
        interpreters.destroy(interpreter)
    assert str(failure.value).startswith("<class 'ImportError'>")
    # From 3.12 on the interpreter itself refuses first, in its own words.
    assert "main interpreter" in str(failure.value) or "subinterpreters" in str(failure.value)
    assert native.bo4e_schema_version() == "202607.1.0"
