"""Reference counts and memory around many validate_edifact calls, valid and failing.

Run by hand (`python bench/validate_refcounts.py [calls]`, default 10**6 per kind); prints the
reference counts of the objects handed in, of the shared singletons and the live-object and RSS
figures before and after, and exits 1 when any of them grew.
"""

import gc
import pathlib
import resource
import sys
import time

from quorvane._native import validate_edifact

FIXTURES = pathlib.Path(__file__).resolve().parents[1] / "tests" / "python" / "fixtures"
ON = "2025-11-01"


# A CONTRL keeps 10**6 calls short; the UTILMD shows a message with Vorgänge and findings.
def inputs():
    contrl = (FIXTURES / "contrl.edi").read_bytes()
    utilmd = (FIXTURES / "utilmd_55001.edi").read_bytes()
    return {
        "valid CONTRL": (contrl, "2026-02-01"),
        "CONTRL finding": (contrl.replace(b":14+7'", b":14+9'"), "2026-02-01"),
        "UTILMD findings": (utilmd.replace(b"LOC+Z16+", b"LOC+Z16+X", 1), ON),
        "parse error": (b"UNB+UNOC:3+A:500+B:500+251101:1200+R'UNH+1+UTILMD:D:11A:UN:S2.1'UNZ+1+R", ON),
        "validation error": (utilmd.replace(b"S2.1", b"S9.9"), ON),
        "two bare messages": (b"UNH+1+UTILMD'UNT+2+1'UNH+2+UTILMD'UNT+2+2'", ON),
        "bad date": (contrl, "2026-02-30"),
    }


def call(raw, on):
    try:
        report = validate_edifact(raw, on)
        return len(report.findings) + len(report.messages) + len(report.messages[0].vorgaenge)
    except (ValueError, RuntimeError) as error:
        return len(str(error))


def rss_kib():
    with open("/proc/self/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss


def measure(raw, on, count):
    for _ in range(1000):  # the platform, type objects and caches exist before the count
        call(raw, on)
    gc.collect()
    before = (sys.getrefcount(raw), sys.getrefcount(on), sys.getrefcount(None), sys.getrefcount(True),
              len(gc.get_objects()), rss_kib())
    started = time.perf_counter()
    for _ in range(count):
        call(raw, on)
    elapsed = time.perf_counter() - started
    gc.collect()
    after = (sys.getrefcount(raw), sys.getrefcount(on), sys.getrefcount(None), sys.getrefcount(True),
             len(gc.get_objects()), rss_kib())
    return before, after, elapsed


def main():
    calls = int(sys.argv[1]) if len(sys.argv) > 1 else 10**6
    failed = False
    # One short round first, so that what this script creates on its first pass is not counted.
    for raw, on in inputs().values():
        measure(raw, on, 10)
    for kind, (raw, on) in inputs().items():
        # The UTILMD takes 30 times as long a call; a tenth of the calls show the same.
        count = calls // 10 if kind.startswith("UTILMD") else calls
        before, after, elapsed = measure(raw, on, count)
        grew = [name for name, b, a, slack in zip(("raw", "on", "None", "True", "objects", "rss KiB"), before, after,
                                                  (0, 0, 0, 0, 0, 2048)) if a - b > slack]
        failed = failed or bool(grew)
        print(f"{kind:18} {count} calls in {elapsed:6.1f} s  refcounts raw {before[0]}->{after[0]} "
              f"on {before[1]}->{after[1]} None {before[2]}->{after[2]} True {before[3]}->{after[3]}  "
              f"objects {before[4]}->{after[4]}  RSS {before[5]}->{after[5]} KiB  "
              f"{'GREW: ' + ', '.join(grew) if grew else 'flat'}", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
