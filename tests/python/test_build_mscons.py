"""build_mscons: one metering point's values, the Lastgang refusal, units the column does not list."""

import datetime

import pytest

import quorvane._native as native
from edifact_segments import split, tagged

MS, MR = "9900357000004", "4012345000023"
SUMMED = 13002  # a column that takes bare quantities
LASTGANG = 13025  # a column that makes the Messperiode Muss on every QTY
RELEASE_DATES = [("2.4c", "2026-04-01"), ("2.5", "2026-10-01")]
NO_PROFILE = "X9.9"


def quarter_hour(n):
    return (datetime.datetime(2026, 4, 1) + datetime.timedelta(minutes=15 * n)).strftime("%Y%m%d%H%M+00")


# 13002 admits the GLN agency "9" (or DVGW) for both parties, not BDEW's "293".
GLN_MS, GLN_MR = "4012345000023", "4012345000030"
MELO = "DE00056266802AO6G56M11SN51G21M24S"
MALO = "41373559241"


@pytest.mark.parametrize("release, on", RELEASE_DATES)
# The Lastgang column's LOC names a Marktlokation only.
@pytest.mark.parametrize("pid, point, values", [
    (SUMMED, MELO, {"quantities": [("220", "1234.567", "")]}),
    (LASTGANG, MALO, {"intervals": [("220", f"{n}.25", "", quarter_hour(n), quarter_hour(n + 1))
                                    for n in range(96)]}),
])
def test_round_trip_validates_and_reads_back(release, on, pid, point, values):
    built = native.build_mscons(pid, GLN_MS, GLN_MR, point, on=on, obis="1-1:1.8.0", **values)
    report = native.validate_edifact(native.build_interchange(GLN_MS, GLN_MR, "DAR1", [built], on=on), on)
    (message,) = report.messages
    assert (message.is_valid, message.rules_applied) == (True, True), [f.message for f in message.errors]
    assert (message.pruefidentifikator, message.release) == (pid, release)
    segments = split(built)
    assert tagged(segments, "LOC", "172")[0][2] == [point]
    assert tagged(segments, "PIA")[0][2][0] == "1-1:1.8.0"
    given = values.get("quantities", []) + values.get("intervals", [])
    assert [(q, v, p) for q, v, _, p in line_item_values(built)] == [(g[0], g[1], tuple(g[3:])) for g in given]


def test_uncompleted_message_byte_for_byte():
    built = native.build_mscons(
        SUMMED, MS, MR, "DE0001", [("220", "1234.567", "KWH"), ("67", "0", "")],
        intervals=[("220", "1.5", "KWH", "202604010000+00", "202604010015+00")],
        release=NO_PROFILE, message_ref="M+1", document_date="20260401", obis="1-1:1.8.0")
    assert built == (
        b"UNH+M?+1+MSCONS:D:04B:UN:X9.9'BGM+7+M?+1+9'DTM+137:202604010000?+00:303'RFF+Z13:13002'"
        b"NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'UNS+D'NAD+DP'LOC+172+DE0001'LIN+1'"
        b"PIA+5+1-1?:1.8.0:SRW'QTY+220:1234.567:KWH'QTY+67:0'QTY+220:1.5:KWH'"
        b"DTM+163:202604010000?+00:303'DTM+164:202604010015?+00:303'UNT+17+M?+1'")


def line_item_values(built):
    """(qualifier, value, unit, period) of every QTY in wire order, the period from the DTMs after it."""
    values, segments = [], split(built)
    for index, segment in enumerate(segments):
        if segment[0] != "QTY":
            continue
        qty = segment[1]
        period = []
        for follower in segments[index + 1:]:
            if follower[0] != "DTM" or follower[1][0] not in ("163", "164"):
                break
            period.append(follower[1][1])
        values.append((qty[0], qty[1], qty[2] if len(qty) > 2 else "", tuple(period)))
    return values


@pytest.mark.parametrize(
    "on, release, kept",
    [("2026-04-01", None, False), ("2026-10-01", None, False), (None, NO_PROFILE, True)],
)
def test_units_the_column_does_not_list_are_refused(on, release, kept):
    call = lambda: native.build_mscons(SUMMED, MS, MR, "DE0001", [("220", "1234.567", "KWH")],  # noqa: E731
                                       on=on, release=release, document_date="20260401")
    if kept:
        assert line_item_values(call())[0][2] == "KWH"
    else:
        with pytest.raises(ValueError, match=r'^quantities\[0\]: unit "KWH" has no place in MSCONS 13002 '):
            call()


