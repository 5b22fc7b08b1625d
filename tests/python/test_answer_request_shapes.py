"""build_answer to requests shaped otherwise than our builder writes them, one change at a time: a party or SEQ
group standing twice, groups and dates in another order, a SEQ group after a party, a group before the Vorgang's
dates, one faulty value, a date in a format its place does not take. A valid request gets a clean answer that keeps
what it said; an invalid one a clean answer too, or a refusal naming `received` that quotes a value it holds. No
answer shows a sample of completion or another date where the request gave its own."""

from typing import NamedTuple

import pytest

import quorvane._native as native
from test_answer_carried import request_of, utilmd_records
from test_answer_edited_requests import (JUNK, ON, Answer, Edit, anmeldung_44001, anmeldung_44013, answer_of, base,
                                         clean, failures, key, listed, other_forms, rank, rebuilt, same_date,
                                         split, units, utc_of, vorgang, with_component)

# Heads of the parties other systems send twice first, then any.
PARTIES = ("NAD+Z07", "NAD+Z05", "NAD+Z09")
PER_KIND = {"a": 3, "b": 2, "c": 3, "d": 1, "e": 1, "f": 2}  # changes of a kind per request, hand-written ones aside


class Shape(NamedTuple):
    on: str
    answer_pid: int
    received: bytes
    sender: str
    receiver: str
    names_all: bool


def grouped(found):
    """(first, last) of each SG8 or SG12 group of the first Vorgang."""
    ide, end = vorgang(found)
    return [(a, b) for a, b in units(found, ide + 1, end, False) if rank(found[a])]


def twice(found):
    """a: each party group other systems send twice (else the first), then a SEQ group, standing twice."""
    spans = grouped(found)
    heads = [key(found[a]) for a, _ in spans]
    parties = [head for head in PARTIES if head in heads] or [head for head in heads if head.startswith("NAD+")][:1]
    sequences = [head for head in heads if head.startswith("SEQ+")]
    for head in parties + sequences[:1]:
        a, b = spans[heads.index(head)]
        yield f"{head} twice", found[:b] + found[a:b] + found[b:]


def reordered(found):
    """b: the Vorgang's dates, its SEQ groups and its parties each in reverse order."""
    ide, end = vorgang(found)
    dates = [at for at in range(ide + 1, end) if found[at].startswith("DTM+")]
    if len(dates) > 1:
        edited = list(found)
        for at, date in zip(dates, reversed([found[at] for at in dates])):
            edited[at] = date
        yield "dates reversed", edited
    spans = grouped(found)
    for name, tag in (("SEQ groups reversed", "SEQ+"), ("parties reversed", "NAD+")):
        chosen = [(a, b) for a, b in spans if found[a].startswith(tag)]
        if len(chosen) > 1:
            first, last = chosen[0][0], chosen[-1][1]
            if all(later[0] == earlier[1] for earlier, later in zip(chosen, chosen[1:])):
                yield name, found[:first] + [s for a, b in reversed(chosen) for s in found[a:b]] + found[last:]


def faulty(found):
    """c: a QTY+31 that is no number, a name of 80 letters, a CCI and a CAV code no column knows, a segment of a
    group standing twice, a Lokation or a reference of the Vorgang standing twice."""
    spans = grouped(found)
    inner = [at for a, b in spans for at in range(a + 1, b)]
    for at in inner:
        if found[at].startswith("QTY+31:"):
            yield "QTY+31 no number", found[:at] + [with_component(found[at], 1, 1, "5OOO")] + found[at + 1:]
            break
    for a, _ in spans:
        if found[a].startswith("NAD+") and split(found[a], "+")[4:5] and split(found[a], "+")[4][:1].isalpha():
            long = with_component(found[a], 4, 0, "Schmidt" + "x" * 73)
            yield "name of 80", found[:a] + [long] + found[a + 1:]
            break
    for tag, element in (("CCI+", 3), ("CAV+", 1)):
        for at in inner:
            elements = split(found[at], "+")
            chosen = element if found[at].startswith(tag) and len(elements) > element and elements[element] else 1
            if found[at].startswith(tag) and split(elements[chosen], ":")[0]:
                junk = with_component(found[at], chosen, 0, JUNK)
                yield f"{tag[:3]} code unknown", found[:at] + [junk] + found[at + 1:]
                break
    if inner:
        at = inner[0]
        yield f"{key(found[at])} twice", found[:at + 1] + found[at:]
    ide, end = vorgang(found)
    for tag in ("LOC+", "RFF+"):
        at = next((at for at in range(ide + 1, end) if found[at].startswith(tag)), None)
        if at is not None and not rank(found[at]) and at < min([a for a, _ in spans] + [end]):
            yield f"{key(found[at])} twice", found[:at + 1] + found[at:]


