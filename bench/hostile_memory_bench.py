#!/usr/bin/env python3
"""validate_edifact: peak memory over inputs just under the 10 MiB limit, by the shape of their bytes,
and over messages built to draw as many findings as the segment limit allows.

Each text input is one UTILMD message whose free texts carry the bytes: plain letters, umlauts of a
UNOC interchange (one raw byte, two once decoded), umlauts behind release characters, and the
delimiter-dense shapes (a component or element separator per byte or two).

Each findings input is a valid message of tests/python/fixtures with one faulty segment repeated up
to the 10,000-segment limit: an INVOIC of bare LIN (a line item group with nothing in it), a UTILMD
of bare IDE+24 (a Vorgang with nothing in it), an MSCONS of LOC+172 with an unreadable Meldepunkt.
Each comes bare (about 40 KB for LIN) and padded to just under the 10 MiB limit. Unbounded, the
first drew 129,571 findings and 163 MB.

A fresh interpreter validates each once after a warm-up; the figures are the growth of peak RSS
over the input size and against the bound of 100 times the input or 16 MB, whichever is larger.
Nothing is asserted; the figures are printed.
"""

import pathlib
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "tests" / "python" / "fixtures"
UNB = b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'"
LIMIT = 10_485_760
SEGMENT_LIMIT = 10_000
# fixture, the segment after which the copies go, the copy, the byte its padding repeats
FINDING_SHAPES = {
    "INVOIC of LIN": ("invoic_31001.edi", b"PRI", b"LIN", b"+", b"1"),
    "UTILMD of IDE+24": ("utilmd_55001.edi", b"CCI+Z61", b"IDE+24+X", b"", b"X"),
    "MSCONS of LOC+172": ("mscons_13002.edi", b"LOC+172", b"LOC+172+x", b"", b"x"),
}
SHAPES = {
    "letters": b"x",
    "umlauts": b"\xe4",
    "released umlauts": b"?\xe4",
    "components": b":",
    "elements": b"+",
    "components and umlauts": b":\xe4",
    "elements and umlauts": b"+\xe4",
    "umlauts beside both separators": b"\xe4\xe4+:",
}

# The platform's first build peaks higher than the call measured, so the peak is reset first
# (writing 5 to clear_refs resets VmHWM).
PEAK = """
import pathlib, sys
def status(key):
    with open("/proc/self/status") as lines:
        return next(int(line.split()[1]) for line in lines if line.startswith(key))
import quorvane._native as native
native.validate_edifact({unb!r} + b"UNH+1+APERAK:D:07B:UN:2.1i'BGM+313+DOC'UNT+3+1'UNZ+1+REF1'", "2025-11-01")
raw = pathlib.Path(sys.argv[1]).read_bytes()
before = status("VmRSS:")
with open("/proc/self/clear_refs", "w") as clear:
    clear.write("5")
native.validate_edifact(raw, sys.argv[2])
print(before, status("VmHWM:"))
"""


def interchange(fill):
    head = UNB + b"UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+D'"
    segments = []
    size = len(head) + 40
    while size < LIMIT - 70_000:
        segment = b"FTX+ACB+++" + fill * (60_000 // len(fill)) + b"'"
        segments.append(segment)
        size += len(segment)
    return head + b"".join(segments) + f"UNT+{len(segments) + 3}+1'UNZ+1+REF1'".encode()


def many_findings(fixture, after, copy, separator, pad, padded):
    """The fixture's interchange with copies of one segment after the first segment that begins
    with `after`, up to the segment limit; `padded` fills each copy to bring the input just under
    the byte limit."""
    segments = [segment.strip() for segment in (FIXTURES / fixture).read_bytes().split(b"'") if segment.strip()]
    unh = next(i for i, segment in enumerate(segments) if segment.startswith(b"UNH"))
    unt = next(i for i, segment in enumerate(segments) if segment.startswith(b"UNT"))
    cut = next(i for i, segment in enumerate(segments) if segment.startswith(after)) + 1
    count = SEGMENT_LIMIT - len(segments) - 1
    if padded:
        room = (LIMIT - 2_000 - sum(len(segment) + 1 for segment in segments)) // count
        copy = copy + separator + pad * (room - len(copy) - len(separator) - 1)
    body = segments[:cut] + [copy] * count + segments[cut:unt]
    reference = segments[unh].split(b"+")[1]
    body.append(b"UNT+%d+%s" % (len(body) - unh + 1, reference))
    return b"'".join(body + segments[unt + 1:]) + b"'"


def peak(path, raw, on):
    before, after = map(int, subprocess.run(
        [sys.executable, "-c", PEAK.format(unb=UNB), str(path), on], check=True, capture_output=True,
        text=True).stdout.split())
    return (after - before) * 1024


def main():
    with tempfile.TemporaryDirectory() as directory:
        path = pathlib.Path(directory) / "input.edi"
        for name, fill in SHAPES.items():
            raw = interchange(fill)
            path.write_bytes(raw)
            grew = peak(path, raw, "2025-11-01")
            print(f"{name:>30}: {len(raw):,} bytes, peak RSS grew {grew / len(raw):.2f} x input")
        for name, shape in FINDING_SHAPES.items():
            for padded in (False, True):
                raw = many_findings(*shape, padded)
                path.write_bytes(raw)
                grew = peak(path, raw, "2026-10-01")
                bound = max(100 * len(raw), 16 << 20)
                print(f"{name + (' padded' if padded else ''):>30}: {len(raw):,} bytes, peak RSS grew "
                      f"{grew / 2**20:.1f} MB = {grew / len(raw):.1f} x input ({grew / bound:.0%} of the bound)")


if __name__ == "__main__":
    main()
