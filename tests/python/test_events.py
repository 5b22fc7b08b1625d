"""Event types and the CloudEvents envelope: the catalogue, the subscription-pattern matcher, the
attribute names, extension keys and the check of the `time` attribute."""

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
ZELK_TYPES = [
    "de.zelk.abmeldeanfrage.beantwortet", "de.zelk.aperak.accepted", "de.zelk.aperak.rejected",
    "de.zelk.aperak.timeout", "de.zelk.contrl.received", "de.zelk.edifact.outbound", "de.zelk.malo.identified",
    "de.zelk.netzzugang.uebermittlungsbedarf", "de.zelk.process.completed", "de.zelk.process.failed",
    "de.zelk.process.initiated",
]
CORE_ATTRIBUTES = ["specversion", "id", "source", "type", "time", "subject", "datacontenttype", "dataschema", "data"]
TIME_ERROR = "CloudEvents `time` must be RFC 3339, got {}: {}"


@pytest.fixture(scope="module")
def event_types():
    return native.event_types()


def test_catalogue_is_sorted_unique_and_well_formed(event_types):
    assert len(event_types) == 126
    assert event_types == sorted(set(event_types))
    assert all(re.fullmatch(r"de\.[a-z]+(\.[a-z0-9-]+)+", event_type) for event_type in event_types)
    assert collections.Counter(event_type.split(".")[1] for event_type in event_types) == AREA_SIZES


def test_every_catalogue_type_exists_exactly(event_types):
    for event_type in event_types:
        assert native.event_type_exists(event_type)
        for variant in (event_type + " ", " " + event_type, event_type.upper(), event_type[:-1], event_type + "."):
            assert not native.event_type_exists(variant), variant


@pytest.mark.parametrize("event_type", ["", "de.zelk", "de.zelk.process", "de.zelk.process.*", "*"])
def test_non_catalogue_texts_do_not_exist(event_type):
    assert not native.event_type_exists(event_type)


@pytest.mark.parametrize(
    ("pattern", "event_type", "expected"),
    [
        ("*", "", True),
        ("*", "anything at all", True),
        ("de.zelk.process.?nitiated", "de.zelk.process.initiated", True),
        ("de.zelk", "de.zelk.process.initiated", False),                # the whole type must be covered
        ("zelk.process.initiated", "de.zelk.process.initiated", False),
        ("de.zelk.*", "de.zelk.", True),                                # "*" takes the empty run
        ("de.zelk.?", "de.zelk.", False),                               # "?" takes exactly one
        ("de.zelk.process.initiated***", "de.zelk.process.initiated", True),
        ("*.initiated", "de.zelk.process.initiated", True),
        ("de.*.initiated", "de.zelk.process.initiated", True),          # "*" spans dots
        ("de.*.process", "de.zelk.process.initiated", False),
        ("*a*b", "xaxxab", True),                                       # resumes at the last "*"
        ("*ab*cd", "abxabcxcd", True),
        ("*ab*cd", "abxabcxc", False),
        ("de.*.missing", "de.gabi.missing.extra", False),
        ("DE.*", "de.zelk.process.initiated", False),                   # case-sensitive
        ("?", "ä", True),                                               # "?" takes a character, not a byte
        ("??", "ä", False),
        ("d?.ü*", "de.über", True),
        ("", "", True),
        ("", "de.zelk.process.initiated", False),
    ],
)
def test_event_matches(pattern, event_type, expected):
    assert native.event_matches(pattern, event_type) is expected


@pytest.mark.parametrize(
    ("pattern", "expected"),
    [
        ("de.zelk.*", ZELK_TYPES),
        ("de.*.missing", ["de.gabi.alocat.missing", "de.gabi.nomres.missing", "de.tarif.epex.missing"]),
        ("de.*.rechnung.*", ["de.billing.rechnung.erstellt"]),
        ("de.zelk.aperak.??????ed", ["de.zelk.aperak.accepted", "de.zelk.aperak.rejected"]),
        ("", []),
        ("de.zelk", []),
        ("*nicht-im-katalog*", []),
    ],
)
def test_event_types_matching(pattern, expected):
    assert native.event_types_matching(pattern) == expected


@pytest.mark.parametrize("pattern", ["*", "de.*", "*.*.*.*", "*-*", "de.?????.*", "*ed", "de.markt.*.updated"])
def test_event_types_matching_agrees_with_event_matches(event_types, pattern):
    selected = native.event_types_matching(pattern)
    assert selected == [event_type for event_type in event_types if native.event_matches(pattern, event_type)]
    assert selected == sorted(selected)


def glob_as_regex(pattern):
    return "".join(".*" if c == "*" else "." if c == "?" else re.escape(c) for c in pattern)


# Small alphabets make stars, near misses and repeated prefixes common. Types hold no "*" here:
# a "*" in the type is taken literally where it faces one in the pattern.
@given(st.text("ab.ä*?", max_size=10), st.text("ab.ä", max_size=12))
def test_event_matches_is_a_whole_text_glob(pattern, event_type):
    expected = pattern == "*" or re.fullmatch(glob_as_regex(pattern), event_type, re.DOTALL) is not None
    assert native.event_matches(pattern, event_type) is expected


def test_the_lone_star_selects_the_whole_catalogue(event_types):
    assert native.event_types_matching("*") == event_types


def test_cloudevent_attribute_names():
    assert native.cloudevent_core_attributes() == CORE_ATTRIBUTES
    assert native.cloudevent_json_members() == CORE_ATTRIBUTES + ["data_base64"]


