"""build_answer carries over from the request what its column has a place for and admits, refuses naming
`received` a carried value that the column rejects, and an answer too large for the reader."""

import functools
import os
import re

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import quorvane._native as native
from answer_support import fixture, interchange, segments, tagged

T = native.UtilmdTransaction
# Under the sanitizers (QUORVANE_SANITIZE=1) every fifth record is swept.
STEP = 5 if os.environ.get("QUORVANE_SANITIZE") == "1" else 1
# Codes of the answer's kind tried with each answer beside its bare one.
CODES_PER_ANSWER = 2 if STEP > 1 else 99
PAIRS = [("9900000000003", "9900000000010"), ("9800000000008", "9812345000007"),
         ("4012345000023", "4012345000016")]
RECEIVED = r"^received: message {}, Vorgang {}: the answer must carry {}, which the column of UTILMD {} "
NOT_NAMED = 'received: message 0, Vorgang "VG1": the answer must carry a Lokation the request does not name — '
# The arguments that give what a code obliges.
OBLIGED = ("process_dates: antwort_code ", "free_texts: antwort_code ", "references: antwort_code ")


def is_utilmd(pid):
    return pid is not None and (44000 <= pid < 45000 or 55000 <= pid < 56000)


def qualifier(party):
    return {"99": "500", "98": "502"}.get(party[:2], "14")


def wrapped(message, sender, receiver):
    unb = f"{sender}:{qualifier(sender)}+{receiver}:{qualifier(receiver)}"
    return interchange(message, sender=sender, recipient=receiver).replace(f"{sender}:500+{receiver}:500".encode(),
                                                                           unb.encode())


def clean(answer, on, sender, receiver):
    report = native.validate_edifact(wrapped(answer, sender, receiver), on)
    return report.is_valid, [f"{f.rule_id}: {f.message}" for f in report.findings if f.is_error]


# Lokationen a request's Vorgang may name, each a value no sample has, the one-Lokation sets first.
NAMED = {"STROM": ([], [("malo", "50605869880")], [("melo", "DE0032106765712000000000000000037")],
                   [("malo", "50605869880"), ("melo", "DE0032106765712000000000000000037")]),
         "GAS": ([], [("172", "50605869880")], [("172", "DE0032106765712000000000000000037")],
                 [("172", "50605869880"), ("172", "DE0032106765712000000000000000037")])}
# A value of the other kind of ID, to learn whether a Lokation of the answer's column must be of its sample's kind.
OTHER_KIND = {True: "DE0032106765712000000000000000037", False: "50605869880"}


def is_id(value):
    """Whether a Lokation's value is an 11-digit ID rather than a Zählpunkt."""
    return value.isdigit() and len(value) == 11


def without(message, segment):
    """The message, UNH to UNT, without each `segment` and its UNT counting what is left."""
    found = [kept for kept in segments(message) if kept != segment]
    found[-1] = re.sub(r"^UNT\+\d+", f"UNT+{len(found)}", found[-1])
    return "".join(f"{kept}'" for kept in found).encode("latin-1")


@functools.cache
def lokationen_asked(answer_pid, on):
    """(LOC qualifier, whether an ID, or None for either kind) of each Lokation the answer's column cannot do
    without, read off the answer completion writes."""
    for sender, receiver in PAIRS:
        try:
            built = native.build_utilmd(answer_pid, sender, receiver, on=on, transactions=[T("VG1")])
        except ValueError:
            continue
        if clean(built, on, sender, receiver)[0]:
            break
    else:
        return frozenset()
    asked = set()
    for loc in dict.fromkeys(tagged(built, "LOC+")):
        qualifier, value = loc.split("+")[1:3]
        if clean(without(built, loc), on, sender, receiver)[0]:
            continue
        other = built.replace(f"{loc}'".encode(), f"LOC+{qualifier}+{OTHER_KIND[is_id(value)]}'".encode())
        asked.add((qualifier, None if clean(other, on, sender, receiver)[0] else is_id(value)))
    # A Lokation the answer refers to by an ID of its kind: a gas answer may name a Marktlokation's ID and a
    # Messlokation's Zählpunkt beside its one Meldepunkt.
    for rff in tagged(built, "RFF+Z18:") + tagged(built, "RFF+Z19:"):
        value = rff.split(":")[1]
        if is_id(value) or len(value) == 33:
            asked.add(("172" if answer_pid < 50000 else "Z16" if is_id(value) else "Z17", is_id(value)))
    return frozenset(asked)


