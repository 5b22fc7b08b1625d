"""A Lokation the caller names in build_answer's `references` stands in the answer, in each Vorgang it is given to,
or the call is refused naming that reference: never answered without it. Several Vorgänge that each lack a Lokation
get one each, in Vorgang order, and a Lokation the request names only in a reference stands where a given one would."""

import ast
import re

import pytest

import quorvane._native as native
from answer_support import segments, tagged
from test_answer_carried import clean, request_of
from test_answer_lokationen import ANSWER_ROUTE, MALO, followed, vendor_44001

T = native.UtilmdTransaction
ON = "2026-10-01"
MELO = "DE0032106765712000000000000000045"
GIVEN = {"Messlokation": ("Z19", MELO), "other Marktlokation": ("Z18", "61234567802"),
         "wrong check digit": ("Z18", "61234567803")}


def obligation_pairs():
    """(request, answer) of every UTILMD Fristen record in force on ON."""
    found = set()
    for record in native.antwort_obligations():
        pids = (record.trigger_pid, record.bestaetigung_pid, record.ablehnung_pid)
        if not all(pid and (44000 <= pid < 45000 or 55000 <= pid < 56000) for pid in pids):
            continue
        known = native.pruefidentifikatoren("UTILMD", ON, "GAS" if pids[0] < 50000 else "STROM")
        found |= {(pids[0], pid) for pid in pids[1:] if pids[0] in known and pid in known}
    return sorted(found)


_requests = {}


def request(pid):
    """The request naming one Marktlokation (gas: a Meldepunkt), or none where its column takes none."""
    if pid not in _requests:
        location = ("172", MALO) if pid < 50000 else ("malo", MALO)
        for vorgang in (T("VG1", locations=[location]), T("VG1")):
            try:
                _requests[pid] = request_of(pid, ON, (vorgang,))
                break
            except BaseException:  # pytest.fail where no pair of parties gives a clean request
                continue
        else:
            _requests[pid] = None
    return _requests[pid]


def vorgaenge(message):
    """The segments of each Vorgang, from its IDE up to the next."""
    found = [segment for segment in segments(message) if not segment.startswith("UNT+")]
    starts = [at for at, segment in enumerate(found) if segment.startswith("IDE+")] + [len(found)]
    return [found[start:end] for start, end in zip(starts, starts[1:])]


def holds(vorgang, value):
    return any(value in re.split(r"[+:]", segment) for segment in vorgang)


@pytest.mark.parametrize("given", GIVEN.values(), ids=GIVEN.keys())
@pytest.mark.parametrize(("request_pid", "answer_pid"), obligation_pairs())
def test_a_given_lokation_stands_in_the_answer_or_the_call_is_refused_naming_it(request_pid, answer_pid, given):
    built = request(request_pid)
    if built is None:
        pytest.skip("no clean request")
    received, sender, receiver = built
    try:
        answer = native.build_answer(received, answer_pid, on=ON, references=[given])
    except ValueError as refused:
        if not str(refused).startswith("references"):
            assert "the answer must carry a Lokation the request does not name" in str(refused), str(refused)
        elif given[1].endswith("3"):
            meldepunkt = " as Meldepunkt" if request_pid < 50000 else ""
            assert str(refused).startswith(f'references[0]: "61234567803" under Z18 names a Marktlokation{meldepunkt}, '
                                           "and is not a Marktlokations-ID: invalid checksum"), str(refused)
        return
    assert given[1] != "61234567803"
    assert all(holds(vorgang, given[1]) for vorgang in vorgaenge(answer))
    assert clean(answer, ON, receiver, sender) == (True, [])


def test_a_value_that_is_no_id_of_the_kind_its_reference_names_is_refused_saying_so():
    received, _, _ = request(44001)
    with pytest.raises(ValueError, match=r'^references\[1\]: "50605869880" under Z19 names a Messlokation as Meldepunkt, '
                                         r"and is not a Zählpunktbezeichnung: invalid length"):
        native.build_answer(received, 44002, on=ON, references=[("TN", "OWN1"), ("Z19", MALO)])


