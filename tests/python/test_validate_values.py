"""Values that the MIG and the AHB ask a shape of: Formatbedingungen whose condition the message
leaves open, dates that the calendar must have, periods, and numbers. Each clean message validates clean;
its faulty twin draws the finding that names the fault."""

import functools

import pytest

import quorvane._native as native
from test_answer_carried import request_of, wrapped

ON = "2026-05-01"
ANSWERED_ON = "2025-10-01"
PARTY_PAIRS = [("9900000000003", "9900000000010"), ("9800000000008", "9812345000007"),
               ("4012345000023", "4012345000030")]
ZAEHLPUNKT = "DE0001234567890123456789012345678"
MALO, MALO_BAD_CHECK = "41373559241", "41373559240"


def built_mscons(pid, sender, receiver, point, quantity):
    """One quantity, or one interval of a day where the column is a Lastgang."""
    try:
        return native.build_mscons(pid, sender, receiver, point, [("220", quantity, "")], on=ON)
    except ValueError as refused:
        if "Lastgang" not in str(refused):
            raise
    return native.build_mscons(pid, sender, receiver, point, on=ON,
                               intervals=[("220", quantity, "", "202604292200+00", "202604302200+00")])


def mscons(pid, point, value, spoilt_point=None):
    """The message of the first party pair whose clean build validates clean, and its twin with the
    quantity `value` (and the metering point `spoilt_point`)."""
    for sender, receiver in PARTY_PAIRS:
        try:
            message = built_mscons(pid, sender, receiver, point, "1.5")
        except ValueError as refused:
            # A column that takes parties of another kind of ID.
            if not str(refused).startswith(("sender:", "receiver:")):
                raise
            continue
        clean = native.build_interchange(sender, receiver, "DAR1", [message], on=ON)
        if native.validate_edifact(clean, ON).is_valid:
            # The builder refuses a value its column rejects: the twin is spoilt after building.
            faulty = clean.replace(b"QTY+220:1.5", b"QTY+220:" + value.encode())
            return clean, faulty.replace(point.encode(), (spoilt_point or point).encode())
    pytest.fail(f"no party pair builds a clean MSCONS {pid}")


def rule_ids(report):
    return {finding.rule_id for finding in report.findings}


# An unconditioned alternative beside conditioned ones: 13002 asks [902] (≥ 0) in both, and every
# alternative of the three asks at most three or four Nachkommastellen.
@pytest.mark.parametrize(("pid", "value", "broken"), [(13002, "-344.775", "902"), (13002, "1.1234567", None),
                                                      (13007, "1.1234567", None), (13008, "1.1234567", None)])
def test_a_quantity_passes_the_format_of_one_alternative_or_fails(pid, value, broken):
    clean, faulty = mscons(pid, ZAEHLPUNKT, value)
    report = native.validate_edifact(clean, ON)
    assert report.is_valid and report.rules_applied, [f.message for f in report.findings]
    report = native.validate_edifact(faulty, ON)
    formats = [f for f in report.findings if f.rule_id.startswith(f"FMT-{pid}-") and "-QTY-6060-" in f.rule_id]
    assert not report.is_valid and formats, [f.rule_id for f in report.findings]
    assert all(f.severity == "error" and f.rule_origin == "ahb" for f in formats)
    if broken:
        assert {f.rule_id.rsplit("-", 1)[1] for f in formats} == {broken}


# 13008 admits a negative quantity ([910]) only under "SG9 PIA+5+7-b:99.41.16 (b=Kanal: …)"; the
# placeholder b stands for any channel.
@pytest.mark.parametrize(("obis", "broken"), [(b"7-10?:99.33.17", {"902"}), (b"7-1?:53.0.16", {"902"}),
                                              (b"7-10?:99.41.16", set())])
def test_a_negative_quantity_fails_where_no_alternative_of_its_obis_admits_it(obis, broken):
    clean, faulty = (raw.replace(b"1-1?:1.8.0", obis) for raw in mscons(13008, ZAEHLPUNKT, "-344.775"))
    report = native.validate_edifact(clean, ON)
    assert report.is_valid and not report.findings, [f.message for f in report.findings]
    report = native.validate_edifact(faulty, ON)
    assert {f.rule_id.rsplit("-", 1)[1] for f in report.findings} == broken, rule_ids(report)
    assert report.is_valid == (not broken)