@functools.cache
def requests_naming(request_pid, on):
    """request_of for a Vorgang naming each set of Lokationen the request's column takes."""
    found = []
    for named in NAMED["GAS" if request_pid < 50000 else "STROM"]:
        try:
            found.append(request_of(request_pid, on, (T("VG1", locations=named),)))
        except pytest.fail.Exception:
            continue
    return tuple(found)


def names_each(received, asked):
    held = [loc.split("+")[1:3] for loc in tagged(received, "LOC+")]
    return all(any(qualifier == theirs and kind in (None, is_id(value)) for theirs, value in held)
               for qualifier, kind in asked)


def request_for(request_pid, answer_pid, on):
    """(request, sender, receiver, whether it names each Lokation the answer's column asks for): the first of
    requests_naming that names them, else the first of them; None where there is none."""
    found = requests_naming(request_pid, on)
    asked = lokationen_asked(answer_pid, on)
    return next(((*built, True) for built in found if names_each(built[0], asked)),
                (*found[0], False) if found else None)


def refused_rightly(refused, received, on, names_all=True):
    """Whether a refusal is the request's own: a Lokation the answer's column asks for that the request's column
    cannot name, or a fault of the request that the refusal quotes."""
    return refused_for_the_request(refused, received, on) or (not names_all and str(refused).startswith(NOT_NAMED))


def quoted(text):
    """The quoted values of a refusal, the Vorgangsnummer and the advice aside, unescaped."""
    text = text.split("; give ")[0]
    return [re.sub(r'\\(.)', r"\1", match[1]) for match in re.finditer(r'"((?:[^"\\]|\\.)*)"', text)
            if not text[:match.start()].endswith("Vorgang ")]


def held_values(received):
    """The request's segments, their data elements and their components."""
    found = set()
    for segment in segments(received.decode("latin-1")):
        elements = re.split(r"(?<!\?)\+", segment.strip())
        found.update([segment.strip(), *elements[1:]])
        found.update(component for element in elements[1:] for component in re.split(r"(?<!\?):", element))
    return found - {""}


def refused_for_the_request(refused, received, on):
    """Whether a refusal is the request's own fault: it names `received`, the request is invalid, and it quotes a
    value the request holds."""
    text = str(refused)
    return (text.startswith("received: ") and not native.validate_edifact(received, on).is_valid
            and bool(held_values(received).intersection(quoted(text))))


def utilmd_records():
    """(on, request, answer, kind) for every Fristen record of UTILMD requests in force on each format version."""
    cases = []
    for version in native.format_versions():
        on = version.removeprefix("FV")
        for record in native.antwort_obligations():
            answers = {record.bestaetigung_pid: "ZUSTIMMUNG", record.ablehnung_pid: "ABLEHNUNG"}
            if not (is_utilmd(record.trigger_pid) and all(map(is_utilmd, answers))):
                continue
            sparte = "GAS" if record.trigger_pid < 50000 else "STROM"
            if record.trigger_pid in native.pruefidentifikatoren("UTILMD", on, sparte):
                cases += [pytest.param(on, record.trigger_pid, answer, kind, id=f"{on}-{record.trigger_pid}-{answer}")
                          for answer, kind in answers.items()]
    return cases[::STEP]


