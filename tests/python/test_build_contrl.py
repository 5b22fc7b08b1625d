"""build_contrl and build_contrl_for: the UCI as written, the parties swapped from a received UNB, failures."""

import pytest

import quorvane._native as native
from answer_support import A, B, fixture, interchange, tagged

MP = "9900357000004"
NB = "4012345000023"


def contrl(uci, ref="1", release="2.0b"):
    return f"UNH+{ref}+CONTRL:D:3:UN:{release}'UCI+{uci}'UNT+3+{ref}'".encode()


@pytest.mark.parametrize(
    ("arguments", "expected"),
    [
        ({}, contrl(f"R+{MP}:500+{NB}:14+7")),
        ({"accept": False}, contrl(f"R+{MP}:500+{NB}:14+4+12")),
        ({"accept": False, "syntax_error": "16"}, contrl(f"R+{MP}:500+{NB}:14+4+16")),
        ({"syntax_error": "16"}, contrl(f"R+{MP}:500+{NB}:14+7")),
        ({"accept": False, "action_code": "8"}, contrl(f"R+{MP}:500+{NB}:14+8+12")),
        ({"action_code": "8"}, contrl(f"R+{MP}:500+{NB}:14+8")),
        ({"message_ref": "7"}, contrl(f"R+{MP}:500+{NB}:14+7", ref="7")),
        ({"release": "X?1", "on": "not a date"}, contrl(f"R+{MP}:500+{NB}:14+7", release="X??1")),
    ],
)
def test_build_contrl_writes_exactly(arguments, expected):
    arguments = {"release": "2.0b", **arguments}
    assert native.build_contrl(MP, NB, "R", **arguments) == expected


def test_release_follows_the_date_when_not_pinned():
    release = native.release_for("CONTRL", "2026-03-01")
    assert release is not None
    assert tagged(native.build_contrl(MP, NB, "R", on="2026-03-01"), "UNH") == [f"UNH+1+CONTRL:D:3:UN:{release}"]


@pytest.mark.parametrize("accept", [True, False])
@pytest.mark.parametrize("received", ["utilmd_55001.edi", "contrl.edi", "mscons_13002.edi"])
def test_build_contrl_for_swaps_the_parties_and_validates(received, accept):
    built = native.build_contrl_for(fixture(received), release="2.0b", accept=accept, message_ref="C1")
    assert built == contrl(f"REF1+{B}:500+{A}:500+" + ("7" if accept else "4+12"), ref="C1")
    report = native.validate_edifact(interchange(built, sender=B, recipient=A, ref="C1"), "2026-03-01")
    assert report.is_valid, [finding.message for message in report.messages for finding in message.findings]


NEITHER = "pass either release= or on= — a CONTRL message has no default release"
PARSE = "EDIFACT parse failed: "
BARE = b"UNH+M1+CONTRL:D:3:UN:2.0b'UCI+1+A:14+B:14+7'UNT+3+M1'"


@pytest.mark.parametrize(
    ("call", "error", "text"),
    [
        (lambda: native.build_contrl(MP, NB, "R"), ValueError, NEITHER),
        (lambda: native.build_contrl(MP, NB, "R", on="2026-13-01"), ValueError, "invalid ISO 8601 date"),
        (lambda: native.build_contrl(MP, NB, None, release="2.0b"), TypeError, "argument 'interchange_ref'"),
        (lambda: native.build_contrl(MP, NB, "R", release="2.0b", message_ref=None), TypeError, "argument 'message_ref'"),
        (lambda: native.build_contrl(MP, NB, "R", release="2.0b", accept=1), TypeError, "argument 'accept'"),
        (lambda: native.build_contrl(MP, 5, "R", release="2.0b"), TypeError, "argument 'receiver'"),
        (lambda: native.build_contrl_for(b"not edifact"), ValueError, NEITHER),
        (lambda: native.build_contrl_for(BARE, release="2.0b"), ValueError, PARSE + 'required segment UNB is missing'),
        (lambda: native.build_contrl_for(b"not edifact", release="2.0b"), ValueError, PARSE),
        (lambda: native.build_contrl_for(fixture("contrl.edi").replace(b"UNZ+1", b"UNZ+2"), release="2.0b"),
         ValueError, PARSE),
        (lambda: native.build_contrl_for(fixture("contrl.edi").replace(b"UNZ+1+REF1", b"UNZ+1+REF2"), release="2.0b"),
         ValueError, PARSE),
        (lambda: native.build_contrl_for(fixture("contrl.edi").decode(), release="2.0b"), TypeError, "argument 'received'"),
        (lambda: native.build_contrl_for(bytearray(fixture("contrl.edi")), release="2.0b"), TypeError,
         "argument 'received'"),
        (lambda: native.build_contrl_for(fixture("contrl.edi"), release="2.0b", message_ref=None), TypeError,
         "argument 'message_ref'"),
    ],
)
def test_failures(call, error, text):
    with pytest.raises(error) as raised:
        call()
    # Binding errors name the function first; every other message is checked from its start.
    message = str(raised.value)
    assert text in message if error is TypeError else message.startswith(text)
