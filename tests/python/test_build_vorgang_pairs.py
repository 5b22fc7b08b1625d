"""A bulk UTILMD message whose Vorgänge differ: every column that builds clean with each kind of Vorgang
alone builds clean with any two of them, or refuses naming the Vorgang at fault. Validation decides a
Vorgang's conditions on its own segments, so completion must too.

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


@functools.cache
def clean_alone(pid, on):
    """The kinds of Vorgang that the column accepts alone, with the party pair it accepts."""
    pair = parties("UTILMD", pid, on)
    if pair is None:
        return None, {}
    kinds = dict(KINDS, **{f"grund={code}": {"transaktionsgrund": code} for code in grund_codes(pid, pair, on)})
    clean = {}
    for name, fields in kinds.items():
        try:
            message = native.build_utilmd(pid, *pair, on=on, transactions=[T("V0", **fields)])
        except ValueError:
            continue
        if is_clean(message, *pair, on):
            clean[name] = fields
    return pair, clean


def column_cases():
    cases = [case for case in columns() if case.values[0] == "UTILMD" and case.values[3] not in LIST_ONLY
             and not case.marks]
    return [pytest.param(case.values[2], case.values[3], id=case.id) for case in cases[::STEP]]


@pytest.mark.parametrize(("on", "pid"), column_cases())
def test_any_two_vorgaenge_clean_alone_build_clean_together(on, pid):
    pair, kinds = clean_alone(pid, on)
    for (first, one), (second, other) in itertools.permutations(kinds.items(), 2):
        try:
            message = native.build_utilmd(pid, *pair, on=on, transactions=[T("V0", **one), T("V1", **other)])
        except ValueError as refused:
            assert re.match(r"transactions\[[01]\]", str(refused)), (first, second, str(refused))
            continue
        assert is_clean(message, *pair, on), (first, second)


def test_the_pair_sweep_covers_vorgaenge_that_differ():
    kinds = clean_alone(55004, "2025-10-01")[1]
    assert {"bare", "malo", "grund=E01", "grund=ZG9"} <= set(kinds)
