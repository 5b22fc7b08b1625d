"""Messages whose verdict hangs on how a condition text of the AHB is read: each clean message
follows the published MIG and AHB, and its faulty twin breaks the rule that the same text makes."""

import pathlib
import re

import pytest

from quorvane._native import validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"

# The Wertegranularität and Zählwerk groups that "PIA+5+7-b?:3.0.0 …" asks for in an SG8 SEQ+Z20.
GRANULARITY = b"CCI+++ZE4'\nCAV+ZE8'\nCCI+11++Z33'\nCAV+:::5:3'\n"
BILANZKREISE = b"CCI+Z19++BK1'\nCAV+Z75'\nCCI+Z19++BK2'\nCAV+Z76'\n"
SUPPLIER_REFERENCE = b"RFF+Z59:41373559241'\nNAD+SU"
PRODUCT = b"CCI+Z66'\nCAV+ZH9:::999100000"


def fixture(name):
    return (FIXTURES / name).read_bytes()


def recounted(raw):
    """The message with its UNT count set to the segments it holds."""
    count = raw[raw.index(b"UNH+"):raw.index(b"UNT+")].count(b"'") + 1
    return re.sub(rb"UNT\+\d+\+", b"UNT+%d+" % count, raw)


def bilanzkreise(priorities):
    """One SG10 Bilanzkreis per priority code (CAV+Z75 … CAV+Z79)."""
    return lambda raw: raw.replace(BILANZKREISE, b"".join(
        b"CCI+Z19++BK%d'\nCAV+%s'\n" % (i + 1, code) for i, code in enumerate(priorities)))


def same(raw):
    return raw


CLEAN = [
    # An OBIS group of two digits ("7-20:3.0.0") fits the placeholder of "PIA+5+7-b?:3.0.0".
    ("utilmd_g11_44002.edi", "2026-05-01", same),
    # "Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang mehr als einmal vorhanden" counts over the
    # Vorgang, not inside one SG10; "fünfmal" is read as five.
    ("utilmd_g11_44001.edi", "2026-05-01", same),
    ("utilmd_g11_44001.edi", "2026-05-01",
     lambda raw: recounted(bilanzkreise([b"Z75", b"Z76", b"Z77", b"Z78", b"Z79"])(raw))),
    # "… CCI+Z66/CAV+ZH9 … der Code 9991000002933 …": another code of the Produkteigenschaft
    # leaves the Marktlokation of 55001 in place.
    ("utilmd_55001.edi", "2025-11-01", lambda raw: recounted(raw.replace(b"CCI+Z66'\n", PRODUCT + b"2420'\n"))),
    # "Wenn SG2 NAD+DP, SG3 RFF+Z59 vorhanden" holds in the supplier's SG2 too.
    ("orders_17134.edi", "2026-05-01", same),
    ("orders_17135.edi", "2026-05-01", same),
    # "Wenn STS+Z43+Z48 vorhanden, dann sind nur Codes aus dem EBD-Cluster … möglich": the
    # Wenn-part decides.
    ("iftsta_21047.edi", "2025-11-01", same),
    # "Wenn in derselben SG9 LIN die Angabe STS+10+Z38 nicht vorhanden": Beginn and Ende of one LIN.
    ("mscons_13019.edi", "2026-05-01", same),
    ("mscons_13019.edi", "2026-05-01", lambda raw: raw.replace(b"STS+10+Z36", b"STS+10+Z38").replace(
        b"STS+10+Z37", b"STS+10+Z39")),
    # 'Wenn in diesem RFF "…" im DE1153 der Code Z31 "…" vorhanden ist': the Z39 reference has no
    # number.
    ("utilmd_55035.edi", "2025-11-01", same),
    ("utilmd_55035.edi", "2025-11-01", lambda raw: raw.replace(b"RFF+Z31:5503500000000:1", b"RFF+Z39::1")),
    # "… CAV+ZH9 DE7110 der Code der Produkteigenschaft (Wertebereich) 9991000002420 (Marktprämie)":
    # the Marktprämie asks for the SG8 SEQ+Z01.
    ("utilmd_55077.edi", "2025-11-01", same),
]

