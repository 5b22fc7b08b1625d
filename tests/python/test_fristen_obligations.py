"""Answer obligations: the table as Python sees it, the class AntwortObligation, the due times."""

import collections
import datetime
import inspect
import re

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import quorvane._native as native

ATTRIBUTES = ["trigger_pid", "name", "answered_by", "bestaetigung_pid", "ablehnung_pid", "ebd", "family", "shape",
              "werktage", "clock_time", "source", "window"]
END = "23:59:59.999999999"


def test_table():
    obligations = native.antwort_obligations()
    assert all(type(obligation) is native.AntwortObligation for obligation in obligations)
    assert len({obligation.trigger_pid for obligation in obligations}) == len(obligations) == 65
    families = [obligation.family for obligation in obligations]
    assert collections.Counter(families) == {"gpke": 29, "geli-gas": 6, "wim": 19, "wim-gas": 4, "emob": 3, "mabis": 4}
    # The table's own order: families in blocks, with one GPKE record among the WiM Strom records.
    blocks = [family for index, family in enumerate(families) if index == 0 or families[index - 1] != family]
    assert blocks == ["gpke", "geli-gas", "wim", "gpke", "wim", "wim-gas", "emob", "mabis"]
    assert sum(obligation.ebd is None for obligation in obligations) == 7
    for obligation in obligations:
        has_clock = obligation.shape in ("werktag_at", "same_day_at")
        assert obligation.shape in ("werktag_at", "end_of_werktag", "same_day_at", "same_day")
        assert re.fullmatch(r"([01]\d|2[0-3]):[0-5]\d" if has_clock else "None", str(obligation.clock_time))
        assert obligation.ebd is None or re.fullmatch(r"E_\d{4}", obligation.ebd)


@pytest.mark.parametrize(
    ("trigger_pid", "expected"),
    [
        (55001, {"shape": "werktag_at", "werktage": 1, "clock_time": "11:00", "ebd": "E_0622", "answered_by": "NB",
                 "family": "gpke", "window": "11:00 on the 1. WT", "bestaetigung_pid": 55002,
                 "ablehnung_pid": 55003}),
        (55013, {"shape": "same_day_at", "werktage": 0, "clock_time": "15:00", "window": "15:00 on the ÜT"}),
        (55600, {"shape": "werktag_at", "werktage": 61, "clock_time": "00:00", "window": "00:00 on the 61. WT"}),
        (44001, {"shape": "end_of_werktag", "werktage": 4, "clock_time": None, "ebd": "E_3005", "window": "4 WT"}),
        (17116, {"ebd": None}),
    ],
)
def test_known_records(trigger_pid, expected):
    obligation = native.antwort_obligation(trigger_pid)
    assert {name: getattr(obligation, name) for name in expected} == expected


def test_repr():
    assert repr(native.antwort_obligation(55001)) == (
        "AntwortObligation(55001 Anmeldung verb. Marktlokation (Lieferbeginn) — NB answers within 11:00 on the 1. WT, "
        "gpke)")


@pytest.mark.parametrize("trigger_pid", [55002, 0, 4294967295])
def test_unknown_trigger_pids_give_none(trigger_pid):
    assert native.antwort_obligation(trigger_pid) is None
    assert native.antwort_deadline(trigger_pid, "2026-04-07T10:00:00+02:00") is None
    # An invalid receipt is refused even so.
    with pytest.raises(ValueError, match='^invalid RFC 3339 datetime "2026-04-07": '):
        native.antwort_deadline(trigger_pid, "2026-04-07")


# The class machinery itself is proven in test_binding; here what this class declares.
def test_class_surface():
    cls, obligation = native.AntwortObligation, native.antwort_obligation(55001)
    assert "who owes what, by when, and where it says so" in cls.__doc__
    assert str(inspect.signature(cls.due_at)) == "(self, /, received)"
    with pytest.raises(TypeError, match="^cannot create 'builtins.AntwortObligation' instances$"):
        cls()
    for name in ATTRIBUTES:
        assert getattr(cls, name).__doc__
        with pytest.raises(AttributeError):
            setattr(obligation, name, getattr(obligation, name))


def test_due_at_refuses_bad_arguments():
    obligation = native.antwort_obligation(55001)
    with pytest.raises(TypeError, match="^argument 'received': "):
        obligation.due_at(None)
    with pytest.raises(ValueError, match='^invalid RFC 3339 datetime "tomorrow": '):
        obligation.due_at("tomorrow")
    with pytest.raises(TypeError, match=r"^AntwortObligation\.due_at\(\) missing 1 required positional argument"):
        obligation.due_at()


@pytest.mark.parametrize(
    ("trigger_pid", "received", "expected"),
    [
        (55001, "2026-03-27T10:00:00+01:00", "2026-03-30T11:00:00+02:00"),   # over the weekend and the change
        (55001, "2026-01-12T23:30:00Z", "2026-01-14T11:00:00+01:00"),        # Tuesday already in Berlin
        (44001, "2026-03-26T10:00:00+01:00", f"2026-04-01T{END}+02:00"),
        (55013, "2026-04-08T12:59:59Z", "2026-04-08T15:00:00+02:00"),        # still ahead on the ÜT
        (55013, "2026-04-08T15:00:00+02:00", "2026-04-09T15:00:00+02:00"),   # at 15:00 exactly: next Werktag
        (55013, "2026-04-11T09:00:00+02:00", "2026-04-13T15:00:00+02:00"),   # Saturday
    ],
)
def test_antwort_deadline(trigger_pid, received, expected):
    assert native.antwort_deadline(trigger_pid, received) == expected
    assert native.antwort_obligation(trigger_pid).due_at(received=received) == expected


def parse(text):
    return datetime.datetime.fromisoformat(text.replace("Z", "+00:00"))


def shape_due(obligation, received):
    """The due time that the record's shape promises, from the day functions of the module."""
    berlin_day = native.deadline_at_werktage(received, 0)[:10]
    if obligation.shape == "end_of_werktag":
        return native.deadline_at_werktage(received, obligation.werktage)
    if obligation.shape == "werktag_at":
        return native.berlin_instant(native.add_werktage(berlin_day, max(obligation.werktage, 1)), obligation.clock_time)
    if obligation.shape == "same_day":
        return native.deadline_at_werktage(received, 0)
    on_the_day = native.berlin_instant(berlin_day, obligation.clock_time)
    if native.is_werktag(berlin_day) and parse(received) < parse(on_the_day):
        return on_the_day
    return native.berlin_instant(native.add_werktage(berlin_day, 1), obligation.clock_time)


@settings(max_examples=200, deadline=None)
@given(st.integers(0, 64),
       st.datetimes(datetime.datetime(2000, 1, 1), datetime.datetime(2100, 1, 1), timezones=st.just(datetime.UTC)))
def test_due_at_matches_antwort_deadline_and_the_shape(index, moment):
    obligation = native.antwort_obligations()[index]
    received = moment.replace(microsecond=0).isoformat()
    due = obligation.due_at(received)
    assert due == native.antwort_deadline(obligation.trigger_pid, received) == shape_due(obligation, received)
    assert parse(due) > parse(received) or obligation.shape == "same_day"
    assert due[-6:] in ("+01:00", "+02:00")