def request_of(pid, on, vorgaenge=(T("VG1"),)):
    """The request as build_utilmd builds it, wrapped for the first pair of parties it validates with."""
    for sender, receiver in PAIRS:
        try:
            built = native.build_utilmd(pid, sender, receiver, on=on, transactions=list(vorgaenge))
        except ValueError:
            continue
        if clean(built, on, sender, receiver)[0]:
            return wrapped(built, sender, receiver), sender, receiver
    pytest.fail(f"no pair of parties gives a clean request {pid}")


def vorgang_segments(message):
    """The segments of the first Vorgang: its IDE up to the next IDE or UNT."""
    found = [segment.strip() for segment in segments(message)]
    start = next(at for at, segment in enumerate(found) if segment.startswith("IDE+"))
    end = next(at for at in range(start + 1, len(found)) if found[at].startswith(("IDE+", "UNT+")))
    return found[start:end]


def assert_says_what_the_request_said(received, answer, on, sender, receiver):
    """Clean, RFF+TN the request's Vorgangsnummer, and the request's STS+7 and DTM 92/93 wherever the answer
    carries another one that the answer's column would not refuse."""
    valid, errors = clean(answer, on, sender, receiver)
    assert valid, errors
    asked, answered = vorgang_segments(received), vorgang_segments(answer)
    number = asked[0].split("+")[2]
    assert all(rff == f"RFF+TN:{number}" for rff in answered if rff.startswith("RFF+TN:"))
    for prefix, positions in (("STS+7+", (3, 4, 5)), ("DTM+92:", (1,)), ("DTM+93:", (1,))):
        theirs = next((segment.split("+") for segment in asked if segment.startswith(prefix)), None)
        ours = next((segment.split("+") for segment in answered if segment.startswith(prefix)), None)
        for at in positions:
            if theirs and ours and len(theirs) > at and theirs[at] and ours[at:at + 1] != theirs[at:at + 1]:
                mended = "+".join(ours[:at] + [theirs[at]] + ours[at + 1:])
                put_back = answer.replace(f"{'+'.join(ours)}'".encode(), f"{mended}'".encode(), 1)
                assert not clean(put_back, on, sender, receiver)[0], (ours, theirs)


def antwort_of(answer):
    """(code, tree or wire list) of the answer's STS+E01."""
    sts = next(segment for segment in segments(answer) if segment.startswith("STS+E01+"))
    code, tree, *_ = (sts.split("+")[3] + ":").split(":")
    return code, tree


def codes_of_kind(tree, kind):
    """The codes of the cluster `kind` that the tree, or the tree of a wire list, publishes, in catalogue order."""
    for name in native.entscheidungsbaeume():
        codes = native.antwort_codes(name)
        if name == tree or any(code.wire_codeliste == tree for code in codes):
            return [code.code for code in codes if code.cluster == kind and tree in (name, code.wire_codeliste)]
    return []


@pytest.mark.parametrize(("on", "request_pid", "answer_pid", "kind"), utilmd_records())
def test_a_built_request_gets_an_answer_that_says_what_it_said(on, request_pid, answer_pid, kind):
    built = request_for(request_pid, answer_pid, on)
    if built is None:
        pytest.skip("the request's column takes no Vorgang our builder writes")
    received, sender, receiver, names_all = built
    try:
        answer = native.build_answer(received, answer_pid, on=on)
    except ValueError as refused:
        assert refused_rightly(refused, received, on, names_all), str(refused)
        return
    assert_says_what_the_request_said(received, answer, on, receiver, sender)
    code, tree = antwort_of(answer)
    of_kind = codes_of_kind(tree, kind)
    assert not of_kind or code in of_kind, (code, tree, kind)
    for other in of_kind[:CODES_PER_ANSWER]:
        answer = answer_with_code(request_pid, built[0], answer_pid, on, other, tree)
        if answer is not None:
            assert antwort_of(answer[0])[0] == other
            assert_says_what_the_request_said(answer[1], answer[0], on, receiver, sender)


