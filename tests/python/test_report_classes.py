"""The report classes: attributes, text forms, read-only copies, and the Vorgang read-back."""

import pytest

import quorvane._native as native
from quorvane._native import validate_edifact

UNB = b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'"
UTILMD = (
    b"UNH+7+UTILMD:D:11A:UN:S2.1'BGM+E01+DOC1'DTM+137:202510011200?+00:303'RFF+Z13:55001'"
    b"NAD+MS+9900000000003::293'NAD+MR+9900000000010::293'"
    b"IDE+24+V1'DTM+92:202605010000?+00:303'DTM+93:20261399'DTM+94'DTM+92:202606010000?+00:303'"
    b"STS+7++E01+ZW4'STS+E01++A01:E_0624'LOC+Z16+51238696781'LOC+Z17'LOC+Z16+second'RFF+Z13:55001'RFF+Z47'"
    b"IDE+24+V2'LOC+Z17+DE0001234567890123456789012345678'"
    b"UNT+22+7'"
)
MSCONS = (
    b"UNH+1+MSCONS:D:04B:UN:2.4c'BGM+7+DOC1'DTM+137:202605011200?+00:303'"
    b"LOC+172+not-a-malo'QTY+220:12.5:kwh'UNT+6+1'"
)


@pytest.fixture(scope="module")
def utilmd():
    return validate_edifact(UNB + UTILMD + b"UNZ+1+REF1'", "2025-11-01")


@pytest.fixture(scope="module")
def mscons():
    return validate_edifact(MSCONS, "2026-05-01")


def test_classes_are_sealed_and_have_no_constructor():
    for name in ("Finding", "MessageReport", "Envelope", "ValidationReport", "Vorgang"):
        cls = getattr(native, name)
        with pytest.raises(TypeError):
            cls()
        with pytest.raises(TypeError):
            type("Sub", (cls,), {})
        assert cls.__module__ == "builtins"
    assert native.Finding.__doc__ == "One validation finding."
    assert native.MessageReport.__doc__ == "The validation outcome for one message inside an interchange."
    assert native.ValidationReport.__doc__.startswith("The outcome of parsing and validating one interchange.")


def test_attributes_are_read_only_and_lists_are_fresh(utilmd):
    message = utilmd.messages[0]
    for owner, name in [(utilmd, "is_valid"), (utilmd, "messages"), (message, "findings"), (message, "index"),
                        (message.findings[0], "message"), (message.vorgaenge[0], "dates"), (utilmd.envelope, "sender_id")]:
        with pytest.raises(AttributeError):
            setattr(owner, name, None)
    assert message.findings is not message.findings
    assert utilmd.messages is not utilmd.messages and utilmd.envelope is not utilmd.envelope
    findings = message.findings
    findings.append(None)
    assert len(message.findings) == len(findings) - 1
    assert [f.message for f in message.findings] == [f.message for f in utilmd.findings]
    assert message.findings[0] != message.findings[0]  # no equality of their own


def test_message_report_fields(utilmd, mscons):
    message = utilmd.messages[0]
    assert (message.index, message.message_ref, message.pruefidentifikator, message.message_type,
            message.release, message.rules_applied) == (0, "7", 55001, "UTILMD", "S2.1", True)
    assert message.is_valid == (message.errors == []) == utilmd.is_valid is False
    assert repr(message) == f'MessageReport(#0 "UTILMD" pid=Some(55001) valid=false rules_applied=true findings={len(message.findings)})'
    assert repr(utilmd) == f"ValidationReport(is_valid=false, messages=1, findings={len(message.findings)})"
    assert (utilmd.pruefidentifikator, utilmd.message_type, utilmd.release, utilmd.rules_applied) == (
        55001, "UTILMD", "S2.1", True)
    bare = mscons.messages[0]
    assert mscons.envelope is None and bare.vorgaenge == [] and bare.index == 0


def test_findings_are_ordered_by_severity_and_errors_filter(utilmd):
    findings = utilmd.findings
    ranks = [{"critical": 0, "error": 0, "warning": 1, "info": 2}[f.severity] for f in findings]
    assert ranks == sorted(ranks)
    assert [f.message for f in utilmd.errors] == [f.message for f in findings if f.is_error]
    assert all(f.is_error == (f.severity in ("critical", "error")) for f in findings)


