"""The compiled Europe/Berlin zone against the interpreter's time-zone database, 1970 to 2100."""

import datetime
import zoneinfo

import pytest

import quorvane._native as native

UTC = datetime.timezone.utc
FIRST, LAST = datetime.date(1970, 1, 1), datetime.date(2100, 12, 31)
DAYS = [FIRST + datetime.timedelta(n) for n in range((LAST - FIRST).days + 1)]


@pytest.fixture(scope="module")
def berlin():
    try:
        return zoneinfo.ZoneInfo("Europe/Berlin")
    except zoneinfo.ZoneInfoNotFoundError:
        pytest.skip("the interpreter finds no time-zone database")


def midnight(day, zone):
    return datetime.datetime.combine(day, datetime.time(), zone)


def utc_text(moment):
    return moment.astimezone(UTC).strftime("%Y-%m-%dT%H:%M:%SZ")


def test_every_day_starts_and_ends_where_the_database_says(berlin):
    expected = [(utc_text(midnight(day, berlin)), utc_text(midnight(day + datetime.timedelta(1), berlin))) for day in DAYS]
    mismatches = [day for day, bounds in zip(DAYS, expected) if native.berlin_day_bounds(day.isoformat()) != bounds]
    assert mismatches == []


def test_every_hour_of_the_change_days(berlin):
    change_days = [day for day in DAYS
                   if midnight(day, berlin).utcoffset() != midnight(day + datetime.timedelta(1), berlin).utcoffset()]
    assert {sum(day.year == year for day in change_days) for year in range(1980, 2101)} == {2}
    for day in change_days:
        length = midnight(day + datetime.timedelta(1), berlin).astimezone(UTC) - midnight(day, berlin).astimezone(UTC)
        assert native.berlin_mtu_count(day.isoformat(), 15) == length // datetime.timedelta(minutes=15)
        for hour in range(24):
            wall = datetime.datetime.combine(day, datetime.time(hour), berlin)
            if wall.astimezone(UTC).astimezone(berlin).replace(tzinfo=None) != wall.replace(tzinfo=None):
                with pytest.raises(ValueError):  # skipped by the clock
                    native.berlin_instant(day.isoformat(), f"{hour:02}:00")
                continue
            # fold=0 is the earlier of a repeated hour, as berlin_instant resolves it.
            offset_hours, offset_minutes = divmod(wall.utcoffset() // datetime.timedelta(minutes=1), 60)
            expected = f"{day.isoformat()}T{hour:02}:00:00+{offset_hours:02}:{offset_minutes:02}"
            assert native.berlin_instant(day.isoformat(), f"{hour:02}:00") == expected
