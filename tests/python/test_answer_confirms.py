"""build_answer confirms what its own request Vorgang said (its befristet part and end date, its dates, its
Lokationen), decides each Vorgang as it would alone, and makes up no Lokation and no group its column does not
need."""

import itertools
import os
import re

import pytest

import quorvane._native as native
from answer_support import segments, tagged
from test_answer_carried import (assert_says_what_the_request_said, clean, request_of, utilmd_records, vorgang_segments,
                                 wrapped)
from test_build_sweep import is_clean, parties
from test_build_vorgang_pairs import clean_kinds

T = native.UtilmdTransaction
ON = "2025-10-01"
MALO, MELOS = "50605869880", ("DE0032106765712000000000000000037", "DE0032106765712000000000000000045")
NOT_NAMED = r'^received: message 0, Vorg(ang|änge) "V\d"(, "V\d")*: the answer must carry a Lokation the request does not name — '


def with_count(raw):
    """The interchange with its UNT counting the segments it now holds."""
    found = segments(raw)
    unh = next(at for at, segment in enumerate(found) if segment.startswith("UNH"))
    unt = next(at for at, segment in enumerate(found) if segment.startswith("UNT"))
    return re.sub(rb"UNT\+\d+", f"UNT+{unt - unh + 1}".encode(), raw)


def befristet(request_pid, on, vorgaenge=(T("VG1"),)):
    """The request with the befristet part E01 in its STS+7 and DTM+93 as the Zuordnungsende."""
    received, sender, receiver = request_of(request_pid, on, vorgaenge)
    sts = next((segment for segment in segments(received) if segment.startswith("STS+7+")), None)
    if sts is None:
        return None, sender, receiver
    parts = (sts.split("+") + ["", ""])[:5]
    marked = "+".join(parts + ["E01"])
    received = received.replace(f"{sts}'".encode(), f"{marked}'".encode())
    received = re.sub(rb"DTM\+93:[^']*'", b"", received)
    received = received.replace(f"'{marked}".encode(), f"'DTM+93:202511302300?+00:303'{marked}".encode())
    return with_count(received), sender, receiver


# (request, Bestätigung) where the Bestätigung confirms a befristete Anmeldung as befristet, with its end; swept on
# every version, so that no thinning of the records and no refusal passes them by.
CONFIRMS_BEFRISTET = {(55001, 55002), (55013, 55014), (55600, 55602)}


def befristet_records():
    """The Fristen records whose request's column takes a befristet part, and those confirming it on each version."""
    takes, cases = {}, []
    for case in utilmd_records():
        on, request_pid = case.values[:2]
        if (on, request_pid) not in takes:
            received = befristet(request_pid, on=on)[0]
            takes[(on, request_pid)] = received is not None and native.validate_edifact(received, on).is_valid
        if takes[(on, request_pid)]:
            cases.append(case)
    swept = {case.values[:3] for case in cases}
    for version in native.format_versions():
        on = version.removeprefix("FV")
        known = native.pruefidentifikatoren("UTILMD", on, "STROM")
        cases += [pytest.param(on, *pair, "ZUSTIMMUNG", id=f"{on}-{pair[0]}-{pair[1]}")
                  for pair in sorted(CONFIRMS_BEFRISTET) if pair[0] in known and (on, *pair) not in swept]
    return cases


def answer_to_befristet(request_pid, answer_pid, on):
    """The befristet request and its answer (None where refused); a request naming no Marktlokation, as a
    Neuanlage does, names one when its answer must carry it."""
    for vorgang in (T("VG1"), T("VG1", locations=[("malo", MALO)])):
        received, sender, receiver = befristet(request_pid, on, (vorgang,))
        assert native.validate_edifact(received, on).is_valid
        try:
            return received, native.build_answer(received, answer_pid, on=on), sender, receiver
        except ValueError as refused:
            assert str(refused).startswith('received: message 0, Vorgang "VG1": the answer must carry '), str(refused)
            if "a Lokation the request does not name" not in str(refused):
                break
    return received, None, sender, receiver


def with_befristung_of(received, answer):
    """The answer with the request's befristet part in its STS+7 and the request's DTM+93, both together, since
    the one stands only with the other; None where it says both already or has no STS+7."""
    asked, found = vorgang_segments(received), segments(answer)
    part = next(segment for segment in asked if segment.startswith("STS+7+")).split("+")[5]
    end = next(segment for segment in asked if segment.startswith("DTM+93:"))
    sts = next((at for at, segment in enumerate(found) if segment.startswith("STS+7+")), None)
    if sts is None:
        return None
    parts = found[sts].split("+")
    parts += [""] * (6 - len(parts))
    parts[5] = part
    mended = found[:sts] + ["+".join(parts)] + found[sts + 1:]
    dtm = next((at for at in range(sts) if mended[at].startswith("DTM+93:")), None)
    if dtm is None:
        mended.insert(sts, end)
    else:
        mended[dtm] = end
    if mended == found:
        return None
    return with_count("".join(f"{segment}'" for segment in mended).encode())


