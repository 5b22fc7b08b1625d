"""Messages written the way the published MIGs lay them out: repeated data elements of a composite,
repetitions of group variants and variants of one segment position in any order, segments that
leave a discriminating element empty, and a repetition separator that no data element uses.
Each validates clean; its faulty twin keeps its finding."""

import re

import pytest

from quorvane._native import validate_edifact

HEAD = ("UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'",
        "UNH+M1+UTILMD:D:11A:UN:{release}'",
        "BGM+{bgm}+DOK{pid}'",
        "DTM+137:202610010000?+00:303'",
        "NAD+MS+9900000000003::9'",
        "NAD+MR+9900000000010::9'",
        "IDE+24+VORGANG0001'")


def interchange(release, bgm, pid, body):
    """The body segments (one a line) inside UNH … UNT of a UTILMD, wrapped in UNB/UNZ."""
    segments = [line.format(release=release, bgm=bgm, pid=pid) for line in HEAD] + re.split(r"(?<=')\s+", body.strip())
    count = len(segments)  # UNH up to UNT: the UNB is left out, UNT counted in
    return "\n".join(segments + [f"UNT+{count}+M1'", "UNZ+1+REF1'"]).encode("latin-1")


def s21(bgm, pid, body):
    return interchange("S2.1", bgm, pid, body)


def g11(pid, body):
    return interchange("G1.1", "E03", pid, body)


# 55001 with the name of a firm on two lines of C080, as the MIG's example writes it.
FIRM_NAMES = s21("E01", 55001, """
DTM+92:202609302200?+00:303' STS+7++E01+ZW4' LOC+Z16+51238696781' RFF+Z13:55001'
SEQ+Z79+1' PIA+5+9991000002082:Z11' CCI+Z66' SEQ+ZH0+1' CCI+Z65+++Z01' SEQ+Z01' CCI+++Z15' SEQ+Z75' CCI+Z61++ZF9'
CAV+ZU5' NAD+Z09+++Firma AG:Musterfirma::::Z02' NAD+Z04+++Firma AG:Musterfirma::::Z02+Musterstr. 1+Berlin+++DE'
""")

# 55016 with a remark over all five text lines of C108.
REMARK_LINES = s21("E35", 55016, """
DTM+93:202609302200?+00:303' STS+7++E03+ZW3' FTX+ACB+++Kuendigung:zum:naechstmoeglichen:Termin:erbeten'
LOC+Z16+51238696781' RFF+Z13:55016'
""")

# 55110 with customer and address for two Zeiträume, each group pair in the order of its Zeitraum.
PERIODS = s21("E03", 55110, """
STS+7++ZX6' LOC+Z16+51238696781' RFF+Z13:55110'
RFF+Z49::1' DTM+Z25:202610012200?+00:303' DTM+Z26:202612312300?+00:303' RFF+Z49::2' DTM+Z25:202612312300?+00:303'
NAD+Z09+++Mustermann:Max::::Z01' RFF+Z46:1' NAD+Z04+++Mustermann:Max::::Z01+Musterstr.::1+Berlin++10115+DE' RFF+Z46:1'
NAD+Z09+++Musterfrau:Erika::::Z01' RFF+Z46:2' NAD+Z04+++Musterfrau:Erika::::Z01+Weg::2+Berlin++10115+DE' RFF+Z46:2'
""")

# G1.1 44117: a meter with its type, its size (DE 7110 only) and its number.
METER = g11(44117, """
DTM+92:202609300400?+00:303' DTM+157:202609300400?+00:303' STS+7++ZE8' LOC+172+DE00056266802AO6G56M11SN51G21M24S'
RFF+Z13:44117' SEQ+Z03' RFF+Z19:DE0000000000000000000000000000042' CCI+++E13' CAV+NMG' CAV+:::G4'
CAV+Z30:::1ESY1160123456' CCI+++E12' CAV+AMR' SEQ+Z20' RFF+Z11:REF44117' RFF+Z19:DE0000000000000000000000000000042'
PIA+5+9991000002082:SRW' SEQ+Z05' RFF+MG:REF44117' CCI+++Z26' CAV+Z30:::1' CAV+GSM'
""")

