"""The text forms of dates, clock times and instants that every deadline function reads and writes,
driven through the functions that expose them most directly: `add_werktage(date, 0)` writes back
the date it read, `add_hours(instant, 0)` the instant, `berlin_instant` the clock time."""

import pytest
from hypothesis import given
from hypothesis import strategies as st

import quorvane._native as native

DATE_ERROR = "invalid ISO 8601 date {}: {}"
CLOCK_ERROR = 'clock time must be "HH:MM[:SS]", got {}: {}'
DT_ERROR = "invalid RFC 3339 datetime {}: {}"
YEAR_UNWRITABLE = "The year component cannot be formatted into the requested format."

INVALID = "the '{}' component could not be parsed"
OUT_OF_RANGE = "{} was not in range"
LITERAL = "a character literal was not valid"
TRAILING = "unexpected trailing characters; the end of input was expected"
NO_DATE = "the `Parsed` struct did not include enough information to construct the type"


def read_date(text):
    return native.add_werktage(text, 0)


def read_instant(text):
    return native.add_hours(text, 0)


def read_clock(text):
    return native.berlin_instant("2026-01-15", text)


def quoted(text):
    """The debug quoting of the messages, for the plain texts used here."""
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("\t", "\\t").replace("\n", "\\n") + '"'


# --- ISO 8601 dates ------------------------------------------------------------------------------

@pytest.mark.parametrize(
    "text",
    [
        "2026-03-29", "20260329", "2026-088", "2026088", "2026-W13-7", "2026W137", "+002026-03-29",
        "2026-03-29T10:00:00+02:00", "2026-03-29T10", "2026-03-29T10:00", "2026-03-29T10:00:00.5Z",
        "2026-03-29T10,25", "2026-03-29T10:00:00-05", "20260329T100000Z", "20260329T1000+0200",
        "2026-088T23:59:59Z", "2026-W13-7T00:00Z",
    ],
)
def test_every_date_form_reads_the_same_day(text):
    assert read_date(text) == "2026-03-29"


@pytest.mark.parametrize(
    ("text", "date"),
    [
        ("2024-366", "2024-12-31"),
        ("2024-060", "2024-02-29"),
        ("2026-W53-4", "2026-12-31"),
        ("2026-W01-1", "2025-12-29"),   # week 1 holds the year's first Thursday
        ("2021-W01-1", "2021-01-04"),
        ("2020-W53-7", "2021-01-03"),
        ("0000-01-01", "0000-01-01"),
        ("9999-12-31", "9999-12-31"),
        ("0987-01-05", "0987-01-05"),
    ],
)
def test_ordinal_week_and_edge_dates(text, date):
    assert read_date(text) == date


@pytest.mark.parametrize(
    ("text", "reason"),
    [
        ("2026-366", OUT_OF_RANGE.format("ordinal")),
        ("2025-W53-1", OUT_OF_RANGE.format("week")),
        ("2026-02-29", OUT_OF_RANGE.format("day")),
        ("2026-02-30", OUT_OF_RANGE.format("day")),
        ("2026-04-31", OUT_OF_RANGE.format("day")),
        ("2026-00-10", INVALID.format("month")),
        ("2026-13-01", INVALID.format("month")),
        ("2026-01-32", INVALID.format("day")),
        ("2026-W54-1", INVALID.format("week")),
        ("2026-W13-8", INVALID.format("weekday")),
        ("2026-W137", LITERAL),
        ("26-03-29", INVALID.format("year")),
        ("+010000-01-01", INVALID.format("year")),
        ("-010000-01-01", INVALID.format("year")),
        ("", INVALID.format("year")),
        (" 2026-03-29", INVALID.format("year")),
        ("2026-03-29 ", TRAILING),
        ("2026-03-29Z", TRAILING),
        ("2026-03-29T25:00", TRAILING),
        ("2026-03-29T10:00:00+24:00", TRAILING),
        ("2026-03-29T1000", TRAILING),       # extended date, basic time
        ("2026-03-29x", TRAILING),
        ("10:00", NO_DATE),
        ("2026", NO_DATE),
    ],
)
def test_malformed_dates_name_their_reason(text, reason):
    for function in (native.is_werktag, native.next_werktag, read_date):
        with pytest.raises(ValueError) as raised:
            function(text)
        assert str(raised.value) == DATE_ERROR.format(quoted(text), reason)


