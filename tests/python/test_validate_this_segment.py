"""A text that points at a segment beside the row ("in diesem AJT", asked for the RFF and FTX of
a REMADV Kopf-Grund) speaks of the segment of the row's own group instance: Kopf-Gründe that
are each valid alone stay valid together, in either order, and a faulty one draws its finding
alone."""

import itertools
import re

import pytest

from quorvane._native import build_remadv, validate_edifact

ON = "2026-05-01"
INVOICE = {"rechnungsnummer": "R1", "faelliger_betrag": "100.00", "ueberweisungsbetrag": "0",
           "rechnungsdatum": "20260301"}


def remadv_33003(gruende):
    """One Kopf-Grund (SG7) per entry, written as given."""
    built = build_remadv(33003, "9900000000003", "9900000000010", on=ON, kopf_gruende=[("A25", "E_0270")], **INVOICE)
    head, tail = built[:built.index(b"AJT+")], built[built.index(b"UNS+"):]
    body = head + b"".join(b"%s'" % segment for grund in gruende for segment in grund) + tail
    count = body[body.index(b"UNH+"):body.index(b"UNT+")].count(b"'") + 1
    return re.sub(rb"UNT\+\d+\+", b"UNT+%d+" % count, body)


def rule_ids(gruende):
    return [f.rule_id for f in validate_edifact(remadv_33003(gruende), ON).findings]


# "Wenn in diesem AJT DE1082 = E_0270" ⊻ "… = E_0273" ⊻ …: with A25 the RFF+AFL is Muss, with
# A21 the FTX+Z16 (beside the FTX+ABO that A21 asks for anyway).
RFF_E0270 = (b"AJT+A25+E_0270", b"RFF+AFL:REF1")
RFF_E0273 = (b"AJT+A25+E_0273", b"RFF+AFL:REF2")
FTX_E0276 = (b"AJT+A21+E_0276", b"FTX+ABO+++1", b"FTX+Z16+++1")
VALID = [RFF_E0270, RFF_E0273, FTX_E0276]


@pytest.mark.parametrize("pair", list(itertools.permutations(VALID, 2)), ids=lambda p: f"{p[0][0]}-{p[1][0]}")
def test_kopf_gruende_valid_alone_stay_valid_together(pair):
    for grund in pair:
        assert rule_ids([grund]) == [], grund
    assert rule_ids(list(pair)) == []


@pytest.mark.parametrize(("faulty", "finding"), [
    ((b"AJT+A25+E_0277",), "AHB-33003-00018-RFF-MISSING"),
    ((b"AJT+A25+E_0210", b"RFF+AFL:REF3"), "AHB-33003-00018-RFF-NOT-PERMITTED"),
    ((b"AJT+A21+E_0273", b"FTX+ABO+++1"), "AHB-33003-00021-FTX-MISSING"),
], ids=["rff-missing", "rff-not-permitted", "ftx-missing"])
@pytest.mark.parametrize("neighbour", VALID, ids=lambda g: g[0].decode())
def test_a_faulty_kopf_grund_draws_its_finding_alone(faulty, finding, neighbour):
    assert rule_ids([faulty]) == [finding]
    assert rule_ids([faulty, neighbour]) == [finding]
    assert rule_ids([neighbour, faulty]) == [finding]


def test_completion_writes_the_reference_each_kopf_grund_asks_for():
    built = build_remadv(33003, "9900000000003", "9900000000010", on=ON,
                         kopf_gruende=[("A25", "E_0270"), ("A25", "E_0273")], **INVOICE)
    assert built.count(b"RFF+AFL:") == 2
    assert validate_edifact(built, ON).findings == []