@pytest.mark.parametrize(("request_pid", "answer_pid", "references"), [
    (55077, 55078, [("Z19", MELO), ("Z18", "61234567802")]),
    (55039, 55040, [("Z19", MELO), ("Z19", "DE0032106765712000000000000000061")]),
    (55001, 55002, [("Z19", MELO)] * 2000),
    (55168, 55169, [("Z19", MELO)] * 20000),
])
def test_every_given_lokation_stands_or_its_reference_is_named(request_pid, answer_pid, references):
    received, sender, receiver = request_of(request_pid, "2025-10-01", (T("VG1", locations=[("malo", MALO)]),))
    try:
        answer = native.build_answer(received, answer_pid, on="2025-10-01", references=references)
    except ValueError as refused:
        assert str(refused).startswith("references"), str(refused)
        return
    assert all(holds(vorgaenge(answer)[0], value) for _, value in references)
    assert clean(answer, "2025-10-01", receiver, sender) == (True, [])


def test_many_zaehlpunkte_each_given_twice_stand_once_and_are_refused_past_what_the_partner_reads():
    received, _, _ = request(44001)
    distinct = [("Z19", f"DE00321067657120000000000{k:08d}") for k in range(10000)]
    with pytest.raises(ValueError, match=r"^references: the answer would hold 10012 segments, 10000 of them for the "
                                         r"references given; validate_edifact reads at most 10000 segments"):
        native.build_answer(received, 44002, on=ON, references=distinct * 2)


# Requests of two Vorgänge, each naming its own Lokation and lacking the one the answer needs.
TWO = [(44001, 44002, ON, [("172", "50074561182")], [("172", "50363191707")]),
       (55042, 55043, "2025-10-01", [("melo", "DE0032106765712000000000000000037")],
        [("melo", "DE0032106765712000000000000000053")])]
OWN = {"Zählpunktbezeichnung": ["DE0032106765712000000000000000045", "DE0032106765712000000000000000061",
                                "DE0032106765712000000000000000079"],
       "Marktlokations-ID": [native.malo_from_base(base) for base in ("7123456789", "7123456790", "7123456791")]}


def filled(values, lacking):
    """The pairs with each `...` replaced by the next own ID of the form the refusal names in turn."""
    forms = re.findall(r"the [^,]+?'s ([^,\s]+) of Vorgang", lacking)
    ids = {form: iter(OWN[form]) for form in forms}
    put = [next(ids[form]) for form in forms]
    slots = iter(put)
    return [(qualifier, next(slots) if value is ... else value) for qualifier, value in values], put


@pytest.mark.parametrize(("request_pid", "answer_pid", "on", "first", "second"), TWO)
def test_each_vorgang_gets_its_own_lokation_followed_either_way(request_pid, answer_pid, on, first, second):
    received, sender, receiver = request_of(request_pid, on, (T("VG1", locations=first), T("VG2", locations=second)))
    with pytest.raises(ValueError, match=r'^received: message 0, Vorgänge "VG1", "VG2": ') as refused:
        native.build_answer(received, answer_pid, on=on)
    refusal = str(refused.value)
    match = ANSWER_ROUTE.search(refusal)
    call = ast.parse(match[1], mode="eval").body
    fields = {keyword.arg: ast.literal_eval(keyword.value) for keyword in call.keywords}
    fields["references"], put = filled(fields["references"], match[2])
    assert len(put) == 2 and put[0] != put[1]
    answer = native.build_answer(received, answer_pid, **fields)
    assert clean(answer, on, receiver, sender) == (True, [])
    for vorgang, own, other in zip(vorgaenge(answer), put, reversed(put)):
        assert holds(vorgang, own) and not holds(vorgang, other)
    # The build_utilmd route: one transaction a Vorgang, each with its own Lokation.
    answer, _, each = followed(refusal, sender, receiver, ids=put)
    assert [fields["locations"][-1][1] for fields in each] == put
    assert clean(answer, on, receiver, sender) == (True, [])
    for vorgang, own, other in zip(vorgaenge(answer), put, reversed(put)):
        assert holds(vorgang, own) and not holds(vorgang, other)