@pytest.mark.parametrize(
    "function",
    [native.event_types, native.cloudevent_core_attributes, native.cloudevent_json_members,
     lambda: native.event_types_matching("de.zelk.*")],
)
def test_lists_are_new_on_every_call(function):
    first = function()
    expected = list(first)
    first.clear()
    assert function() == expected


@pytest.mark.parametrize(
    ("key", "expected"),
    [
        ("traceparent", True),
        ("abc123", True),
        ("0", True),
        ("a" * 200, True),       # no length limit
        ("", False),
        ("traceParent", False),
        ("trace-parent", False),
        ("trace_parent", False),
        ("tracé", False),
        ("trace parent", False),
        ("data_base64", False),
    ] + [(name, False) for name in CORE_ATTRIBUTES],
)
def test_is_valid_extension_key(key, expected):
    assert native.is_valid_extension_key(key) is expected


@pytest.mark.parametrize(
    ("value", "normal_form"),
    [
        ("2026-03-29t10:00:00.000z", "2026-03-29T10:00:00Z"),
        ("2026-03-29T10:00:00+00:00", "2026-03-29T10:00:00Z"),
        ("2026-03-29T10:00:00-00:00", "2026-03-29T10:00:00Z"),
        ("2026-03-29T10:00:00+02:00", "2026-03-29T10:00:00+02:00"),
        ("2026-03-29 10:00:00.50-05:30", "2026-03-29T10:00:00.5-05:30"),
        ("2026-03-29T10:00:00.1234567891Z", "2026-03-29T10:00:00.123456789Z"),
        ("0000-01-01T00:00:00+23:59", "0000-01-01T00:00:00+23:59"),
        ("2016-12-31T23:59:60Z", "2016-12-31T23:59:59.999999999Z"),            # a leap second
        ("2017-01-01T00:59:60+01:00", "2017-01-01T00:59:59.999999999+01:00"),  # the same one, east of UTC
    ],
)
def test_parse_cloudevent_time_writes_the_normal_form(value, normal_form):
    assert native.parse_cloudevent_time(value) == normal_form
    assert native.parse_cloudevent_time(normal_form) == normal_form


@pytest.mark.parametrize(
    ("value", "reason"),
    [
        ("2026-03-29", "the 'separator' component could not be parsed"),
        ("2026-03-29T10:00:00", "the 'offset hour' component could not be parsed"),
        ("20260329T100000Z", "a character literal was not valid"),
        ("2026-03-29T10:00:00+02", "a character literal was not valid"),
        ("2026-03-29T10:00:00+24:00", "offset hour was not in range"),
        ("2026-02-30T10:00:00Z", "day was not in range"),
        ("2026-13-29T10:00:00Z", "month was not in range"),
        ("2026-03-29T24:00:00Z", "hour was not in range"),
        ("2026-03-29T10:00:60Z", "second was not in range"),      # no leap second mid-month
        ("2026-03-29T10:00:00.Z", "the 'subsecond' component could not be parsed"),
        ("2026-03-29T10:00:00Zx", "unexpected trailing characters; the end of input was expected"),
        (" 2026-03-29T10:00:00Z", "the 'year' component could not be parsed"),
        ("", "the 'year' component could not be parsed"),
    ],
)
def test_parse_cloudevent_time_refuses_what_is_not_rfc3339(value, reason):
    with pytest.raises(ValueError) as raised:
        native.parse_cloudevent_time(value)
    assert str(raised.value) == TIME_ERROR.format('"' + value + '"', reason)


def test_parse_cloudevent_time_quotes_the_value_escaped():
    with pytest.raises(ValueError) as raised:
        native.parse_cloudevent_time('2026"\t\\')
    assert str(raised.value).startswith('CloudEvents `time` must be RFC 3339, got "2026\\"\\t\\\\": ')


@pytest.mark.parametrize(
    ("function", "arguments", "parameter"),
    [
        (native.event_type_exists, (None,), "event_type"),
        (native.event_matches, (1, "de.zelk.process.initiated"), "pattern"),
        (native.event_matches, ("*", b"de.zelk"), "event_type"),
        (native.event_types_matching, (["de.*"],), "pattern"),
        (native.is_valid_extension_key, (None,), "key"),
        (native.parse_cloudevent_time, (1774778400,), "value"),
    ],
)
def test_wrong_argument_types_raise_type_error_naming_the_parameter(function, arguments, parameter):
    with pytest.raises(TypeError, match=f"^argument '{parameter}': "):
        function(*arguments)


@pytest.mark.parametrize(
    ("function", "signature"),
    [
        (native.event_types, "()"),
        (native.event_type_exists, "(event_type)"),
        (native.event_matches, "(pattern, event_type)"),
        (native.event_types_matching, "(pattern)"),
        (native.cloudevent_core_attributes, "()"),
        (native.cloudevent_json_members, "()"),
        (native.is_valid_extension_key, "(key)"),
        (native.parse_cloudevent_time, "(value)"),
    ],
)
def test_signatures(function, signature):
    assert str(inspect.signature(function)) == signature
    assert function.__doc__


def test_keyword_arguments_are_accepted():
    assert native.event_matches(event_type="de.zelk.process.initiated", pattern="de.zelk.*")
    assert native.parse_cloudevent_time(value="2026-03-29T10:00:00Z") == "2026-03-29T10:00:00Z"