def answer_with_code(request_pid, received, answer_pid, on, code, tree):
    """(answer, its request) for the code, the request naming a further Lokation where the code asks for one;
    None where only the caller can give what the code asks for (an Erläuterung, a date), or where the request's
    column names no Lokation the code asks for."""
    for asked in [received] + [each[0] for each in requests_naming(request_pid, on) if each[0] != received]:
        try:
            return native.build_answer(asked, answer_pid, on=on, antwort_code=code, antwort_ebd=tree), asked
        except ValueError as refused:
            assert (str(refused).startswith(("antwort_code:", "antwort_ebd:", *OBLIGED, NOT_NAMED))
                    or refused_for_the_request(refused, asked, on)), str(refused)
            if not str(refused).startswith(NOT_NAMED):
                return None
    return None


ZAEHLPUNKT, MALO = "DE00056266802AO6G56M11SN51G21M24S", "41373559241"


@pytest.mark.parametrize("first", [ZAEHLPUNKT, MALO])
def test_of_two_meldepunkte_the_one_the_column_takes_is_answered(first):
    received, sender, receiver = request_of(44013, "2026-10-01")
    second = MALO if first == ZAEHLPUNKT else ZAEHLPUNKT
    received = received.replace(f"LOC+172+{ZAEHLPUNKT}'".encode(), f"LOC+172+{first}'LOC+172+{second}'".encode())
    count = len(segments(body_of(received))) + 1
    received = re.sub(rb"UNT\+\d+", f"UNT+{count}".encode(), received)
    answer = native.build_answer(received, 44015, on="2026-10-01")
    assert tagged(answer, "LOC+172") == [f"LOC+172+{MALO}"]
    assert clean(answer, "2026-10-01", receiver, sender)[0]


def utilmd_requests():
    """(on, request, answer PIDs of its Sparte) for every UTILMD request of a Fristen record."""
    cases = []
    for version in native.format_versions():
        on = version.removeprefix("FV")
        for sparte, band in (("GAS", range(44000, 45000)), ("STROM", range(55000, 56000))):
            known = set(native.pruefidentifikatoren("UTILMD", on, sparte))
            records = [record for record in native.antwort_obligations() if record.trigger_pid in band
                       and record.trigger_pid in known and all(map(is_utilmd, (record.bestaetigung_pid,
                                                                                record.ablehnung_pid)))]
            answers = sorted({pid for record in records for pid in (record.bestaetigung_pid, record.ablehnung_pid)
                              if pid in known})
            cases += [pytest.param(on, record.trigger_pid, answers[::STEP], id=f"{on}-{record.trigger_pid}")
                      for record in records]
    return cases


@pytest.mark.parametrize(("on", "request_pid", "answer_pids"), utilmd_requests())
def test_any_answer_pid_gives_a_clean_answer_or_a_value_error(on, request_pid, answer_pids):
    received, sender, receiver = request_of(request_pid, on)
    built = 0
    for answer_pid in answer_pids:
        try:
            answer = native.build_answer(received, answer_pid, on=on)
        except ValueError as refused:
            # Only what the request carries or lacks for this answer refuses it.
            assert str(refused).startswith(tuple(f'received: message 0, Vorgang "VG1": the answer must {verb} '
                                                 for verb in ("carry", "confirm"))), str(refused)
            continue
        valid, errors = clean(answer, on, receiver, sender)
        assert valid, (answer_pid, errors)
        built += 1
    assert built, "no answer PID of the Sparte answers the request"


ON = {"S2.1": "2025-10-01", "S2.2": "2026-10-01", "G1.1": "2026-04-01"}
GAS_PARTIES = {b"9900000000003::9": b"9800000000008::332", b"9900000000010::9": b"9812345000007::332",
               b"9900000000003:500": b"9800000000008:502", b"9900000000010:500": b"9812345000007:502"}


def with_its_parties(name):
    """The fixture, a gas one with DVGW parties, which its columns admit."""
    raw = fixture(name)
    if "_g1" not in name:
        return raw
    for bdew, dvgw in GAS_PARTIES.items():
        raw = raw.replace(bdew, dvgw)
    return raw