def test_quantities_come_before_intervals_on_one_line_item():
    built = native.build_mscons(SUMMED, MS, MR, "DE0001", intervals=[("220", "2", "KWH", "202604010000+00", "202604010015+00")],
                                quantities=[("220", "1", "KWH")], release=NO_PROFILE, document_date="20260401")
    assert [v[1] for v in line_item_values(built)] == ["1", "2"]
    assert len(tagged(split(built), "LIN")) == 1


LASTGANG_TEXT = ("13025 is a Lastgang: its column makes the SG10 Messperiode (DTM+163/164) Muss on every QTY, so a "
                 "bare quantity cannot be placed on the settlement grid — pass intervals= with the bounds of each value")


@pytest.mark.parametrize("intervals, release, refused", [
    (None, None, True), ([("220", "1", "KWH", "a", "b")], None, True), (None, NO_PROFILE, False)])
def test_bare_quantities_for_a_lastgang(intervals, release, refused):
    call = lambda: native.build_mscons(LASTGANG, MS, MR, "DE0001", [("220", "1", "KWH")],  # noqa: E731
                                       intervals=intervals, on="2026-04-01", release=release)
    if refused:
        with pytest.raises(ValueError, match="^13025 is a Lastgang") as raised:
            call()
        assert str(raised.value) == LASTGANG_TEXT
    else:
        assert line_item_values(call())[0] == ("220", "1", "KWH", ())


AT_LEAST_ONE = ("an MSCONS carries at least one quantity — pass quantities= for a summed or point-in-time figure, "
                "or intervals= for a Lastgang")
Q = [("220", "1", "KWH")]


@pytest.mark.parametrize(
    "args, kwargs, error, text",
    [
        ((SUMMED, MS, MR, "DE1"), {"on": "2026-04-01"}, ValueError, AT_LEAST_ONE),
        ((SUMMED, MS, MR, "DE1", []), {"intervals": [], "on": "2026-04-01"}, ValueError, AT_LEAST_ONE),
        ((SUMMED, MS, MR, "DE1"), {"on": "2026-04-01", "obis": "abc"}, ValueError, 'obis: invalid OBIS code "abc": '),
        ((SUMMED, MS, MR, "DE1", Q), {}, ValueError,
         "pass either release= or on= — a MSCONS message has no default release, and guessing one produces "
         "findings that describe the mismatch rather than the message"),
        ((9999, MS, MR, "DE1", Q), {"on": "2026-04-01"}, ValueError,
         "invalid Pruefidentifikator 9999: must be a 5-digit code in the range 10000–99999"),
        ((100000, MS, MR, "DE1", Q), {"release": "2.5"}, ValueError, "invalid Pruefidentifikator 100000"),
        ((-1, MS, MR, "DE1", Q), {"on": "2026-04-01"}, OverflowError,
         "argument 'pruefidentifikator': out of range integral type conversion"),
        ((SUMMED, MS, MR, "DE1", Q), {"on": "2025-01-01"}, ValueError, "no MSCONS profile is active on 2025-01-01"),
        ((SUMMED, MS, MR, "DE1", Q), {"release": "2.5", "on": "1. April"}, ValueError, 'invalid ISO 8601 date "1. April"'),
        ((SUMMED, MS, MR, "DE1", "220"), {"on": "2026-04-01"}, TypeError,
         "argument 'quantities': Can't extract `str` to `Vec`"),
        ((SUMMED, MS, MR, "DE1", [["220", "1", "KWH"]]), {"on": "2026-04-01"}, TypeError, "argument 'quantities': "),
        ((SUMMED, MS, MR, "DE1", [("220", "1")]), {"on": "2026-04-01"}, ValueError,
         "argument 'quantities': expected tuple of length 3, but got tuple of length 2"),
        ((SUMMED, MS, MR, "DE1"), {"intervals": [("220", "1", "KWH", "a")], "on": "2026-04-01"}, ValueError,
         "argument 'intervals': expected tuple of length 5, but got tuple of length 4"),
        ((SUMMED, MS, MR, "DE1", Q), {"on": "2026-04-01", "message_ref": None}, TypeError, "argument 'message_ref': "),
    ],
)
def test_refusals(args, kwargs, error, text):
    with pytest.raises(error) as raised:
        native.build_mscons(*args, **kwargs)
    assert str(raised.value).startswith(text)


def test_document_date_given_means_on_is_not_parsed():
    # The column takes DVGW or GS1 parties.
    built = native.build_mscons(SUMMED, "4012345000023", "4012345000016", "DE0001234567890123456789012345678",
                                [("220", "1", "")],
                                release="2.5", on="no date",
                                document_date="20261001")
    assert tagged(split(built), "DTM", "137")[0][1][1] == "202610010000+00"


