"""The deadline functions: the BDEW Werktag calendar and its arithmetic, the Werktag deadlines, the
CONTRL and APERAK due times with their offsets, and the Berlin day bounds and market time units."""

import datetime
import inspect

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import quorvane._native as native

OUT_OF_RANGE = "the deadline falls outside the supported years -9999 to 9999"
END = "23:59:59.999999999"

SIGNATURES = {
    "is_werktag": "(date)",
    "add_werktage": "(date, n)",
    "next_werktag": "(date)",
    "deadline_at_werktage": "(received, werktage)",
    "end_of_werktag_after": "(received, werktage)",
    "next_werktag_at": "(received, at)",
    "add_hours": "(received, hours)",
    "contrl_due_at": "(received, anlass='regelfall')",
    "aperak_strom_due_at": "(received)",
    "aperak_gas_folgeprozess_due_at": "(received)",
    "aperak_gas_initialprozess_due_at": "(received)",
    "berlin_day_bounds": "(date)",
    "format_303": "(instant)",
    "berlin_instant": "(date, at)",
    "berlin_mtu_count": "(date, mtu_minutes)",
    "antwort_obligation": "(trigger_pid)",
    "antwort_obligations": "()",
    "antwort_deadline": "(trigger_pid, received)",
}


@pytest.mark.parametrize(("name", "signature"), SIGNATURES.items())
def test_signature_and_docstring(name, signature):
    function = getattr(native, name)
    assert str(inspect.signature(function)) == signature
    assert function.__doc__ and not function.__doc__.startswith(name)
    assert function.__module__ == "quorvane._native"


# --- the Werktag calendar against an independent statement of the rule ---------------------------

FIXED_HOLIDAYS = [(1, 1), (1, 6), (3, 8), (5, 1), (8, 15), (9, 20), (10, 3), (10, 31), (11, 1), (12, 24), (12, 25),
                  (12, 26), (12, 31)]
EASTER_OFFSETS = (-2, 1, 39, 49, 50, 60)


def gauss_easter(year):
    """Gauss's Easter formula with the Gregorian corrections; // and % floor, as the proleptic rule
    needs for years before 1."""
    a, b, c = year % 19, year % 4, year % 7
    k = year // 100
    p, q = (13 + 8 * k) // 25, k // 4
    m, n = (15 - p + k - q) % 30, (4 + k - q) % 7
    d = (19 * a + m) % 30
    e = (2 * b + 4 * c + 6 * d + n) % 7
    if d == 29 and e == 6:
        return 4, 19
    if d == 28 and e == 6 and (11 * m + 11) % 30 < 19:
        return 4, 18
    return (3, 22 + d + e) if 22 + d + e <= 31 else (4, d + e - 9)


def date_text(year, day):
    """The ISO text of `day` moved into `year` (the weekday layout repeats every 400 years)."""
    if year < 0:
        return f"-{-year:06}-{day.month:02}-{day.day:02}"
    return f"{year:04}-{day.month:02}-{day.day:02}"