# G1.1 44112: the pressure level, whose class sits in DE 7037 with DE 7059 empty.
PRESSURE = g11(44112, """
DTM+92:202609300400?+00:303' DTM+157:202609300400?+00:303' STS+7++ZE7' LOC+172+51238696781' RFF+Z13:44112'
SEQ+Z01' CCI+++Y01' CAV+Y01'
""")


def ordrsp(*dates):
    """An ORDRSP 19006 (1.4b) refusing an offer for a change of the Technik, with its header dates."""
    segments = ["UNH+M1+ORDRSP:D:10A:UN:1.4b'", "BGM+Z93+DOK19006'", "DTM+137:202604010000?+00:303'", *dates,
                "RFF+ON:REF19006'", "RFF+Z13:19006'", "AJT+A04+E_0279'", "NAD+MS+9900000000003::293'",
                "CTA+IC+:Mustermann'", "COM+info@example.de:EM'", "NAD+MR+9900000000010::293'", "UNS+S'"]
    return "\n".join(["UNB+UNOC:3+9900000000003:500+9900000000010:500+260401:1200+REF1'", *segments,
                      f"UNT+{len(segments) + 1}+M1'", "UNZ+1+REF1'"]).encode("latin-1")


# The realistic begin (469) and end (472) of a refused change: variants of one header DTM position.
BEGIN, END = "DTM+469:202604302200?+00:303'", "DTM+472:202605312200?+00:303'"


def move(raw, segment, after):
    """The first `segment` line moved behind the first line that starts with `after`."""
    lines = raw.split(b"\n")
    lines.remove(segment)
    at = next(index for index, line in enumerate(lines) if line.startswith(after))
    return b"\n".join(lines[:at + 1] + [segment] + lines[at + 1:])


# (name, message, date, faulty twin, rule ids the twin must draw)
CASES = [
    ("name_lines", FIRM_NAMES, "2025-11-01",
     lambda raw: raw.replace(b"Musterfirma::::Z02'\nNAD+Z04", b"Musterfirma:a:b:c:d:Z02'\nNAD+Z04"),
     {"MIG-00495-NAD-C080-EXTRA", "MIG-00495-NAD-3045-CODE"}),
    ("text_lines", REMARK_LINES, "2025-11-01", lambda raw: raw.replace(b":erbeten'", b":erbeten:bitte'"),
     {"MIG-00039-FTX-C108-EXTRA"}),
    ("group_variants_by_period", PERIODS, "2025-11-01",
     # A Zeitraum after the customer groups: the MIG orders SG6 before SG12.
     lambda raw: move(move(raw, b"RFF+Z49::2'", b"RFF+Z46:1'"), b"DTM+Z25:202612312300?+00:303'", b"RFF+Z49::2'"),
     {"MIG-STRUCTURE"}),
    ("empty_type_code_before_the_size", METER, "2026-05-01", lambda raw: raw.replace(b"CAV+:::G4'", b"CAV+:::G5'"),
     {"AHB-44117-00092-CAV-MISSING"}),
    ("empty_class_before_the_pressure_level", PRESSURE, "2026-05-01",
     lambda raw: raw.replace(b"CAV+Y01'", b"CAV+Y09'"), {"MIG-00057-CAV-7111-CODE"}),
    # Variants of one segment position in either order; each keeps its maximum of one.
    ("segment_variants_begin_first", ordrsp(BEGIN, END), "2026-04-01",
     lambda raw: raw.replace(END.encode(), (END + "\n" + END).encode()), {"MIG-00030-DTM-MAX"}),
    ("segment_variants_end_first", ordrsp(END, BEGIN), "2026-04-01",
     lambda raw: raw.replace(END.encode() + b"\n", b""), {"AHB-19006-00030-DTM-MISSING"}),
    ("segment_variant_come_back_to", ordrsp(BEGIN, END), "2026-04-01",
     lambda raw: raw.replace(END.encode(), (END + "\n" + BEGIN).encode()), {"MIG-STRUCTURE"}),
]


