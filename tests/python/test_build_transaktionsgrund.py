"""build_utilmd's STS+7: a Transaktionsgrund or an Ergänzung the caller gives stands beside what
completion writes for the value left out, and the column accepts the message.

Under the sanitizers (QUORVANE_SANITIZE=1) every seventh column is swept.
"""

import functools
import os

import pytest

import quorvane._native as native
from edifact_segments import split, tagged
from test_build_catalogue import LIST_ONLY, PARTY_PAIRS, build, columns
from test_build_sweep import is_clean, parties

T = native.UtilmdTransaction
STEP = 7 if os.environ.get("QUORVANE_SANITIZE") == "1" else 1


def sts7(message):
    return [segment[3:] for segment in tagged(split(message), "STS", "7")]


@functools.cache
def completed_sts7():
    """(release, on, pid, [Grund] or [Grund, Ergänzung]) of every UTILMD column whose bare Vorgang
    completion gives a Transaktionsgrund."""
    found = []
    for case in columns():
        message_type, release, on, pid = case.values
        if message_type != "UTILMD" or pid in LIST_ONLY or case.marks:
            continue
        pair = parties(message_type, pid, on)
        if pair is None:
            continue
        written = sts7(build(message_type, pid, *pair, on))
        if written and written[0]:
            found.append((release, on, pid, [values[0] for values in written[0]]))
    return found


def sweep_cases():
    return [pytest.param(on, pid, written, id=f"{release}-{pid}")
            for index, (release, on, pid, written) in enumerate(completed_sts7()) if index % STEP == 0]


def test_the_sweep_covers_both_tracks():
    releases = {release for release, *_ in completed_sts7()}
    assert {"S2.1", "S2.2", "G1.1", "G1.2"} <= releases
    assert len(completed_sts7()) > 450


@pytest.mark.parametrize(("on", "pid", "written"), sweep_cases())
def test_the_grund_completion_writes_builds_clean_when_given(on, pid, written):
    sender, receiver = parties("UTILMD", pid, on)
    grund = written[0]
    message = native.build_utilmd(pid, sender, receiver, on=on, transactions=[T("VG1", transaktionsgrund=grund)])
    assert is_clean(message, sender, receiver, on)
    (given,) = sts7(message)
    # The Ergänzung callers have always had where the column admits it, else the column's own.
    assert given[0] == [grund]
    assert given[1:] in ([["ZW4"]], [[code] for code in written[1:]])
    if len(written) > 1:
        # The Ergänzung alone stands beside the Grund completion writes.
        alone = native.build_utilmd(pid, sender, receiver, on=on,
                                    transactions=[T("VG1", transaktionsgrund_ergaenzung=written[1])])
        assert sts7(alone) == [[[grund], [written[1]]]]
        assert is_clean(alone, sender, receiver, on)


@pytest.mark.parametrize(("pid", "options", "ergaenzung", "kept_or_named"), [
    (55001, {"on": "2025-10-01"}, "ZAP", [["E01"], ["ZAP"]]),
    (55016, {"on": "2026-10-01"}, "ZW5", [["E03"], ["ZW5"]]),
    # ZZB stands only beside Z33, not beside the E01 completion writes unasked.
    (55052, {"on": "2025-10-01"}, "ZZB", [["Z33"], ["ZZB"]]),
    # The column admits ZW3 and ZW4 only; no STS+7 in the column, or no column at all.
    (55137, {"on": "2026-10-01"}, "ZW5", "transactions[1].transaktionsgrund_ergaenzung: the column of UTILMD 55137"),
    (55074, {"on": "2026-10-01"}, "ZW5", "transactions[1].transaktionsgrund_ergaenzung: \"ZW5\" is given without"),
    (55001, {"release": "S9.9", "document_date": "20260401"}, "ZW5",
     "transactions[1].transaktionsgrund_ergaenzung: \"ZW5\" is given without"),
])
def test_an_ergaenzung_given_alone_is_kept_or_refused_by_name(pid, options, ergaenzung, kept_or_named):
    vorgaenge = [T("VG0"), T("VG1", transaktionsgrund_ergaenzung=ergaenzung)]
    if isinstance(kept_or_named, str):
        with pytest.raises(ValueError) as refused:
            native.build_utilmd(pid, *PARTY_PAIRS[0], transactions=vorgaenge, **options)
        assert str(refused.value).startswith(kept_or_named), str(refused.value)
        return
    message = native.build_utilmd(pid, *PARTY_PAIRS[0], transactions=vorgaenge, **options)
    assert sts7(message)[1] == kept_or_named
    assert is_clean(message, *PARTY_PAIRS[0], options["on"])
