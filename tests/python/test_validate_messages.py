"""Messages of each type validated end to end: a valid interchange per type, made by completing the
column with the generator (fixtures/), and a faulty copy that trips the rules of that type."""

import pathlib

import pytest

from quorvane._native import validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"
PERIOD_REVERSED = b"DTM+163:202610020000?+00:303'\nDTM+164:202610010000?+00:303'\n"


def fixture(name):
    return (FIXTURES / name).read_bytes()


def after(raw, anchor, inserted):
    at = raw.index(anchor) + len(anchor)
    return raw[:at] + inserted + raw[at:]


# (fixture, date, message type, Prüfidentifikator, release, faulty copy, the SEM- rules it must trip)
CASES = [
    ("utilmd_55001.edi", "2025-11-01", "UTILMD", 55001, "S2.1",
     lambda raw: raw.replace(b"LOC+Z16+51238696781", b"LOC+Z16+5123869678x"), {"SEM-UTILMD-LOKATIONS-ID"}),
    ("utilmd_s22_55001.edi", "2026-11-01", "UTILMD", 55001, "S2.2",
     lambda raw: raw.replace(b"DTM+92:202609302200?+00:303", b"DTM+92:202609302200:303"), {"SEM-DTM-VALUE"}),
    ("mscons_13002.edi", "2026-05-01", "MSCONS", 13002, "2.4c",
     lambda raw: raw.replace(b"QTY+220:100", b"QTY+220:100:Kwh").replace(b"LOC+172+DE", b"LOC+172+de"),
     {"SEM-MSCONS-LOCATION-FORMAT", "SEM-MSCONS-UNIT-UNKNOWN"}),
    ("contrl.edi", "2026-02-01", "CONTRL", None, "2.0b",
     lambda raw: raw.replace(b":14+7'", b":14+9'"), {"SEM-CONTRL-SYNTAX-CODE-UNKNOWN"}),
    ("invoic_31001.edi", "2026-05-01", "INVOIC", 31001, "2.8e",
     lambda raw: after(raw, b"DTM+137:202610010000?+00:303'\n", PERIOD_REVERSED), {"SEM-INVOIC-PERIOD-ORDER"}),
    ("remadv_33001.edi", "2026-05-01", "REMADV", 33001, "2.9e",
     lambda raw: after(raw, b"DTM+137:202610010000?+00:303'\n", PERIOD_REVERSED), {"SEM-REMADV-PERIOD-ORDER"}),
    ("orders_17001.edi", "2026-05-01", "ORDERS", 17001, "1.4b",
     lambda raw: after(raw, b"DTM+137:202610010000?+00:303'\n", PERIOD_REVERSED), {"SEM-ORDERS-PERIOD-ORDER"}),
    ("insrpt_23001.edi", "2026-02-01", "INSRPT", 23001, "1.1a",
     lambda raw: after(raw, b"LIN+1'\n", PERIOD_REVERSED), {"SEM-INSRPT-SG7-PERIOD-ORDER"}),
    # No rule pack: the same faults give no SEM- finding, only profile findings.
    ("aperak_29002.edi", "2025-11-01", "APERAK", None, "2.1i",
     lambda raw: after(raw, b"DTM+137:202610010000?+00:303'\n", PERIOD_REVERSED + b"LOC+Z16+bad'\n"), set()),
    ("iftsta_21000.edi", "2025-11-01", "IFTSTA", 21000, "2.0g",
     lambda raw: after(raw, b"DTM+137:202610010000?+00:303'\n", PERIOD_REVERSED), set()),
]


@pytest.mark.parametrize(("name", "on", "message_type", "pid", "release", "_", "__"), CASES,
                         ids=[case[0] for case in CASES])
def test_a_completed_message_is_valid(name, on, message_type, pid, release, _, __):
    report = validate_edifact(fixture(name), on)
    assert report.findings == [], [repr(f) for f in report.findings]
    assert report.is_valid and report.rules_applied and report.envelope.is_structurally_valid
    assert (report.message_type, report.pruefidentifikator, report.release) == (message_type, pid, release)
    assert report.messages[0].message_ref == "M1"


@pytest.mark.parametrize(("name", "on", "message_type", "_", "__", "spoil", "semantic"), CASES,
                         ids=[case[0] for case in CASES])
def test_a_spoilt_message_trips_the_rules_of_its_type(name, on, message_type, _, __, spoil, semantic):
    raw = spoil(fixture(name))
    assert raw != fixture(name)
    report = validate_edifact(raw, on)
    assert not report.is_valid and report.message_type == message_type
    assert {f.rule_id for f in report.by_rule("SEM-")} == semantic
    assert all(f.rule_origin == "semantic" and f.severity == "error" for f in report.by_rule("SEM-"))