@pytest.mark.parametrize("name", ["utilmd_55001.edi", "utilmd_s22_55001.edi", "utilmd_55077.edi",
                                  "utilmd_g11_44001.edi"])
def test_the_fixture_requests_get_answers_their_columns_accept(name):
    received = with_its_parties(name)
    request = native.validate_edifact(received, "2026-10-01").messages[0]
    on = ON[request.release]
    assert native.validate_edifact(received, on).is_valid
    sender, receiver = (request_party.split(b":")[0].decode() for request_party in received.split(b"+")[2:4])
    for answer_pid in native.answer_pids(request.pruefidentifikator):
        try:
            answer = native.build_answer(received, answer_pid, on=on)
        except ValueError as refused:
            # The Meldepunkt of the gas request where its answer 44003 wants a MaLo-ID, and the Marktlokation and
            # Messlokation 44002 refers to beside it; the Messlokation 55078 must name, which the Anmeldung does not.
            assert (answer_pid, str(refused)[:44]) in {(44002, 'received: message 0, Vorgang "VORGANG0001": '),
                                                       (44003, 'received: message 0, Vorgang "VORGANG0001": '),
                                                       (55078, 'received: message 0, Vorgang "VORGANG0001": ')}
            continue
        assert_says_what_the_request_said(received, answer, on, receiver, sender)


@pytest.mark.parametrize(("request_pid", "answer_pid"), [(55168, 55169), (55168, 55170), (55607, 55608), (55640, 55645),
                                                         (55042, 55044), (55039, 55040), (44168, 44169)])
def test_several_vorgaenge_with_sequences_and_parties_are_answered_clean(request_pid, answer_pid):
    on = "2026-10-01"
    received, sender, receiver = request_of(request_pid, on, [T("V1"), T("V2"), T("V3")])
    assert tagged(received, "SEQ") or tagged(received, "NAD+Z0")
    answer = native.build_answer(received, answer_pid, on=on)
    assert tagged(answer, "IDE") == ["IDE+24+V1", "IDE+24+V2", "IDE+24+V3"]
    valid, errors = clean(answer, on, receiver, sender)
    assert valid, errors


A, B = "9900000000003", "9900000000010"


def request(*vorgaenge, pid=55001, release="S2.2"):
    """A request whose Vorgänge are (Vorgangsnummer, further segments)."""
    parts = ["BGM+E01+DOK1", "DTM+137:202510010000?+00:303", f"NAD+MS+{A}::293", f"NAD+MR+{B}::293"]
    # The start of the day the answer's column takes: 00:00 in Germany, the gas day 06:00.
    beginn = "202610010400" if release.startswith("G") else "202609302200"
    for number, rest in vorgaenge:
        parts += [f"IDE+24+{number}", f"DTM+92:{beginn}?+00:303", "STS+7++E01+ZW4", *rest, f"RFF+Z13:{pid}"]
    text = f"UNH+1+UTILMD:D:11A:UN:{release}'" + "".join(f"{part}'" for part in parts)
    return interchange((text + f"UNT+{len(parts) + 2}+1'").encode())


FINE = ("V0", ["LOC+Z16+51238696781"])
OPTIONAL = {"antwort_code": "A01", "references": [("Z07", "R1")], "free_texts": [("ACB", "Text")],
            "message_ref": "M7"}


@pytest.mark.parametrize("optional", [{}, OPTIONAL], ids=["bare", "optional"])
@pytest.mark.parametrize(("faulty", "carried"), [
    (("V1", ["LOC+Z16+51238696782"]), '"51238696782"'),
    (("V" * 36, ["LOC+Z16+51238696781"]), f'"{"V" * 36}"'),
])
def test_a_carried_value_the_column_rejects_is_refused_naming_received(faulty, carried, optional):
    received = interchange(body_of(request(FINE)), body_of(request(faulty)))
    with pytest.raises(ValueError, match=RECEIVED.format(1, f'"{faulty[0]}"', carried, 55002)):
        native.build_answer(received, 55002, on="2026-10-01", message_index=1, **optional)


