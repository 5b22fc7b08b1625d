"""build_answer: what is echoed from the request, what the caller adds, the release track, and failures."""

import pytest

import quorvane._native as native
from answer_support import A, B, body, fixture, interchange, tagged

UNKNOWN = "X9.9"  # no profile carries it: the builder's bytes come back uncompleted


def request(*vorgaenge, bgm="E01", release="S2.1", ref="M1", parties=(A, B, "293")):
    """One UTILMD request; each Vorgang is a list of segments after its IDE."""
    sender, receiver, agency = parties
    parts = [f"BGM+{bgm}+DOK1", "DTM+137:202510010000?+00:303", f"NAD+MS+{sender}::{agency}",
             f"NAD+MR+{receiver}::{agency}"]
    for number, rest in vorgaenge:
        parts += [f"IDE+24+{number}" if number else "IDE+24", *rest]
    text = f"UNH+{ref}+UTILMD:D:11A:UN:{release}'" + "".join(part + "'" for part in parts)
    return (text + f"UNT+{len(parts) + 2}+{ref}'").encode()


def answer(received, answer_pid=55002, **arguments):
    return native.build_answer(received, answer_pid, **{"release": UNKNOWN, "document_date": "20251101", **arguments})


def test_builder_output_without_a_column_is_exact():
    received = interchange(request(("V1", ["LOC+Z16+51238696781", "LOC+Z99+X", "LOC+Z17", "RFF+Z13:55001",
                                           "RFF+Z07:ABC", "RFF+Z01"])))
    built = answer(received, antwort_code="A36", antwort_ebd="E_0624", process_dates=[("93", "20261101")],
                   references=[("Z08", "R2")], free_texts=[("ACB", "Grüße")], message_ref="7")
    assert built == (
        "UNH+7+UTILMD:D:11A:UN:X9.9'BGM+E01+7'DTM+137:202511010000?+00:303'"
        f"NAD+MS+{B}::293'NAD+MR+{A}::293'"
        "IDE+24+V1'DTM+93:202611010000?+00:303'STS+E01++A36:E_0624'FTX+ACB+++Grüße'LOC+Z16+51238696781'"
        "RFF+Z13:55002'RFF+TN:V1'RFF+Z07:ABC'RFF+Z08:R2'UNT+15+7'"
    ).encode()


def test_every_vorgang_with_a_number_is_answered_in_order():
    received = interchange(request(("V1", []), (None, ["RFF+Z07:SKIPPED"]), ("V2", []), ("V3", ["RFF+Z07:C"])))
    built = answer(received)
    assert tagged(built, "IDE") == ["IDE+24+V1", "IDE+24+V2", "IDE+24+V3"]
    assert tagged(built, "RFF+Z07") == ["RFF+Z07:C"]


@pytest.mark.parametrize(
    ("bgm", "document_code", "expected"),
    [("E03", None, "E03"), ("E03", "E01", "E01"), (None, None, "E01")],
)
def test_document_code(bgm, document_code, expected):
    received = request(("V1", []), bgm=bgm or "E03")
    if bgm is None:
        received = received.replace(b"BGM+E03+DOK1'", b"").replace(b"UNT+7", b"UNT+6")
    built = answer(interchange(received), document_code=document_code)
    assert tagged(built, "BGM")[0].startswith(f"BGM+{expected}+")


def test_antwort_ebd_alone_sets_no_status():
    assert tagged(answer(interchange(request(("V1", []))), antwort_ebd="E_0624"), "STS") == []


def test_message_index_selects_the_request():
    received = interchange(request(("V1", []), ref="M1"), request(("V2", []), ref="M2"))
    assert tagged(answer(received, message_index=1), "IDE") == ["IDE+24+V2"]
    with pytest.raises(ValueError, match=r"^the interchange carries 2 message\(s\), so there is no message_index=2 "
                                         r"to answer$"):
        answer(received, message_index=2)


GAS_A, GAS_B = "9800000000009", "9800000000016"  # DVGW codes: the gas MIG admits no BDEW agency


@pytest.mark.parametrize(
    ("answer_pid", "sparte", "parties", "lokation"),
    [(55002, "STROM", (A, B, "293"), "LOC+Z16+51238696781"), (44003, "GAS", (GAS_A, GAS_B, "332"), "LOC+172+41373559241")],
)
def test_the_answer_pid_selects_the_track(answer_pid, sparte, parties, lokation):
    beginn = "DTM+92:202610010400?+00:303" if sparte == "GAS" else "DTM+92:202609302200?+00:303"
    received = interchange(request(("V1", [beginn, lokation]), parties=parties), sender=parties[0],
                           recipient=parties[1])
    built = native.build_answer(received, answer_pid, on="2026-10-01")
    expected = native.release_for("UTILMD", "2026-10-01", sparte)
    assert tagged(built, "UNH") == [f"UNH+1+UTILMD:D:11A:UN:{expected}"]


def test_parties_the_answer_column_does_not_take_are_refused_naming_received():
    with pytest.raises(ValueError, match=r"^received: the column of UTILMD 44002 \(G1\.2\) admits only DVGW IDs "
                                         r"\(agency 332\) or GS1 IDs \(agency 9\) for the parties, not BDEW IDs"):
        native.build_answer(interchange(request(("V1", []))), 44002, on="2026-10-01")


