"""build_interchange: the UNB/UNZ envelope around built messages."""

import datetime

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import quorvane._native as native
from edifact_segments import split, tagged

MS, MR = "9900357000004", "4012345000023"
ONE = b"UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+1'UNT+3+1'"
TWO = b"UNH+2+UTILMD:D:11A:UN:S2.1'BGM+E01+2'UNT+3+2'"
THREE = b"UNH+3+UTILMD:D:11A:UN:S2.1'BGM+E01+3'UNT+3+3'"


def unb_and_unz(data):
    segments = split(data, "latin-1")
    return segments[0], segments[-1]


def test_one_envelope_byte_for_byte():
    built = native.build_interchange(MS, MR, "DAR1", [ONE, TWO], on="2026-03-15")
    assert built == (b"UNB+UNOC:3+9900357000004:500+4012345000023:14+260315:0000+DAR1'" + ONE + TWO +
                     b"UNZ+2+DAR1'")


@pytest.mark.parametrize(
    "kwargs, date_time",
    [
        ({"on": "2026-03-15"}, ["260315", "0000"]),
        ({"on": "2005-01-07", "time": "1230"}, ["050107", "1230"]),
        ({"date": "260401", "on": "no date"}, ["260401", "0000"]),
        ({"date": "000229", "time": "0000"}, ["000229", "0000"]),
    ],
)
def test_unb_date_and_time(kwargs, date_time):
    unb, _ = unb_and_unz(native.build_interchange(MS, MR, "R", [ONE], **kwargs))
    assert unb[4] == date_time


@pytest.mark.parametrize(
    "party, qualifier",
    [("9900357000004", "500"), ("9812345000007", "502"), ("4012345000023", "14")],
)
def test_party_qualifier_follows_the_id(party, qualifier):
    unb, _ = unb_and_unz(native.build_interchange(party, party, "R", [ONE], on="2026-04-01"))
    assert unb[2] == [party, qualifier] and unb[3] == [party, qualifier]


@pytest.mark.parametrize(
    "messages, count",
    [
        ([ONE], "1"),
        ([ONE, TWO], "2"),
        ([ONE + TWO], "2"),  # one payload holding two messages
        ([ONE, TWO, THREE + b"UNH+4+UTILMD:D:11A:UN:S2.1'BGM+E01+4'UNT+3+4'"], "4"),
        # "UNH+" inside a component is text, not a message
        ([b"UNH+1+X'FTX+ACB+++a?'UNH+b'UNT+3+1'"], "1"),
    ],
)
def test_unz_counts_the_messages_and_repeats_the_reference(messages, count):
    unb, unz = unb_and_unz(native.build_interchange(MS, MR, "R+7", messages, on="2026-04-01"))
    assert unb[5] == ["R+7"]
    assert unz == ["UNZ", [count], ["R+7"]]


@pytest.mark.parametrize("payload", [bytearray(ONE), list(ONE), tuple(ONE)])
def test_payload_forms(payload):
    assert native.build_interchange(MS, MR, "R", [payload], on="2026-04-01") == \
        native.build_interchange(MS, MR, "R", [ONE], on="2026-04-01")


def test_payload_is_reencoded_into_latin1():
    built = native.build_interchange(MS, MR, "R", ["UNH+1+X'FTX+ACB+++Grüße'UNT+3+1'".encode()], on="2026-04-01")
    assert "Grüße".encode("latin-1") in built and "Grüße".encode() not in built
    assert built.startswith(b"UNB+UNOC:3+") and built.endswith(b"'")


def test_envelope_texts_are_escaped():
    unb, unz = unb_and_unz(native.build_interchange(MS, MR, "R'1?+:", [ONE], date="260401", time="1200"))
    assert unb[5] == ["R'1?+:"] and unz[2] == ["R'1?+:"]


