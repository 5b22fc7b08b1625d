"""Paket counts: a Paket whose condition speaks of a group counts in each instance of it; others over the climb."""

import datetime
import re

import pytest

import quorvane._native as native

ON = "2026-04-01"
MS, MR = "9900357000004", "4012345000023"
GLN_MS, GLN_MR = "4012345000023", "4012345000030"
SUBSTITUTE = b"STS+Z32++Z88'STS+Z40++Z74'"


def quarter_hour(n):
    return (datetime.datetime(2026, 4, 1) + datetime.timedelta(minutes=15 * n)).strftime("%Y%m%d%H%M+00")


def verdict(message, sender, receiver):
    report = native.validate_edifact(native.build_interchange(sender, receiver, "DAR1", [message], on=ON), ON)
    (read,) = report.messages
    return read.is_valid, sorted({f.rule_id for f in read.errors})


def load_profile(substituted):
    """A clean 13025 Lastgang of 96 quarter hours, the given ones turned into substitute values by hand."""
    built = native.build_mscons(13025, GLN_MS, GLN_MR, "41373559241", on=ON, intervals=[
        ("220", f"{n}.25", "", quarter_hour(n), quarter_hour(n + 1)) for n in range(96)])
    for n in substituted:
        qty = f"QTY+220:{n}.25'".encode()
        end = f"DTM+164:{quarter_hour(n + 1).replace('+', '?+')}:303'".encode()
        at = built.index(qty)
        after = built.index(end, at) + len(end)
        built = built[:at] + qty.replace(b"220", b"67") + built[at + len(qty):after] + SUBSTITUTE + built[after:]
    return recounted(built)


def recounted(built):
    count = len(re.findall(rb"(?<!\?)'", built))
    return re.sub(rb"UNT\+\d+\+", b"UNT+%d+" % count, built)


@pytest.mark.parametrize("substituted", [[7], [7, 8], [0, 50, 95]])
def test_each_substitute_value_carries_its_own_statuses(substituted):
    assert verdict(load_profile(substituted), GLN_MS, GLN_MR) == (True, [])


def utilmd(pid, zh0):
    """A built Vorgang of `pid` whose SEQ+ZH0 group is replaced by the given ones."""
    built = native.build_utilmd(pid, MS, MR, on=ON, sparte="STROM", transactions=[native.UtilmdTransaction("VG-1")])
    group = b"SEQ+ZH0+1'CCI+Z65+++Z02'"
    assert group in built
    return recounted(built.replace(group, b"".join(zh0)))


# A Paket without a condition of its own is counted over the whole Vorgang.
@pytest.mark.parametrize("pid, zh0, rule", [
    (55608, [b"SEQ+ZH0+1'CCI+Z65+++Z02'", b"SEQ+ZH0+2'CCI+Z65+++Z02'"], "AHB-55608-00088-CCI-4051-PAKET-MAX"),
    (55014, [b"SEQ+ZH0+1'CCI+Z65'", b"SEQ+ZH0+2'CCI+Z65'"], "AHB-55014-00088-CCI-4051-PAKET-MIN"),
])
def test_a_paket_over_the_vorgang_still_counts_every_group(pid, zh0, rule):
    valid, rules = verdict(utilmd(pid, zh0), MS, MR)
    assert not valid and rule in rules, rules