def test_the_same_message_bare_and_in_its_interchange():
    raw = fixture("utilmd_55001.edi")
    bare = raw[raw.index(b"UNH+"):raw.index(b"UNZ+")]
    report = validate_edifact(bare, "2025-11-01")
    assert report.envelope is None and report.is_valid and [m.index for m in report.messages] == [0]
    assert repr(report.messages[0]) == 'MessageReport(#0 "UTILMD" pid=Some(55001) valid=true rules_applied=true findings=0)'


def test_a_bare_message_keeps_its_own_envelope_for_validation():
    raw = fixture("utilmd_55001.edi")
    una = b"UNA:+.? '" + raw
    assert validate_edifact(una, "2025-11-01").envelope is not None
    # The UNZ control reference differs: the interchange parse refuses it.
    with pytest.raises(ValueError, match="EDIFACT parse failed"):
        validate_edifact(raw.replace(b"UNZ+1+REF1", b"UNZ+1+REF2"), "2025-11-01")


def test_format_versions_decide_the_profile():
    raw = fixture("utilmd_55001.edi")
    assert validate_edifact(raw, "2026-11-01").is_valid  # S2.1 stays S2.1 after S2.2 has started
    with pytest.raises(RuntimeError, match="^validation failed: message #0 \\(UNH reference \"M1\"\\): profile for "
                                           "Utilmd release S2.1 is not yet active on 2025-09-30 \\(valid from "
                                           "2025-10-01\\)$"):
        validate_edifact(raw, "2025-09-30")
    newer = fixture("utilmd_s22_55001.edi")
    with pytest.raises(RuntimeError, match="release S2.2 is not yet active"):
        validate_edifact(newer, "2026-05-01")


@pytest.mark.parametrize(
    ("spoil", "rules_applied", "rule"),
    [
        (lambda raw: raw.replace(b"RFF+Z13:55001", b"RFF+Z13:55999"), False, "AHB-UNKNOWN-PID"),
        (lambda raw: raw.replace(b"RFF+Z13:55001", b"RFF+Z13:4"), False, "AHB-SKIP-NO-PID"),
    ],
)
def test_rules_applied_is_false_when_no_column_was_applied(spoil, rules_applied, rule):
    report = validate_edifact(spoil(fixture("utilmd_55001.edi")), "2025-11-01")
    assert report.rules_applied is rules_applied
    assert [f.rule_id for f in report.findings if f.rule_id and f.rule_id.startswith("AHB-") and "PID" in f.rule_id] \
        == [rule]


def test_an_aperak_document_number_is_no_pruefidentifikator():
    raw = fixture("aperak_29002.edi").replace(b"BGM+312+DOK29002", b"BGM+312+12345")
    report = validate_edifact(raw, "2025-11-01")
    assert report.pruefidentifikator is None and report.rules_applied
    assert report.by_rule("AHB-UNKNOWN-PID") == []


def test_an_interchange_under_its_own_una_is_validated_as_one():
    raw = fixture("utilmd_55001.edi")
    # "|" for "+", "^" for ":", "!" for "'"; the released "+" of the zone stays a plain character.
    translated = raw.replace(b"?+", b"\x00").replace(b"+", b"|").replace(b":", b"^").replace(b"'", b"!")
    report = validate_edifact(b"UNA^|.? !\r\n" + translated.replace(b"\x00", b"+"), "2025-11-01")
    assert report.envelope.control_ref == "REF1" and report.is_valid
    assert (report.pruefidentifikator, report.messages[0].vorgaenge[0].iso_date("92")) == (55001, "2026-09-30")


# A Marktlokations-ID whose check digit is wrong is refused by receivers ("Format nicht
# eingehalten"): an error, where the right one is clean.
@pytest.mark.parametrize(("name", "on"), [("utilmd_55001.edi", "2025-11-01"), ("utilmd_s22_55001.edi", "2026-11-01")])
@pytest.mark.parametrize(("malo", "rules"), [(b"51238696781", []), (b"51238696782", ["FMT-55001-00050-LOC-3225-950"]),
                                            (b"51238696780", ["FMT-55001-00050-LOC-3225-950"])])
def test_a_malo_id_check_digit_decides_the_verdict(name, on, malo, rules):
    report = validate_edifact(fixture(name).replace(b"LOC+Z16+51238696781", b"LOC+Z16+" + malo), on)
    assert [f.rule_id for f in report.errors] == rules
    assert report.is_valid == (not rules)
    for finding in report.errors:
        assert finding.message == ("LOC (Nr 00050): DE 3225 „Ortsangabe, Nummer“ is not a Marktlokations-ID: "
                                   "invalid checksum — Formatbedingung [950] of 55001")