# Requests of three Vorgänge, each naming its own Marktlokation (gas: Meldepunkt), and the Lokationen the middle one
# names beside it. Vorgänge of one shape are decided after the first, so that only its own check finds the Lokation
# they all lack; a middle one that names it is of another shape and lacks nothing.
THREE = [(55042, 55043, "2025-10-01", "malo", []),
         (55042, 55043, "2025-10-01", "malo", [("melo", "DE0032106765712000000000000000037")]),
         (44001, 44002, ON, "172", [])]


@pytest.mark.parametrize(("request_pid", "answer_pid", "on", "kind", "middle"), THREE,
                         ids=["55042-all-lack", "55042-middle-names-it", "44001-all-lack"])
def test_every_vorgang_that_lacks_the_lokation_is_named_and_gets_its_own(request_pid, answer_pid, on, kind, middle):
    received, sender, receiver = request_of(request_pid, on, [
        T(number, locations=[(kind, malo)] + (middle if number == "VG2" else []))
        for number, malo in (("VG1", "50074561182"), ("VG2", "50363191707"), ("VG3", "50605869880"))])
    lacking = ["VG1", "VG3"] if middle else ["VG1", "VG2", "VG3"]
    with pytest.raises(ValueError, match="^received: message 0, Vorgänge {}: ".format(
            ", ".join(f'"{number}"' for number in lacking))) as refused:
        native.build_answer(received, answer_pid, on=on)
    match = ANSWER_ROUTE.search(str(refused.value))
    call = ast.parse(match[1], mode="eval").body
    fields = {keyword.arg: ast.literal_eval(keyword.value) for keyword in call.keywords}
    assert [value for _, value in fields["references"]] == [...] * len(lacking)
    fields["references"], put = filled(fields["references"], match[2])
    answer = native.build_answer(received, answer_pid, **fields)
    assert clean(answer, on, receiver, sender) == (True, [])
    own = dict(zip(lacking, put)) | {"VG2": value for _, value in middle}
    for number, vorgang in zip(["VG1", "VG2", "VG3"], vorgaenge(answer)):
        assert [value for value in own.values() if holds(vorgang, value)] == [own[number]]


def test_one_given_lokation_stands_in_every_vorgang_and_another_count_is_refused():
    received, _, _ = request_of(44001, ON, (T("VG1", locations=TWO[0][3]), T("VG2", locations=TWO[0][4])))
    answer = native.build_answer(received, 44002, on=ON, references=[("Z19", MELO)])
    assert all(holds(vorgang, MELO) for vorgang in vorgaenge(answer))
    with pytest.raises(ValueError, match=r"^references: 3 IDs of a Messlokation \(Zählpunktbezeichnung\) given for 2 "
                                         r"Vorgänge, 2 of which name none: give one ID \(it stands in each Vorgang "
                                         r"that names none\) or 2, one for each of them in Vorgang order$"):
        native.build_answer(received, 44002, on=ON, references=[("Z19", MELO)] * 3)


def test_a_messlokation_the_request_names_gives_the_answer_it_gives_when_the_caller_names_it():
    named = vendor_44001(("NAD+Z05+++Schmidt:Anna::::Z01+Hauptstr. 7+Hamburg+++DE",
                          "RFF+Z19:DE0032106765712000000000000000037"))
    answer = native.build_answer(named.received, 44002, on=ON)
    given = native.build_answer(vendor_44001().received, 44002, on=ON,
                                references=[("Z19", "DE0032106765712000000000000000037")])
    assert answer == given
    assert tagged(answer, "LOC+172+") == [f"LOC+172+{MALO}", "LOC+172+DE0032106765712000000000000000037"]
