#!/usr/bin/env python3
"""validate_edifact: throughput at the segment limit, the first call, and peak memory at the size limit.

- throughput: an interchange of 100 UTILMD 55001 messages of about 100 segments each (9,902
  segments), messages per second on one core, median of several rounds;
- first call: a fresh interpreter importing the module and validating one message (it builds
  the platform with all profiles), median over fresh processes;
- peak memory: a fresh interpreter validating an interchange just under the 10 MiB input limit
  (100 messages whose free texts carry most of the bytes), peak RSS growth over the input size.
Nothing is asserted; the figures are printed.
"""

import pathlib
import re
import statistics
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURE = ROOT / "tests" / "python" / "fixtures" / "utilmd_55001.edi"
ON = "2025-11-01"
UNB = b"UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'"


def segments_of(message):
    return [segment + b"'" for segment in re.split(rb"(?<!\?)'\s*", message) if segment.strip()]


def one_message():
    text = FIXTURE.read_bytes()
    segments = segments_of(text)
    start = next(i for i, s in enumerate(segments) if s.startswith(b"UNH+"))
    end = next(i for i, s in enumerate(segments) if s.startswith(b"UNT+"))
    return segments[start:end]  # UNH up to, without, UNT


def padded(body, segments, fillers=()):
    """The message with its Vorgang repeated to about `segments` segments, and a UNT."""
    first_ide = next(i for i, s in enumerate(body) if s.startswith(b"IDE+"))
    head, vorgang = body[:first_ide], body[first_ide:]
    message = list(head)
    while len(message) + len(vorgang) + 1 <= segments or len(message) == len(head):
        message += vorgang
    message[first_ide:first_ide] = list(fillers)
    return b"".join(message) + f"UNT+{len(message) + 1}+M1'".encode()


def interchange(message, count):
    """`count` copies of the message, each under a reference of its own (M1, M2, ...)."""
    copies = [message.replace(b"UNH+M1+", f"UNH+M{n}+".encode()).replace(b"+M1'", f"+M{n}'".encode())
              for n in range(1, count + 1)]
    return UNB + b"".join(copies) + f"UNZ+{count}+REF1'".encode()


def throughput():
    from quorvane._native import validate_edifact

    raw = interchange(padded(one_message(), 99), 100)
    report = validate_edifact(raw, ON)
    segments = raw.count(b"'") - raw.count(b"?'")
    rounds = []
    for _ in range(7):
        started = time.perf_counter()
        validate_edifact(raw, ON)
        rounds.append(time.perf_counter() - started)
    median = statistics.median(rounds)
    print(f"throughput: {len(report.messages)} messages, {segments} segments, {len(raw)} bytes, "
          f"{len(report.findings) / len(report.messages):.1f} findings/message: {median * 1e3:.1f} ms "
          f"= {len(report.messages) / median:,.0f} messages/s")
    started = time.perf_counter()
    findings = sum(len(m.findings) for m in report.messages)
    print(f"  reading every message's findings back: {(time.perf_counter() - started) * 1e3:.1f} ms ({findings})")


FIRST_CALL = """
import pathlib, sys, time
raw = pathlib.Path(sys.argv[1]).read_bytes()
started = time.perf_counter()
import quorvane._native as native
native.validate_edifact(raw, "{on}")
print(time.perf_counter() - started)
"""

# The platform's first build peaks higher than the call measured, so the peak is reset first
# (writing 5 to clear_refs resets VmHWM).
PEAK = """
import pathlib, sys
def status(key):
    with open("/proc/self/status") as lines:
        return next(int(line.split()[1]) for line in lines if line.startswith(key))
raw = pathlib.Path(sys.argv[1]).read_bytes()
import quorvane._native as native
native.validate_edifact(raw[:raw.index(b"UNT+")] + b"UNT+2+1'UNZ+1+REF1'", "{on}")
before = status("VmRSS:")
with open("/proc/self/clear_refs", "w") as clear:
    clear.write("5")
report = native.validate_edifact(raw, "{on}")
after = status("VmHWM:")
print(before, after, len(report.messages), len(report.findings))
"""


def first_call(tmp):
    path = tmp / "first.edi"
    path.write_bytes(FIXTURE.read_bytes())
    times = [float(subprocess.run([sys.executable, "-c", FIRST_CALL.format(on=ON), str(path)], check=True,
                                  capture_output=True, text=True).stdout) for _ in range(7)]
    print(f"first call (import, platform build, one message): median {statistics.median(times) * 1e3:.0f} ms")


def peak_memory(tmp):
    body = one_message()
    limit = 10_485_760
    # Two free texts a message, each under the 64 KiB segment limit.
    base = len(interchange(padded(body, 99, [b"FTX+ACB+++'"] * 2), 100))
    text_bytes = (limit - base - 64) // 200
    filler = b"FTX+ACB+++" + b":".join([b"x" * 512] * (text_bytes // 513)) + b"'"
    raw = interchange(padded(body, 99, [filler] * 2), 100)
    path = tmp / "peak.edi"
    path.write_bytes(raw)
    before, after, messages, findings = map(int, subprocess.run(
        [sys.executable, "-c", PEAK.format(on=ON), str(path)], check=True, capture_output=True, text=True).stdout.split())
    growth = (after - before) * 1024
    print(f"peak memory: {len(raw):,} bytes input, {messages} messages, {findings} findings: peak RSS grew "
          f"{growth / 2**20:.1f} MiB = {growth / len(raw):.2f} x input")


if __name__ == "__main__":
    import tempfile

    throughput()
    with tempfile.TemporaryDirectory() as directory:
        first_call(pathlib.Path(directory))
        peak_memory(pathlib.Path(directory))
