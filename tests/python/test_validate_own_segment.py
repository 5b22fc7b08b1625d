"""Texts that point at the row's own segment ("in diesem RFF", "in diesem STS", "in demselben
COM") are decided on the segment whose value is checked: two occurrences that are each valid
alone stay valid together, in either order, and a faulty one draws its finding alone."""

import itertools
import pathlib
import re

import pytest

from quorvane._native import build_iftsta, validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"
ON = "2026-05-01"


def recounted(raw):
    count = raw[raw.index(b"UNH+"):raw.index(b"UNT+")].count(b"'") + 1
    return re.sub(rb"UNT\+\d+\+", b"UNT+%d+" % count, raw)


def utilmd_55035(occurrences):
    """The Lokationsbündelstruktur SG8 (SEQ+ZD5 with its RFF) once per occurrence."""
    raw = (FIXTURES / "utilmd_55035.edi").read_bytes()
    return recounted(raw.replace(b"SEQ+ZD5'\nRFF+Z31:5503500000000:1'\n",
                                 b"".join(b"SEQ+ZD5'\n%s'\n" % rff for rff in occurrences)))


def iftsta_21039(occurrences):
    """One Vorgang (SG14) per Sperren status; a successful one carries its date."""
    built = build_iftsta(21039, "9900000000003", "9900000000010", vorgangsnummer="1", on=ON)
    head, tail = built[:built.index(b"CNI+")], built[built.index(b"UNT+"):]
    vorgaenge = b"".join(
        b"CNI+%d'LOC+172+41373559241'%s'RFF+Z13:21039'%s" % (
            n + 1, sts, b"DTM+293:202605010000?+00:303'" if b"+Z14+" in sts else b"")
        for n, sts in enumerate(occurrences))
    return b"UNB+UNOC:3+9900000000003:500+9900000000010:500+260401:1200+REF1'" + recounted(
        head + vorgaenge + tail) + b"UNZ+1+REF1'"


def iftsta_21039_contacts(occurrences):
    """One contact (SG2 CTA) with its COM lines."""
    built = build_iftsta(21039, "9900000000003", "9900000000010", vorgangsnummer="1", on=ON)
    at = built.index(b"CNI+")
    contact = b"CTA+IC+:Mustermann'" + b"".join(b"%s'" % com for com in occurrences)
    return b"UNB+UNOC:3+9900000000003:500+9900000000010:500+260401:1200+REF1'" + recounted(
        built[:at] + contact + built[at:]) + b"UNZ+1+REF1'"


# (message, date, occurrences each valid alone, a faulty occurrence, its findings, a valid
# neighbour that the faulty one must not borrow its condition from)
CASES = [
    # 'Wenn in diesem RFF "…" im DE1153 der Code Z31 "…" vorhanden ist': the Z39 reference has no
    # number, the Z31 one must.
    pytest.param(utilmd_55035, "2025-11-01", [b"RFF+Z31:5503500000000:1", b"RFF+Z39::1"], b"RFF+Z31::1",
                 ["AHB-55035-00076-RFF-1154-MISSING"], b"RFF+Z39::1", id="utilmd-rff-333"),
    # "Wenn in diesem STS DE1131 = E_0472" ⊻ "… = E_1003" admits Z14, "… = E_0501" ⊻ "… = E_1002"
    # Z32: each on its own STS.
    pytest.param(iftsta_21039, ON, [b"STS+Z37+Z14+X:E_0472", b"STS+Z37+Z14+X:E_1003", b"STS+Z37+Z32+X:E_1002"],
                 b"STS+Z37+Z32+X:E_0472", ["AHB-21039-00103-STS-4405-CODE"], b"STS+Z37+Z32+X:E_1002",
                 id="iftsta-sts-1131"),
    # "Wenn im DE3155 in demselben COM der Code EM / TE …": the address format its own code asks for.
    pytest.param(iftsta_21039_contacts, ON, [b"COM+info@example.de:EM", b"COM+?+4930123456:TE"], b"COM+0301234:TE",
                 ["FMT-21039-00007-COM-3148-940"], b"COM+info@example.de:EM", id="iftsta-com-3155"),
]


def rule_ids(message, on):
    return [f.rule_id for f in validate_edifact(message, on).findings]


@pytest.mark.parametrize(("make", "on", "valid", "faulty", "findings", "neighbour"), CASES)
def test_occurrences_valid_alone_stay_valid_together(make, on, valid, faulty, findings, neighbour):
    for occurrence in valid:
        assert rule_ids(make([occurrence]), on) == [], occurrence
    for pair in itertools.permutations(valid, 2):
        assert rule_ids(make(list(pair)), on) == [], pair


@pytest.mark.parametrize(("make", "on", "valid", "faulty", "findings", "neighbour"), CASES)
def test_a_faulty_occurrence_draws_its_finding_alone(make, on, valid, faulty, findings, neighbour):
    assert rule_ids(make([faulty]), on) == findings
    assert rule_ids(make([faulty, neighbour]), on) == findings
    assert rule_ids(make([neighbour, faulty]), on) == findings
