"""The deadline functions: Werktage, CONTRL and APERAK due times, Berlin days and local times."""

import datetime
import inspect

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import quorvane._native as native

END = "23:59:59.999999999"
SIGNATURES = {
    "is_werktag": "(date)", "add_werktage": "(date, n)", "next_werktag": "(date)",
    "deadline_at_werktage": "(received, werktage)", "end_of_werktag_after": "(received, werktage)",
    "next_werktag_at": "(received, at)", "add_hours": "(received, hours)",
    "contrl_due_at": "(received, anlass='regelfall')", "aperak_strom_due_at": "(received)",
    "aperak_gas_folgeprozess_due_at": "(received)", "aperak_gas_initialprozess_due_at": "(received)",
    "berlin_day_bounds": "(date)", "format_303": "(instant)", "berlin_instant": "(date, at)",
    "berlin_mtu_count": "(date, mtu_minutes)", "antwort_obligation": "(trigger_pid)", "antwort_obligations": "()",
    "antwort_deadline": "(trigger_pid, received)",
}


def test_signatures_and_docstrings():
    assert {name: str(inspect.signature(getattr(native, name))) for name in SIGNATURES} == SIGNATURES
    for name in SIGNATURES:
        function = getattr(native, name)
        assert function.__doc__ and not function.__doc__.startswith(name) and function.__module__ == "quorvane._native"


@pytest.mark.parametrize(
    ("date", "werktag", "next_one"),
    [
        ("2026-03-28", False, "2026-03-30"),  # Saturday
        ("2026-12-24", False, "2026-12-28"),
        ("2026-11-18", False, "2026-11-19"),  # Buß- und Bettag
        ("2026-04-03", False, "2026-04-07"),  # Good Friday and Easter Monday
        ("2026-06-04", False, "2026-06-05"),  # Corpus Christi
        ("2026-W47-2", True, "2026-11-17"),
    ],
)
def test_is_werktag_and_next_werktag(date, werktag, next_one):
    assert native.is_werktag(date) is werktag
    assert native.next_werktag(date) == next_one


@settings(max_examples=60, deadline=None)
@given(st.dates(datetime.date(1, 1, 1), datetime.date(9998, 12, 31)), st.integers(0, 40))
def test_add_werktage_counts_only_werktage_after_the_date(date, n):
    day, left = date, n
    while left:
        day += datetime.timedelta(1)
        left -= native.is_werktag(day.isoformat())
    assert native.add_werktage(date.isoformat(), n) == day.isoformat()