# What the envelope check of validate_edifact reads as no date, no time or no reference is not written.
@pytest.mark.parametrize(
    ("kwargs", "text"),
    [
        ({"date": "2026-04-01"}, 'date "2026-04-01" is no UNB date: YYMMDD of a day of the calendar'),
        # A syntax-3 UNB has no four-digit year and no seconds.
        ({"date": "20260401"}, 'date "20260401" is no UNB date: '),
        ({"date": "20240229", "time": "2359"}, 'date "20240229" is no UNB date: '),
        ({"on": "2026-04-01", "time": "120000"}, 'time "120000" is no UNB time: HHMM of a 24-hour clock'),
        ({"date": ""}, 'date "" is no UNB date: '),
        ({"date": "261340"}, 'date "261340" is no UNB date: '),
        ({"date": "260230"}, 'date "260230" is no UNB date: '),
        ({"date": "20230229"}, 'date "20230229" is no UNB date: '),
        ({"date": "26041"}, 'date "26041" is no UNB date: '),
        ({"on": "2026-04-01", "time": ""}, 'time "" is no UNB time: HHMM of a 24-hour clock'),
        ({"on": "2026-04-01", "time": "2400"}, 'time "2400" is no UNB time: '),
        ({"on": "2026-04-01", "time": "1260"}, 'time "1260" is no UNB time: '),
        ({"on": "2026-04-01", "time": "12:00"}, 'time "12:00" is no UNB time: '),
        ({"on": "2026-04-01", "dar": ""}, "dar is empty: it is the Datenaustauschreferenz (UNB and UNZ DE 0020)"),
        ({"on": "2026-04-01", "sender": ""}, "sender is empty: "),
        ({"on": "2026-04-01", "receiver": ""}, "receiver is empty: "),
        # Every qualifier written (500, 502, 14) names 13 digits.
        ({"on": "2026-04-01", "sender": "11XDE-TEST-X--Y"},
         'sender "11XDE-TEST-X--Y" is no market-partner ID: the UNB names a BDEW, DVGW or GS1 number of 13 digits'),
        ({"on": "2026-04-01", "sender": "99003570000"}, 'sender "99003570000" is no market-partner ID: '),
        ({"on": "2026-04-01", "receiver": "ABCDEFGHIJKLM"}, 'receiver "ABCDEFGHIJKLM" is no market-partner ID: '),
        ({"on": "2026-04-01", "receiver": "A+B"}, 'receiver "A+B" is no market-partner ID: '),
    ],
)
def test_envelope_values_a_receiver_cannot_read_are_refused(kwargs, text):
    parties = {"sender": kwargs.pop("sender", MS), "receiver": kwargs.pop("receiver", MR),
               "dar": kwargs.pop("dar", "R")}
    with pytest.raises(ValueError) as raised:
        native.build_interchange(messages=[ONE], **parties, **kwargs)
    assert str(raised.value).startswith(text)


@pytest.mark.parametrize(
    ("payload", "fault"),
    [
        (b"BGM+E01+1'UNT+2+1'", "segment BGM stands outside a message"),
        (ONE + b"UNZ+1+R'", "segment UNZ stands outside a message"),
        (b"UNB+UNOC:3+A+B+260401:1200+R'" + ONE, "segment UNB stands outside a message"),
        (b"UNG+UTILMD+A+B+260401:1200+G1+UN+D:11A'" + ONE + b"UNE+1+G1'", "segment UNG stands outside a message"),
        (b"UNH+1+UTILMD:D:11A:UN:S2.1'UNH+2+UTILMD:D:11A:UN:S2.1'UNT+2+2'",
         'segment UNH stands inside message "1"'),
        (b"UNH+1+UTILMD:D:11A:UN:S2.1'UNE+1+G1'UNT+3+1'", 'segment UNE stands inside message "1"'),
        (b"UNH+7+UTILMD:D:11A:UN:S2.1'BGM+E01+1'", 'message "7" has no UNT'),
        (b"UNH+7+UTILMD:D:11A:UN:S2.1'BGM+E01+1'UNT+3+8'", 'message "7" ends with the UNT of message "8"'),
        (ONE[:-1], "EDIFACT parse error: unexpected end of input at byte offset 44"),
        (ONE[:-1] + b"?'", "EDIFACT parse error: unexpected end of input at byte offset 46"),
        (b"UNA:+.? '" + ONE, "it holds a UNA service string advice"),
        (b"\xef\xbb\xbf" + ONE, "it starts with a byte-order mark"),
        (b"  \r\n", "it holds no segment"),
        (b"hello", 'EDIFACT parse error: invalid segment tag "hello"'),
    ],
)
def test_a_payload_that_is_not_whole_messages_is_refused(payload, fault):
    with pytest.raises(ValueError) as raised:
        native.build_interchange(MS, MR, "R", [ONE, payload], on="2026-04-01")
    assert str(raised.value) == f"messages[1] is not one or more messages UNH to UNT: {fault}"
    # the same messages, whole, with whitespace between and after them
    assert native.build_interchange(MS, MR, "R", [ONE, b"\r\n" + TWO + b"\n" + THREE + b"\n"], on="2026-04-01")