def redated(found):
    """d: a date of the Vorgang, its process dates aside, in a format its place does not take: a time as its Berlin
    day, a day or a month's day as its start."""
    ide, end = vorgang(found)
    for at in range(ide + 1, end):
        segment = found[at]
        if not segment.startswith("DTM+") or segment.startswith(("DTM+92:", "DTM+93:")):
            continue
        qualifier, value, form = (split(segment, ":") + ["", ""])[:3]
        if form == "106" and len(value) == 4:
            changed = f"{qualifier}:2026{value}0400?+00:303"
        else:
            changed = next(iter(other_forms(segment, ["102"] if form == "303" else ["303"])), None)
        if changed and changed != segment:
            yield f"{split(segment, ':')[0]} as {changed[-3:]}", found[:at] + [changed] + found[at + 1:]
            return


def behind(found):
    """e: the first SEQ group standing after the first party, which the MIG puts after every SEQ group."""
    spans = grouped(found)
    sequences = [(a, b) for a, b in spans if found[a].startswith("SEQ+")]
    parties = [(a, b) for a, b in spans if found[a].startswith("NAD+")]
    if sequences and parties and sequences[0][1] <= parties[0][0]:
        (a, b), (party, d) = sequences[0], parties[0]
        yield f"{key(found[a])} after {key(found[party])}", found[:a] + found[b:d] + found[a:b] + found[d:]


def foremost(found):
    """f: the first SEQ group and the first party each standing right after the IDE, before the Vorgang's own dates,
    which the MIG puts before every group."""
    ide, _ = vorgang(found)
    spans = grouped(found)
    for tag in ("SEQ+", "NAD+"):
        a, b = next(((a, b) for a, b in spans if found[a].startswith(tag)), (None, None))
        if a is not None and any(found[at].startswith("DTM+") for at in range(ide + 1, a)):
            yield f"{key(found[a])} before the dates", found[:ide + 1] + found[a:b] + found[ide + 1:a] + found[b:]


CHANGES = {"a": twice, "b": reordered, "c": faulty, "d": redated, "e": behind, "f": foremost}


def shapes(found, per_kind):
    for kind, change in CHANGES.items():
        for label, edited in list(change(found))[:per_kind.get(kind, 99)]:
            yield kind, label, rebuilt(edited)


def cases():
    found = []
    for record in utilmd_records():
        on, request_pid, answer_pid, _ = record.values
        start = on == ON and base(on, request_pid, answer_pid)
        if start:
            found += [pytest.param(Shape(on, answer_pid, edited, *start[1:]), id=f"{record.id}-{kind}-{label}")
                      for kind, label, edited in shapes(listed(start[0]), PER_KIND)]
    for name, request, answer_pid in (("44013", anmeldung_44013, 44014), ("44001", anmeldung_44001, 44002)):
        received, sender, receiver = request()
        # 44002 refers to a Marktlokation and a Messlokation beside the one Meldepunkt a 44001 names.
        found += [pytest.param(Shape(ON, answer_pid, edited, sender, receiver, answer_pid != 44002),
                               id=f"{name}-own-{answer_pid}-{kind}-{label}")
                  for kind, label, edited in shapes(listed(received), {})]
    return found


def dated_otherwise(answer, asked):
    """A date of the answer where the request gave its own of that qualifier, which in the answer's format would
    stand clean."""
    theirs = {key(segment): segment for segment in asked if segment.startswith("DTM+")}
    for ours in answer.answered:
        their = theirs.get(key(ours)) if ours.startswith("DTM+") else None
        if their is None or key(ours) in ("DTM+92", "DTM+93") or same_date(ours, their):
            continue
        form = split(ours, ":")[-1]
        for trial in dict.fromkeys([their, utc_of(their), *other_forms(their, [form])]):
            if not answer.with_instead(ours, trial):
                return f"{ours} where the request says {their}"
    return None