TWINS = [
    ("utilmd_g11_44002.edi", "2026-05-01", lambda raw: recounted(raw.replace(GRANULARITY, b"")),
     {"AHB-44002-SG10-00114-MISSING", "AHB-44002-SG10-00116-MISSING"}),
    ("utilmd_g11_44002.edi", "2026-05-01", lambda raw: raw.replace(b"7-20?:3.0.0", b"7-20?:99.0.0"),
     {"AHB-44002-SG10-00114-NOT-PERMITTED", "AHB-44002-SG10-00116-NOT-PERMITTED"}),
    ("utilmd_g11_44001.edi", "2026-05-01", lambda raw: recounted(bilanzkreise([b"Z75"])(raw)),
     {"AHB-44001-00054-CAV-NOT-PERMITTED", "AHB-44001-00054-CAV-7111-CODE"}),
    ("utilmd_g11_44001.edi", "2026-05-01", lambda raw: recounted(bilanzkreise([b"Z75", b"Z76", b"Z77", b"Z79"])(raw)),
     {"AHB-44001-00054-CAV-7111-CODE"}),
    # The code that makes the Marktlokation a ruhende one leaves no room for LOC+Z16.
    ("utilmd_55001.edi", "2025-11-01", lambda raw: recounted(raw.replace(b"CCI+Z66'\n", PRODUCT + b"2933'\n")),
     {"AHB-55001-SG5-00050-NOT-PERMITTED"}),
    ("orders_17134.edi", "2026-05-01", lambda raw: recounted(raw.replace(SUPPLIER_REFERENCE, b"NAD+SU")),
     {"AHB-17134-SG3-00034-MISSING", "AHB-17134-00047-RFF-1153-CODE"}),
    ("orders_17135.edi", "2026-05-01", lambda raw: recounted(raw.replace(SUPPLIER_REFERENCE, b"NAD+SU")),
     {"AHB-17135-SG3-00034-MISSING", "AHB-17135-00047-RFF-1153-CODE"}),
    ("iftsta_21047.edi", "2025-11-01", lambda raw: raw.replace(b"STS+Z43+Z48+A01:E_0588'", b"STS+Z43+Z48'"),
     {"AHB-21047-00126-STS-9013-MISSING"}),
    ("mscons_13019.edi", "2026-05-01", lambda raw: raw.replace(b"STS+10+Z37", b"STS+10+Z38"),
     {"AHB-13019-00040-STS-4405-CODE"}),
    ("mscons_13019.edi", "2026-05-01", lambda raw: raw.replace(b"STS+10+Z36", b"STS+10+Z39"),
     {"AHB-13019-00040-STS-4405-CODE"}),
    ("utilmd_55035.edi", "2025-11-01", lambda raw: raw.replace(b"RFF+Z31:5503500000000:1", b"RFF+Z31::1"),
     {"AHB-55035-00076-RFF-1154-MISSING"}),
    ("utilmd_55077.edi", "2025-11-01", lambda raw: raw.replace(b"9991000002420", b"9991000002933"),
     {"AHB-55077-SG8-00115-NOT-PERMITTED"}),
]


@pytest.mark.parametrize(("name", "on", "variant"), CLEAN, ids=[f"{c[0]}-{i}" for i, c in enumerate(CLEAN)])
def test_a_message_that_follows_the_ahb_validates_clean(name, on, variant):
    raw = variant(fixture(name))
    report = validate_edifact(raw, on)
    assert report.findings == [], [(f.rule_id, f.message) for f in report.findings]
    assert report.is_valid and report.rules_applied


@pytest.mark.parametrize(("name", "on", "spoil", "rules"), TWINS, ids=[f"{t[0]}-{i}" for i, t in enumerate(TWINS)])
def test_its_faulty_twin_draws_the_finding_of_the_text(name, on, spoil, rules):
    raw = spoil(fixture(name))
    assert raw != fixture(name)
    report = validate_edifact(raw, on)
    assert not report.is_valid
    assert {f.rule_id for f in report.findings} == rules