@pytest.mark.parametrize(
    "args, kwargs, error, text",
    [
        ((MS, MR, "R", []), {}, ValueError,
         "an interchange carries at least one message — UNZ+0 is not a thing a counterparty accepts"),
        # Empty payloads are no messages; one among messages would be counted in UNZ all the same.
        ((MS, MR, "R", [b"", bytearray()]), {"on": "2026-04-01"}, ValueError,
         "an interchange carries at least one message — UNZ+0 is not a thing a counterparty accepts"),
        ((MS, MR, "R", [ONE, b""]), {"on": "2026-04-01"}, ValueError, "messages[1] is empty: "),
        ((MS, MR, "R", [ONE]), {}, ValueError,
         "pass either on= (the send date) or date= (YYMMDD) — an interchange with no transmission date is one "
         "a counterparty cannot process"),
        ((MS, MR, "R", [ONE]), {"on": "2026-02-30"}, ValueError, 'invalid ISO 8601 date "2026-02-30"'),
        ((MS, MR, "R", ["UNH+1+X'UNT+2+1'"]), {"on": "2026-04-01"}, TypeError, "Can't extract `str` to `Vec`"),
        ((MS, MR, "R", "UNH"), {"on": "2026-04-01"}, TypeError, "Can't extract `str` to `Vec`"),
        ((MS, MR, "R", None), {"on": "2026-04-01"}, TypeError, "argument 'messages'"),
        ((MS, MR, "R", [[1, 256]]), {"on": "2026-04-01"}, OverflowError,
         "out of range integral type conversion attempted"),
        ((MS, MR, "R", [ONE]), {"on": "2026-04-01", "time": None}, TypeError, "argument 'time'"),
        # What UNOC cannot carry is the argument's fault, and named.
        ((MS, MR, "R", [ONE, "UNH+1+X'FTX+ACB+++€'UNT+3+1'".encode()]), {"on": "2026-04-01"}, ValueError,
         "messages[1] contains '€' (U+20AC) at character 18, which the "),
        ((MS + "€", MR, "R", [ONE]), {"on": "2026-04-01"}, ValueError, "sender contains '€' (U+20AC) at character 13"),
        ((MS, MR, "R\u2014", [ONE]), {"on": "2026-04-01"}, ValueError, "dar contains '—' (U+2014) at character 1"),
        ((MS, MR, "R", [ONE], ), {"date": "26\u202604"}, ValueError, 'date "26…04" is no UNB date'),
        ((MS, MR, "R", [b"UNH+1+X'FTX+ACB+++\xfc'UNT+3+1'"]), {"on": "2026-04-01"}, ValueError,
         "messages[0] is not UTF-8: byte 18 is no part of a character"),
        # The reader tells the messages of an interchange apart by their reference, DE 0062.
        ((MS, MR, "R", [ONE, TWO, THREE + ONE]), {"on": "2026-04-01"}, ValueError,
         'messages[2] holds the message reference "1" as messages[0] does: every message of an interchange has its own'),
        ((MS, MR, "R", [TWO, ONE + ONE]), {"on": "2026-04-01"}, ValueError,
         'messages[1] holds the message reference "1" twice: '),
        ((MS, MR, "R" * 15, [ONE]), {"on": "2026-04-01"}, ValueError,
         'dar "RRRRRRRRRRRRRRR" has 15 characters: the Datenaustauschreferenz (UNB and UNZ DE 0020) holds at most 14'),
        # Two digits of year -1 would name 1999 or 2099.
        ((MS, MR, "R", [ONE]), {"on": "-000001-04-01"}, ValueError,
         'on "-000001-04-01" is out of range: the result falls in the year -1'),
    ],
)
def test_refusals(args, kwargs, error, text):
    with pytest.raises(error) as raised:
        native.build_interchange(*args, **kwargs)
    assert type(raised.value) is error
    assert text in str(raised.value)
    if text.startswith("an interchange") or text.startswith("pass either"):
        assert str(raised.value) == text


