"""validate_edifact: which road the bytes take, what fails as an exception and what as a finding."""

import pathlib

import pytest

from quorvane._native import validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"
UNB = b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'"
UNKNOWN = b"UNH+1+FOOBAR:D:11A:UN:1.0'BGM+E01'UNT+3+1'"
APERAK = b"UNH+1+APERAK:D:07B:UN:2.1i'BGM+313+DOC'UNT+3+1'"


def fixture(name):
    return (FIXTURES / name).read_bytes()


def interchange(*messages, unz=b"UNZ+{count}+REF1'"):
    return UNB + b"".join(messages) + unz.replace(b"{count}", str(len(messages)).encode())


# --- arguments -------------------------------------------------------------------------------


class Raw(bytes):
    pass


@pytest.mark.parametrize(
    ("raw", "on", "error", "text"),
    [
        (bytearray(UNKNOWN), "2025-11-01", TypeError, "argument 'raw'"),
        (memoryview(UNKNOWN), "2025-11-01", TypeError, "argument 'raw'"),
        (UNKNOWN.decode(), "2025-11-01", TypeError, "argument 'raw'"),
        (UNKNOWN, None, TypeError, "argument 'on'"),
        (UNKNOWN, "2025-13-01", ValueError, "invalid ISO 8601 date"),
        (b"", "2025-11-01", ValueError, "EDIFACT parse failed: "),
    ],
)
def test_argument_and_parse_failures(raw, on, error, text):
    with pytest.raises(error) as raised:
        validate_edifact(raw, on)
    assert text in str(raised.value)


def test_bytes_subclass_and_keywords_are_accepted():
    report = validate_edifact(raw=Raw(UNKNOWN), on="2025-11-01")
    assert report.envelope is None and len(report.messages) == 1


@pytest.mark.parametrize(
    "head", [b"UNB+UNOC:3+A:500+B:500+251101:1200+R'", b"UNB+UNOW:3+A:500+B:500+251101:1200+R'", UNKNOWN + UNKNOWN])
def test_oversized_input_is_refused_before_decoding(head):
    raw = head + b"\xe4" * (10_485_761 - len(head))
    with pytest.raises(ValueError) as raised:
        validate_edifact(raw, "2025-11-01")
    assert str(raised.value) == ("EDIFACT parse failed: EDIFACT parse error: input exceeded the configured "
                                 "max_input_bytes limit of 10485760")


def test_offsets_count_raw_bytes_of_a_decoded_repertoire():
    # Each "ä" is one byte in UNOC and two once decoded; the input lacks its last terminator.
    raw = interchange(b"UNH+1+UTILMD:D:11A:UN:S2.1'FTX+ACB+++\xe4\xe4\xe4\xe4'UNT+3+1'", unz=b"UNZ+1+REF1")
    with pytest.raises(ValueError) as raised:
        validate_edifact(raw, "2025-11-01")
    assert f"byte offset {len(raw)}" in str(raised.value)


# --- routing ---------------------------------------------------------------------------------


@pytest.mark.parametrize("prefix", [b"", b"\r\n", b"\t \n ", b"UNA:+.? '", b"UNA:+.? '\r\n", b" UNA:+.? '"])
def test_interchange_road(prefix):
    # Two messages: a UNA must not make the interchange look like several bare messages.
    report = validate_edifact(prefix + interchange(UNKNOWN, UNKNOWN.replace(b"UNH+1", b"UNH+2")), "2025-11-01")
    assert report.envelope is not None and report.envelope.message_count == 2


def test_una_with_its_own_separators_takes_the_interchange_road():
    raw = (b"UNA^|.? !UNB|UNOC^3|9900000000003^500|9900000000010^500|251101^1200|REF1!"
           b"UNH|1|FOOBAR^D^11A^UN^1.0!BGM|E01!UNT|3|1!UNZ|1|REF1!")
    report = validate_edifact(raw, "2025-11-01")
    assert report.envelope.control_ref == "REF1" and report.envelope.is_structurally_valid
    assert report.messages[0].findings[0].message == 'message type "FOOBAR" is not validated in this build'


