"""The UNB as the MIGs lay it out and the market-partner IDs of UNB and NAD: a clean message stays
clean, each edit of it draws its finding."""

import pathlib

import pytest

from quorvane._native import validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"
SENDER = b"9900000000003"


def fixture(name):
    return (FIXTURES / name).read_bytes()


def errors(report):
    return [f.rule_id for f in report.errors]


# The same text in the UNB and in NAD+MS, as the parties of both must agree.
@pytest.mark.parametrize("sender", [b"ABCDEFGHIJKLM", b"99", b"990000000000", b"99000000000031"])
@pytest.mark.parametrize(("name", "on"), [("utilmd_55001.edi", "2025-11-01"), ("mscons_13002.edi", "2026-10-01")])
def test_a_market_partner_id_is_13_digits_in_unb_and_nad(sender, name, on):
    raw = fixture(name)
    assert validate_edifact(raw, on).is_valid
    report = validate_edifact(raw.replace(SENDER, sender), on)
    found = errors(report)
    assert found.count("PARSE-ENVELOPE-PARTNER-ID") == 1 and found.count("SEM-NAD-PARTY-ID") == 1, found
    assert not report.is_valid


def test_a_wrong_check_digit_on_a_party_is_no_finding():
    raw = fixture("utilmd_55001.edi").replace(SENDER, b"9900000000004")
    assert validate_edifact(raw, "2025-11-01").is_valid


@pytest.mark.parametrize(("reference", "valid"), [(b"", True), (b"EM", True), (b"TL", True), (b"VL", True),
                                                  (b"XX", False), (b"tl", False)])
def test_an_mscons_interchange_names_an_application_reference_its_mig_lists(reference, valid):
    raw = fixture("mscons_13002.edi").replace(b"+REF1'\n", b"+REF1++" + reference + b"'\n", 1)
    report = validate_edifact(raw, "2026-10-01")
    assert report.is_valid == valid, errors(report)
    assert errors(report) == ([] if valid else ["PARSE-ENVELOPE-APPLICATION-REFERENCE"])
    # The UTILMD MIG lists none.
    utilmd = fixture("utilmd_55001.edi").replace(b"+REF1'\n", b"+REF1++" + reference + b"'\n", 1)
    assert validate_edifact(utilmd, "2025-11-01").is_valid


# Missing, it is not also unreadable, nor a count that differs from the one found. (The MIG and
# the AHB column, which ask the element too, say so each in their own layer.)
@pytest.mark.parametrize(("name", "on"), [("utilmd_55001.edi", "2025-11-01"), ("mscons_13002.edi", "2026-10-01")])
def test_a_unt_without_a_count_is_one_envelope_finding(name, on):
    raw = fixture(name)
    unt = next(line for line in raw.split(b"\n") if line.startswith(b"UNT+"))
    report = validate_edifact(raw.replace(unt, b"UNT++" + unt.split(b"+")[2]), on)
    assert [f.rule_id for f in report.errors if f.rule_origin == "parse"] == ["PARSE-ENVELOPE-MISSING-DATA"]
    assert {f.rule_origin for f in report.errors} == {"parse", "mig", "ahb"}


# DE 0020 is an..14 characters of the UNOC set (one byte each), in the UNZ too, which repeats it.
@pytest.mark.parametrize(("reference", "valid"), [(b"R", True), (b"R" * 14, True), ("Ä".encode("latin-1") * 14, True),
                                                  (b"R" * 15, False), (b"R" * 36, False), (b"R" * 200, False)])
@pytest.mark.parametrize(("name", "on"), [("utilmd_55001.edi", "2025-11-01"), ("mscons_13002.edi", "2026-10-01")])
def test_the_interchange_reference_is_at_most_14_characters(reference, valid, name, on):
    raw = fixture(name).replace(b"+REF1'", b"+" + reference + b"'")  # the UNB's and the UNZ's
    report = validate_edifact(raw, on)
    assert errors(report) == ([] if valid else ["PARSE-ENVELOPE-REFERENCE"])
