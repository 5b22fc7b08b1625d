"""Received interchanges for the answer builders' tests, and the wrapping of an answer for validation."""

import pathlib
import re

FIXTURES = pathlib.Path(__file__).resolve().parent / "fixtures"
A = "9900000000003"  # sender of every received interchange here
B = "9900000000010"  # its recipient


def fixture(name):
    return (FIXTURES / name).read_bytes()


def body(raw):
    """The messages of an interchange, UNH to the last UNT."""
    return raw[raw.index(b"UNH"):raw.rindex(b"UNZ")]


def segments(message):
    """The segments of EDIFACT text written with the default separators, escapes kept, in order."""
    text = message.decode() if isinstance(message, bytes) else message
    return re.split(r"(?<!\?)'", text)[:-1]


def tagged(message, prefix):
    return [segment for segment in segments(message) if segment.startswith(prefix)]


def interchange(*messages, sender=A, recipient=B, ref="REF1", date=b"251101:1200"):
    """UNB, the messages, UNZ: what a counterparty would send (or we would send back)."""
    unb = f"UNB+UNOC:3+{sender}:500+{recipient}:500+".encode() + date + f"+{ref}'".encode()
    return unb + b"".join(messages) + f"UNZ+{len(messages)}+{ref}'".encode()