@pytest.mark.parametrize(
    ("function", "arguments", "expected"),
    [
        (native.add_werktage, ("2026-12-30", 1), "2027-01-04"),
        (native.add_werktage, ("2026-03-29", 0), "2026-03-29"),                        # a Sunday stays
        (native.deadline_at_werktage, ("2026-03-28T10:00:00+01:00", 0), f"2026-03-28T{END}+01:00"),  # a Saturday
        (native.deadline_at_werktage, ("2026-03-27T10:00:00+01:00", 1), f"2026-03-30T{END}+02:00"),
        (native.deadline_at_werktage, ("2026-01-12T23:30:00Z", 1), f"2026-01-14T{END}+01:00"),  # Tuesday in Berlin
        (native.end_of_werktag_after, ("2026-10-23T08:00:00-04:00", 1), f"2026-10-26T{END}+01:00"),
        (native.next_werktag_at, ("2026-03-27T10:00:00+01:00", "11:00:30"), "2026-03-30T11:00:30+02:00"),
        (native.next_werktag_at, ("2026-10-24T12:00:00+02:00", "02:30"), "2026-10-26T02:30:00+01:00"),
        (native.add_hours, ("2026-03-28T22:00:00+01:00", 6), "2026-03-29T04:00:00+01:00"),   # elapsed time
        (native.add_hours, ("2026-03-27T18:00:00-05:00", 72), "2026-03-30T18:00:00-05:00"),  # through the weekend
        (native.contrl_due_at, ("2026-03-10T09:00:00-07:00",), "2026-03-10T15:00:00-07:00"),
        (native.contrl_due_at, ("2026-03-10T09:00:00+01:00", "strom_utilmd_orders"), "2026-03-10T09:15:00+01:00"),
        (native.contrl_due_at, ("2026-03-13T23:30:00Z", "strom_utilmd_orders"), "2026-03-14T05:30:00Z"),  # Saturday
        (native.contrl_due_at, ("2026-03-10T09:00:00+01:00", "gas_alocat"), "2026-03-10T09:45:00+01:00"),
        # Formatumstellung windows: the window's end, at the Berlin offset.
        (native.contrl_due_at, ("2026-03-31T12:00:00+02:00",), "2026-04-02T00:00:00+02:00"),  # due at 18:00 exactly
        (native.contrl_due_at, ("2026-03-31T15:50:00Z", "gas_alocat"), "2026-04-02T00:00:00+02:00"),
        (native.contrl_due_at, ("2026-04-01T16:00:00Z",), "2026-04-01T22:00:00Z"),            # due at the end: stays
        (native.contrl_due_at, ("2026-09-30T12:30:00-03:00",), "2026-10-02T00:00:00+02:00"),
        (native.aperak_strom_due_at, ("2026-03-28T23:50:00+01:00",), "2026-03-29T12:00:00+02:00"),  # Saturday
        (native.aperak_strom_due_at, ("2026-01-09T23:30:00Z",), "2026-01-11T12:00:00+01:00"),       # Saturday in Berlin
        (native.aperak_strom_due_at, ("2026-01-11T10:00:00-05:00",), "2026-01-11T10:45:00-05:00"),
        # The last Friday: the Berlin day is known, and the sum is written at the receipt's offset.
        (native.aperak_strom_due_at, ("9999-12-31T22:30:00Z",), "9999-12-31T23:15:00Z"),
        (native.aperak_strom_due_at, ("9999-12-31T17:30:00-05:00",), "9999-12-31T18:15:00-05:00"),
        (native.contrl_due_at, ("9999-12-31T17:30:00Z",), "9999-12-31T23:30:00Z"),  # due after the last Berlin day
        (native.contrl_due_at, ("9999-12-31T23:00:00Z", "gas_alocat"), "9999-12-31T23:45:00Z"),
        (native.aperak_gas_folgeprozess_due_at, ("2026-03-27T23:50:00Z",), "2026-03-30T12:00:00+02:00"),
        (native.aperak_gas_folgeprozess_due_at, ("2026-12-23T09:00:00-08:00",), "2026-12-28T12:00:00+01:00"),
        (native.aperak_gas_initialprozess_due_at, ("2026-03-10T23:30:00Z",), f"2026-03-16T{END}+01:00"),
        (native.berlin_day_bounds, ("2026-088",), ("2026-03-28T23:00:00Z", "2026-03-29T22:00:00Z")),
        (native.berlin_day_bounds, ("2026-10-25",), ("2026-10-24T22:00:00Z", "2026-10-25T23:00:00Z")),
        (native.berlin_mtu_count, ("2026-03-29", 15), 92),
        (native.berlin_mtu_count, ("2026-10-25", 1), 1500),
        (native.berlin_instant, ("2026-10-25", "02:30"), "2026-10-25T02:30:00+02:00"),  # repeated: the earlier
        (native.berlin_instant, ("2026-03-29", "03:00"), "2026-03-29T03:00:00+02:00"),
        # 15:00 on the day of receipt, in local mean time, has passed; the next Werktag is in CET.
        (native.antwort_deadline, (55013, "1893-03-30T14:30:00Z"), "1893-04-04T15:00:00+01:00"),
        (native.aperak_strom_due_at, ("1850-03-15T09:00:00Z",), "1850-03-15T09:45:00Z"),  # a Friday
    ],
)
def test_results(function, arguments, expected):
    assert function(*arguments) == expected


OUT_OF_RANGE = "the deadline falls outside the supported years -9999 to 9999"


@pytest.mark.parametrize(
    ("call", "message"),
    [
        (lambda: native.add_werktage("9999-12-01", 40), OUT_OF_RANGE),
        (lambda: native.add_werktage("2026-01-01", 4294967295), OUT_OF_RANGE),
        (lambda: native.next_werktag("9999-12-31"), OUT_OF_RANGE),
        (lambda: native.deadline_at_werktage("9999-12-30T12:00:00Z", 2), OUT_OF_RANGE),
        (lambda: native.next_werktag_at("9999-12-30T12:00:00Z", "10:00"), OUT_OF_RANGE),
        (lambda: native.aperak_gas_folgeprozess_due_at("9999-12-30T12:00:00Z"), OUT_OF_RANGE),
        (lambda: native.add_hours("9999-12-31T20:00:00Z", 4), OUT_OF_RANGE),
        (lambda: native.contrl_due_at("9999-12-31T20:00:00Z"), OUT_OF_RANGE),
        (lambda: native.aperak_strom_due_at("9999-12-31T23:30:00Z"), OUT_OF_RANGE),
        (lambda: native.aperak_strom_due_at("9999-12-31T23:00:00Z"), OUT_OF_RANGE),  # Saturday in Berlin
        (lambda: native.aperak_strom_due_at("9999-12-31T23:30:00+01:00"), OUT_OF_RANGE),  # not at this offset
        (lambda: native.berlin_instant("2026-03-29", "02:30"),
         "CRITICAL: timezone database failure — could not resolve 2:30:00.0 Europe/Berlin for date 2026-03-29. "
         "Cannot compute a correct regulatory Frist. Ensure tzdata is installed and up to date."),
        (lambda: native.contrl_due_at("2026-03-10T09:00:00+01:00", "Regelfall"),
         'unknown CONTRL Anlass "Regelfall" — expected "regelfall", "strom_utilmd_orders" or "gas_alocat"'),
        # The receipt is read before the Anlass.
        (lambda: native.contrl_due_at("2026-03-10", "x"),
         "invalid RFC 3339 datetime \"2026-03-10\": the 'separator' component could not be parsed"),
        (lambda: native.berlin_mtu_count("2026-03-29", 7),
         "7-minute units do not tile the 23-hour Europe/Berlin day on 2026-03-29"),
        (lambda: native.berlin_mtu_count("2026-10-25", 90),
         "90-minute units do not tile the 25-hour Europe/Berlin day on 2026-10-25"),
        (lambda: native.berlin_mtu_count("not a date", 0), "mtu_minutes must be positive"),  # the unit is checked first
        (lambda: native.berlin_mtu_count("99991231", 15), "99991231 has no next day"),
        (lambda: native.berlin_day_bounds("9999-365"), "9999-365 has no next day"),
    ],
)
def test_value_errors(call, message):
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == message