# Whatever build_interchange accepts, the envelope check of validate_edifact finds nothing in it.
@given(
    sender=st.from_regex(r"\A[0-9]{13}\Z"),
    receiver=st.from_regex(r"\A[0-9]{13}\Z"),
    dar=st.text(st.characters(min_codepoint=32, max_codepoint=255, blacklist_categories=("Cc",)), min_size=1, max_size=14),
    day=st.dates(min_value=datetime.date(1, 1, 1)),
    time=st.tuples(st.integers(0, 23), st.integers(0, 59)).map(lambda hm: "%02d%02d" % hm),
    by_date=st.booleans(),
)
@settings(max_examples=200)
def test_what_is_built_passes_the_envelope_check(sender, receiver, dar, day, time, by_date):
    when = {"date": day.strftime("%y%m%d")} if by_date else {"on": day.isoformat()}
    built = native.build_interchange(sender, receiver, dar, [ONE], time=time, **when)
    report = native.validate_edifact(built, "2026-04-01")
    assert not report.by_rule("PARSE-"), [f"{f.rule_id}: {f.message}" for f in report.by_rule("PARSE-")]
    assert report.envelope.is_structurally_valid


def message(reference, ftx=1, text="a"):
    """A message of `ftx` FTX segments carrying `text`, UNH and UNT counted in."""
    body = f"FTX+ACB+++{text}'" * ftx
    return f"UNH+{reference}+UTILMD:D:11A:UN:S2.1'{body}UNT+{ftx + 2}+{reference}'".encode()


def message_of_bytes(reference, size):
    """A message of exactly `size` bytes, its FTX segments well within a segment's length."""
    ftx = -(-size // 60_000)
    room = size - len(message(reference, ftx, ""))
    texts = [room // ftx + (1 if at < room % ftx else 0) for at in range(ftx)]
    body = "".join(f"FTX+ACB+++{'a' * length}'" for length in texts)
    return f"UNH+{reference}+UTILMD:D:11A:UN:S2.1'{body}UNT+{ftx + 2}+{reference}'".encode()


ENVELOPE_BYTES = len(native.build_interchange(MS, MR, "R", [ONE], on="2026-04-01")) - len(ONE)
LARGEST = 10_485_760 - ENVELOPE_BYTES - len(ONE)


# At the reader's limits the interchange is built and read; one message, segment or byte more is
# refused, naming the payload that takes it past.
@pytest.mark.parametrize(("payloads", "text"), [
    (lambda more: [message(n) for n in range(1000 + more)],
     "messages[1000]: with it the interchange would hold 1001 messages; validate_edifact reads at most 1000 — "),
    (lambda more: [ONE, message(2, 9_993 + more)], "messages[1]: with it the interchange would hold 10001 segments"),
    (lambda more: [ONE, message_of_bytes(2, LARGEST + more)],
     "messages[1]: with it the interchange would hold 10485761 bytes"),
])
def test_an_interchange_past_the_readers_limits_is_refused(payloads, text):
    built = native.build_interchange(MS, MR, "R", payloads(0), on="2026-04-01")
    report = native.validate_edifact(built, "2026-04-01")
    assert report.envelope.is_structurally_valid and not report.by_rule("PARSE-")
    with pytest.raises(ValueError) as raised:
        native.build_interchange(MS, MR, "R", payloads(1), on="2026-04-01")
    assert str(raised.value).startswith(text), str(raised.value)


# Whatever build_interchange accepts, validate_edifact reads without a reference finding.
@given(
    payloads=st.lists(st.lists(st.sampled_from(["1", "2", "3", "1A", "A1"]), min_size=1, max_size=2), min_size=1,
                      max_size=4),
    dar=st.text(alphabet="R1?+' ä", min_size=1, max_size=18),
)
@settings(max_examples=300)
def test_what_is_built_repeats_no_reference(payloads, dar):
    references = [reference for payload in payloads for reference in payload]
    try:
        built = native.build_interchange(MS, MR, dar, [b"".join(map(message, payload)) for payload in payloads],
                                         on="2026-04-01")
    except ValueError as refused:
        assert str(refused).startswith(("dar ", "messages[")), str(refused)
        assert len(set(references)) < len(references) or len(dar) > 14, str(refused)
        return
    report = native.validate_edifact(built, "2026-04-01")
    assert not report.by_rule("PARSE-") and report.envelope.is_structurally_valid
    assert report.envelope.message_count == len(references)
