"""Messages made of several blocks (Vorgänge, APERAK error groups, MSCONS quantity groups), each of which
validates clean alone: together they validate clean in every order, and a faulty block draws the findings it
draws alone, no more and no fewer, whatever stands beside it."""

import collections
import itertools
import pathlib
import re

import pytest

from answer_support import interchange
from quorvane._native import validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"


def split_fixture(name, opens, closes):
    """The fixture's text before the block, the block (from `opens` up to `closes`) and the rest."""
    raw = (FIXTURES / name).read_text()
    start, end = raw.index(opens), raw.index(closes)
    return raw[:start], raw[start:end], raw[end:]


def recounted(raw):
    count = raw[raw.index("UNH+"):raw.index("UNT+")].count("'") + 1
    return re.sub(r"UNT\+\d+\+", f"UNT+{count}+", raw)


class Utilmd:
    """Vorgänge of a UTILMD fixture; each block gets its own Vorgangsnummer."""

    def __init__(self, name, on):
        self.head, self.vorgang, self.tail = split_fixture(name, "IDE+24+", "UNT+")
        self.on = on

    def message(self, blocks):
        body = "".join(block.replace("IDE+24+VORGANG0001", f"IDE+24+VORGANG{i:04}") for i, block in enumerate(blocks))
        return recounted(self.head + body + self.tail).encode()


class Mscons:
    """SG10 quantity groups of the one LIN of the MSCONS fixture."""

    def __init__(self, name, on):
        self.head, _, self.tail = split_fixture(name, "QTY+", "UNT+")
        self.on = on

    def message(self, blocks):
        return recounted(self.head + "".join(blocks) + self.tail).encode()


class Aperak:
    """SG4 error groups of an APERAK 2.1i that rejects a message."""

    MS, MR = "9900357000004", "4012345000023"
    HEAD = ("BGM+313+APK1'DTM+137:202511031200?+00:303'RFF+ACE:DOK1'DTM+171:202511020800?+00:303'"
            "NAD+MS+9900357000004::293'NAD+MR+4012345000023::293'")
    on = "2025-11-05"

    def message(self, blocks):
        body = self.HEAD + "".join(blocks)
        count = body.count("'") + 2
        return interchange(f"UNH+1+APERAK:D:07B:UN:2.1i'{body}UNT+{count}+1'".encode(), sender=self.MS,
                           recipient=self.MR)


STROM = Utilmd("utilmd_55001.edi", "2025-11-01")
STROM_OPEN = STROM.vorgang
# Befristet: the Transaktionsgrund says so, and "Ende zum" follows.
STROM_END = "DTM+92:202609302200?+00:303'\nDTM+93:202612312300?+00:303'\n"
STROM_TIMED = STROM_OPEN.replace("STS+7++E01+ZW4'", "STS+7++E01+ZW4+E01'").replace(
    "DTM+92:202609302200?+00:303'\n", STROM_END)
GAS = Utilmd("utilmd_g11_44001.edi", "2026-05-01")
GAS_OPEN = GAS.vorgang
GAS_END = "DTM+92:202609300400?+00:303'\nDTM+93:202612310500?+00:303'\n"
GAS_TIMED = GAS_OPEN.replace("STS+7++E01'", "STS+7++E01'\nSTS+Z17++E01'").replace(
    "DTM+92:202609300400?+00:303'\n", GAS_END)
MSCONS = Mscons("mscons_13002.edi", "2026-05-01")
# A true value, and a replacement value with its method and reason.
TRUE_VALUE = "QTY+220:100'\n"
REPLACEMENT = "QTY+67:100'\nSTS+Z32++Z89'\nSTS+Z40++Z74'\n"
APERAK = Aperak()
NOT_ASSIGNED = "ERC+Z17'RFF+ACW:M1'RFF+AGO:DOK1'"
# The error code that names the following Netzbetreiber.
SUCCESSOR = "ERC+Z16'RFF+ACW:M1'RFF+AGO:DOK1'RFF+Z08:9900000000003'"
AHB_ERROR = "ERC+Z29'FTX+ABO+++DTM?+92 fehlt'RFF+ACW:M1'RFF+AGO:DOK1'FTX+Z02+++Vertragsbeginn'"

KINDS = {
    "utilmd strom": (STROM, [STROM_OPEN, STROM_TIMED]),
    "utilmd gas": (GAS, [GAS_OPEN, GAS_TIMED]),
    "mscons": (MSCONS, [TRUE_VALUE, REPLACEMENT]),
    "aperak": (APERAK, [NOT_ASSIGNED, SUCCESSOR, AHB_ERROR]),
}

# (kind, faulty block, the rule its fault draws)
FAULTS = [
    ("utilmd strom", STROM_TIMED.replace("DTM+93:202612312300?+00:303'\n", ""), "AHB-55001-00024-DTM-MISSING"),
    # "Ende zum" in an unbefristet Vorgang, beside befristet ones.
    ("utilmd strom", STROM_OPEN.replace("DTM+92:202609302200?+00:303'\n", STROM_END), "AHB-55001-00024-DTM-NOT-PERMITTED"),
    ("utilmd gas", GAS_OPEN.replace("DTM+92:202609300400?+00:303'\n", GAS_END), "AHB-44001-00016-DTM-NOT-PERMITTED"),
    ("utilmd gas", GAS_TIMED.replace("DTM+93:202612310500?+00:303'\n", ""), "AHB-44001-00016-DTM-MISSING"),
    # Another method than the full block's, so that no code stands twice in the LIN's Pakete.
    ("mscons", "QTY+67:100'\nSTS+Z32++Z90'\n", "AHB-13002-00038-STS-MISSING"),
    ("aperak", SUCCESSOR.replace("RFF+Z08:9900000000003'", ""), "AHB-29001-SG5-00021-MISSING"),
]


def rule_ids(kind, blocks):
    maker, _ = KINDS[kind]
    report = validate_edifact(maker.message(blocks), maker.on)
    assert report.messages[0].rules_applied
    return collections.Counter(f.rule_id for f in report.findings)


def arrangements(blocks):
    """Every order of two blocks of different content, and every order of three (one repeated where only
    two kinds exist)."""
    two = [list(pair) for pair in itertools.permutations(blocks, 2)]
    three_of = blocks if len(blocks) >= 3 else blocks + blocks[:1]
    return two + [list(order) for order in itertools.permutations(three_of, 3)]


CLEAN = [(kind, order) for kind, (_, blocks) in KINDS.items() for order in arrangements(blocks)]


@pytest.mark.parametrize("kind", KINDS)
def test_each_block_validates_clean_alone(kind):
    _, blocks = KINDS[kind]
    for block in blocks:
        assert rule_ids(kind, [block]) == {}, block


@pytest.mark.parametrize(("kind", "order"), CLEAN, ids=[f"{kind}-{i}" for i, (kind, _) in enumerate(CLEAN)])
def test_blocks_valid_alone_are_valid_together(kind, order):
    assert rule_ids(kind, order) == {}


@pytest.mark.parametrize(("kind", "faulty", "rule"), FAULTS, ids=[f"{f[0]}-{f[2]}" for f in FAULTS])
def test_a_fault_is_reported_for_its_own_block_only(kind, faulty, rule):
    alone = rule_ids(kind, [faulty])
    assert any(r.startswith(rule) for r in alone), alone
    _, blocks = KINDS[kind]
    for others in itertools.permutations(blocks, 2):
        for at in range(3):
            order = list(others)
            order.insert(at, faulty)
            assert rule_ids(kind, order) == alone, (at, others)