@pytest.mark.parametrize("prefix", [b"", b" ", b"\r\n", b"\xef\xbb\xbf", b"\xef\xbb\xbf\r\n"])
@pytest.mark.parametrize("una", [b"", b"UNA:+.? '"])
@pytest.mark.parametrize(("reference", "read"), [(b"M\xe41", "M\u00e41"), (b"M\xc3\xa41", "M\u00c3\u00a41")])
def test_what_precedes_the_una_never_changes_how_the_bytes_decode(prefix, una, reference, read):
    # UNOC is ISO 8859-1 whatever stands before the UNA: UTF-8 bytes read as two characters.
    report = validate_edifact(prefix + una + clean_utilmd().replace(b"M1", reference), "2025-11-01")
    assert [m.message_ref for m in report.messages] == [read] and report.is_valid


def test_a_leading_vertical_tab_is_no_whitespace():
    with pytest.raises(ValueError, match="EDIFACT parse failed"):
        validate_edifact(b"\x0b" + interchange(UNKNOWN), "2025-11-01")


@pytest.mark.parametrize(
    ("raw", "count"),
    [
        (UNKNOWN + UNKNOWN, 2),
        (UNKNOWN + b"\r\n" + UNKNOWN + b"\n" + UNKNOWN, 3),
        (b"UNH+1+FOOBAR'FTX+ACB+++x??'UNH+2+FOOBAR'UNT+2+1'", 2),
        (b"UNA^|.? !UNH|1|FOOBAR!UNT|2|1!UNH|2|FOOBAR!UNT|2|2!", 2),
    ],
)
def test_several_bare_messages_are_refused(raw, count):
    with pytest.raises(ValueError) as raised:
        validate_edifact(raw, "2025-11-01")
    assert str(raised.value) == (f"{count} messages without a UNB envelope — wrap them with build_interchange(). "
                                 "Validating a bare blob would check only the first of them")


def test_a_released_terminator_starts_no_segment():
    report = validate_edifact(b"UNH+1+FOOBAR'FTX+ACB+++x?'UNH+2+FOOBAR'UNT+3+1'", "2025-11-01")
    assert report.envelope is None and [m.index for m in report.messages] == [0]


# --- interchange envelope --------------------------------------------------------------------


@pytest.mark.parametrize(
    ("unz", "declared", "sound"),
    [(b"UNZ+1+REF1'", 1, True), (b"UNZ+0+REF1'", 0, False), (b"", 0, False), (b"UNZ+1'", 1, False),
     (b"UNZ++REF1'", 0, False)],
)
def test_envelope_structure_decides_is_valid(unz, declared, sound):
    report = validate_edifact(UNB + APERAK.replace(b"BGM+313+DOC'", b"BGM+313+DOC'") + unz, "2025-11-01")
    envelope = report.envelope
    assert (envelope.message_count, envelope.declared_message_count, envelope.is_structurally_valid) == (
        1, declared, sound)
    assert report.is_valid == (sound and report.messages[0].is_valid)


def test_envelope_attributes_and_text():
    raw = b"UNB+UNOC:3+9900000000003:500+4012345000023:14+251101:1200+REF1++++++1'" + UNKNOWN + b"UNZ+1+REF1'"
    envelope = validate_edifact(raw, "2025-11-01").envelope
    assert (envelope.sender_id, envelope.sender_qualifier, envelope.receiver_id, envelope.receiver_qualifier,
            envelope.control_ref, envelope.transmission_date, envelope.test_indicator) == (
        "9900000000003", "500", "4012345000023", "14", "REF1", "2025-11-01", True)
    assert repr(envelope) == "Envelope(9900000000003:500 -> 4012345000023:14, ref=REF1, messages=1)"
    undated = validate_edifact(raw.replace(b"251101:1200", b"xx"), "2025-11-01").envelope
    assert undated.transmission_date is None and undated.test_indicator


def test_no_messages_is_valid_when_the_envelope_is_sound():
    report = validate_edifact(UNB + b"UNZ+0+REF1'", "2025-11-01")
    assert report.is_valid and report.messages == [] and report.envelope.is_structurally_valid
    with pytest.raises(ValueError, match="^this interchange carries 0 messages — use report.messages"):
        report.pruefidentifikator