def test_semantic_findings_and_by_rule(mscons):
    ids = [f.rule_id for f in mscons.findings]
    for rule in ("SEM-MSCONS-LOCATION-FORMAT", "SEM-MSCONS-UNIT-UNKNOWN"):
        (finding,) = mscons.by_rule(rule)
        assert finding.rule_origin == "semantic" and finding.segment in ("LOC", "QTY") and finding.suggestion
        assert repr(finding) == f"Finding(error {rule}: {finding.message})"
    assert [f.rule_id for f in mscons.by_rule("SEM-")] == [i for i in ids if i and i.startswith("SEM-")]
    assert [f.rule_id for f in mscons.by_rule("")] == [i for i in ids if i is not None]
    assert mscons.by_rule("sem-") == [] and mscons.messages[0].by_rule("AHB-NOPE") == []
    assert [f.rule_id for f in mscons.messages[0].by_rule("SEM-")] == [f.rule_id for f in mscons.by_rule("SEM-")]
    with pytest.raises(TypeError):
        mscons.by_rule(None)


@pytest.mark.parametrize(
    ("rule_id", "origin", "position"),
    [("MIG-00024-DTM-2380-REQUIRED", "mig", "DTM[0].1"), ("MIG-SG1-00009-REQUIRED", "mig", None),
     ("MIG-00014-UNS-REQUIRED", "mig", "UNS"), ("AHB-55001-00037-STS-NOT-PERMITTED", "ahb", "STS")],
)
def test_origin_and_position(utilmd, mscons, rule_id, origin, position):
    (finding,) = [f for f in utilmd.findings + mscons.findings if f.rule_id == rule_id][:1]
    assert (finding.rule_origin, finding.position) == (origin, position)


def test_vorgaenge_read_back(utilmd):
    first, second = utilmd.messages[0].vorgaenge
    assert first.vorgangsnummer == "V1"
    assert first.locations == [("Z16", "51238696781"), ("Z16", "second")]
    assert first.dates == [("92", "202605010000+00"), ("93", "20261399"), ("92", "202606010000+00")]
    assert first.references == [("Z13", "55001")]
    assert (first.transaktionsgrund, first.antwort_code, first.antwort_codeliste) == ("E01", "A01", "E_0624")
    assert repr(first) == "Vorgang(V1 locations=2 antwort=A01)"
    assert repr(second) == "Vorgang(V2 locations=1 antwort=-)"
    assert second.locations == [("Z17", "DE0001234567890123456789012345678")]


@pytest.mark.parametrize(
    ("method", "argument", "expected"),
    [
        ("date", "92", "202605010000+00"), ("date", "94", None), ("date", "9", None),
        ("iso_date", "92", "2026-05-01"), ("iso_date", "93", None), ("iso_date", "137", None),
        ("location", "Z16", "51238696781"), ("location", "malo", "51238696781"),
        ("location", "MarktLokation", "51238696781"), ("location", "melo", None),
        ("reference", "Z13", "55001"), ("reference", "Z47", None),
    ],
)
def test_vorgang_lookups(utilmd, method, argument, expected):
    assert getattr(utilmd.messages[0].vorgaenge[0], method)(argument) == expected


@pytest.mark.parametrize(
    ("value", "expected"),
    [("202605010000+00", "2026-05-01"), ("20260501", "2026-05-01"), ("2026050", None),
     ("2026a501", None), ("20261399", None), ("20260230", None), ("20240229", "2024-02-29")],
)
def test_iso_date_names_only_calendar_dates(value, expected):
    raw = UTILMD.replace(b"DTM+92:202605010000?+00:303'", b"DTM+92:" + value.encode() + b"'", 1)
    vorgang = validate_edifact(UNB + raw + b"UNZ+1+REF1'", "2025-11-01").messages[0].vorgaenge[0]
    assert vorgang.iso_date("92") == expected


@pytest.mark.parametrize(
    ("name", "shown"), [("z16", '"z16"'), ("malo ", '"malo "'), ("Unbekannt", '"unbekannt"')]
)
def test_location_refuses_unknown_lokationstyp(utilmd, name, shown):
    with pytest.raises(ValueError) as raised:
        utilmd.messages[0].vorgaenge[0].location(name)
    assert str(raised.value) == (f"unknown Lokationstyp {shown} — expected a LOC DE 3227 code (Z15…Z22, or 172 for a "
                                 "gas Meldepunkt) or one of malo, melo, nelo, tranche, tr, sr, ruhende_malo, mabis")


def test_methods_name_their_arguments(utilmd):
    vorgang = utilmd.messages[0].vorgaenge[0]
    assert vorgang.date(qualifier="92") == "202605010000+00"
    with pytest.raises(TypeError, match="qualifier"):
        vorgang.date(92)