def test_date_message_quotes_the_text_escaped():
    with pytest.raises(ValueError) as raised:
        native.is_werktag('2026\t"03"\n')
    assert str(raised.value).startswith('invalid ISO 8601 date "2026\\t\\"03\\"\\n": ')


@pytest.mark.parametrize("text", ["-000001-06-01", "-009999-01-01"])
def test_negative_years_are_read_but_cannot_be_written(text):
    assert isinstance(native.is_werktag(text), bool)
    with pytest.raises(RuntimeError) as raised:
        read_date(text)
    assert str(raised.value) == YEAR_UNWRITABLE


@given(st.dates())
def test_every_calendar_date_round_trips_in_all_three_forms(date):
    iso_year, iso_week, iso_weekday = date.isocalendar()
    assert read_date(date.isoformat()) == date.isoformat()
    assert read_date(f"{date.year:04}{date.month:02}{date.day:02}") == date.isoformat()
    assert read_date(f"{date.year:04}-{date.timetuple().tm_yday:03}") == date.isoformat()
    if 1 <= iso_year <= 9999:
        assert read_date(f"{iso_year:04}-W{iso_week:02}-{iso_weekday}") == date.isoformat()


# --- clock times --------------------------------------------------------------------------------

@pytest.mark.parametrize(
    ("text", "clock"),
    [
        ("00:00", "00:00:00"), ("23:59:59", "23:59:59"), ("7:5", "07:05:00"), ("+07:05", "07:05:00"),
        ("009:05:00", "09:05:00"), ("9:5", "09:05:00"), ("12:00:+1", "12:00:01"),
    ],
)
def test_clock_times_read(text, clock):
    assert read_clock(text) == f"2026-01-15T{clock}+01:00"


@pytest.mark.parametrize(
    ("text", "reason"),
    [
        ("24:00", "hour was not in range"),
        ("25:00", "hour was not in range"),
        ("23:60", "minute was not in range"),
        ("23:59:60", "second was not in range"),
        ("24:60:60", "hour was not in range"),   # ranges are checked in order
        ("", "cannot parse integer from empty string"),
        ("12:", "cannot parse integer from empty string"),
        ("12:00:", "cannot parse integer from empty string"),
        ("10::00", "cannot parse integer from empty string"),
        ("-1:00", "invalid digit found in string"),
        ("+:00", "invalid digit found in string"),
        ("10:xx", "invalid digit found in string"),
        (" 10:00", "invalid digit found in string"),
        ("10:00 ", "invalid digit found in string"),
        ("256:00", "number too large to fit in target type"),
        ("2560x:00", "number too large to fit in target type"),
        ("10", "no minute"),
        ("1:2:3:4", "too many components"),
        ("10:00:00:00", "too many components"),
        ("99:99:99:99", "too many components"),  # pieces are read before ranges are checked
    ],
)
def test_malformed_clock_times_name_their_reason(text, reason):
    with pytest.raises(ValueError) as raised:
        read_clock(text)
    assert str(raised.value) == CLOCK_ERROR.format(quoted(text), reason)


# --- RFC 3339 instants --------------------------------------------------------------------------