@pytest.mark.parametrize(
    ("raw", "text"),
    [
        (interchange(UNKNOWN, unz=b"UNZ+1+OTHER'"), "EDIFACT parse failed: "),
        (interchange(UNKNOWN, UNKNOWN, unz=b"UNZ+3+REF1'"), "EDIFACT parse failed: "),
    ],
)
def test_envelope_contradictions_fail_the_parse(raw, text):
    with pytest.raises(ValueError, match=text):
        validate_edifact(raw, "2025-11-01")


def clean_utilmd():
    return fixture("utilmd_55001.edi")


def message_of(raw):
    return raw[raw.index(b"UNH+"):raw.index(b"UNZ+")]


UTILMD_UNB = b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'\n"


@pytest.mark.parametrize(
    ("name", "spoil", "rules", "in_place"),
    [
        ("clean", lambda raw: raw, [], True),
        ("byte_order_mark", lambda raw: b"\xef\xbb\xbf" + raw, [], True),
        ("unt_count_and_reference", lambda raw: raw.replace(b"UNT+23+M1", b"UNT+3+XX"),
         ["PARSE-ENVELOPE-REFERENCE", "PARSE-ENVELOPE-SEGMENT-COUNT"], True),
        ("nested_interchange", lambda raw: UTILMD_UNB + raw + b"UNZ+1+REF1'",
         ["PARSE-ENVELOPE-MISPLACED", "PARSE-ENVELOPE-MISPLACED"], False),
        ("unb_inside_the_message", lambda raw: raw.replace(b"IDE+24", UTILMD_UNB + b"IDE+24"),
         ["PARSE-ENVELOPE-MISPLACED"], True),
        ("stray_unz", lambda raw: raw.replace(b"UNT+23+M1'", b"UNT+23+M1'UNZ+1+REF1'"),
         ["PARSE-ENVELOPE-MISPLACED"], False),
        ("group_without_une", lambda raw: raw.replace(b"UNH+M1", b"UNG+UTILMD+A+B+251101:1200+G1+UN+D:11A'UNH+M1"),
         ["PARSE-ENVELOPE-MISSING-SEGMENT"], False),
    ],
)
def test_envelope_faults_are_findings_of_the_report(name, spoil, rules, in_place):
    report = validate_edifact(spoil(clean_utilmd()), "2025-11-01")
    (message,) = report.messages
    assert [f.rule_id for f in message.errors] == rules, name
    assert all(f.rule_origin == "parse" for f in message.errors)
    assert report.envelope.is_structurally_valid == in_place
    assert report.is_valid == (not rules)
    # the message's own rules still ran
    assert message.rules_applied and message.pruefidentifikator == 55001


def test_envelope_finding_texts():
    report = validate_edifact(clean_utilmd().replace(b"UNT+23+M1", b"UNT+3+XX"), "2025-11-01")
    assert [(f.segment, f.message) for f in report.errors] == [
        ("UNT", "segment UNT has qualifier 'XX', expected 'M1'"),
        ("UNT", "segment count mismatch in message M1: UNT declared 3, found 23")]
    nested = validate_edifact(UTILMD_UNB + clean_utilmd() + b"UNZ+1+REF1'", "2025-11-01")
    assert [f.message for f in nested.errors] == ["segment UNB is not valid for message type ENVELOPE",
                                                  "segment UNZ is not valid for message type ENVELOPE"]


UTILMD_GROUP = b"UNG+UTILMD+9900000000003+9900000000010+251101:1200+{ref}+UN+D:11A'"


def grouped(*groups, unz=None, une=None):
    """An interchange of functional groups, each a list of message references of the clean UTILMD."""
    message = message_of(clean_utilmd())
    body = b""
    for number, references in enumerate(groups, start=1):
        ref = b"G%d" % number
        body += UTILMD_GROUP.replace(b"{ref}", ref)
        body += b"".join(message.replace(b"M1", r) for r in references)
        body += (une or b"UNE+{count}+{ref}'").replace(b"{count}", b"%d" % len(references)).replace(b"{ref}", ref)
    return UTILMD_UNB + body + (unz or b"UNZ+%d+REF1'" % len(groups))