# Where the column puts the metering point: the NAD that opens its group, the LOC qualifier, the
# BGM message function, and whether it has line items at all.
MALO, EIC, DAY = "41373559241", "11YR000000011247", ("202603302200+00", "202603312200+00")


@pytest.mark.parametrize("release, on", RELEASE_DATES)
@pytest.mark.parametrize("pid, point, values, nad, loc, function", [
    (SUMMED, MELO, {"quantities": [("220", "1", "")]}, "DP", ["172", MELO], "9"),
    (13010, "H0", {"intervals": [("187", "0.5", "", *DAY)]}, "DED", ["Z04", "H0"], "9"),
    (13005, EIC, {"intervals": [("79", "1", "", *DAY)]}, "Z15", ["107", EIC], "9"),
    (13006, "", {}, "DP", ["172", ""], "1"),
])
def test_the_column_names_the_point_and_its_group(release, on, pid, point, values, nad, loc, function):
    segments = split(native.build_mscons(pid, GLN_MS, GLN_MR, point, on=on, **values))
    assert tagged(segments, "BGM")[0][3] == [function]
    assert tagged(segments, "NAD", nad)[0][1:] == [[nad]]
    assert tagged(segments, "LOC", loc[0])[0][1:] == [[loc[0]], [loc[1]]]
    assert bool(tagged(segments, "QTY")) == bool(values)


def test_an_obis_code_takes_the_product_code_qualifier_the_column_admits():
    built = native.build_mscons(13013, GLN_MS, GLN_MR, MALO, [("79", "1", "")], on="2026-04-01", obis="1-1:1.8.0")
    assert tagged(split(built), "PIA")[0][2] == ["1-1:1.8.0", "Z02"]


def label(pid):
    return f"MSCONS {pid} (2.4c)"


@pytest.mark.parametrize("pid, point, values, text", [
    (13010, "H0", {"intervals": [("220", "1", "", *DAY)]},
     f'intervals[0]: QTY qualifier "220" has no place in {label(13010)}; its column admits 187'),
    (13013, MALO, {"quantities": [("79", "1", ""), ("220", "1", "")]},
     f'quantities[1]: QTY qualifier "220" has no place in {label(13013)}; its column admits 79'),
    (13021, "D0000000010", {"intervals": [("220", "1", "KWH", *DAY)]},
     f'intervals[0]: unit "KWH" has no place in {label(13021)}; its column admits D54, MTS'),
    (13013, MALO, {"intervals": [("79", "1", "", *DAY)]},
     f"intervals: {label(13013)} has no Messperiode (DTM+163/164) on its QTY — pass quantities= for its values"),
    (13020, "DE1", {"intervals": [("79", "1", "KWH", *DAY)], "obis": "1-1:1.8.0"},
     f"obis: {label(13020)} names its product with DE 7143 Z08, not with an OBIS code"),
    (13006, "", {"quantities": Q}, f"quantities: {label(13006)} has no line item in its column: it names the "
     "metering point alone, without LIN, PIA or QTY"),
    (13006, "", {"intervals": [("220", "1", "KWH", *DAY)]}, f"intervals: {label(13006)} has no line item"),
    (13006, "", {"obis": "1-1:1.8.0"}, f"obis: {label(13006)} has no line item"),
    (13006, "DE1", {}, f"metering_point: {label(13006)} has no place for it: its column writes LOC+172 without an "
     "Ortsangabe — pass an empty text"),
    (SUMMED, "", {"quantities": Q}, "metering_point is empty: the column requires a value there"),
])
def test_a_value_the_column_has_no_place_for_is_refused(pid, point, values, text):
    with pytest.raises(ValueError) as raised:
        native.build_mscons(pid, MS, MR, point, on="2026-04-01", **values)
    assert str(raised.value).startswith(text)


PERIOD_REVERSED = "DTM: period-start (qualifier 163) is after period-end (qualifier 164)"


