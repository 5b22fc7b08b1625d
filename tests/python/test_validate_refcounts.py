"""validate_edifact leaks no references and no memory over a few thousand calls, valid and failing.
bench/validate_refcounts.py runs the same check over 10**6 calls."""

import gc
import pathlib
import sys
import tracemalloc

import pytest

from quorvane._native import validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"
VALID = (FIXTURES / "utilmd_55001.edi").read_bytes()
INPUTS = {
    "valid": VALID,
    "findings": VALID.replace(b"LOC+Z16+", b"LOC+Z16+X", 1),
    "parse error": b"UNB+UNOC:3+A:500+B:500+251101:1200+R'UNH+1+UTILMD:D:11A:UN:S2.1'UNZ+1+R",
    "validation error": VALID.replace(b"S2.1", b"S9.9"),
    "bad date": VALID,
}


def call(raw, on):
    try:
        report = validate_edifact(raw, on)
        # Touch what hands out new objects.
        return [repr(f) for f in report.findings] + [repr(m) for m in report.messages] + [repr(report.envelope)]
    except (ValueError, RuntimeError) as error:
        return [str(error)]


CALLS = 3000
# A leak of one object or reference per call grows by CALLS; the interpreter's own caches and
# free lists move these counts by a few, whichever test ran before.
OBJECT_SLACK = CALLS // 10


@pytest.mark.parametrize("kind", INPUTS)
def test_references_and_memory_stay_flat(kind):
    raw = INPUTS[kind]
    on = "2025-13-01" if kind == "bad date" else "2025-11-01"
    for _ in range(200):
        call(raw, on)
    gc.collect()
    references = (sys.getrefcount(raw), sys.getrefcount(on))
    objects = len(gc.get_objects())
    tracemalloc.start()
    first, _ = tracemalloc.get_traced_memory()
    for _ in range(CALLS):
        call(raw, on)
    gc.collect()
    last, _ = tracemalloc.get_traced_memory()
    tracemalloc.stop()
    assert (sys.getrefcount(raw), sys.getrefcount(on)) == references
    assert abs(len(gc.get_objects()) - objects) < OBJECT_SLACK
    # Even the smallest object leaked per call (an int, 28 bytes) exceeds this bound over CALLS calls.
    assert last - first < 64 * 1024