def local_mean_time(argument, text):
    return (f'{argument} "{text}" is out of range: the result falls before 1893-04-01, when Berlin kept local mean '
            "time (+00:53:28), an offset that RFC 3339 cannot write")


# Before 1 April 1893 Berlin kept local mean time, +00:53:28: such a result exists but has no text,
# so the argument that leads there is out of range.
@pytest.mark.parametrize(
    ("call", "message"),
    [
        (lambda: native.berlin_instant("1850-03-12", "10:00"), local_mean_time("date", "1850-03-12")),
        (lambda: native.contrl_due_at("1850-03-31T17:00:00Z"),  # moved to the window end
         local_mean_time("received", "1850-03-31T17:00:00Z")),
        (lambda: native.aperak_strom_due_at("1850-03-16T09:00:00Z"),  # Sunday noon
         local_mean_time("received", "1850-03-16T09:00:00Z")),
        (lambda: native.aperak_gas_folgeprozess_due_at("1850-03-12T10:00:00Z"),
         local_mean_time("received", "1850-03-12T10:00:00Z")),
        (lambda: native.aperak_gas_initialprozess_due_at("1850-03-12T10:00:00Z"),
         local_mean_time("received", "1850-03-12T10:00:00Z")),
        (lambda: native.deadline_at_werktage("1893-03-30T10:00:00Z", 0),
         local_mean_time("received", "1893-03-30T10:00:00Z")),
        (lambda: native.end_of_werktag_after("1850-03-12T10:00:00Z", 2),
         local_mean_time("received", "1850-03-12T10:00:00Z")),
        (lambda: native.next_werktag_at("1850-03-12T10:00:00Z", "09:00"),
         local_mean_time("received", "1850-03-12T10:00:00Z")),
        (lambda: native.antwort_deadline(55013, "1893-03-30T13:00:00Z"),
         local_mean_time("received", "1893-03-30T13:00:00Z")),
        (lambda: native.antwort_obligation(55013).due_at("1893-03-30T13:00:00Z"),
         local_mean_time("received", "1893-03-30T13:00:00Z")),
        # The year is named first, as for any instant.
        (lambda: native.berlin_instant("-000001-06-01", "12:00"),
         'date "-000001-06-01" is out of range: the result falls in the year -1, and only the years 0000 to 9999 '
         "can be written"),
    ],
)
def test_results_in_local_mean_time_cannot_be_written(call, message):
    with pytest.raises(ValueError) as raised:
        call()
    assert type(raised.value) is ValueError
    assert str(raised.value) == message


@pytest.mark.parametrize(
    ("call", "message"),
    [
        (lambda: native.is_werktag(None), "argument 'date': 'NoneType' object cannot be converted to 'str'"),
        (lambda: native.add_werktage(b"2026-03-29", 1), "argument 'date': 'bytes' object cannot be converted to 'str'"),
        (lambda: native.next_werktag(datetime.date(2026, 3, 29)), "argument 'date': 'date' object cannot be converted to 'str'"),
        (lambda: native.antwort_deadline(55001, None), "argument 'received': 'NoneType' object cannot be converted to 'str'"),
        (lambda: native.add_werktage("2026-03-29", 1.5), "argument 'n': 'float' object cannot be interpreted as an integer"),
        (lambda: native.next_werktag_at("x", 1500), "argument 'at': 'int' object cannot be converted to 'str'"),
        (lambda: native.contrl_due_at("x", None), "argument 'anlass': 'NoneType' object cannot be converted to 'str'"),
        (lambda: native.antwort_obligation("55001"), "argument 'trigger_pid': 'str' object cannot be interpreted as an integer"),
        (lambda: native.add_werktage("2026-03-27"), "add_werktage() missing 1 required positional argument: 'n'"),
    ],
)
def test_arguments_of_the_wrong_type(call, message):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value) == message


@pytest.mark.parametrize(
    "call",
    [lambda: native.add_werktage("2026-03-29", -1), lambda: native.add_hours("2026-03-29T10:00:00Z", 2**32),
     lambda: native.deadline_at_werktage("2026-03-29T10:00:00Z", 2**80), lambda: native.antwort_deadline(-1, "x")],
)
def test_counts_outside_32_bits_overflow(call):
    with pytest.raises(OverflowError):
        call()


def test_arguments_bind_by_keyword():
    assert native.add_werktage(n=1, date="2026-03-27") == "2026-03-30"
    assert native.berlin_instant(at="12:00", date="2026-07-01") == "2026-07-01T12:00:00+02:00"
