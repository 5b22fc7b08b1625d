"""Date, clock and instant texts, read and written back by add_werktage(d, 0), add_hours(i, 0), berlin_instant."""

import datetime

import pytest
from hypothesis import given
from hypothesis import strategies as st

import quorvane._native as native

INVALID = "the '{}' component could not be parsed"
OUT_OF_RANGE = "{} was not in range"
LITERAL = "a character literal was not valid"
TRAILING = "unexpected trailing characters; the end of input was expected"


def read_date(text):
    return native.add_werktage(text, 0)


def read_instant(text):
    return native.add_hours(text, 0)


def read_clock(text):
    return native.berlin_instant("2026-01-15", text)


def assert_refused(functions, text, message):
    for function in functions:
        with pytest.raises(ValueError) as raised:
            function(text)
        assert str(raised.value) == message


# --- ISO 8601 dates ------------------------------------------------------------------------------

@pytest.mark.parametrize(
    ("text", "date"),
    [(text, "2026-03-29") for text in ("20260329", "2026-088", "2026088", "2026W137", "+002026-03-29", "2026-03-29T10",
                                       "2026-03-29T10,25", "2026-03-29T10:00:00.5Z", "2026-03-29T10:00:00-05",
                                       "20260329T1000+0200", "2026-W13-7T00:00Z")]
    + [("2024-366", "2024-12-31"), ("2026-W01-1", "2025-12-29"), ("0000-01-01", "0000-01-01"), ("9999-12-31", "9999-12-31")],
)
def test_date_forms(text, date):
    assert read_date(text) == date


@pytest.mark.parametrize(
    ("text", "reason"),
    [
        ("2026-366", OUT_OF_RANGE.format("ordinal")), ("2025-W53-1", OUT_OF_RANGE.format("week")),
        ("2026-02-29", OUT_OF_RANGE.format("day")), ("2026-13-01", INVALID.format("month")),
        ("2026-01-32", INVALID.format("day")), ("2026-W54-1", INVALID.format("week")),
        ("2026-W13-8", INVALID.format("weekday")), ("2026-W137", LITERAL),
        ("+010000-01-01", INVALID.format("year")), ("", INVALID.format("year")),
        ("2026-03-29Z", TRAILING), ("2026-03-29T25:00", TRAILING),
        ("2026-03-29T1000", TRAILING),  # extended date, basic time
        ("10:00", "the `Parsed` struct did not include enough information to construct the type"),
        ('2026\t"03"\n', INVALID.format("month")),
    ],
)
def test_malformed_dates_name_their_reason(text, reason):
    quoted = '"' + text.replace('"', '\\"').replace("\t", "\\t").replace("\n", "\\n") + '"'
    assert_refused((native.is_werktag, native.next_werktag, read_date), text, f"invalid ISO 8601 date {quoted}: {reason}")


@pytest.mark.parametrize(
    ("call", "argument", "text", "year"),
    [(lambda: read_date("-000001-06-01"), "date", "-000001-06-01", -1),
     (lambda: native.next_werktag("-000001-06-01"), "date", "-000001-06-01", -1),
     (lambda: native.format_303("0000-01-01T00:30:00+01:00"), "instant", "0000-01-01T00:30:00+01:00", -1),
     (lambda: native.format_303("9999-12-31T23:30:00-01:00"), "instant", "9999-12-31T23:30:00-01:00", 10000),
     (lambda: native.format_303("9999-12-31T23:59:59-12:00"), "instant", "9999-12-31T23:59:59-12:00", 10000),
     (lambda: native.berlin_day_bounds("0000-01-01"), "date", "0000-01-01", -1),  # starts at UTC in year -1
     (lambda: native.berlin_instant("-000001-06-01", "12:00"), "date", "-000001-06-01", -1),
     (lambda: native.build_orders(17001, "9900000000003", "9800000000008", release="1.4b", on="-000001-06-01"),
      "on", "-000001-06-01", -1)],  # the document date
)
def test_years_that_cannot_be_written(call, argument, text, year):
    # Negative years are read (the calendar answers), but no text form holds them: the argument is
    # out of range, not the module broken.
    assert isinstance(native.is_werktag("-009999-01-01"), bool)
    with pytest.raises(ValueError) as raised:
        call()
    assert type(raised.value) is ValueError
    assert str(raised.value) == (f'{argument} "{text}" is out of range: the result falls in the year {year}, and only '
                                 "the years 0000 to 9999 can be written")


def test_the_last_writable_day_bounds():
    assert native.berlin_day_bounds("0000-01-02") == ("0000-01-01T23:06:32Z", "0000-01-02T23:06:32Z")
    assert native.berlin_day_bounds("9999-12-30")[1] == "9999-12-30T23:00:00Z"


@given(st.dates())
def test_every_calendar_date_round_trips_in_all_forms(date):
    iso_year, iso_week, iso_weekday = date.isocalendar()
    forms = [date.isoformat(), f"{date.year:04}{date.month:02}{date.day:02}", f"{date.year:04}-{date.timetuple().tm_yday:03}"]
    if 1 <= iso_year <= 9999:
        forms.append(f"{iso_year:04}-W{iso_week:02}-{iso_weekday}")
    assert [read_date(form) for form in forms] == [date.isoformat()] * len(forms)


# --- clock times --------------------------------------------------------------------------------

@pytest.mark.parametrize(("text", "clock"), [("00:00", "00:00:00"), ("23:59:59", "23:59:59"), ("+7:5", "07:05:00"),
                                             ("009:05:00", "09:05:00"), ("12:00:+1", "12:00:01")])
def test_clock_times_read(text, clock):
    assert read_clock(text) == f"2026-01-15T{clock}+01:00"


