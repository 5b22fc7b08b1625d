"""A Prüfidentifikator that the release has no Anwendungsfall for is refused by every builder whose
column it chooses; a message built without its column would validate without any AHB rule."""

import re

import pytest

import quorvane._native as native
from answer_support import A, B, interchange

MS, MR = "9900000000003", "9800000000008"
INVOICE = {"rechnungsnummer": "R1", "faelliger_betrag": "1", "ueberweisungsbetrag": "1", "rechnungsdatum": "20260301"}
REQUEST = interchange(
    f"UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+D1'DTM+137:202510010000?+00:303'NAD+MS+{A}::293'NAD+MR+{B}::293'"
    "IDE+24+V1'UNT+7+1'".encode())

BUILDERS = {
    "UTILMD": lambda pid, **kw: native.build_utilmd(pid, MS, MR, **kw),
    "MSCONS": lambda pid, **kw: native.build_mscons(pid, MS, MR, "DE0001", [("220", "1", "KWH")], **kw),
    "REMADV": lambda pid, **kw: native.build_remadv(pid, MS, MR, **INVOICE, **kw),
    "ORDERS": lambda pid, **kw: native.build_orders(pid, MS, MR, **kw),
    "ORDRSP": lambda pid, **kw: native.build_ordrsp(pid, MS, MR, **kw),
    "IFTSTA": lambda pid, **kw: native.build_iftsta(pid, MS, MR, **kw),
    "QUOTES": lambda pid, **kw: native.build_quotes(pid, MS, MR, **kw),
}


def refused(call, argument, pid, column, where):
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == f"{argument} {pid} is no Anwendungsfall of {column} — {where}"


@pytest.mark.parametrize("message_type", BUILDERS)
@pytest.mark.parametrize(("pid", "where"), [
    (55001, "it is one of UTILMD S2.1, UTILMD S2.2"),  # another message type's
    (99999, "no compiled profile has it"),
])
def test_a_pid_of_no_anwendungsfall_of_the_release_is_refused(message_type, pid, where):
    if message_type == "UTILMD" and pid == 55001:
        pid, where = 13002, "it is one of MSCONS 2.4c, MSCONS 2.5"
    release = native.release_for(message_type, "2026-05-01")
    refused(lambda: BUILDERS[message_type](pid, on="2026-05-01"), "pruefidentifikator", pid,
            f"{message_type} {release}", where)


@pytest.mark.parametrize(("pid", "arguments", "column", "where"), [
    # Carried from 2026-10-01 only.
    (55693, {"on": "2026-05-01", "sparte": "STROM"}, "UTILMD S2.1", "it is one of UTILMD S2.2"),
    # The other track's, with the release pinned.
    (44001, {"release": "S2.1"}, "UTILMD S2.1", "it is one of UTILMD G1.1, UTILMD G1.2"),
])
def test_a_pid_the_resolved_release_does_not_carry(pid, arguments, column, where):
    refused(lambda: BUILDERS["UTILMD"](pid, **arguments), "pruefidentifikator", pid, column, where)


def test_the_answer_pid_chooses_the_answer_column():
    refused(lambda: native.build_answer(REQUEST, 17001, on="2026-10-01"), "answer_pid", 17001, "UTILMD S2.2",
            "it is one of ORDERS 1.4b, ORDERS 1.4c")


@pytest.mark.parametrize("message_type", BUILDERS)
def test_a_release_no_profile_carries_is_still_built_as_written(message_type):
    built = BUILDERS[message_type](99999, release="X9.9", on="2026-05-01")
    assert f":X9.9'".encode() in built and re.search(rb"UNT\+\d+\+1'$", built)


def test_aperak_keeps_the_column_of_its_document_code():
    # The argument only names the Prüfidentifikator referred to; BGM chooses the column.
    built = native.build_aperak(MS, MR, on="2026-05-01", pruefidentifikator=13002)
    report = native.validate_edifact(built, "2026-05-01")
    assert report.is_valid, [finding.rule_id for finding in report.messages[0].findings]
