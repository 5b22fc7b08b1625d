"""The compiled Europe/Berlin zone against the interpreter's own time-zone database, for every hour
from 1970 to 2100: day by day through the bounds of each local day, and hour by hour on the days
whose length shows a change of offset."""

import datetime
import zoneinfo

import pytest

import quorvane._native as native

UTC = datetime.timezone.utc
FIRST_DAY = datetime.date(1970, 1, 1)
LAST_DAY = datetime.date(2100, 12, 31)


@pytest.fixture(scope="module")
def berlin():
    try:
        return zoneinfo.ZoneInfo("Europe/Berlin")
    except zoneinfo.ZoneInfoNotFoundError:
        pytest.skip("the interpreter finds no time-zone database")


def utc_text(moment):
    return moment.astimezone(UTC).strftime("%Y-%m-%dT%H:%M:%SZ")


def local_midnight(day, zone):
    return datetime.datetime.combine(day, datetime.time(), zone)


def every_day():
    return [FIRST_DAY + datetime.timedelta(n) for n in range((LAST_DAY - FIRST_DAY).days + 1)]


@pytest.fixture(scope="module")
def change_days(berlin):
    """The days on which Berlin changes its offset, by the interpreter's database."""
    return [day for day in every_day()
            if local_midnight(day, berlin).utcoffset() != local_midnight(day + datetime.timedelta(1), berlin).utcoffset()]


def test_every_day_starts_and_ends_where_the_database_says(berlin):
    mismatches = []
    for day in every_day():
        expected = (utc_text(local_midnight(day, berlin)), utc_text(local_midnight(day + datetime.timedelta(1), berlin)))
        if native.berlin_day_bounds(day.isoformat()) != expected:
            mismatches.append(day)
    assert mismatches == []


def test_the_offset_changes_twice_a_year_from_1980(change_days):
    per_year = {year: sum(day.year == year for day in change_days) for year in range(1980, 2101)}
    assert set(per_year.values()) == {2}


def test_every_hour_of_the_change_days(berlin, change_days):
    for day in change_days:
        for hour in range(24):
            wall = datetime.datetime.combine(day, datetime.time(hour), berlin)
            exists = wall.astimezone(UTC).astimezone(berlin).replace(tzinfo=None) == wall.replace(tzinfo=None)
            text_day, text_hour = day.isoformat(), f"{hour:02}:00"
            if not exists:
                with pytest.raises(ValueError):
                    native.berlin_instant(text_day, text_hour)
                continue
            # fold=0 is the earlier of a repeated hour, as berlin_instant resolves it.
            offset = wall.utcoffset()
            sign, magnitude = ("+" if offset >= datetime.timedelta(0) else "-"), abs(offset)
            expected = f"{text_day}T{text_hour}:00{sign}{magnitude.seconds // 3600:02}:{magnitude.seconds // 60 % 60:02}"
            assert native.berlin_instant(text_day, text_hour) == expected


def test_market_time_units_follow_the_day_length(berlin, change_days):
    for day in change_days:
        length = local_midnight(day + datetime.timedelta(1), berlin).astimezone(UTC) - \
            local_midnight(day, berlin).astimezone(UTC)
        assert native.berlin_mtu_count(day.isoformat(), 15) == length // datetime.timedelta(minutes=15)
