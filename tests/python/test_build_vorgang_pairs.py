"""A bulk UTILMD message whose Vorgänge differ: every column that builds clean with each kind of Vorgang
alone builds clean with any two of them (a kind beside a copy of itself too), or refuses naming the
Vorgang at fault. Validation decides a Vorgang's conditions on its own segments, so completion must too.

Under the sanitizers (QUORVANE_SANITIZE=1) every seventh column is swept.
"""

import functools
import itertools
import os
import re

import pytest

import quorvane._native as native
from test_build_catalogue import LIST_ONLY, METERING_POINT, columns
from test_build_sweep import is_clean, parties

T = native.UtilmdTransaction
STEP = 7 if os.environ.get("QUORVANE_SANITIZE") == "1" else 1
KINDS = {"bare": {}, "malo": {"locations": [("malo", "51238696781")]},
         "melo": {"locations": [("melo", METERING_POINT)]}, "tn": {"references": [("TN", "X1")]}}


def grund_codes(pid, pair, on):
    """Every Transaktionsgrund the MIG knows, as the refusal of an unknown one lists them."""
    with pytest.raises(ValueError) as refused:
        native.build_utilmd(pid, *pair, on=on, transactions=[T("V", transaktionsgrund="QQQ")])
    listed = re.search(r"admits ([A-Z0-9, ]+)$", str(refused.value))
    return listed.group(1).split(", ") if listed else []


def clean_kinds(pid, pair, on, kinds):
    """Those of `kinds` (name: UtilmdTransaction fields) that the column accepts as a Vorgang alone."""
    clean = {}
    for name, fields in kinds.items():
        try:
            message = native.build_utilmd(pid, *pair, on=on, transactions=[T("V0", **fields)])
        except ValueError:
            continue
        if is_clean(message, *pair, on):
            clean[name] = fields
    return clean


@functools.cache
def clean_alone(pid, on):
    """The kinds of Vorgang that the column accepts alone, with the party pair it accepts."""
    pair = parties("UTILMD", pid, on)
    if pair is None:
        return None, {}
    kinds = dict(KINDS, **{f"grund={code}": {"transaktionsgrund": code} for code in grund_codes(pid, pair, on)})
    return pair, clean_kinds(pid, pair, on, kinds)


def column_cases():
    cases = [case for case in columns() if case.values[0] == "UTILMD" and case.values[3] not in LIST_ONLY
             and not case.marks]
    return [pytest.param(case.values[2], case.values[3], id=case.id) for case in cases[::STEP]]


@pytest.mark.parametrize(("on", "pid"), column_cases())
def test_any_two_vorgaenge_clean_alone_build_clean_together(on, pid):
    pair, kinds = clean_alone(pid, on)
    assert kinds, "no kind of Vorgang builds clean alone"
    for (first, one), (second, other) in itertools.product(kinds.items(), repeat=2):
        try:
            message = native.build_utilmd(pid, *pair, on=on, transactions=[T("V0", **one), T("V1", **other)])
        except ValueError as refused:
            assert re.match(r"transactions\[[01]\]", str(refused)), (first, second, str(refused))
            continue
        assert is_clean(message, *pair, on), (first, second)


def test_the_pair_sweep_covers_vorgaenge_that_differ():
    kinds = clean_alone(55004, "2025-10-01")[1]
    assert {"bare", "malo", "grund=E01", "grund=ZG9"} <= set(kinds)


def ergaenzung_codes(pid, pair, on, grund):
    """Every Ergänzung the MIG knows beside `grund`, as the refusal of an unknown one lists them."""
    with pytest.raises(ValueError) as refused:
        native.build_utilmd(pid, *pair, on=on,
                            transactions=[T("V", transaktionsgrund=grund, transaktionsgrund_ergaenzung="QQQ")])
    return re.search(r"admits ([A-Z0-9, ]+)$", str(refused.value)).group(1).split(", ")


def vorgaenge(message):
    """Each Vorgang's segments after its IDE, which alone carries its Vorgangsnummer."""
    segments = message.split(b"'")[:-2]  # the trailer and what follows its terminator
    starts = [at for at, segment in enumerate(segments) if segment.startswith(b"IDE+")]
    return [segments[start + 1:end] for start, end in zip(starts, starts[1:] + [len(segments)])]


@pytest.mark.parametrize("on", ["2025-10-01", "2026-10-01"])
@pytest.mark.parametrize("pid", [55608, 55609])
def test_each_vorgang_answers_in_the_entscheidungsbaum_of_its_own_ergaenzung(pid, on):
    # The column names one tree per Transaktionsgrundergänzung beside E03.
    pair = parties("UTILMD", pid, on)
    alone = {}
    for code in ergaenzung_codes(pid, pair, on, "E03"):
        vorgang = T("V0", transaktionsgrund="E03", transaktionsgrund_ergaenzung=code)
        try:
            message = native.build_utilmd(pid, *pair, on=on, transactions=[vorgang])
        except ValueError:
            continue
        if is_clean(message, *pair, on):
            alone[code] = vorgaenge(message)[0]
    assert len(alone) >= 2, alone
    for first, second in itertools.permutations(alone, 2):
        both = [T(f"V{n}", transaktionsgrund="E03", transaktionsgrund_ergaenzung=code)
                for n, code in enumerate((first, second))]
        message = native.build_utilmd(pid, *pair, on=on, transactions=both)
        assert is_clean(message, *pair, on), (first, second)
        assert vorgaenge(message) == [alone[first], alone[second]], (first, second)