@pytest.mark.parametrize(("raw", "on"), [(case[1], case[2]) for case in CASES], ids=[case[0] for case in CASES])
def test_a_message_laid_out_as_the_mig_shows_validates_clean(raw, on):
    report = validate_edifact(raw, on)
    assert report.findings == [], [f"{f.rule_id}: {f.message}" for f in report.findings]
    assert report.is_valid and report.rules_applied


@pytest.mark.parametrize(("raw", "on", "spoil", "rule_ids"), [case[1:] for case in CASES], ids=[case[0] for case in CASES])
def test_its_faulty_twin_keeps_its_finding(raw, on, spoil, rule_ids):
    twin = spoil(raw)
    assert twin != raw
    report = validate_edifact(twin, on)
    assert not report.is_valid
    assert rule_ids <= {f.rule_id for f in report.findings}, [f"{f.rule_id}: {f.message}" for f in report.findings]


# A repetition separator declared by a UNA or by syntax version 4 in the UNB. The MIG allows every
# data element one value: a repeated one is refused by name, not read as its first repetition.
DECLARED = {
    "una": lambda raw: b"UNA:+.?*'\n" + raw,
    "syntax_version_4": lambda raw: raw.replace(b"UNB+UNOC:3+", b"UNB+UNOC:4+", 1),
    "bare_una": lambda raw: b"UNA:+.?*'\n" + b"\n".join(raw.split(b"\n")[1:-1]),
}
REPEATED = {
    "vorgang": (b"IDE+24+VORGANG0001'", b"IDE+24+VORGANG0001*G'", "MIG-00020-IDE-C206-REPEATED", "C206"),
    "marktlokation": (b"LOC+Z16+51238696781'", b"LOC+Z16+51238696781*99999999999'", "MIG-00050-LOC-C517-REPEATED",
                      "C517"),
    "after_an_empty_repetition": (b"STS+7++E03+ZW3'", b"STS+7++E03+ZW3**ZW4'", "MIG-00036-STS-C556-REPEATED",
                                  "C556"),
}


@pytest.mark.parametrize("declare", DECLARED.values(), ids=DECLARED.keys())
def test_a_declared_repetition_separator_alone_changes_nothing(declare):
    report = validate_edifact(declare(REMARK_LINES), "2025-11-01")
    # The MIGs admit syntax version 3 only: that is the one finding of a version-4 UNB.
    expected = ["PARSE-ENVELOPE-SYNTAX-VERSION"] if declare is DECLARED["syntax_version_4"] else []
    assert [f.rule_id for f in report.findings] == expected, [f"{f.rule_id}: {f.message}" for f in report.findings]
    assert report.is_valid == (not expected) and report.rules_applied


@pytest.mark.parametrize("declare", DECLARED.values(), ids=DECLARED.keys())
@pytest.mark.parametrize(("segment", "repeated", "rule_id", "element"), REPEATED.values(), ids=REPEATED.keys())
def test_a_repeated_data_element_is_refused_by_name(declare, segment, repeated, rule_id, element):
    assert segment in REMARK_LINES
    report = validate_edifact(declare(REMARK_LINES.replace(segment, repeated)), "2025-11-01")
    found = [f for f in report.findings if f.rule_id == rule_id]
    assert len(found) == 1, [f"{f.rule_id}: {f.message}" for f in report.findings]
    assert element in found[0].message and found[0].severity == "error"
    assert not report.is_valid


def test_without_a_repetition_separator_the_star_is_text():
    report = validate_edifact(REMARK_LINES.replace(b"IDE+24+VORGANG0001'", b"IDE+24+VORGANG0001*G'"), "2025-11-01")
    assert not [f for f in report.findings if f.rule_id.endswith("-REPEATED")]
