"""build_answer takes a value the answer needs from the request or an argument, or refuses the call saying
how to go on: a request date in another zone is confirmed as the same instant in +00, one the column cannot
take or that is missing is refused naming `received`, as is a message without a Vorgang; a value the given
antwort_code obliges is refused naming the argument that gives it, and so is a faulty argument beside a
request that lacks a Lokation."""

import re

import pytest

import quorvane._native as native
from answer_support import segments, tagged
from test_answer_carried import body_of, clean, request_of
from test_answer_confirms import befristet, with_count

T = native.UtilmdTransaction
ON = "2025-10-01"
MALO = "50605869880"
GIVE = r'; give the date as process_dates=\[\("{0}", "CCYYMMDDHHMM\+00"\)\]$'
END = "DTM+93:202511302300?+00:303"


def confirmed(received, answer_pid, **arguments):
    """The answer's DTM 92 and 93, or the refusal's text."""
    try:
        answer = native.build_answer(received, answer_pid, on=ON, **arguments)
    except ValueError as refused:
        return str(refused)
    return tagged(answer, "DTM+92") + tagged(answer, "DTM+93")


@pytest.mark.parametrize(("request_pid", "answer_pid"), [(55001, 55002), (55013, 55014)])
@pytest.mark.parametrize(("written", "expected"), [
    (END, ["DTM+92:202609302200?+00:303", END]),
    ("DTM+93:202512010000?+01:303", ["DTM+92:202609302200?+00:303", END]),
    ("DTM+93:202511301800?-05:303", ["DTM+92:202609302200?+00:303", END]),
    ("DTM+93:20251201:102", r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+93, which the request '
                            r'gives as "20251201" \(format 102\), a value the column of UTILMD \d+ \(S2\.1\) does not '
                            r"take" + GIVE.format(93)),
    ("", r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+93, which the request does not give'
         + GIVE.format(93)),
])
def test_a_befristet_requests_end_is_confirmed_in_utc_or_refused(request_pid, answer_pid, written, expected):
    received, _, _ = befristet(request_pid, ON)
    received = with_count(received.replace(f"{END}'".encode(), f"{written}'".encode() if written else b""))
    answer = confirmed(received, answer_pid)
    if isinstance(expected, list):
        assert answer == expected
    else:
        assert re.match(expected, answer), answer
        # The refusal's way on builds.
        assert confirmed(received, answer_pid, process_dates=[("93", "202512312300+00")])[-1] == \
            "DTM+93:202512312300?+00:303"


@pytest.mark.parametrize(("written", "expected"), [
    ("DTM+92:202610010000?+02:303", ["DTM+92:202609302200?+00:303"]),
    ("DTM+92:20261001:102", r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+92, which the request '
                            r'gives as "20261001" \(format 102\)'),
])
def test_a_requests_beginn_is_confirmed_in_utc_or_refused(written, expected):
    received, _, _ = request_of(55001, ON)
    received = received.replace(b"DTM+92:202609302200?+00:303", written.encode())
    answer = confirmed(received, 55002)
    assert answer == expected if isinstance(expected, list) else re.match(expected, answer), answer


@pytest.mark.parametrize("vorgaenge", [b"", b"IDE+24'"], ids=["header-only", "no-vorgangsnummer"])
def test_a_message_without_a_vorgang_is_refused_naming_received(vorgaenge):
    received, _, _ = request_of(55001, ON)
    body = body_of(received)
    header = body[:body.index(b"IDE+")] + vorgaenge
    second = header + f"UNT+{len(segments(header)) + 1}+1'".encode()
    end = received.rindex(b"UNZ")
    received = received[:end] + second + received[end:].replace(b"UNZ+1+", b"UNZ+2+")
    with pytest.raises(ValueError, match=r"^received: message 1 holds no Vorgang \(an IDE with its Vorgangsnummer\) "
                                         r"to answer$"):
        native.build_answer(received, 55002, on=ON, message_index=1)
    assert tagged(native.build_answer(received, 55002, on=ON), "IDE") == ["IDE+24+VG1"]


DATES = r'^process_dates: antwort_code "A06" obliges DTM\+Z07 and DTM\+Z08 in the answer, which no argument gives; '
TEXT = r'^free_texts: antwort_code "A05" obliges FTX\+ACB in the answer, which no argument gives; give it as ' \
       r'free_texts=\[\("ACB", "…"\)\]$'


@pytest.mark.parametrize(("request_pid", "answer_pid", "arguments", "refused"), [
    (55001, 55003, {"antwort_code": "A06"}, DATES),
    (55001, 55003, {"antwort_code": "A06", "process_dates": [("Z07", "202610312300+00")]},
     r'^process_dates: antwort_code "A06" obliges DTM\+Z08 in the answer'),
    (55001, 55003, {"antwort_code": "A05"}, TEXT),
    (55039, 55040, {"antwort_code": "Z01"}, r'^process_dates: antwort_code "Z01" obliges DTM\+471 in the answer'),
    (55001, 55003, {"antwort_code": "A06", "process_dates": [("Z07", "202610312300+00"),
                                                             ("Z08", "202611302300+00")]}, None),
    (55001, 55003, {"antwort_code": "A05", "free_texts": [("ACB", "Zu spät")]}, None),
    (55001, 55003, {"antwort_code": "A07"}, None),
])
def test_what_the_given_code_obliges_is_refused_naming_its_argument(request_pid, answer_pid, arguments, refused):
    received, sender, receiver = request_of(request_pid, ON)
    if refused:
        with pytest.raises(ValueError, match=refused):
            native.build_answer(received, answer_pid, on=ON, **arguments)
        return
    answer = native.build_answer(received, answer_pid, on=ON, **arguments)
    assert clean(answer, ON, receiver, sender)[0]
    for qualifier, value in arguments.get("process_dates", []):
        assert tagged(answer, f"DTM+{qualifier}") == [f"DTM+{qualifier}:{value.replace('+', '?+')}:303"]


def without_malo(pid):
    received, _, _ = request_of(pid, ON)
    return with_count(re.sub(rb"LOC\+Z16\+\d+'", b"", received))


@pytest.mark.parametrize(("received", "answer_pid"), [
    (lambda: request_of(55001, ON, (T("VG1", transaktionsgrund_ergaenzung="ZAP", locations=[("malo", MALO)]),))[0],
     55002),
    (lambda: without_malo(55042), 55043),
])
@pytest.mark.parametrize(("arguments", "named"), [
    ({"free_texts": [("ZZZ", "x")]}, "free_texts[0]"),
    ({"process_dates": [("Z99", "202610012200+00")]}, "process_dates[0]"),
    ({"antwort_code": "Q9Q"}, "antwort_code"),
    ({}, 'received: message 0, Vorgang "VG1": the answer must carry a Lokation the request does not name'),
])
def test_a_faulty_argument_beside_a_missing_lokation_is_named(received, answer_pid, arguments, named):
    with pytest.raises(ValueError) as refused:
        native.build_answer(received(), answer_pid, on=ON, **arguments)
    assert str(refused.value).startswith(named), str(refused.value)