@pytest.mark.parametrize(
    ("text", "reason"),
    [
        ("24:00", "hour was not in range"), ("23:60", "minute was not in range"),
        ("23:59:60", "second was not in range"),
        ("24:60:60", "hour was not in range"),   # ranges are checked in order
        ("12:", "cannot parse integer from empty string"), ("10", "no minute"),
        ("+:00", "invalid digit found in string"), (" 10:00", "invalid digit found in string"),
        ("256:00", "number too large to fit in target type"),
        ("2560x:00", "number too large to fit in target type"),  # before the character that is no digit
        ("99:99:99:99", "too many components"),  # pieces are read before ranges are checked
        ('1"\t', "invalid digit found in string"),
    ],
)
def test_malformed_clock_times_name_their_reason(text, reason):
    quoted = '"' + text.replace('"', '\\"').replace("\t", "\\t") + '"'
    assert_refused((read_clock,), text, f'clock time must be "HH:MM[:SS]", got {quoted}: {reason}')


# A refused text cannot hide or reorder itself on screen: only what prints as itself stays raw.
@pytest.mark.parametrize(
    ("character", "shown"),
    [("\u2066", "\\u{2066}"), ("\u2069", "\\u{2069}"), ("\u202e", "\\u{202e}"), ("\u200b", "\\u{200b}"),
     ("\ue000", "\\u{e000}"), ("\u0378", "\\u{378}"), ("\u2028", "\\u{2028}"), ("\xa0", "\\u{a0}"),
     ("\x85", "\\u{85}"), ("\u0301", "\\u{301}"), ("ü", "ü"), ("🔌", "🔌"), ("„", "„")],
)
def test_refused_texts_show_unprintable_characters_escaped(character, shown):
    assert_refused((read_clock,), f"{character}1:00",
                   f'clock time must be "HH:MM[:SS]", got "{shown}1:00": invalid digit found in string')


# --- RFC 3339 instants --------------------------------------------------------------------------

@pytest.mark.parametrize(
    ("text", "written"),
    [
        ("2026-03-29 10:00:00Z", "2026-03-29T10:00:00Z"), ("2026-03-29t10:00:00z", "2026-03-29T10:00:00Z"),
        ("2026-03-29T10:00:00-00:00", "2026-03-29T10:00:00Z"),
        ("2026-03-29T10:00:00.000+02:00", "2026-03-29T10:00:00+02:00"),
        ("2026-03-29T10:00:00.123000-03:30", "2026-03-29T10:00:00.123-03:30"),
        ("2026-03-29T23:59:59.9999999999+02:00", "2026-03-29T23:59:59.999999999+02:00"),
        ("2026-07-01T01:59:60+02:00", "2026-07-01T01:59:59.999999999+02:00"),  # a leap second, east of UTC
        ("0000-01-01T00:00:00+23:59", "0000-01-01T00:00:00+23:59"),
        ("9999-12-31T23:59:59-23:59", "9999-12-31T23:59:59-23:59"),
    ],
)
def test_instants_keep_their_offset_and_come_back_normalised(text, written):
    assert read_instant(text) == written


# Format 303: UTC without seconds, which are dropped, not rounded.
@pytest.mark.parametrize(("text", "written"), [("2026-01-01T00:30:00+01:00", "202512312330+00"),
                                               ("2026-03-29T10:15:59.999999999Z", "202603291015+00")])
def test_format_303(text, written):
    assert native.format_303(text) == written


@pytest.mark.parametrize(
    ("text", "reason"),
    [
        ("2026-03-29T10:00:00", INVALID.format("offset hour")), ("2026-03-29T10:00:00+0200", LITERAL),
        ("2026-03-29T10:00:00+24:00", OUT_OF_RANGE.format("offset hour")),
        ("2026-03-29T10:00:00+02:60", OUT_OF_RANGE.format("offset minute")),
        ("2026-03-29", INVALID.format("separator")), ("2026-03-29T10:00", LITERAL),
        ("2026-03-29T10:00:00.Z", INVALID.format("subsecond")), ("2026-03-29T10:00:00Z ", TRAILING),
        ("2026-13-29T10:00:00Z", OUT_OF_RANGE.format("month")), ("2026-02-29T10:00:00Z", OUT_OF_RANGE.format("day")),
        ("2026-03-29T24:00:00Z", OUT_OF_RANGE.format("hour")), ("2026-03-29T10:60:00Z", OUT_OF_RANGE.format("minute")),
        ("2026-06-30T23:59:60+02:00", OUT_OF_RANGE.format("second")),  # not the leap second's minute in UTC
        ("+002026-03-29T10:00:00Z", INVALID.format("year")),
    ],
)
def test_malformed_instants_name_their_reason(text, reason):
    assert_refused((read_instant, native.format_303, native.aperak_strom_due_at), text,
                   f'invalid RFC 3339 datetime "{text}": {reason}')


def utc_instant(moment):
    # Plain arithmetic on the wall time: == on aware datetimes calls a moment at a fold or in a gap
    # unequal to the same moment in any other zone, and astimezone overflows at the calendar's edges.
    return moment.replace(tzinfo=None) - datetime.datetime.min - moment.utcoffset()


@given(st.datetimes(timezones=st.timezones()).filter(lambda moment: moment.utcoffset().seconds % 60 == 0))
def test_instants_round_trip_through_python_datetime(moment):
    parsed = datetime.datetime.fromisoformat(read_instant(moment.isoformat()).replace("Z", "+00:00"))
    assert utc_instant(parsed) == utc_instant(moment)
    assert parsed.utcoffset() == moment.utcoffset()