# The sender's role, which decides between Zählpunktbezeichnung and Marktlokations-ID, is not in
# the message: a MaLo-ID must still carry its check character.
@pytest.mark.parametrize("pid", [13007, 13008, 13025])
def test_a_malo_id_with_a_wrong_check_character_fails_where_roles_are_unread(pid):
    clean, faulty = (native.validate_edifact(raw, ON) for raw in mscons(pid, MALO, "1.5", spoilt_point=MALO_BAD_CHECK))
    assert clean.is_valid and clean.rules_applied, [f.message for f in clean.findings]
    formats = {f.rule_id for f in faulty.findings if f.rule_id.startswith("FMT-")}
    assert formats == {f"FMT-{pid}-00017-LOC-3225-950"}, rule_ids(faulty)
    assert not faulty.is_valid


REQOTE_35004 = """UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'
UNH+M1+REQOTE:D:10A:UN:1.3c'
BGM++DOK35004'
DTM+137:202610010000?+00:303'
DTM+76:202609302200?+00:303'
IMD++Z55'
RFF+Z13:35004'
RFF+Z42:REF35004'
RFF+Z43:REF35004'
NAD+MS+9900000000003::293'
CTA+IC+:Mustermann'
COM+info@example.de:EM'
NAD+MR+9900000000010::293'
NAD+DP'
LOC+172+{location}'
LIN+1+Z65'
PIA+5+9991000000721:Z11'
CCI+Z53++1'
UNS+S'
UNT+19+M1'
UNZ+1+REF1'"""


# LIN+Z65 makes three of the four exclusive alternatives of the Meldepunkt hold, so the choice
# itself is False; the value must still have the shape of one of the three.
@pytest.mark.parametrize(("location", "broken"), [("E0000000019", set()), ("HELLO", {"950", "960", "961"}),
                                                  ("E0000000018", {"960"})])
def test_exclusive_alternatives_that_all_hold_still_ask_their_formats(location, broken):
    report = native.validate_edifact(REQOTE_35004.format(location=location).encode(), "2025-11-01")
    formats = {f.rule_id.rsplit("-", 1)[1] for f in report.findings if f.rule_id.startswith("FMT-")}
    assert formats == broken, [f.message for f in report.findings]
    assert report.is_valid == (not broken) and report.rules_applied


FIXTURES = __import__("pathlib").Path(__file__).resolve().parent / "fixtures"


def fixture(name):
    return (FIXTURES / name).read_bytes()


# (fixture, date, the DTM as it stands, an impossible twin of it)
DATES = [
    ("utilmd_55001.edi", "2025-11-01", b"DTM+137:202610010000?+00:303", b"DTM+137:202613400000?+00:303"),
    ("utilmd_55001.edi", "2025-11-01", b"DTM+137:202610010000?+00:303", b"DTM+137:202602300000?+00:303"),
    ("utilmd_55001.edi", "2025-11-01", b"DTM+137:202610010000?+00:303", b"DTM+137:202610012400?+00:303"),
    ("invoic_31001.edi", "2026-05-01", b"DTM+137:202610010000?+00:303", b"DTM+137:202610010060?+00:303"),
    ("iftsta_21000.edi", "2025-11-01", b"DTM+492:202610:610", b"DTM+492:abcdef:610"),
    ("iftsta_21000.edi", "2025-11-01", b"DTM+492:202610:610", b"DTM+492:202613:610"),
    ("iftsta_21000.edi", "2025-11-01", b"DTM+334:20261001000000?+00:304", b"DTM+334:20261001000060?+00:304"),
]


@pytest.mark.parametrize(("name", "on", "written", "impossible"), DATES)
def test_a_date_the_calendar_lacks_is_an_error(name, on, written, impossible):
    raw = fixture(name)
    assert written in raw and native.validate_edifact(raw, on).is_valid
    report = native.validate_edifact(raw.replace(written, impossible), on)
    dates = report.by_rule("SEM-DTM-VALUE")
    assert not report.is_valid and len(dates) == 1, [f.message for f in report.findings]
    assert dates[0].severity == "error" and impossible.split(b":")[1].decode().replace("?", "") in dates[0].message