def body_of(raw):
    return raw[raw.index(b"UNH"):raw.rindex(b"UNZ")]


GAS = {"release": "G1.2", "pid": 44001}


@pytest.mark.parametrize(("rest", "track", "answer_pid"), [
    (["LOC+Z16+51238696781", "RFF+TN:A1", "RFF+TN:A2"], {}, 55002),
    (["LOC+Z16+51238696781", "RFF+Z60:1", "RFF+Z60:2"], {}, 55002),
    (["LOC+Z16+51238696781"] * 50, {}, 55002),
    (["LOC+172+41373559241", "RFF+TN:A1", "RFF+TN:A2"], GAS, 44003),
    (["LOC+172+41373559241", "RFF+Z60:1", "RFF+Z60:2", "RFF+Z60:3"], GAS, 44003),
])
def test_repeated_qualifiers_are_taken_over_as_far_as_the_column_has_room(rest, track, answer_pid):
    received = request(("V1", rest), **track)
    if track:
        for bdew, dvgw in {f"{A}::293": f"{GAS_A}::332", f"{B}::293": f"{GAS_B}::332"}.items():
            received = received.replace(bdew.encode(), dvgw.encode())
        received = wrapped(body_of(received), GAS_A, GAS_B)
        sender, receiver = GAS_A, GAS_B
    else:
        sender, receiver = A, B
    answer = native.build_answer(received, answer_pid, on="2026-10-01")
    assert tagged(answer, "RFF+TN") == ["RFF+TN:V1"]
    assert len(tagged(answer, "LOC+Z16")) <= 1
    valid, errors = clean(answer, "2026-10-01", receiver, sender)
    assert valid, errors


@pytest.mark.parametrize(("given", "expected"), [
    ({}, ["RFF+TN:V0", "DTM+92:202609302200?+00:303"]),
    ({"references": [("TN", "MINE")], "process_dates": [("92", "202611012300+00")]},
     ["RFF+TN:MINE", "DTM+92:202611012300?+00:303"]),
])
def test_given_arguments_win_over_the_requests_values(given, expected):
    received = request(FINE).replace(b"DTM+92:202610010000?+00", b"DTM+92:202609302200?+00")
    answer = native.build_answer(received, 55002, on="2026-10-01", **given)
    assert tagged(answer, "RFF+TN") + tagged(answer, "DTM+92") == expected


GAS_A, GAS_B = "9800000000008", "9812345000007"

# What a request's Vorgang may carry beside its DTM+92, STS+7 and RFF+Z13, each of them any number of times.
CARRIED = ["LOC+Z16+51238696781", "LOC+Z17+DE00056266802AO6G56M11SN51G21M24S", "LOC+Z22+C1234567890",
           "LOC+172+41373559241", "LOC+172+DE00056266802AO6G56M11SN51G21M24S", "LOC+Z16+51238696782",
           "RFF+TN:1", "RFF+TN:ABC", "RFF+Z60:1", "RFF+Z60:2", "RFF+Z07:R1", "RFF+Z01:7", "RFF+AGK:X",
           "DTM+93:202610012200?+00:303", "STS+7++Z36", "STS+7++E03+ZW9", "FTX+ACB+++x"]


@settings(max_examples=60)
@given(vorgaenge=st.lists(st.lists(st.sampled_from(CARRIED), max_size=8), min_size=1, max_size=3),
       gas=st.booleans())
