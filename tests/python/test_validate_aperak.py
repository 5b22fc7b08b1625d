"""APERAK messages written by hand to the published structures of 2.1i and 2.2: each validates clean on a day
of its release, and a twin with one fault keeps the finding for it."""

import pytest

from answer_support import interchange
from quorvane._native import validate_edifact

MS = "9900357000004"
MR = "4012345000023"
HEAD = "DTM+137:202511031200?+00:303'RFF+ACE:DOK1'DTM+171:202511020800?+00:303'"
CONTACT = "CTA+IC+:Max Mustermann'COM+max@example.de:EM'COM+0301234567:TE'"
ERROR = "ERC+Z29'FTX+ABO+++DTM?+92 fehlt'"
WHERE = "FTX+Z02+++Vertragsbeginn'"
V21 = ("2.1i", "2025-11-05")
V22 = ("2.2", "2026-10-05")


def message(release, body):
    count = len(body.split("'")) - 1 + 2
    return f"UNH+1+APERAK:D:07B:UN:{release}'{body}UNT+{count}+1'".encode()


def nads(contact=""):
    return f"NAD+MS+{MS}::293'{contact}NAD+MR+{MR}::293'"


# (version, body of a message that follows the published structure and column, faulty twin, rule of the fault)
CASES = {
    # 2.1i: the sender's contact, SG5 RFF+ACW with the rejected message's UNH reference, no header RFF+AGO
    "2.1i negative with contact and ACW": (
        V21, f"BGM+313+APK1'{HEAD}{nads(CONTACT)}{ERROR}RFF+ACW:M1'RFF+AGO:DOK1'{WHERE}",
        lambda body: body.replace("RFF+ACW:M1'", ""), "AHB-29001-SG5-00014-MISSING"),
    "2.1i negative with the optional header AGO": (
        V21, f"BGM+313+APK1'{HEAD}RFF+AGO:DOK1'{nads()}ERC+Z10'RFF+ACW:M1'RFF+AGO:DOK1'",
        lambda body: body.replace("ERC+Z10'RFF+ACW:M1'RFF+AGO:DOK1'", "ERC+Z10'RFF+ACW:M1'"),
        "AHB-29001-SG5-00015-MISSING"),
    "2.1i positive with contact": (
        V21, f"BGM+312+APK1'{HEAD}{nads(CONTACT)}",
        lambda body: body.replace(":EM'", ":XX'"), "AHB-29002-00010-COM-3155"),
    # 2.2: the header RFF+AGO is required, the Ortsangabe FTX+Z02 belongs to an AHB error code
    "2.2 negative with Ortsangabe": (
        V22, f"BGM+313+APK1'{HEAD}RFF+AGO:DOK1'{nads()}{ERROR}RFF+AGO:DOK1'{WHERE}",
        lambda body: body.replace(WHERE, ""), "AHB-29001-00017-FTX-MISSING"),
    "2.2 negative without its header AGO": (
        V22, f"BGM+313+APK1'{HEAD}RFF+AGO:DOK1'{nads()}ERC+Z10'",
        lambda body: body.replace(f"{HEAD}RFF+AGO:DOK1'", HEAD), "AHB-29001-SG2-00006-MISSING"),
    "2.2 negative on a Vorgang": (
        V22, f"BGM+313+APK1'{HEAD}RFF+AGO:DOK1'RFF+TN:VG1'{nads()}{ERROR}RFF+TN:VG1'{WHERE}",
        lambda body: body.replace(f"RFF+TN:VG1'{WHERE}", ""), "AHB-29001-SG5-00018-MISSING"),
}


def findings(version, body):
    (release, on) = version
    report = validate_edifact(interchange(message(release, body), sender=MS, recipient=MR), on)
    assert report.release == release
    return report, [f.rule_id for m in report.messages for f in m.findings]


@pytest.mark.parametrize(("version", "body", "_", "__"), CASES.values(), ids=CASES.keys())
def test_written_to_the_published_structure_validates_clean(version, body, _, __):
    report, rule_ids = findings(version, body)
    assert report.is_valid and report.messages[0].rules_applied, rule_ids
    assert rule_ids == []


@pytest.mark.parametrize(("version", "body", "spoil", "rule"), CASES.values(), ids=CASES.keys())
def test_the_faulty_twin_keeps_its_finding(version, body, spoil, rule):
    report, rule_ids = findings(version, spoil(body))
    assert not report.is_valid
    assert any(r.startswith(rule) for r in rule_ids), rule_ids
