"""Occurrences the AHB bounds, and Prüfidentifikatoren a profile does not carry: each clean message
validates clean, and its edited twin draws the finding of the bound it breaks, or the error of an
unknown Prüfidentifikator."""

import pathlib
import re

import pytest

import quorvane._native as native

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"
PARTY_PAIRS = [("9900000000003", "9900000000010"), ("9800000000008", "9812345000007"),
               ("4012345000023", "4012345000016")]
MARKTLOKATION = b"LOC+Z16+51238696781'\n"
MSCONS_SG5 = re.compile(rb"NAD\+DP'.*?(?=UNT\+)", re.S)


def recounted(raw):
    """The message with its UNT count set to the segments it holds."""
    count = raw[raw.index(b"UNH+"):raw.index(b"UNT+")].count(b"'") + 1
    return re.sub(rb"UNT\+\d+\+", b"UNT+%d+" % count, raw)


def fixture(name):
    return lambda: (FIXTURES / name).read_bytes()


def built(message_type, pid, on, **arguments):
    """A message built as a typical caller builds it, for the first pair of parties that the column
    admits."""
    builder = {"UTILMD": native.build_utilmd, "ORDERS": native.build_orders, "ORDRSP": native.build_ordrsp,
               "IFTSTA": native.build_iftsta}[message_type]
    if message_type == "UTILMD":
        arguments["transactions"] = [native.UtilmdTransaction("VG1")]
    if message_type == "IFTSTA":
        arguments["vorgangsnummer"] = "1"

    def build():
        for sender, receiver in PARTY_PAIRS:
            try:
                message = builder(pid, sender, receiver, on=on, **arguments)
            except ValueError as refused:
                if not str(refused).startswith(("sender:", "receiver:")):
                    raise
                continue
            raw = native.build_interchange(sender, receiver, "DAR1", [message], on=on)
            if native.validate_edifact(raw, on).is_valid:
                return raw
        pytest.fail(f"no party pair builds a clean {pid}")
    return build


def repeated(segment):
    """The message with a second copy of the first segment that begins with `segment`."""
    def edit(raw):
        start = raw.index(segment)
        end = raw.index(b"'", start) + 1
        return recounted(raw[:end] + raw[start:end] + raw[end:])
    return edit


REPEATS = [
    # "Segment bzw. Segmentgruppe ist genau einmal je SG4 IDE (Vorgang) anzugeben": a second
    # Marktlokation in the Vorgang, and a second answer status.
    (fixture("utilmd_55001.edi"), "2025-11-01",
     lambda raw: recounted(raw.replace(MARKTLOKATION, MARKTLOKATION + b"LOC+Z16+51238696773'\n")),
     "AHB-55001-SG5-00050-MAX"),
    (built("UTILMD", 55003, "2025-10-01"), "2025-10-01", repeated(b"STS+E01"), "AHB-55003-00037-STS-MAX"),
    # "Segmentgruppe ist nur einmal je UNH anzugeben": a second delivery point in the message.
    (fixture("mscons_13002.edi"), "2026-05-01",
     lambda raw: recounted(raw.replace(b"UNT+", MSCONS_SG5.search(raw).group(0) + b"UNT+")),
     "AHB-13002-SG5-00015-MAX"),
]


@pytest.mark.parametrize(("source", "on", "edit", "rule"), REPEATS, ids=[r[3] for r in REPEATS])
def test_a_repeat_that_the_ahb_bounds_is_an_error(source, on, edit, rule):
    raw = source()
    clean = native.validate_edifact(raw, on)
    assert clean.findings == [] and clean.is_valid and clean.rules_applied, [f.rule_id for f in clean.findings]
    report = native.validate_edifact(edit(raw), on)
    found = [f for f in report.findings if f.rule_id == rule]
    assert not report.is_valid
    assert [f.rule_id for f in report.findings] == [rule]
    assert found[0].severity == "error" and "occurs 2 times" in found[0].message and "allows 1" in found[0].message


# (type, a Prüfidentifikator the release carries, one its derived AHB dropped, one it never had)
DROPPED = [
    ("ORDERS", 17102, 17103, 17199),
    ("ORDERS", 17102, 17207, 17199),
    ("ORDRSP", 19103, 19104, 19199),
    ("IFTSTA", 21013, 21015, 21099),
    ("UTILMD", 44021, 44022, 44099),
    ("UTILMD", 44021, 44172, 44099),
]


@pytest.mark.parametrize(("message_type", "carried", "dropped", "unknown"), DROPPED,
                         ids=[f"{d[0]}-{d[2]}" for d in DROPPED])
def test_a_pid_the_derived_ahb_dropped_is_as_unknown_as_any_other(message_type, carried, dropped, unknown):
    on = "2026-10-01"
    raw = built(message_type, carried, on)()
    assert native.validate_edifact(raw, on).is_valid

    def naming(pid):
        edited = raw.replace(b"RFF+Z13:%d'" % carried, b"RFF+Z13:%d'" % pid)
        assert edited != raw
        report = native.validate_edifact(edited, on)
        return report, sorted((f.rule_id, f.severity) for f in report.findings)

    (dropped_report, dropped_findings), (unknown_report, unknown_findings) = naming(dropped), naming(unknown)
    assert dropped_findings == unknown_findings
    assert not dropped_report.is_valid and not unknown_report.is_valid
    assert any(rule.endswith("-1154-CODE") for rule, _ in dropped_findings)