def test_any_request_gets_a_clean_answer_or_a_refusal_naming_received(vorgaenge, gas):
    numbered = [(f"V{n}", rest) for n, rest in enumerate(vorgaenge)]
    if gas:
        received = request(*numbered, pid=44001, release="G1.2")
        for bdew, dvgw in {f"{A}::293": f"{GAS_A}::332", f"{B}::293": f"{GAS_B}::332"}.items():
            received = received.replace(bdew.encode(), dvgw.encode())
        received, sender, receiver = wrapped(body_of(received), GAS_A, GAS_B), GAS_A, GAS_B
    else:
        received, sender, receiver = request(*numbered), A, B
    for answer_pid in (44002, 44003) if gas else (55002, 55003, 55602, 55605, 55014):
        try:
            answer = native.build_answer(received, answer_pid, on="2026-10-01")
        except ValueError as refused:
            assert str(refused).startswith(("received: message 0, Vorgang ", "received: message 0, Vorgänge ")), str(refused)
            continue
        valid, errors = clean(answer, "2026-10-01", receiver, sender)
        assert valid, (answer_pid, errors)


# What a Vorgang needs beside its IDE for an answer to be built: the Beginn it confirms, the Meldepunkt it names.
BEGINN_AND_MELDEPUNKT = ("DTM+92:202610010400?+00:303", "LOC+172+41373559241")


def gas_request(count, rest=()):
    parts = ["BGM+E01+DOK1", "DTM+137:202510010000?+00:303", f"NAD+MS+{GAS_A}::332", f"NAD+MR+{GAS_B}::332",
             *(part for n in range(count) for part in (f"IDE+24+V{n}", *rest))]
    text = "UNH+1+UTILMD:D:11A:UN:G1.2'" + "".join(f"{part}'" for part in parts) + f"UNT+{len(parts) + 2}+1'"
    return wrapped(text.encode(), GAS_A, GAS_B)


# 44002 completes each bare Vorgang to 63 segments, all of which it keeps (it must name a Meldepunkt, so it is
# refused however few they are); a Vorgang with its Beginn and Meldepunkt keeps 58 once what the column does without
# is left out: 172 of them stay within the reader's 10,000 segments with UNB and UNZ.
@pytest.mark.parametrize(("count", "rest", "segments"),
                         [(159, (), "10,023"), (9990, (), "629,376"), (173, BEGINN_AND_MELDEPUNKT, "10,040")])
def test_an_answer_past_the_readers_limits_is_refused_naming_received(count, rest, segments):
    with pytest.raises(ValueError, match=rf"^received: an answer to {count} Vorgänge would hold "
                                         rf"{segments.replace(',', '')} segments \("):
        native.build_answer(gas_request(count, rest), 44002, on="2026-10-01")


# 44002 refers to a Marktlokation and a Messlokation beside the one Meldepunkt a 44001 names: however many
# Vorgänge, the request is refused naming `received`, never answered with a sample Lokation.
@pytest.mark.parametrize("count", [1, 172])
def test_an_answer_that_needs_a_lokation_the_request_cannot_name_is_refused(count):
    with pytest.raises(ValueError, match=r"^received: "):
        native.build_answer(gas_request(count, BEGINN_AND_MELDEPUNKT), 44002, on="2026-10-01")


# The answers repeat the requests' own groups and so are larger than their requests: the most Vorgänge whose answer
# the reader takes are answered, one more is refused before completion.
@pytest.mark.parametrize(("request_pid", "most", "on"),
                         [(55168, 111, "2025-10-01"), (44168, 227, "2026-10-01"), (44013, 169, "2026-10-01")])
def test_the_largest_answers_the_reader_takes_are_built_and_one_more_vorgang_is_refused(request_pid, most, on):
    received, sender, receiver = request_of(request_pid, on, [T(f"V{n}") for n in range(most)])
    answer = native.build_answer(received, request_pid + 1, on=on)
    assert clean(answer, on, receiver, sender) == (True, [])
    assert len(native.validate_edifact(wrapped(answer, receiver, sender), on).messages[0].vorgaenge) == most
    received, _, _ = request_of(request_pid, on, [T(f"V{n}") for n in range(most + 1)])
    with pytest.raises(ValueError, match=rf"^received: an answer to {most + 1} Vorgänge would hold "):
        native.build_answer(received, request_pid + 1, on=on)