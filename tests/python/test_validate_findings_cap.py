"""A message of thousands of faulty segments: its report keeps the first 1000 findings and closes
with one that counts the rest, and its verdict is the one the whole list would give."""

import pathlib
import re

import pytest

from quorvane._native import validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"
ON = "2026-10-01"
KEPT = 1000
SEGMENT_LIMIT = 10_000

# fixture, the segment after which the copies go, the copied segment
SHAPES = {
    "INVOIC of bare LIN": ("invoic_31001.edi", b"PRI", b"LIN"),
    "UTILMD of bare IDE+24": ("utilmd_55001.edi", b"CCI+Z61", b"IDE+24+X"),
    "MSCONS of unreadable LOC+172": ("mscons_13002.edi", b"LOC+172", b"LOC+172+x"),
}


def with_copies(fixture, after, copy, count):
    segments = [segment.strip() for segment in (FIXTURES / fixture).read_bytes().split(b"'") if segment.strip()]
    unh = next(i for i, segment in enumerate(segments) if segment.startswith(b"UNH"))
    unt = next(i for i, segment in enumerate(segments) if segment.startswith(b"UNT"))
    cut = next(i for i, segment in enumerate(segments) if segment.startswith(after)) + 1
    body = segments[:cut] + [copy] * count + segments[cut:unt]
    body.append(b"UNT+%d+%s" % (len(body) - unh + 1, segments[unh].split(b"+")[1]))
    return b"'".join(body + segments[unt + 1:]) + b"'"


def uncapped_count(shape):
    """How many findings `n` copies draw, counted on messages too small to reach the cap: each copy
    adds the same number of errors to those of the first."""
    one, two, three = (len(validate_edifact(with_copies(*shape, n), ON).findings) for n in (1, 2, 3))
    assert three - two == two - one > 0
    return lambda n: one + (n - 1) * (two - one)


def left_out_text(count):
    return (f"{count} further findings left out after the first {KEPT}: {count} error(s), 0 warning(s), 0 info(s) — "
            "the verdict counts them as if they were listed")


@pytest.mark.parametrize("shape", SHAPES.values(), ids=SHAPES.keys())
def test_a_hostile_message_keeps_the_first_findings_and_one_that_counts_the_rest(shape):
    expected = uncapped_count(shape)
    copies = SEGMENT_LIMIT - 40
    report = validate_edifact(with_copies(*shape, copies), ON)
    message = report.messages[0]
    assert not report.is_valid and not message.is_valid and message.rules_applied
    assert len(message.findings) == KEPT + 1
    closing = message.findings[-1]
    assert (closing.severity, closing.rule_id, closing.rule_origin, closing.segment, closing.is_error) == (
        "error", "FINDINGS-LEFT-OUT", None, None, True)
    assert closing.message == left_out_text(expected(copies) - KEPT)
    assert [finding.rule_id for finding in message.errors] == [finding.rule_id for finding in message.findings]
    assert len(report.by_rule("FINDINGS-")) == 1


@pytest.mark.parametrize("shape", SHAPES.values(), ids=SHAPES.keys())
def test_a_message_up_to_the_cap_keeps_every_finding(shape):
    expected = uncapped_count(shape)
    most = max(n for n in range(1, KEPT + 1) if expected(n) <= KEPT)
    under = validate_edifact(with_copies(*shape, most), ON).messages[0]
    assert len(under.findings) == expected(most)
    assert not under.by_rule("FINDINGS-")
    over = validate_edifact(with_copies(*shape, most + 1), ON).messages[0]
    assert len(over.findings) == KEPT + 1
    assert over.findings[-1].message == left_out_text(expected(most + 1) - KEPT)


def test_the_note_that_no_column_was_applied_outlives_the_cap():
    raw = with_copies("invoic_31001.edi", b"PRI", b"LIN", SEGMENT_LIMIT - 40)
    raw = re.sub(rb"RFF\+Z13:31001'\s*", b"", raw).replace(b"BGM+380", b"BGM+999")
    message = validate_edifact(raw, ON).messages[0]
    # The closing finding ends the list, after the warnings too.
    assert message.errors[-1].rule_id == message.findings[-1].rule_id == "FINDINGS-LEFT-OUT"
    assert [finding.rule_id for finding in message.findings if not finding.is_error] == ["AHB-SKIP-NO-PID"]
    assert message.rules_applied is False
    assert message.pruefidentifikator is None


# What the interchange's envelope says of a message shares the message's one budget.
@pytest.mark.parametrize("stray", [b"UNE+1+G1'", b"UNZ+1+REF1'"], ids=["une", "unz"])
def test_envelope_findings_count_against_the_cap(stray):
    raw = (FIXTURES / "utilmd_55001.edi").read_bytes()
    assert validate_edifact(raw, "2025-11-01").is_valid
    copies = SEGMENT_LIMIT - 40
    at = raw.index(b"UNZ+")
    message = validate_edifact(raw[:at] + stray * copies + raw[at:], "2025-11-01").messages[0]
    assert len(message.findings) == KEPT + 1
    assert message.findings[-1].rule_id == "FINDINGS-LEFT-OUT"
    assert message.findings[-1].message == left_out_text(copies - KEPT)
    assert all(f.rule_origin == "parse" for f in message.findings[:-1])