@pytest.mark.parametrize(
    ("name", "raw", "rules"),
    [
        ("one_group", lambda: grouped([b"M1"]), [[]]),
        ("two_groups_counted_as_groups", lambda: grouped([b"M1", b"M2"], [b"M3"]), [[], [], []]),
        ("une_count", lambda: grouped([b"M1", b"M2"], une=b"UNE+1+{ref}'"),
         [["PARSE-ENVELOPE-MESSAGE-COUNT"], []]),
        ("une_reference", lambda: grouped([b"M1"], [b"M2"], une=b"UNE+1+GX'"),
         [["PARSE-ENVELOPE-REFERENCE"], ["PARSE-ENVELOPE-REFERENCE"]]),
        ("une_without_reference", lambda: grouped([b"M1"], une=b"UNE+1'"),
         [["PARSE-ENVELOPE-MISSING-DATA", "PARSE-ENVELOPE-REFERENCE"]]),
        ("group_reference_reused", lambda: grouped([b"M1"], [b"M2"]).replace(b"G2", b"G1"),
         [[], ["PARSE-ENVELOPE-DUPLICATE-REFERENCE"]]),
        ("message_beside_the_groups",
         lambda: grouped([b"M1"]).replace(b"UNZ+1", message_of(clean_utilmd()).replace(b"M1", b"M2") + b"UNZ+1"),
         [[], ["PARSE-ENVELOPE-MIXED-GROUPS"]]),
    ],
)
def test_functional_groups_are_checked_as_the_interchange_is(name, raw, rules):
    report = validate_edifact(raw(), "2025-11-01")
    assert [[f.rule_id for f in m.errors] for m in report.messages] == rules, name
    clean = not any(rules)
    assert report.envelope.is_structurally_valid == clean and report.is_valid == clean


def test_unz_counts_the_groups_of_an_interchange_with_groups():
    report = validate_edifact(grouped([b"M1", b"M2"], [b"M3"]), "2025-11-01")
    assert (report.envelope.message_count, report.envelope.declared_message_count) == (3, 2)
    with pytest.raises(ValueError) as raised:
        validate_edifact(grouped([b"M1", b"M2"], [b"M3"], unz=b"UNZ+3+REF1'"), "2025-11-01")
    assert str(raised.value) == ("EDIFACT parse failed: interchange UNZ count mismatch: UNZ declared 3 group(s) but "
                                 "2 were found")
    finding = validate_edifact(grouped([b"M1", b"M2"], une=b"UNE+1+{ref}'"), "2025-11-01").messages[0].errors[0]
    assert (finding.segment, finding.message) == ("UNE", 'functional group "G1" message count mismatch: UNE declared '
                                                         "1, found 2")