@pytest.mark.parametrize(("on", "request_pid", "answer_pid", "kind"), befristet_records())
def test_every_answer_says_what_a_befristet_request_said(on, request_pid, answer_pid, kind):
    received, answer, sender, receiver = answer_to_befristet(request_pid, answer_pid, on)
    confirms = (request_pid, answer_pid) in CONFIRMS_BEFRISTET
    if answer is None:
        assert not confirms
        return
    assert_says_what_the_request_said(received, answer, on, receiver, sender)
    put_back = with_befristung_of(received, answer)
    assert put_back is None or not clean(put_back, on, receiver, sender)[0], "the answer could say it befristet"
    assert put_back is None or not confirms, "the Bestätigung does not confirm the befristet part with its end"
    if tagged(answer, "DTM+93"):
        confirmed = native.build_answer(received, answer_pid, on=on, process_dates=[("93", "202512312300+00")])
        assert tagged(confirmed, "DTM+93") == ["DTM+93:202512312300?+00:303"]


@pytest.mark.parametrize("date", ["202613302200?+00", "202609312200?+00", "2026093022?+00"])
def test_a_request_date_that_is_no_date_is_refused_naming_received(date):
    received, _, _ = request_of(55001, ON)
    received = received.replace(b"DTM+92:202609302200?+00", f"DTM+92:{date}".encode())
    with pytest.raises(ValueError, match=r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+92 '):
        native.build_answer(received, 55002, on=ON)


def test_a_reference_to_a_lokation_names_the_requests_own():
    received, _, _ = request_of(55039, ON, (T("VG1", locations=[("melo", MELOS[0])]),))
    answer = native.build_answer(received, 55040, on=ON)
    assert set(tagged(answer, "RFF+Z19")) == {f"RFF+Z19:{MELOS[0]}"}


@pytest.mark.parametrize(("request_pid", "answer_pid", "vorgang", "left_out"), [
    # No group of completion's samples the column does not need.
    (55001, 55002, {"locations": [("malo", MALO)]}, ("SEQ+", "CAV+", "LOC+Z17", "LOC+Z18")),
    (55039, 55040, {"locations": [("melo", MELOS[0])]}, ("LOC+Z16",)),
])
def test_nothing_is_made_up_that_the_column_does_not_need(request_pid, answer_pid, vorgang, left_out):
    received, sender, receiver = request_of(request_pid, ON, (T("VG1", **vorgang),))
    answer = native.build_answer(received, answer_pid, on=ON)
    assert not [segment for segment in segments(answer) if segment.startswith(left_out)]
    assert clean(answer, ON, receiver, sender)[0]


@pytest.mark.parametrize(("request_pid", "answer_pid", "vorgang"), [
    (55077, 55078, {"locations": [("malo", MALO)]}),  # the Messlokation 55078 must name
    (55001, 55002, {"transaktionsgrund_ergaenzung": "ZAP", "locations": [("malo", MALO)]}),  # its Netzlokation
])
def test_a_lokation_the_request_does_not_name_is_refused_naming_received(request_pid, answer_pid, vorgang):
    received, _, _ = request_of(request_pid, ON, (T("V1", **vorgang),))
    with pytest.raises(ValueError, match=NOT_NAMED):
        native.build_answer(received, answer_pid, on=ON)


def test_given_references_replace_the_requests_of_their_qualifier():
    received, sender, receiver = request_of(44013, "2026-10-01")
    assert tagged(received, "RFF+Z18") == ["RFF+Z18:41373559241"]
    mine = native.build_answer(received, 44014, on="2026-10-01", references=[("Z18", MALO)])
    assert tagged(mine, "RFF+Z18") == [f"RFF+Z18:{MALO}"]
    assert clean(mine, "2026-10-01", receiver, sender)[0]


# Kinds of Vorgang a request can hold; each Lokation a value no sample has, so that a made-up one shows.
KINDS = {"bare": {}, "malo": {"locations": [("malo", MALO)]}, "melo": {"locations": [("melo", MELOS[0])]},
         "melos": {"locations": [("malo", MALO), ("melo", MELOS[0]), ("melo", MELOS[1])]},
         "ende": {"locations": [("malo", MALO)], "dates": [("93", "202612312300+00")]},
         **{f"ergaenzung={code}": {"transaktionsgrund_ergaenzung": code, "locations": [("malo", MALO)]}
            for code in ("ZW4", "ZW6", "ZW7", "ZAP", "ZW8", "ZW9")}}
STEP = 5 if os.environ.get("QUORVANE_SANITIZE") == "1" else 1


def records():
    cases = []
    for on, sparte, band in (("2025-10-01", "STROM", range(55000, 56000)), ("2026-10-01", "GAS", range(44000, 45000))):
        known = native.pruefidentifikatoren("UTILMD", on, sparte)
        for record in native.antwort_obligations():
            pids = (record.trigger_pid, record.bestaetigung_pid, record.ablehnung_pid)
            if all(pid in band for pid in pids) and pids[0] in known:
                cases.append(pytest.param(on, pids[0], pids[1:], id=f"{on}-{pids[0]}"))
    return cases[::STEP]


def vorgaenge(answer):
    """The answer's Vorgänge, each its segments from IDE on."""
    found, current = [], None
    for segment in segments(answer):
        if segment.startswith("IDE+"):
            current = []
            found.append(current)
        elif segment.startswith("UNT+"):
            current = None
        if current is not None:
            current.append(segment)
    return found


def answer_to(received, answer_pid, on):
    """The answer, or None where it is refused naming `received`."""
    try:
        return native.build_answer(received, answer_pid, on=on)
    except ValueError as refused:
        assert str(refused).startswith("received: "), str(refused)
        return None


def answered(received, answer_pid, on):
    answer = answer_to(received, answer_pid, on)
    return None if answer is None else vorgaenge(answer)


@pytest.mark.parametrize(("on", "request_pid", "answer_pids"), records())
def test_each_answer_vorgang_is_what_it_would_be_alone(on, request_pid, answer_pids):
    pair = parties("UTILMD", request_pid, on)
    if pair is None:
        pytest.skip("no parties the column takes")
    kinds = clean_kinds(request_pid, pair, on, KINDS)
    alone = {(name, number, answer_pid): answered(wrapped(native.build_utilmd(
        request_pid, *pair, on=on, transactions=[T(number, **fields)]), *pair), answer_pid, on)
        for name, fields in kinds.items() for number in ("V0", "V1") for answer_pid in answer_pids}
    for (first, one), (second, other) in itertools.product(kinds.items(), repeat=2):
        try:
            built = native.build_utilmd(request_pid, *pair, on=on, transactions=[T("V0", **one), T("V1", **other)])
        except ValueError:
            continue
        if not is_clean(built, *pair, on):
            continue
        received = wrapped(built, *pair)
        for answer_pid in answer_pids:
            together = answered(received, answer_pid, on)
            each = [alone[(first, "V0", answer_pid)], alone[(second, "V1", answer_pid)]]
            if together is None:
                assert None in each, (first, second, answer_pid)
                continue
            assert together == [vorgang[0] for vorgang in each], (first, second, answer_pid)
            made_up = [segment for segment in itertools.chain(*together) if segment.startswith("LOC+")
                       and segment.split("+")[2].encode() not in received]
            assert not made_up, (first, second, answer_pid)


@pytest.mark.parametrize("answer_pid", [55169, 55170])
@pytest.mark.parametrize("count", [3, 4])
def test_vorgaenge_naming_several_messlokationen_are_each_answered_as_alone(answer_pid, count):
    pair = parties("UTILMD", 55168, ON)
    third = "DE00056266802AO6G56M11SN51G21M24S"
    named = [[MELOS[0], MELOS[1]], [MELOS[1], third], [third], [MELOS[0], third]]
    requests = [T(f"V{at}", locations=[("melo", melo) for melo in named[at]]) for at in range(count)]
    together = answered(wrapped(native.build_utilmd(55168, *pair, on=ON, transactions=requests), *pair), answer_pid, ON)
    alone = [answered(wrapped(native.build_utilmd(55168, *pair, on=ON, transactions=[each]), *pair), answer_pid, ON)
             for each in requests]
    assert together == [vorgang[0] for vorgang in alone]


def groups(found):
    """(start, end) of each SG8 group (SEQ up to the next SEQ, NAD, IDE or UNT) and SG12 group (NAD up to the next
    NAD, IDE or UNT) inside the Vorgänge of the segments."""
    spans, inside = [], False
    for start, segment in enumerate(found):
        inside = segment.startswith("IDE+") or (inside and not segment.startswith("UNT+"))
        if inside and segment.startswith(("SEQ+", "NAD+")):
            stops = ("SEQ+", "NAD+", "IDE+", "UNT+") if segment.startswith("SEQ+") else ("NAD+", "IDE+", "UNT+")
            end = next(at for at in range(start + 1, len(found)) if found[at].startswith(stops))
            spans.append((start, end))
    return spans


@pytest.mark.parametrize(("on", "request_pid", "answer_pid", "kind"), utilmd_records())
def test_no_group_of_an_answer_could_go_with_the_answer_staying_clean(on, request_pid, answer_pid, kind):
    received, sender, receiver = request_of(request_pid, on)
    answer = answer_to(received, answer_pid, on)
    if answer is None:
        return
    found, own = segments(answer), vorgang_segments(received)
    for start, end in groups(found):
        # The request's own group, which the answer may carry back on purpose.
        if all(segment in own for segment in found[start:end]):
            continue
        without = with_count("".join(f"{segment}'" for segment in found[:start] + found[end:]).encode())
        assert not clean(without, on, receiver, sender)[0], found[start:end]