def non_werktage(year):
    """The days of `year` that are no Werktag, as texts."""
    stand_in = year + 400 * -((year - 1) // 400) if year < 1 else year
    month, day = gauss_easter(year)
    easter = datetime.date(stand_in, month, day)
    days = {datetime.date(stand_in, m, d) for m, d in FIXED_HOLIDAYS}
    days |= {easter + datetime.timedelta(offset) for offset in EASTER_OFFSETS}
    november_22 = datetime.date(stand_in, 11, 22)
    days.add(november_22 - datetime.timedelta((november_22.weekday() - 2) % 7))
    first, last = datetime.date(stand_in, 1, 1), datetime.date(stand_in, 12, 31)
    every_day = [first + datetime.timedelta(n) for n in range((last - first).days + 1)]
    days |= {day for day in every_day if day.weekday() >= 5}
    return [date_text(year, day) for day in every_day], {date_text(year, day) for day in days}


def assert_year_matches_rule(year):
    every_day, holidays = non_werktage(year)
    assert {day for day in every_day if not native.is_werktag(day)} == holidays


@pytest.mark.parametrize("year", [-9999, -4714, -101, -1, 0, 1, 1582, 1900, 1970, 2000, 2024, 2025, 2026, 2027, 2038,
                                  2100, 4000, 9999])
def test_werktag_calendar_over_whole_years(year):
    assert_year_matches_rule(year)


@settings(max_examples=40, deadline=None)
@given(st.integers(-9999, 9999))
def test_werktag_calendar_over_random_years(year):
    assert_year_matches_rule(year)


@pytest.mark.parametrize(
    ("date", "werktag"),
    [
        ("2026-03-28", False),  # Saturday
        ("2026-03-29", False),  # Sunday
        ("2026-12-24", False),
        ("2026-12-31", False),
        ("2026-11-18", False),  # Buß- und Bettag
        ("2026-04-03", False),  # Good Friday
        ("2026-06-04", False),  # Corpus Christi
        ("2026-03-09", True),
        ("2026-11-17", True),
        ("9999-12-31", False),
    ],
)
def test_is_werktag_examples(date, werktag):
    assert native.is_werktag(date) is werktag


# --- Werktag arithmetic ---------------------------------------------------------------------------

def step_werktage(date, n):
    day = datetime.date.fromisoformat(date)
    while n:
        day += datetime.timedelta(1)
        n -= native.is_werktag(day.isoformat())
    return day.isoformat()


@pytest.mark.parametrize(
    ("date", "n", "expected"),
    [
        ("2026-12-18", 4, "2026-12-28"),    # weekend and 24.12. to 27.12.
        ("2026-12-29", 1, "2026-12-30"),
        ("2026-12-30", 1, "2027-01-04"),    # 31.12., 1.1. and the weekend
        ("2026-03-29", 0, "2026-03-29"),    # a Sunday stays
        ("2026-03-27", 1, "2026-03-30"),    # over the change to summer time
        ("2026-03-31", 3, "2026-04-07"),    # Good Friday and Easter Monday
        ("2024-02-28", 2, "2024-03-01"),
        ("2026-01-01", 250, step_werktage("2026-01-01", 250)),
    ],
)
def test_add_werktage(date, n, expected):
    assert native.add_werktage(date, n) == expected


@settings(max_examples=60, deadline=None)
@given(st.dates(datetime.date(1, 1, 1), datetime.date(9998, 12, 31)), st.integers(0, 40))
def test_add_werktage_counts_only_werktage_after_the_date(date, n):
    assert native.add_werktage(date.isoformat(), n) == step_werktage(date.isoformat(), n)


@pytest.mark.parametrize(
    ("date", "expected"),
    [("2026-03-09", "2026-03-09"), ("2026-12-24", "2026-12-28"), ("2026-04-03", "2026-04-07"),
     ("2026-05-30", "2026-06-01")],
)
def test_next_werktag(date, expected):
    assert native.next_werktag(date) == expected


@pytest.mark.parametrize(
    "call",
    [
        lambda: native.add_werktage("9999-12-01", 40),
        lambda: native.add_werktage("2026-01-01", 4294967295),
        lambda: native.next_werktag("9999-12-31"),
        lambda: native.deadline_at_werktage("9999-12-30T12:00:00Z", 2),
        lambda: native.next_werktag_at("9999-12-30T12:00:00Z", "10:00"),
        lambda: native.aperak_gas_folgeprozess_due_at("9999-12-30T12:00:00Z"),
        lambda: native.aperak_gas_initialprozess_due_at("9999-12-29T12:00:00Z"),
        lambda: native.add_hours("9999-12-31T20:00:00Z", 4),
        lambda: native.add_hours("2026-01-01T00:00:00Z", 4294967295),
        lambda: native.contrl_due_at("9999-12-31T20:00:00Z"),
        lambda: native.aperak_strom_due_at("9999-12-31T23:30:00Z"),
    ],
)
def test_stepping_past_year_9999_is_a_value_error(call):
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == OUT_OF_RANGE


# --- Werktag deadlines in Berlin time -------------------------------------------------------------

@pytest.mark.parametrize(
    ("received", "werktage", "expected"),
    [
        ("2026-03-28T10:00:00+01:00", 0, f"2026-03-28T{END}+01:00"),   # a Saturday counts for 0
        ("2026-03-29T10:00:00+02:00", 0, f"2026-03-29T{END}+02:00"),   # the 23-hour Sunday
        ("2026-03-27T10:00:00+01:00", 1, f"2026-03-30T{END}+02:00"),
        ("2026-01-12T23:30:00Z", 1, f"2026-01-14T{END}+01:00"),        # Monday 23:30Z is Tuesday in Berlin
        ("2026-01-12T22:59:59Z", 1, f"2026-01-13T{END}+01:00"),
        ("2026-10-23T08:00:00-04:00", 1, f"2026-10-26T{END}+01:00"),
        ("2026-04-01T10:00:00+02:00", 3, f"2026-04-08T{END}+02:00"),
    ],
)
def test_deadline_at_werktage(received, werktage, expected):
    assert native.deadline_at_werktage(received, werktage) == expected
    assert native.end_of_werktag_after(received, werktage) == expected


@pytest.mark.parametrize(
    ("received", "at", "expected"),
    [
        ("2026-03-27T10:00:00+01:00", "11:00", "2026-03-30T11:00:00+02:00"),
        ("2026-03-27T10:00:00+01:00", "11:00:30", "2026-03-30T11:00:30+02:00"),
        ("2026-01-12T23:30:00Z", "06:00", "2026-01-14T06:00:00+01:00"),
        ("2026-10-24T12:00:00+02:00", "02:30", "2026-10-26T02:30:00+01:00"),
        ("2026-12-23T09:00:00+01:00", "0:0", "2026-12-28T00:00:00+01:00"),
    ],
)
def test_next_werktag_at(received, at, expected):
    assert native.next_werktag_at(received, at) == expected


@pytest.mark.parametrize(
    ("received", "hours", "expected"),
    [
        ("2026-03-28T22:00:00+01:00", 6, "2026-03-29T04:00:00+01:00"),    # elapsed time, through the change
        ("2026-03-27T18:00:00-05:00", 72, "2026-03-30T18:00:00-05:00"),   # through the weekend
        ("2026-03-27T18:00:00.25Z", 0, "2026-03-27T18:00:00.25Z"),
        ("9999-12-31T18:00:00-05:00", 5, "9999-12-31T23:00:00-05:00"),
    ],
)
def test_add_hours_keeps_the_offset_of_received(received, hours, expected):
    assert native.add_hours(received, hours) == expected


# --- CONTRL and APERAK --------------------------------------------------------------------------

@pytest.mark.parametrize(
    ("received", "anlass", "expected"),
    [
        ("2026-03-10T09:00:00+01:00", "regelfall", "2026-03-10T15:00:00+01:00"),
        ("2026-03-10T09:00:00-07:00", "regelfall", "2026-03-10T15:00:00-07:00"),
        ("2026-03-10T09:00:00+01:00", "strom_utilmd_orders", "2026-03-10T09:15:00+01:00"),
        ("2026-03-14T09:00:00+01:00", "strom_utilmd_orders", "2026-03-14T15:00:00+01:00"),  # Saturday
        ("2026-03-13T23:30:00Z", "strom_utilmd_orders", "2026-03-14T05:30:00Z"),            # Saturday in Berlin
        ("2026-03-14T23:30:00Z", "strom_utilmd_orders", "2026-03-14T23:45:00Z"),            # Sunday in Berlin
        ("2026-03-10T09:00:00+01:00", "gas_alocat", "2026-03-10T09:45:00+01:00"),
        ("2026-03-29T01:00:00+01:00", "regelfall", "2026-03-29T07:00:00+01:00"),            # over the change
        # Formatumstellung windows: the window's end, at the Berlin offset.
        ("2026-03-31T17:50:00+02:00", "regelfall", "2026-04-02T00:00:00+02:00"),
        ("2026-03-31T12:00:00+02:00", "regelfall", "2026-04-02T00:00:00+02:00"),            # due at 18:00 exactly
        ("2026-03-31T11:59:59+02:00", "regelfall", "2026-03-31T17:59:59+02:00"),
        ("2026-03-31T15:50:00Z", "regelfall", "2026-04-02T00:00:00+02:00"),
        ("2026-03-31T15:50:00Z", "gas_alocat", "2026-04-02T00:00:00+02:00"),
        ("2026-04-01T23:40:00+02:00", "strom_utilmd_orders", "2026-04-02T00:00:00+02:00"),
        ("2026-04-01T23:50:00+02:00", "strom_utilmd_orders", "2026-04-02T00:05:00+02:00"),
        ("2026-04-01T16:00:00Z", "regelfall", "2026-04-01T22:00:00Z"),                       # due at the end: stays
        ("2026-04-01T18:00:00+02:00", "regelfall", "2026-04-02T00:00:00+02:00"),
        ("2026-09-30T12:30:00-03:00", "regelfall", "2026-10-02T00:00:00+02:00"),
        ("2026-10-01T20:00:00+02:00", "gas_alocat", "2026-10-02T00:00:00+02:00"),
        ("2026-10-01T23:30:00+02:00", "regelfall", "2026-10-02T05:30:00+02:00"),
    ],
)
def test_contrl_due_at(received, anlass, expected):
    assert native.contrl_due_at(received, anlass) == expected


def test_contrl_due_at_defaults_to_regelfall():
    received = "2026-03-10T09:00:00+01:00"
    assert native.contrl_due_at(received) == native.contrl_due_at(received, anlass="regelfall")


@pytest.mark.parametrize("anlass", ["Regelfall", "", "regelfall ", "GAS_ALOCAT", "strom"])
def test_contrl_due_at_refuses_an_unknown_anlass(anlass):
    with pytest.raises(ValueError) as raised:
        native.contrl_due_at("2026-03-10T09:00:00+01:00", anlass)
    assert str(raised.value) == (f'unknown CONTRL Anlass "{anlass}" — expected "regelfall", "strom_utilmd_orders" '
                                 'or "gas_alocat"')


def test_contrl_due_at_reads_received_before_anlass():
    with pytest.raises(ValueError, match="^invalid RFC 3339 datetime"):
        native.contrl_due_at("2026-03-10", "unknown")


@pytest.mark.parametrize(
    ("received", "expected"),
    [
        ("2026-03-28T23:50:00+01:00", "2026-03-29T12:00:00+02:00"),   # Saturday before the change to summer time
        ("2026-10-24T23:50:00+02:00", "2026-10-25T12:00:00+01:00"),   # Saturday before the change to winter time
        ("2026-01-10T10:00:00Z", "2026-01-11T12:00:00+01:00"),
        ("2026-01-09T23:30:00Z", "2026-01-11T12:00:00+01:00"),        # Friday in UTC, Saturday in Berlin
        ("2026-01-09T23:50:00+01:00", "2026-01-10T00:35:00+01:00"),   # Friday: 45 minutes, past midnight
        ("2026-01-11T10:00:00-05:00", "2026-01-11T10:45:00-05:00"),
        ("2026-01-10T22:59:00Z", "2026-01-11T12:00:00+01:00"),
        ("2026-01-10T23:00:00Z", "2026-01-10T23:45:00Z"),             # Sunday in Berlin
    ],
)
def test_aperak_strom_due_at(received, expected):
    assert native.aperak_strom_due_at(received) == expected


@pytest.mark.parametrize(
    ("received", "expected"),
    [
        ("2026-03-27T23:50:00Z", "2026-03-30T12:00:00+02:00"),   # Saturday in Berlin, over the change
        ("2026-03-10T09:00:00+01:00", "2026-03-11T12:00:00+01:00"),
        ("2026-12-23T09:00:00-08:00", "2026-12-28T12:00:00+01:00"),
        ("2026-10-23T12:00:00+02:00", "2026-10-26T12:00:00+01:00"),
    ],
)
def test_aperak_gas_folgeprozess_due_at(received, expected):
    assert native.aperak_gas_folgeprozess_due_at(received) == expected


@pytest.mark.parametrize(
    ("received", "expected"),
    [
        ("2026-03-26T10:00:00+01:00", f"2026-03-31T{END}+02:00"),
        ("2026-03-10T23:30:00Z", f"2026-03-16T{END}+01:00"),
    ],
)
def test_aperak_gas_initialprozess_due_at(received, expected):
    assert native.aperak_gas_initialprozess_due_at(received) == expected
    assert native.deadline_at_werktage(received, 3) == expected


@pytest.mark.parametrize(
    "call",
    [
        lambda: native.contrl_due_at("1850-03-31T17:00:00Z"),
        lambda: native.aperak_gas_folgeprozess_due_at("1850-03-12T10:00:00Z"),
        lambda: native.deadline_at_werktage("1850-03-12T10:00:00Z", 1),
        lambda: native.berlin_instant("1850-03-12", "10:00"),
    ],
)
def test_local_mean_time_cannot_be_shown_as_an_offset(call):
    with pytest.raises(ValueError, match=r"offset \+00:53:28 .* cannot be written as an RFC 3339 offset"):
        call()


# --- Berlin day bounds, market time units, local times ------------------------------------------------------

@pytest.mark.parametrize(
    ("date", "bounds", "quarter_hours"),
    [
        ("2026-03-29", ("2026-03-28T23:00:00Z", "2026-03-29T22:00:00Z"), 92),
        ("2026-10-25", ("2026-10-24T22:00:00Z", "2026-10-25T23:00:00Z"), 100),
        ("2026-07-01", ("2026-06-30T22:00:00Z", "2026-07-01T22:00:00Z"), 96),
        ("2026-01-15", ("2026-01-14T23:00:00Z", "2026-01-15T23:00:00Z"), 96),
        ("2026-088", ("2026-03-28T23:00:00Z", "2026-03-29T22:00:00Z"), 92),
    ],
)
def test_berlin_day_bounds_and_mtu_count(date, bounds, quarter_hours):
    assert native.berlin_day_bounds(date) == bounds
    assert native.berlin_mtu_count(date, 15) == quarter_hours
    assert native.berlin_mtu_count(date, 1) == quarter_hours * 15


@pytest.mark.parametrize(
    ("date", "minutes", "hours"),
    [("2026-01-15", 7, 24), ("2026-03-29", 7, 23), ("2026-10-25", 90, 25), ("2026-03-29", 1440, 23)],
)
def test_berlin_mtu_count_refuses_units_that_do_not_tile_the_day(date, minutes, hours):
    with pytest.raises(ValueError) as raised:
        native.berlin_mtu_count(date, minutes)
    assert str(raised.value) == f"{minutes}-minute units do not tile the {hours}-hour Europe/Berlin day on {date}"


@pytest.mark.parametrize("date", ["2026-01-15", "not a date"])
def test_berlin_mtu_count_checks_the_unit_first(date):
    with pytest.raises(ValueError) as raised:
        native.berlin_mtu_count(date, 0)
    assert str(raised.value) == "mtu_minutes must be positive"


@pytest.mark.parametrize("date", ["9999-12-31", "9999-365", "99991231"])
def test_the_last_day_has_no_next_day(date):
    for call in (lambda: native.berlin_day_bounds(date), lambda: native.berlin_mtu_count(date, 15)):
        with pytest.raises(ValueError) as raised:
            call()
        assert str(raised.value) == f"{date} has no next day"


@pytest.mark.parametrize(
    ("date", "at", "expected"),
    [
        ("2026-10-25", "02:30", "2026-10-25T02:30:00+02:00"),   # the repeated hour: the earlier instant
        ("2026-10-25", "03:00", "2026-10-25T03:00:00+01:00"),
        ("2026-03-29", "01:59:59", "2026-03-29T01:59:59+01:00"),
        ("2026-03-29", "03:00", "2026-03-29T03:00:00+02:00"),
        ("1970-01-01", "00:00", "1970-01-01T00:00:00+01:00"),
    ],
)
def test_berlin_instant(date, at, expected):
    assert native.berlin_instant(date, at) == expected


@pytest.mark.parametrize("at", ["02:00", "02:30", "02:59:59"])
def test_berlin_instant_refuses_a_skipped_local_time(at):
    with pytest.raises(ValueError, match="could not resolve"):
        native.berlin_instant("2026-03-29", at)


# --- argument types -----------------------------------------------------------------------------

TEXT_CALLS = {
    "is_werktag": lambda value: native.is_werktag(value),
    "add_werktage": lambda value: native.add_werktage(value, 1),
    "next_werktag": lambda value: native.next_werktag(value),
    "deadline_at_werktage": lambda value: native.deadline_at_werktage(value, 1),
    "end_of_werktag_after": lambda value: native.end_of_werktag_after(value, 1),
    "next_werktag_at": lambda value: native.next_werktag_at(value, "10:00"),
    "add_hours": lambda value: native.add_hours(value, 1),
    "contrl_due_at": lambda value: native.contrl_due_at(value),
    "aperak_strom_due_at": lambda value: native.aperak_strom_due_at(value),
    "aperak_gas_folgeprozess_due_at": lambda value: native.aperak_gas_folgeprozess_due_at(value),
    "aperak_gas_initialprozess_due_at": lambda value: native.aperak_gas_initialprozess_due_at(value),
    "berlin_day_bounds": lambda value: native.berlin_day_bounds(value),
    "format_303": lambda value: native.format_303(value),
    "berlin_instant": lambda value: native.berlin_instant(value, "10:00"),
    "berlin_mtu_count": lambda value: native.berlin_mtu_count(value, 15),
    "antwort_deadline": lambda value: native.antwort_deadline(55001, value),
}
FIRST_TEXT_PARAMETER = {name: list(inspect.signature(getattr(native, name)).parameters)[-1 if name == "antwort_deadline" else 0]
                        for name in TEXT_CALLS}


@pytest.mark.parametrize("name", TEXT_CALLS)
@pytest.mark.parametrize("value", [None, 20260329, b"2026-03-29", datetime.date(2026, 3, 29), ["2026-03-29"]])
def test_text_parameters_refuse_other_types(name, value):
    with pytest.raises(TypeError) as raised:
        TEXT_CALLS[name](value)
    assert str(raised.value).startswith(f"argument '{FIRST_TEXT_PARAMETER[name]}': ")


@pytest.mark.parametrize(
    ("call", "parameter"),
    [
        (lambda value: native.add_werktage("2026-03-29", value), "n"),
        (lambda value: native.deadline_at_werktage("2026-03-29T10:00:00Z", value), "werktage"),
        (lambda value: native.add_hours("2026-03-29T10:00:00Z", value), "hours"),
        (lambda value: native.berlin_mtu_count("2026-03-29", value), "mtu_minutes"),
        (lambda value: native.next_werktag_at("2026-03-29T10:00:00Z", value), "at"),
        (lambda value: native.berlin_instant("2026-03-29", value), "at"),
        (lambda value: native.contrl_due_at("2026-03-29T10:00:00Z", value), "anlass"),
        (lambda value: native.antwort_obligation(value), "trigger_pid"),
        (lambda value: native.antwort_deadline(value, "2026-03-29T10:00:00Z"), "trigger_pid"),
    ],
)
@pytest.mark.parametrize("value", [None, 1.5, "15:00", [1]])
def test_second_parameters_refuse_other_types(call, parameter, value):
    if isinstance(value, str) and parameter in ("at", "anlass"):
        value = 1500
    with pytest.raises(TypeError) as raised:
        call(value)
    assert str(raised.value).startswith(f"argument '{parameter}': ")


@pytest.mark.parametrize(
    "call",
    [
        lambda value: native.add_werktage("2026-03-29", value),
        lambda value: native.add_hours("2026-03-29T10:00:00Z", value),
        lambda value: native.berlin_mtu_count("2026-03-29", value),
        lambda value: native.antwort_obligation(value),
    ],
)
@pytest.mark.parametrize("value", [-1, 2**32, 2**80])
def test_counts_outside_32_bits_overflow(call, value):
    with pytest.raises(OverflowError):
        call(value)


def test_arguments_bind_by_keyword():
    assert native.add_werktage(n=1, date="2026-03-27") == "2026-03-30"
    assert native.berlin_instant(at="12:00", date="2026-07-01") == "2026-07-01T12:00:00+02:00"
    with pytest.raises(TypeError):
        native.add_werktage("2026-03-27")
    with pytest.raises(TypeError):
        native.is_werktag("2026-03-27", "2026-03-28")
