"""Two Vorgänge that are valid alone are valid together, in either order: each is decided by its own segments."""

import re

import pytest

import quorvane._native as native

ON = "2026-04-01"
MS, MR = "9900357000004", "4012345000023"
T = native.UtilmdTransaction
# A Kunde (NAD+Z09) that the first asks for by its STS+7 ZW4, and a Tranche that has none.
VORGAENGE = [T("VG-1", transaktionsgrund="E01", transaktionsgrund_ergaenzung="ZW4"),
             T("VG-2", transaktionsgrund="E03", transaktionsgrund_ergaenzung="ZW5")]


def errors(message):
    report = native.validate_edifact(native.build_interchange(MS, MR, "DAR1", [message], on=ON), ON)
    (read,) = report.messages
    return [f.message for f in read.errors]


def built(*vorgaenge):
    return native.build_utilmd(55010, MS, MR, on=ON, sparte="STROM", transactions=list(vorgaenge))


def spliced(first, second):
    """The second message's Vorgang appended to the first message."""
    body = second[second.index(b"IDE+"):second.index(b"UNT+")]
    joined = first[:first.index(b"UNT+")] + body + first[first.index(b"UNT+"):]
    return re.sub(rb"UNT\+\d+\+", b"UNT+%d+" % len(re.findall(rb"(?<!\?)'", joined)), joined)


@pytest.mark.parametrize("order", [(0, 1), (1, 0)])
def test_two_vorgaenge_valid_alone_are_valid_together(order):
    first, second = (VORGAENGE[i] for i in order)
    assert errors(built(first)) == [] and errors(built(second)) == []
    assert errors(spliced(built(first), built(second))) == []
    assert errors(built(first, second)) == []