@pytest.mark.parametrize(
    ("text", "written"),
    [
        ("2026-03-29T10:00:00Z", "2026-03-29T10:00:00Z"),
        ("2026-03-29 10:00:00Z", "2026-03-29T10:00:00Z"),
        ("2026-03-29t10:00:00z", "2026-03-29T10:00:00Z"),
        ("2026-03-29T10:00:00-00:00", "2026-03-29T10:00:00Z"),
        ("2026-03-29T10:00:00+00:00", "2026-03-29T10:00:00Z"),
        ("2026-03-29T10:00:00.000+02:00", "2026-03-29T10:00:00+02:00"),
        ("2026-03-29T10:00:00.5-03:30", "2026-03-29T10:00:00.5-03:30"),
        ("2026-03-29T10:00:00.123000+02:00", "2026-03-29T10:00:00.123+02:00"),
        ("2026-03-29T23:59:59.999999999+02:00", "2026-03-29T23:59:59.999999999+02:00"),
        ("2026-03-29T23:59:59.9999999999+02:00", "2026-03-29T23:59:59.999999999+02:00"),
        ("2026-06-30T23:59:60Z", "2026-06-30T23:59:59.999999999Z"),
        ("2026-07-01T01:59:60+02:00", "2026-07-01T01:59:59.999999999+02:00"),
        ("0000-01-01T00:00:00+23:59", "0000-01-01T00:00:00+23:59"),
        ("9999-12-31T23:59:59-23:59", "9999-12-31T23:59:59-23:59"),
    ],
)
def test_instants_keep_their_offset_and_come_back_normalised(text, written):
    assert read_instant(text) == written


@pytest.mark.parametrize(
    ("text", "reason"),
    [
        ("2026-03-29T10:00:00", INVALID.format("offset hour")),
        ("2026-03-29T10:00:00+02", LITERAL),
        ("2026-03-29T10:00:00+0200", LITERAL),
        ("2026-03-29T10:00:00+24:00", OUT_OF_RANGE.format("offset hour")),
        ("2026-03-29T10:00:00+02:60", OUT_OF_RANGE.format("offset minute")),
        ("2026-03-29", INVALID.format("separator")),
        ("2026-03-29T10:00", LITERAL),
        ("20260329T100000Z", LITERAL),
        ("2026-03-29T10:00:00.Z", INVALID.format("subsecond")),
        ("2026-03-29T10:00:00Zx", TRAILING),
        (" 2026-03-29T10:00:00Z", INVALID.format("year")),
        ("2026-03-29T10:00:00Z ", TRAILING),
        ("2026-13-29T10:00:00Z", OUT_OF_RANGE.format("month")),
        ("2026-02-29T10:00:00Z", OUT_OF_RANGE.format("day")),
        ("2026-03-29T24:00:00Z", OUT_OF_RANGE.format("hour")),
        ("2026-03-29T10:60:00Z", OUT_OF_RANGE.format("minute")),
        ("2026-03-29T10:00:60Z", OUT_OF_RANGE.format("second")),
        ("2026-06-30T23:59:60+02:00", OUT_OF_RANGE.format("second")),
        ("+002026-03-29T10:00:00Z", INVALID.format("year")),
        ("", INVALID.format("year")),
    ],
)
def test_malformed_instants_name_their_reason(text, reason):
    for function in (read_instant, native.format_303, native.aperak_strom_due_at):
        with pytest.raises(ValueError) as raised:
            function(text)
        assert str(raised.value) == DT_ERROR.format(quoted(text), reason)


@given(st.datetimes(timezones=st.timezones()).filter(lambda moment: moment.utcoffset().seconds % 60 == 0))
def test_instants_round_trip_through_python_datetime(moment):
    import datetime

    text = read_instant(moment.isoformat())
    parsed = datetime.datetime.fromisoformat(text.replace("Z", "+00:00"))
    assert parsed == moment
    assert parsed.utcoffset() == moment.utcoffset()


# --- format 303 ---------------------------------------------------------------------------------

@pytest.mark.parametrize(
    ("text", "written"),
    [
        ("2026-03-29T10:15:59+02:00", "202603290815+00"),
        ("2026-01-01T00:30:00+01:00", "202512312330+00"),
        ("2026-03-29T10:15:59.999999999Z", "202603291015+00"),
        ("2026-12-31T23:59:59-01:00", "202701010059+00"),
        ("0000-01-01T00:00:00Z", "000001010000+00"),
    ],
)
def test_format_303_is_utc_without_seconds(text, written):
    assert native.format_303(text) == written


@pytest.mark.parametrize("text", ["0000-01-01T00:30:00+01:00", "9999-12-31T23:30:00-01:00"])
def test_format_303_refuses_a_utc_year_it_cannot_write(text):
    with pytest.raises(RuntimeError) as raised:
        native.format_303(text)
    assert str(raised.value) == YEAR_UNWRITABLE
