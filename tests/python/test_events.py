"""Event types, the subscription-pattern matcher and the CloudEvents envelope checks."""

import collections
import inspect
import re

import pytest
from hypothesis import given
from hypothesis import strategies as st

import quorvane._native as native

AREA_SIZES = {
    "accounting": 20, "agent": 1, "billing": 3, "eeg": 6, "gabi": 14, "invoic": 4, "mabis": 2, "markt": 21,
    "messwert": 11, "netzbilanz": 7, "obs": 2, "sperr": 7, "tarif": 4, "vertrag": 11, "vpp": 2, "zelk": 11,
}
CORE_ATTRIBUTES = ["specversion", "id", "source", "type", "time", "subject", "datacontenttype", "dataschema", "data"]


def test_catalogue_is_sorted_unique_and_exact():
    event_types = native.event_types()
    assert event_types == sorted(set(event_types))
    assert all(re.fullmatch(r"de\.[a-z]+(\.[a-z0-9-]+)+", event_type) for event_type in event_types)
    assert collections.Counter(event_type.split(".")[1] for event_type in event_types) == AREA_SIZES
    for event_type in event_types:
        assert native.event_type_exists(event_type)
        for variant in (event_type + " ", event_type.upper(), event_type[:-1], event_type + "."):
            assert not native.event_type_exists(variant), variant
    assert not any(map(native.event_type_exists, ["", "de.zelk.process", "de.zelk.process.*", "*"]))
    assert native.event_types_matching("*") == event_types


def glob_as_regex(pattern):
    return "".join(".*" if c == "*" else "." if c == "?" else re.escape(c) for c in pattern)


# Small alphabets make stars, near misses and repeated prefixes common. Types hold no "*" here:
# a "*" in the type is taken literally where it faces one in the pattern.
@given(st.text("ab.ä*?", max_size=10), st.text("ab.ä", max_size=12))
def test_event_matches_is_a_whole_text_glob(pattern, event_type):
    expected = re.fullmatch(glob_as_regex(pattern), event_type, re.DOTALL) is not None
    assert native.event_matches(pattern, event_type) is expected


@pytest.mark.parametrize(
    ("function", "arguments", "expected"),
    [
        (native.event_matches, ("*", ""), True),
        (native.event_matches, ("de.zelk", "de.zelk.process.initiated"), False),   # the whole type must be covered
        (native.event_matches, ("de.zelk.*", "de.zelk."), True),                   # "*" takes the empty run
        (native.event_matches, ("de.zelk.?", "de.zelk."), False),                  # "?" takes exactly one
        (native.event_matches, ("de.*.initiated", "de.zelk.process.initiated"), True),  # "*" spans dots
        (native.event_matches, ("*ab*cd", "abxabcxcd"), True),                     # resumes at the last "*"
        (native.event_matches, ("DE.*", "de.zelk.process.initiated"), False),      # case-sensitive
        (native.event_matches, ("?", "ä"), True),                                  # a character, not a byte
        (native.event_matches, ("??", "ä"), False),
        (native.event_types_matching, ("de.*.missing",),
         ["de.gabi.alocat.missing", "de.gabi.nomres.missing", "de.tarif.epex.missing"]),
        (native.event_types_matching, ("de.zelk.aperak.??????ed",), ["de.zelk.aperak.accepted", "de.zelk.aperak.rejected"]),
        (native.event_types_matching, ("de.zelk",), []),
        # The reader itself is proven through the deadline functions; here the envelope's normal form.
        (native.parse_cloudevent_time, ("2026-03-29t10:00:00.000z",), "2026-03-29T10:00:00Z"),
        (native.parse_cloudevent_time, ("2026-03-29 10:00:00.50-05:30",), "2026-03-29T10:00:00.5-05:30"),
        (native.parse_cloudevent_time, ("2016-12-31T23:59:60Z",), "2016-12-31T23:59:59.999999999Z"),  # leap second
    ],
)
def test_results(function, arguments, expected):
    assert function(*arguments) == expected and type(function(*arguments)) is type(expected)


def test_is_valid_extension_key():
    assert all(native.is_valid_extension_key(key) is True for key in ["traceparent", "abc123", "0", "a" * 200])
    invalid = ["", "traceParent", "trace-parent", "trace_parent", "tracé", "data_base64", *CORE_ATTRIBUTES]
    assert not any(map(native.is_valid_extension_key, invalid))


@pytest.mark.parametrize("pattern", ["de.zelk.*", "*.*.*.*", "*ed"])
def test_event_types_matching_agrees_with_event_matches(pattern):
    selected = native.event_types_matching(pattern)
    assert selected and selected == [t for t in native.event_types() if native.event_matches(pattern, t)]


def test_attribute_names_and_fresh_lists():
    assert native.cloudevent_core_attributes() == CORE_ATTRIBUTES
    assert native.cloudevent_json_members() == CORE_ATTRIBUTES + ["data_base64"]
    for function in (native.event_types, native.cloudevent_json_members):
        first = function()
        expected = list(first)
        first.clear()
        assert function() == expected


TIME = "CloudEvents `time` must be RFC 3339, got "


@pytest.mark.parametrize(
    ("call", "error", "message"),
    [
        (lambda: native.parse_cloudevent_time("2026-03-29"), ValueError,
         TIME + "\"2026-03-29\": the 'separator' component could not be parsed"),
        (lambda: native.parse_cloudevent_time("2026-03-29T10:00:60Z"), ValueError,  # no leap second mid-month
         TIME + '"2026-03-29T10:00:60Z": second was not in range'),
        (lambda: native.parse_cloudevent_time('2026"\t\\'), ValueError,
         TIME + '"2026\\"\\t\\\\": a character literal was not valid'),
        (lambda: native.event_type_exists(None), TypeError,
         "argument 'event_type': 'NoneType' object cannot be converted to 'str'"),
        (lambda: native.event_matches(1, "x"), TypeError, "argument 'pattern': 'int' object cannot be converted to 'str'"),
        (lambda: native.event_matches("*", b"de"), TypeError,
         "argument 'event_type': 'bytes' object cannot be converted to 'str'"),
        (lambda: native.event_types_matching(["de.*"]), TypeError,
         "argument 'pattern': 'list' object cannot be converted to 'str'"),
        (lambda: native.is_valid_extension_key(None), TypeError,
         "argument 'key': 'NoneType' object cannot be converted to 'str'"),
        (lambda: native.parse_cloudevent_time(1), TypeError, "argument 'value': 'int' object cannot be converted to 'str'"),
    ],
)
def test_errors(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert str(raised.value) == message


def test_signatures():
    names = ["event_types", "event_type_exists", "event_matches", "event_types_matching", "cloudevent_core_attributes",
             "cloudevent_json_members", "is_valid_extension_key", "parse_cloudevent_time"]
    assert [str(inspect.signature(getattr(native, name))) for name in names] == [
        "()", "(event_type)", "(pattern, event_type)", "(pattern)", "()", "()", "(key)", "(value)"]
    assert all(getattr(native, name).__doc__ for name in names)
    assert native.event_matches(event_type="de.zelk.process.initiated", pattern="de.zelk.*")
    assert native.parse_cloudevent_time(value="2026-03-29T10:00:00Z") == "2026-03-29T10:00:00Z"