@pytest.mark.parametrize(
    ("name", "unb", "rules"),
    [
        ("clean", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'", []),
        ("test_and_mscons_reference", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1++TL++++1'",
         []),
        ("dvgw_and_gs1_qualifiers", b"UNB+UNOC:3+9900000000003:502+9900000000010:14+251101:1200+REF1'", []),
        # Syntax version 3 writes YYMMDD and HHMM.
        ("eight_digit_date_and_seconds", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+20240229:235959+REF1'",
         ["PARSE-ENVELOPE-DATE-TIME", "PARSE-ENVELOPE-DATE-TIME"]),
        ("eight_digit_date", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+20251101:1200+REF1'",
         ["PARSE-ENVELOPE-DATE-TIME"]),
        ("no_time", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101+REF1'", ["PARSE-ENVELOPE-DATE-TIME"]),
        ("unob", b"UNB+UNOB:3+9900000000003:500+9900000000010:500+251101:1200+REF1'",
         ["PARSE-ENVELOPE-SYNTAX-IDENTIFIER"]),
        ("syntax_version_4", b"UNB+UNOC:4+9900000000003:500+9900000000010:500+251101:1200+REF1'",
         ["PARSE-ENVELOPE-SYNTAX-VERSION"]),
        ("qualifier_999", b"UNB+UNOC:3+9900000000003:999+9900000000010:500+251101:1200+REF1'",
         ["PARSE-ENVELOPE-PARTNER-QUALIFIER"]),
        ("no_qualifier", b"UNB+UNOC:3+9900000000003:500+9900000000010+251101:1200+REF1'",
         ["PARSE-ENVELOPE-PARTNER-QUALIFIER"]),
        ("test_indicator_2", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1++++++2'",
         ["PARSE-ENVELOPE-TEST-INDICATOR"]),
        ("empty_control_reference", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+'",
         ["PARSE-ENVELOPE-MISSING-DATA"]),
        ("no_control_reference", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200'",
         ["PARSE-ENVELOPE-MISSING-DATA"]),
        ("empty_sender", b"UNB+UNOC:3+:500+9900000000010:500+251101:1200+REF1'", ["PARSE-ENVELOPE-MISSING-DATA"]),
        ("empty_date", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+:1200+REF1'",
         ["PARSE-ENVELOPE-MISSING-DATA"]),
        ("month_13", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251340:1200+REF1'",
         ["PARSE-ENVELOPE-DATE-TIME"]),
        ("29_february_2025", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+250229:1200+REF1'",
         ["PARSE-ENVELOPE-DATE-TIME"]),
        ("letters", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+xx:1200+REF1'", ["PARSE-ENVELOPE-DATE-TIME"]),
        ("hour_24", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:2400+REF1'",
         ["PARSE-ENVELOPE-DATE-TIME"]),
        ("minute_60", b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1260+REF1'",
         ["PARSE-ENVELOPE-DATE-TIME"]),
    ],
)
def test_unb_fields_that_are_empty_or_unreadable_are_findings(name, unb, rules):
    trailer = b"+REF1'" if b"+REF1" in unb else b"'"
    report = validate_edifact(unb + message_of(clean_utilmd()) + b"UNZ+1" + trailer, "2025-11-01")
    (message,) = report.messages
    assert [f.rule_id for f in message.errors] == rules, name
    assert all(f.segment == "UNB" for f in message.errors)
    assert report.is_valid == (not rules) and message.rules_applied
    # With no message to carry it, the finding still decides the verdict.
    empty = validate_edifact(unb + b"UNZ+0" + trailer, "2025-11-01")
    assert empty.envelope.is_structurally_valid == empty.is_valid == (not rules)


@pytest.mark.parametrize(
    ("name", "spoil", "rules"),
    [
        ("clean", lambda m: m, []),
        ("unt_count_and_reference", lambda m: m.replace(b"UNT+23+M1", b"UNT+99+7"),
         ["PARSE-ENVELOPE-REFERENCE", "PARSE-ENVELOPE-SEGMENT-COUNT"]),
        ("unt_count", lambda m: m.replace(b"UNT+23+M1", b"UNT+22+M1"), ["PARSE-ENVELOPE-SEGMENT-COUNT"]),
        ("unz_after", lambda m: m + b"UNZ+1+REF1'", ["PARSE-ENVELOPE-MISPLACED"]),
        ("unb_after", lambda m: m + UTILMD_UNB, ["PARSE-ENVELOPE-MISPLACED"]),
        ("unb_after_naming_other_parties", lambda m: m + UTILMD_UNB.replace(b"9900000000003", b"9900000000027"),
         ["PARSE-ENVELOPE-MISPLACED"]),
        ("ung_before", lambda m: UTILMD_GROUP.replace(b"{ref}", b"G1") + m, ["PARSE-ENVELOPE-MISPLACED"]),
        ("une_after", lambda m: m + b"UNE+1+G1'", ["PARSE-ENVELOPE-MISPLACED"]),
        ("group_around", lambda m: UTILMD_GROUP.replace(b"{ref}", b"G1") + m + b"UNE+1+G1'",
         ["PARSE-ENVELOPE-MISPLACED", "PARSE-ENVELOPE-MISPLACED"]),
        ("une_inside", lambda m: m.replace(b"IDE+24", b"UNE+1+G1'IDE+24"), ["PARSE-ENVELOPE-MISPLACED"]),
    ],
)
def test_a_bare_message_has_its_envelope_checked_as_in_an_interchange(name, spoil, rules):
    report = validate_edifact(spoil(message_of(clean_utilmd())), "2025-11-01")
    (message,) = report.messages
    assert report.envelope is None
    assert [f.rule_id for f in message.errors] == rules, name
    assert all(f.rule_origin == "parse" for f in message.errors)
    assert report.is_valid == (not rules) and message.rules_applied and message.pruefidentifikator == 55001


def test_a_unb_after_a_bare_message_is_said_to_be_misplaced():
    (finding,) = validate_edifact(message_of(clean_utilmd()) + UTILMD_UNB, "2025-11-01").errors
    assert (finding.segment, finding.message) == ("UNB", "segment UNB is not valid for message type ENVELOPE")


def test_a_byte_order_mark_keeps_two_messages_on_the_interchange_road():
    message = message_of(clean_utilmd())
    second = message.replace(b"M1", b"M2")
    raw = b"\xef\xbb\xbf" + UTILMD_UNB + message + second + b"UNZ+2+REF1'"
    report = validate_edifact(raw, "2025-11-01")
    assert [m.message_ref for m in report.messages] == ["M1", "M2"] and report.is_valid


def test_a_duplicate_message_reference_is_a_finding_of_the_second_message():
    message = message_of(clean_utilmd())
    report = validate_edifact(UTILMD_UNB + message + message + b"UNZ+2+REF1'", "2025-11-01")
    assert [[f.rule_id for f in m.errors] for m in report.messages] == [[], ["PARSE-ENVELOPE-DUPLICATE-REFERENCE"]]


# --- messages --------------------------------------------------------------------------------


def test_unknown_message_type_is_one_unvalidated_finding():
    message = validate_edifact(interchange(UNKNOWN), "2025-11-01").messages[0]
    assert (message.message_type, message.rules_applied, message.is_valid, message.release) == (None, False, False,
                                                                                                "1.0")
    (finding,) = message.findings
    assert (finding.severity, finding.rule_id, finding.rule_origin, finding.message) == (
        "error", "UNKNOWN-MSG-TYPE", "unvalidated", 'message type "FOOBAR" is not validated in this build')
    assert repr(message) == 'MessageReport(#0 "?" pid=None valid=false rules_applied=false findings=1)'


@pytest.mark.parametrize(
    ("release", "on", "text"),
    [
        (b"S9.9", "2025-11-01", "no profile found for message type Utilmd release S9.9"),
        (b"S2.1", "2025-09-30", "profile for Utilmd release S2.1 is not yet active on 2025-09-30"),
        (b"", "2025-11-01", "release code is missing in UNH segment"),
        (b"S2.1", "2025-11-01", None),
    ],
)
def test_a_message_that_cannot_be_validated_fails_the_call_naming_it(release, on, text):
    message = b"UNH+U2+UTILMD:D:11A:UN" + (b":" + release if release else b"") + b"'BGM+E01'UNT+3+U2'"
    if text is None:
        assert [m.message_ref for m in validate_edifact(interchange(UNKNOWN, message), on).messages] == ["1", "U2"]
        return
    with pytest.raises(RuntimeError) as raised:
        validate_edifact(interchange(UNKNOWN, message), on)
    assert str(raised.value).startswith('validation failed: message #1 (UNH reference "U2"): ' + text)
    # The one message of a bare input has no position to name.
    with pytest.raises(RuntimeError) as raised:
        validate_edifact(message, on)
    assert str(raised.value).startswith("validation failed: " + text)


def test_two_messages_keep_their_order_and_refuse_single_answers():
    second = UNKNOWN.replace(b"UNH+1", b"UNH+2").replace(b"UNT+3+1", b"UNT+3+2")
    report = validate_edifact(interchange(UNKNOWN, second), "2025-11-01")
    assert [(m.index, m.message_ref) for m in report.messages] == [(0, "1"), (1, "2")]
    assert len(report.findings) == 2 and len(report.errors) == 2
    for name in ("pruefidentifikator", "message_type", "release", "rules_applied"):
        with pytest.raises(ValueError) as raised:
            getattr(report, name)
        assert str(raised.value) == ("this interchange carries 2 messages — use report.messages[i], because one "
                                     "answer would be wrong for all but one of them")
