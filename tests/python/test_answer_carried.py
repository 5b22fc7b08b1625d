"""build_answer carries over from the request what its column has a place for and admits, refuses naming
`received` a carried value that the column rejects, and an answer too large for the reader."""

import functools
import os

import pytest

import quorvane._native as native
from answer_support import fixture, interchange, tagged

T = native.UtilmdTransaction
# Under the sanitizers (QUORVANE_SANITIZE=1) every fifth record is swept.
STEP = 5 if os.environ.get("QUORVANE_SANITIZE") == "1" else 1
PAIRS = [("9900000000003", "9900000000010"), ("9800000000008", "9812345000007"),
         ("4012345000023", "4012345000016")]
RECEIVED = r"^received: message {}, Vorgang {}: the answer must carry {}, which the column of UTILMD {} "


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


def utilmd_records():
    cases = []
    for version in native.format_versions():
        on = version.removeprefix("FV")
        for record in native.antwort_obligations():
            answers = (record.bestaetigung_pid, record.ablehnung_pid)
            if not (is_utilmd(record.trigger_pid) and all(map(is_utilmd, answers))):
                continue
            sparte = "GAS" if record.trigger_pid < 50000 else "STROM"
            if record.trigger_pid in native.pruefidentifikatoren("UTILMD", on, sparte):
                cases += [pytest.param(on, record.trigger_pid, answer, id=f"{on}-{record.trigger_pid}-{answer}")
                          for answer in answers]
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


@pytest.mark.parametrize(("on", "request_pid", "answer_pid"), utilmd_records())
def test_a_built_request_gets_an_answer_its_column_accepts(on, request_pid, answer_pid):
    received, sender, receiver = request_of(request_pid, on)
    try:
        answer = native.build_answer(received, answer_pid, on=on)
    except ValueError as refused:
        # A value the request carries that cannot stand in the answer (a Meldepunkt where the answer wants a MaLo-ID).
        assert str(refused).startswith('received: message 0, Vorgang "VG1": the answer must carry ')
        return
    valid, errors = clean(answer, on, receiver, sender)
    assert valid, errors


def kind_of(answer_pid):
    """ZUSTIMMUNG for a Bestätigung, ABLEHNUNG for an Ablehnung; None where one PID is both answers of a record."""
    kinds = {kind for record in native.antwort_obligations()
             for kind, pid in (("ZUSTIMMUNG", record.bestaetigung_pid), ("ABLEHNUNG", record.ablehnung_pid))
             if pid == answer_pid}
    return kinds.pop() if len(kinds) == 1 else None


@functools.cache
def clusters_on(name):
    """Code -> cluster of what the tree or wire code list `name` publishes; empty for one the catalogue lacks."""
    return {code.code: code.cluster for tree in native.entscheidungsbaeume() for code in native.antwort_codes(tree)
            if name in (tree, code.wire_codeliste)}


@pytest.mark.parametrize(("on", "request_pid", "answer_pid"), utilmd_records())
def test_a_bare_answer_carries_a_code_of_its_own_kind(on, request_pid, answer_pid):
    try:
        answer = native.build_answer(request_of(request_pid, on)[0], answer_pid, on=on)
    except ValueError:
        return  # refused naming received, as above
    code, _, tree = tagged(answer, "STS+E01")[0].split("+")[3].partition(":")
    published = clusters_on(tree)
    kind = kind_of(answer_pid)
    if kind in published.values():
        assert published.get(code) == kind, (code, tree)


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
            # The Meldepunkt of the gas request where its answer 44003 wants a MaLo-ID.
            assert (answer_pid, str(refused)[:44]) == (44003, 'received: message 0, Vorgang "VORGANG0001": ')
            continue
        valid, errors = clean(answer, on, receiver, sender)
        assert valid, errors


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
    for number, rest in vorgaenge:
        parts += [f"IDE+24+{number}", "DTM+92:202610010000?+00:303", "STS+7++E01+ZW4", *rest, f"RFF+Z13:{pid}"]
    text = f"UNH+1+UTILMD:D:11A:UN:{release}'" + "".join(f"{part}'" for part in parts)
    return interchange((text + f"UNT+{len(parts) + 2}+1'").encode())


FINE = ("V0", ["LOC+Z16+51238696781"])
OPTIONAL = {"antwort_code": "A01", "references": [("Z07", "R1")], "free_texts": [("ACB", "Text")],
            "message_ref": "M7"}


@pytest.mark.parametrize("optional", [{}, OPTIONAL], ids=["bare", "optional"])
@pytest.mark.parametrize(("faulty", "carried"), [
    (("V1", ["LOC+Z16+51238696782"]), '"51238696782"'),
    (("V" * 36, ["LOC+Z16+51238696781"]), f'"{"V" * 36}"'),
    (("V1", ["LOC+Z16+51238696781"] * 50), "50 LOC segments"),
])
def test_a_carried_value_the_column_rejects_is_refused_naming_received(faulty, carried, optional):
    received = interchange(body_of(request(FINE)), body_of(request(faulty)))
    with pytest.raises(ValueError, match=RECEIVED.format(1, f'"{faulty[0]}"', carried, 55002)):
        native.build_answer(received, 55002, on="2026-10-01", message_index=1, **optional)


def body_of(raw):
    return raw[raw.index(b"UNH"):raw.rindex(b"UNZ")]


GAS_A, GAS_B = "9800000000008", "9812345000007"


def bare_gas_request(count):
    parts = ["BGM+E01+DOK1", "DTM+137:202510010000?+00:303", f"NAD+MS+{GAS_A}::332", f"NAD+MR+{GAS_B}::332",
             *(f"IDE+24+V{n}" for n in range(count))]
    text = "UNH+1+UTILMD:D:11A:UN:G1.2'" + "".join(f"{part}'" for part in parts) + f"UNT+{len(parts) + 2}+1'"
    return wrapped(text.encode(), GAS_A, GAS_B)


# 44002 completes each bare Vorgang to 63 segments: 158 of them stay within the reader's 10,000 with UNB and UNZ.
@pytest.mark.parametrize(("count", "segments"), [(159, "10,023"), (9990, "629,376")])
def test_an_answer_past_the_readers_limits_is_refused_naming_received(count, segments):
    with pytest.raises(ValueError, match=rf"^received: an answer to {count} Vorgänge would hold "
                                         rf"{segments.replace(',', '')} segments \("):
        native.build_answer(bare_gas_request(count), 44002, on="2026-10-01")


def test_the_largest_answer_within_the_readers_limits_is_built_and_read():
    answer = native.build_answer(bare_gas_request(158), 44002, on="2026-10-01")
    report = native.validate_edifact(wrapped(answer, GAS_B, GAS_A), "2026-10-01")
    assert report.is_valid and len(report.messages[0].vorgaenge) == 158