# A Kündigungsfrist: two digits, the unit T, W or M, and the end M, Q, H, J, T or R.
PERIODS = [("03MQ", True), ("14TR", True), ("06WM", True), ("01MH", True), ("12MJ", True), ("04WT", True),
           ("99ZZ", False), ("03XM", False), ("03MA", False), ("3MQ", False), ("003MQ", False), ("03mq", False),
           ("0AMQ", False), ("00MT", False), ("", False)]


@functools.cache
def with_period():
    """A clean UTILMD answer whose Vorgang carries DTM+Z01:03MQ:Z01."""
    received, sender, receiver = request_of(55016, ANSWERED_ON)
    answer = native.build_answer(received, 55018, on=ANSWERED_ON, antwort_code="A06",
                                 process_dates=[("Z01", "03MQ")])
    return wrapped(answer, receiver, sender)


@pytest.mark.parametrize(("period", "fits"), PERIODS)
def test_a_period_is_a_count_a_unit_and_an_end(period, fits):
    raw = with_period()
    assert native.validate_edifact(raw, ANSWERED_ON).is_valid
    report = native.validate_edifact(raw.replace(b"DTM+Z01:03MQ:Z01", f"DTM+Z01:{period}:Z01".encode()), ANSWERED_ON)
    periods = report.by_rule("SEM-DTM-VALUE")
    assert report.is_valid == fits and len(periods) == (not fits), [f.message for f in report.findings]
    if periods:
        assert f"carries '{period}', which is not ZZRB" in periods[0].message, periods[0].message


# A quantity of the MIG's numeric class: an optional minus, digits and one decimal mark.
@pytest.mark.parametrize("value", ["-", "e", "1.5.5", "--1", "1,000.5", "1E3"])
def test_a_quantity_that_is_no_number_is_a_format_error(value):
    clean, faulty = mscons(13002, ZAEHLPUNKT, value)
    assert native.validate_edifact(clean, ON).is_valid
    report = native.validate_edifact(faulty, ON)
    assert "MIG-00021-QTY-6060-FORMAT" in rule_ids(report) or any(
        r.startswith("MIG-") and r.endswith("-QTY-6060-FORMAT") for r in rule_ids(report)), rule_ids(report)


# A decimal comma, whether a UNA declares it or not, is a decimal mark to the MIG and to the
# Formatbedingungen alike; a mark without a digit on both sides is a number to neither.
@pytest.mark.parametrize("una", [b"UNA:+,? '", b"UNA:+.? '", b""], ids=["comma_una", "point_una", "no_una"])
@pytest.mark.parametrize(("value", "number"), [(b"492,146", True), (b"-0,5", True), (b"492.146", True),
                                               (b".5", False), (b"5.", False), (b",5", False), (b"5,", False),
                                               (b"?+5", False)])
def test_one_rule_for_a_number_in_mig_and_formatbedingung(una, value, number):
    clean, _ = mscons(13002, ZAEHLPUNKT, "1.5")
    assert b"QTY+220:1.5'" in clean
    report = native.validate_edifact(una + clean.replace(b"QTY+220:1.5'", b"QTY+220:" + value + b"'"), ON)
    mig = [f for f in report.findings if f.rule_id.endswith("-QTY-6060-FORMAT")]
    formats = [f for f in report.findings if f.rule_id.startswith("FMT-13002-") and "-QTY-6060-" in f.rule_id]
    if number and value.startswith(b"-"):
        # A number, but below the [902] bound: the Formatbedingung names the bound, not the shape.
        assert not mig and formats and all("not a number" not in f.message for f in formats), rule_ids(report)
    elif number:
        assert report.is_valid, [f"{f.rule_id}: {f.message}" for f in report.findings]
    else:
        assert mig and formats and all("not a number" in f.message for f in formats), rule_ids(report)
        assert not report.is_valid
