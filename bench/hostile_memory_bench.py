#!/usr/bin/env python3
"""validate_edifact: peak memory over inputs just under the 10 MiB limit, by the shape of their bytes.

Each input is one UTILMD message whose free texts carry the bytes: plain letters, umlauts of a
UNOC interchange (one raw byte, two once decoded), umlauts behind release characters, and the
delimiter-dense shapes (a component or element separator per byte or two). A fresh interpreter
validates each once after a warm-up; the figure is the growth of peak RSS over the input size.
Nothing is asserted; the figures are printed.
"""

import pathlib
import subprocess
import sys
import tempfile

UNB = b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'"
LIMIT = 10_485_760
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
native.validate_edifact(raw, "2025-11-01")
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


def main():
    with tempfile.TemporaryDirectory() as directory:
        path = pathlib.Path(directory) / "input.edi"
        for name, fill in SHAPES.items():
            raw = interchange(fill)
            path.write_bytes(raw)
            before, after = map(int, subprocess.run(
                [sys.executable, "-c", PEAK.format(unb=UNB), str(path)], check=True, capture_output=True,
                text=True).stdout.split())
            print(f"{name:>30}: {len(raw):,} bytes, peak RSS grew {(after - before) * 1024 / len(raw):.2f} x input")


if __name__ == "__main__":
    main()