# Each SG10 carries its own Messperiode: a reversed one is found wherever it stands.
@pytest.mark.parametrize("reversed_at", [0, 2, 4])
def test_a_reversed_interval_is_reported_and_refused_where_it_stands(reversed_at):
    on = "2026-04-01"
    intervals = [("220", f"{n}.25", "", quarter_hour(n), quarter_hour(n + 1)) for n in range(5)]
    in_order = native.build_mscons(LASTGANG, GLN_MS, GLN_MR, MALO, on=on, intervals=intervals)
    period = lambda start, end: f"DTM+163:{start}:303'DTM+164:{end}:303'".replace("+00:", "?+00:").encode()  # noqa: E731
    start, end = intervals[reversed_at][3:]
    assert in_order.count(period(start, end)) == 1
    report = native.validate_edifact(in_order.replace(period(start, end), period(end, start)), on)
    (message,) = report.messages
    assert [f.rule_id for f in message.errors] == ["SEM-MSCONS-PERIOD-ORDER"]

    intervals[reversed_at] = (*intervals[reversed_at][:3], intervals[reversed_at][4], intervals[reversed_at][3])
    with pytest.raises(ValueError) as raised:
        native.build_mscons(LASTGANG, GLN_MS, GLN_MR, MALO, on=on, intervals=intervals)
    assert str(raised.value) == (f"intervals[{reversed_at}]: the column of MSCONS 13025 (2.4c) does not admit what it "
                                 f"writes — {PERIOD_REVERSED}")


# -- properties -----------------------------------------------------------------------------------

from hypothesis import HealthCheck, given, settings, strategies as st  # noqa: E402

TEXT = st.text(alphabet="aZ09 .,-+:?'äß€", max_size=20)
INSTANT = st.datetimes(min_value=datetime.datetime(1000, 1, 1)).map(lambda d: d.strftime("%Y%m%d%H%M") + "+00")
PROPERTY = settings(max_examples=150, deadline=None, suppress_health_check=[HealthCheck.too_slow])


@PROPERTY
@given(quantities=st.lists(st.tuples(TEXT, TEXT, TEXT), max_size=5),
       intervals=st.lists(st.tuples(TEXT, TEXT, TEXT, INSTANT, INSTANT), max_size=5),
       point=TEXT)
def test_property_values_read_back(quantities, intervals, point):
    if not quantities and not intervals:
        return
    built = native.build_mscons(SUMMED, MS, MR, point, quantities, intervals=intervals, release=NO_PROFILE,
                                document_date="20260401")
    assert tagged(split(built), "LOC", "172")[0][2] == [point]
    assert line_item_values(built) == [(q, v, u, ()) for q, v, u in quantities] + \
        [(q, v, u, (s, e)) for q, v, u, s, e in intervals]


WILD = st.one_of(st.none(), st.text(max_size=200), st.integers(min_value=-2**70, max_value=2**70),
                 st.lists(st.one_of(st.text(max_size=4), st.tuples(*[st.text(max_size=4)] * 3),
                                    st.tuples(*[st.text(max_size=4)] * 5), st.tuples(st.integers())), max_size=3),
                 st.binary(max_size=4))


@PROPERTY
@given(pid=st.one_of(st.sampled_from([SUMMED, LASTGANG]), WILD), point=WILD, quantities=WILD, intervals=WILD,
       on=st.one_of(st.sampled_from(["2026-04-01", "2026-10-01"]), WILD), release=WILD, obis=WILD,
       message_ref=st.one_of(st.text(max_size=40), WILD))
def test_property_any_argument_gives_bytes_or_a_clear_error(pid, point, quantities, intervals, on, release, obis,
                                                            message_ref):
    try:
        built = native.build_mscons(pid, MS, MR, point, quantities, intervals=intervals, on=on, release=release,
                                    obis=obis, message_ref=message_ref)
    except (TypeError, ValueError, OverflowError):
        return
    except RuntimeError as refused:  # a segment the column has no place for
        assert str(refused).startswith("MSCONS completion failed: segment ")
        return
    assert built.startswith(b"UNH+") and built.endswith(b"'")


# Every SG10 whose QTY is 67 carries its Muss statuses, each counted in its own SG10.
@pytest.mark.parametrize("pid, point", [(LASTGANG, MALO), (13018, MELO)])
@pytest.mark.parametrize("substituted", [{5}, {5, 6, 40}, set(range(96))])
def test_a_lastgang_with_substitute_values_builds_clean(pid, point, substituted):
    on = "2026-04-01"
    built = native.build_mscons(pid, GLN_MS, GLN_MR, point, on=on, intervals=[
        ("67" if n in substituted else "220", f"{n}.25", "", quarter_hour(n), quarter_hour(n + 1)) for n in range(96)])
    report = native.validate_edifact(native.build_interchange(GLN_MS, GLN_MR, "DAR1", [built], on=on), on)
    (message,) = report.messages
    assert message.is_valid, [f.message for f in message.errors]
    statuses = [segment[3][0] for segment in split(built) if segment[0] == "STS"]
    assert statuses == ["Z88", "Z74"] * len(substituted)