def received_request(release, anfrage):
    """The Anmeldung fixture as a request of the track of `release`, with that track's parties and LOC."""
    raw = fixture("utilmd_55001.edi").replace(b"S2.1", release.encode())
    if release.startswith("G"):
        raw = raw.replace(b"55001", str(anfrage).encode()).replace(b"LOC+Z16", b"LOC+172")
        # The gas day begins at 06:00.
        raw = raw.replace(b"DTM+92:202609302200", b"DTM+92:202610010400")
        return raw.replace(A.encode(), GAS_A.encode()).replace(B.encode(), GAS_B.encode()), GAS_A, GAS_B
    return raw, A, B


# One answer per UTILMD format version: (day, Sparte, request, answer, Antwortcode or None).
REPRESENTATIVE = [
    ("2025-11-01", "STROM", 55001, 55003, "A07"),
    ("2026-10-01", "STROM", 55001, 55003, "A07"),
    ("2025-11-01", "STROM", 55001, 55002, None),
    ("2026-04-01", "GAS", 44001, 44003, "A04"),
    ("2026-10-01", "GAS", 44001, 44003, "A04"),
    ("2026-10-01", "GAS", 44001, 44003, None),
]


@pytest.mark.parametrize(("on", "sparte", "anfrage", "answer_pid", "code"), REPRESENTATIVE)
def test_answers_validate_with_their_rules(on, sparte, anfrage, answer_pid, code):
    release = native.release_for("UTILMD", on, sparte)
    raw, requester, answerer = received_request(release, anfrage)
    assert answer_pid in native.answer_pids(anfrage)
    ebd = next((c.wire_codeliste for c in native.antwort_codes_for_pid(anfrage) if c.code == code), None)
    built = native.build_answer(raw, answer_pid, on=on, message_ref="ANS1", antwort_code=code, antwort_ebd=ebd)
    assert tagged(built, "UNH") == [f"UNH+ANS1+UTILMD:D:11A:UN:{release}"]
    assert tagged(built, "IDE") == ["IDE+24+VORGANG0001"]
    assert [nad.split(":")[0] for nad in tagged(built, "NAD+M")] == [f"NAD+MS+{answerer}", f"NAD+MR+{requester}"]
    if code:
        assert tagged(built, "STS+E01")[0].startswith(f"STS+E01++{code}")
    report = native.validate_edifact(interchange(built, sender=answerer, recipient=requester, ref="ANS1"), on)
    findings = [f"{finding.rule_id}: {finding.message}" for message in report.messages for finding in message.findings]
    assert report.messages[0].pruefidentifikator == answer_pid
    assert report.is_valid and report.messages[0].rules_applied, findings


BAD = "build_answer answers a UTILMD request; acknowledge other message types with build_aperak_for"
RANGE = "invalid Pruefidentifikator {}: must be a 5-digit code in the range 10000–99999"
NEITHER = "pass either release= or on= — a UTILMD message has no default release"
ONE = interchange(request(("V1", [])))


@pytest.mark.parametrize(
    ("call", "error", "text"),
    [
        (lambda: native.build_answer(b"garbage", 55002), ValueError, NEITHER),
        (lambda: answer(fixture("mscons_13002.edi"), answer_pid=5), ValueError, BAD),
        (lambda: answer(b"garbage", answer_pid=5), ValueError, "EDIFACT parse failed: "),
        (lambda: answer(body(ONE)), ValueError, 'EDIFACT parse failed: required segment UNB is missing'),
        (lambda: answer(ONE, answer_pid=9999), ValueError, RANGE.format(9999)),
        (lambda: answer(ONE, answer_pid=100000), ValueError, RANGE.format(100000)),
        (lambda: answer(ONE, answer_pid=2**32), OverflowError, ""),
        (lambda: answer(ONE, free_texts=[("ACB", "a — b")]), ValueError, "free_texts[ACB] contains '—' (U+2014) at "
                                                                         "character 2"),
        (lambda: answer(ONE, process_dates=[["93", "20261101"]]), TypeError, "argument 'process_dates'"),
        (lambda: answer(ONE, references=[("Z08", "R2", "x")]), ValueError,
         "argument 'references': expected tuple of length 2, but got tuple of length 3"),
        (lambda: answer(ONE, references="Z08"), TypeError, "argument 'references'"),
        (lambda: answer(ONE, message_ref=None), TypeError, "argument 'message_ref'"),
        (lambda: answer(ONE, message_index=-1), OverflowError, ""),
        (lambda: answer(ONE.decode()), TypeError, "argument 'received'"),
        (lambda: native.build_answer(ONE, 55002, release=None, on="2026-02-30"), ValueError, "invalid ISO 8601 date"),
        (lambda: answer(ONE, document_date=None, on="2026-02-30"), ValueError, "invalid ISO 8601 date"),
    ],
)
def test_failures(call, error, text):
    with pytest.raises(error) as raised:
        call()
    # Binding errors name the function first; every other message is checked from its start.
    message = str(raised.value)
    assert text in message if error is TypeError else message.startswith(text)