@pytest.mark.parametrize("shape", cases())
def test_a_reshaped_request_gets_a_clean_answer_with_its_own_values(shape):
    answer = answer_of(shape.received, shape.answer_pid, shape.on)
    failed = failures(Edit("", "", shape.received), answer, shape.on, shape.sender, shape.receiver, shape.names_all)
    valid = native.validate_edifact(shape.received, shape.on).is_valid
    if not valid:
        failed.pop("3", None)  # what an invalid request said may be what went
    if not isinstance(answer, ValueError):
        found = listed(answer)
        judged = Answer(found, 0, lambda edited: clean(rebuilt(edited), shape.on, shape.receiver, shape.sender)[1])
        received = listed(shape.received)
        failed["5"] = dated_otherwise(judged, received[slice(*vorgang(received))])
    assert not {name: fault for name, fault in failed.items() if fault}, (valid, failed)


@pytest.mark.parametrize("dates", [["DTM+158:202501312300?+00:303"],
                                   ["DTM+158:202501312300?+00:303", "DTM+159:202512312300?+00:303"]],
                         ids=["158", "158 and 159"])
def test_a_date_the_mig_reads_into_its_group_is_no_date_of_the_vorgang(dates):
    """A date after a quantity of a SEQ group, where the MIG puts dates of a Vorgang's qualifiers too, stays the
    group's: the answer is the one to the request without it, not one with it as the Vorgang's."""
    found = [segment for segment in listed(base(ON, 55203, 55204)[0]) if not segment.startswith("DTM+158:")]
    end = next(at for at, segment in enumerate(found) if segment.startswith("UNT+"))
    group = ["SEQ+Z47", "QTY+Z45:100:KWH"]
    dated, bare = (rebuilt(found[:end] + group + inner + found[end:]) for inner in (dates, []))
    assert not [error for error in native.validate_edifact(dated, ON).errors if "MIG-STRUCTURE" in str(error)]
    assert answer_of(dated, 55204, ON) == answer_of(bare, 55204, ON)


@pytest.mark.parametrize(("request_pid", "answer_pid"), [(44010, 44011), (44013, 44014), (55001, 55002)])
def test_groups_before_the_dates_of_later_vorgaenge_leave_the_answer_as_to_the_request_in_order(request_pid,
                                                                                                answer_pid):
    """Of three Vorgänge, the second writes its first group and the third its first two groups right after the IDE:
    each keeps its own dates, and the answer is the one to the request in order."""
    vorgaenge = tuple(native.UtilmdTransaction(number) for number in ("V1", "V2", "V3"))
    received, _sender, _receiver = request_of(request_pid, ON, vorgaenge)
    found = listed(received)
    for nth, moved in ((1, 1), (2, 2)):
        ide, end = vorgang(found, nth)
        spans = [(a, b) for a, b in units(found, ide + 1, end, False) if rank(found[a])][:moved]
        first, last = spans[0][0], spans[-1][1]
        found = found[:ide + 1] + found[first:last] + found[ide + 1:first] + found[last:]
    assert answer_of(rebuilt(found), answer_pid, ON) == answer_of(received, answer_pid, ON)


# A Beginn one month after the Vorgang's own, in the form its column takes: a day's start in Germany, for gas 06:00.
LATER_BEGINN = {"202609302200?+00": "DTM+92:202610312300?+00:303", "202609300400?+00": "DTM+92:202610310500?+00:303"}


@pytest.mark.parametrize(("request_pid", "answer_pid", "after"), [
    (55001, 55002, "CCI+Z66"), (55001, 55002, "NAD+Z04"), (44013, 44014, "CAV+KAS"), (44013, 44014, "NAD+DP")])
def test_a_second_beginn_after_a_group_leaves_the_vorgangs_own_confirmed(request_pid, answer_pid, after):
    """A DTM+92 written again after a group of the Vorgang is read where the Vorgang's dates stand, behind the one
    right after the IDE: the answer confirms that one, as to the request without the second."""
    received, _, _ = request_of(request_pid, ON)
    found = listed(received)
    own = next(segment for segment in found if segment.startswith("DTM+92:"))
    at = next(at for at, segment in enumerate(found) if segment.startswith(after))
    later = rebuilt(found[:at + 1] + [LATER_BEGINN[split(own, ":")[1]]] + found[at + 1:])
    answer = native.build_answer(later, answer_pid, on=ON)
    assert [segment for segment in listed(answer) if segment.startswith("DTM+92:")] == [own]
    assert answer == native.build_answer(received, answer_pid, on=ON)
