"""Readers of the published tables: AHB columns and the UN directory."""

import gzip
import json
import os

DATA = "/work/shared/data/published"


def jsonl(path):
    with gzip.open(os.path.join(DATA, path), "rt", encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


class AhbTable:
    """One profile's AHB table: its Prüfidentifikatoren, their lines and the texts."""

    def __init__(self, static):
        recs = jsonl("ahb/%s.jsonl.gz" % static)
        self.meta = recs[0]
        self.pids = [r for r in recs if r["kind"] == "pid"]
        self.lines = {}
        for r in recs:
            if r["kind"] == "line":
                self.lines.setdefault(r["pid"], []).append(r)
        for pid in self.lines:
            self.lines[pid].sort(key=lambda r: r["i"])
        self.conditions = {r["nr"]: r["text"] for r in recs if r["kind"] == "condition"}
        self.pakete = {r["nr"]: r["text"] for r in recs if r["kind"] == "paket"}
        self.ub = {r["nr"]: r["text"] for r in recs if r["kind"] == "ub"}


class Directory:
    """Segments, composites, elements and message structures of one UN release."""

    def __init__(self, release):
        self.segments, self.composites, self.elements, self.messages = {}, {}, {}, {}
        recs = jsonl("unedifact/%s.jsonl.gz" % release)
        if release != "SYNTAX3":
            recs += jsonl("unedifact/SYNTAX3.jsonl.gz")
        for r in recs:
            kind = r["kind"]
            if kind == "segment":
                self.segments.setdefault(r["tag"], r)
            elif kind == "composite":
                self.composites.setdefault(r["id"], r)
            elif kind == "element":
                self.elements.setdefault(r["id"], r)
            elif kind == "message":
                self.messages.setdefault(r["type"], r)
