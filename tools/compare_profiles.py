#!/usr/bin/env python3
"""Compare the profile documents in profiles/ with the published AHB tables.

Usage: python3 tools/compare_profiles.py [--profiles DIR] [--published DIR] [--verbose PROFILE]

Run by hand only; the build and the tests never call it. For every profile that has a published
AHB table (<published>/ahb/<PROFILE>.jsonl.gz) it reads <profile>.mig.json and <profile>.ahb.json
and reports:

- Prüfidentifikatoren: published, present in the AHB document, missing from it, extra in it;
- per Prüfidentifikator present on both sides, recall and precision of the line keys
  (group, segment, qualifier, data element, code), compared as multisets;
- expression agreement: of the matched keys, how many carry the same normalised expression.

Line keys. A table line is a group, segment, data element or code line. The document side is
rebuilt in table order: each AHB row in turn (a group row gives a group line; a segment row a
segment line, followed the first time its number comes up by the data element and code lines of
every element rule with that number), then the element rules whose number had no row.
Consecutive operands of a rule with the same code (or all without code) and different status
words are the status cells of one line; a repeated status word starts the next line. The group
of a line is the innermost MIG group around its segment (none for top-level and envelope
segments). The qualifier is the first code of the segment, the code that tells the variants of
one segment apart: in the table the first code line of the segment's block, in the documents the
first code that the column's rules for that segment number name; a group line takes the
qualifier of the segment after it (in the documents: of its `before` segment). Several lines
with one key pair up in order for the expression comparison.

Expressions are normalised before comparing, for the known defects of the tables and for
spacing:
- whitespace runs become one blank; blanks after "(" and "[" and before ")" and "]" go, which
  mends a stray blank inside a reference ("[92 ]"); the operators ∧ ∨ ⊻ get one blank on either
  side;
- a doubled closing bracket ("[2080]]") becomes one;
- a status word at the start of a cell is written as the AHB writes it ("x" becomes "X", "muss"
  "Muss") and followed by one blank when a condition follows ("X[1]" becomes "X [1]");
- CR LF separates two status cells, except where the part after it does not start with a status
  word (it starts with an operator or a bracket): there it only wraps one long expression and
  the parts are joined;
- an empty expression is no cell at all, like a document row with an empty status list.
Document rows and operands are compared cell by cell with the table's cells.

Exit status is always 0.
"""

from __future__ import annotations

import argparse
import gzip
import json
import re
import sys
from collections import Counter, defaultdict
from dataclasses import dataclass, field
from pathlib import Path

DEFAULT_PROFILES = Path(__file__).resolve().parent.parent / "profiles"
DEFAULT_PUBLISHED = Path("/work/shared/data/published")

OPERATORS = "∧∨⊻"
STATUS_WORDS = {w.lower(): w for w in ("Muss", "Soll", "Kann", "X", "M", "S", "K")}

Key = tuple[str, str, str, str, str]


# ---------------------------------------------------------------- expressions

def normalised_cell(text: str) -> str:
    text = re.sub(r"\s+", " ", text).strip()
    text = re.sub(r"\]\s*\]", "]", text)
    text = re.sub(r"([(\[])\s+", r"\1", text)
    text = re.sub(r"\s+([)\]])", r"\1", text)
    text = re.sub(rf"\s*([{OPERATORS}])\s*", r" \1 ", text).strip()
    head = re.match(r"([A-Za-z]+)(?![A-Za-z])\s*(.*)", text)
    if head is not None and head.group(1).lower() in STATUS_WORDS:
        rest = head.group(2)
        text = STATUS_WORDS[head.group(1).lower()] + (" " + rest if rest else "")
    return text


def status_word(cell: str) -> str:
    head = re.match(r"\s*([A-Za-z]+)(?![A-Za-z])", cell)
    return STATUS_WORDS.get(head.group(1).lower(), "") if head else ""


def starts_with_status(part: str) -> bool:
    head = re.match(r"\s*([A-Za-z]+)(?![A-Za-z])", part)
    return head is not None and head.group(1).lower() in STATUS_WORDS


def table_cells(expr: str) -> tuple[str, ...]:
    cells: list[str] = []
    for part in re.split(r"\r\n|\r|\n", expr):
        if cells and not starts_with_status(part):
            cells[-1] += " " + part
        else:
            cells.append(part)
    return tuple(normalised_cell(cell) for cell in cells if cell.strip() or len(cells) > 1)


def document_cells(cells: list[str]) -> tuple[str, ...]:
    return tuple(normalised_cell(cell) for cell in cells)


# ---------------------------------------------------------------- reading


@dataclass
class Line:
    key: Key
    expr: tuple[str, ...]


@dataclass
class Side:
    pids: dict[int, list[Line]] = field(default_factory=dict)


def read_table(path: Path) -> tuple[dict, Side]:
    header: dict = {}
    raw: dict[int, list[dict]] = defaultdict(list)
    pids: list[int] = []
    with gzip.open(path, "rt", encoding="utf-8") as stream:
        for text in stream:
            record = json.loads(text)
            kind = record.get("kind")
            if kind == "profile":
                header = record
            elif kind == "pid":
                pids.append(record["pid"])
            elif kind == "line":
                raw[record["pid"]].append(record)
    side = Side()
    for pid in pids:
        lines = sorted(raw.get(pid, []), key=lambda r: r["i"])
        side.pids[pid] = table_lines(lines)
    return header, side


def table_lines(records: list[dict]) -> list[Line]:
    # The qualifier of a segment block is its first code line; a group line takes that of the
    # segment block after it.
    qualifiers: list[str] = [""] * len(records)
    current_segment = None
    first_code: dict[int, str] = {}
    for index, record in enumerate(records):
        if record["type"] == "segment":
            current_segment = index
            first_code[index] = ""
        elif record["type"] == "segment_group":
            current_segment = None
        elif record["type"] == "code" and current_segment is not None and not first_code[current_segment]:
            first_code[current_segment] = record["code"]
    current = ""
    for index, record in enumerate(records):
        if record["type"] == "segment":
            current = first_code[index]
        elif record["type"] == "segment_group":
            following = next((j for j in range(index + 1, len(records)) if records[j]["type"] == "segment"), None)
            current = first_code.get(following, "") if following is not None else ""
        qualifiers[index] = current
    lines = []
    for record, qualifier in zip(records, qualifiers):
        kind = record["type"]
        if kind == "segment_group":
            key = (record["sg"], "", qualifier, "", "")
        elif kind == "segment":
            key = (record["sg"], record["seg"], qualifier, "", "")
        elif kind == "dataelement":
            key = (record["sg"], record["seg"], qualifier, record["de"], "")
        else:
            key = (record["sg"], record["seg"], qualifier, record["de"], record["code"])
        lines.append(Line(key, table_cells(record.get("expr") or "")))
    return lines


def mig_segments(mig: dict) -> dict[str, tuple[str, str]]:
    """Segment number to (innermost group, tag)."""
    found: dict[str, tuple[str, str]] = {}

    def walk(nodes: list[dict], group: str) -> None:
        for node in nodes:
            if "group" in node and "children" in node:
                walk(node["children"], node["group"])
            else:
                found[node["nr"]] = (group, node["tag"])

    for node in mig.get("envelope", []):
        found[node["nr"]] = ("", node["tag"])
    walk(mig.get("structure", []), "")
    return found


def read_documents(mig_path: Path, ahb_path: Path) -> Side:
    mig = json.loads(mig_path.read_text(encoding="utf-8"))
    ahb = json.loads(ahb_path.read_text(encoding="utf-8"))
    segments = mig_segments(mig)
    side = Side()
    for fall in ahb.get("anwendungsfaelle", []):
        pid = fall.get("pid")
        if pid is None:
            continue
        side.pids[pid] = document_lines(fall, segments)
    return side


def document_lines(fall: dict, segments: dict[str, tuple[str, str]]) -> list[Line]:
    rules: dict[str, list[dict]] = defaultdict(list)
    for rule in fall.get("elements", []):
        rules[rule["nr"]].append(rule)

    def qualifier_of(nr: str | None) -> str:
        for rule in rules.get(nr or "", []):
            for operand in rule["operands"]:
                if operand.get("code") is not None:
                    return operand["code"]
        return ""

    def where(nr: str) -> tuple[str, str]:
        return segments.get(nr, ("?", "?" + nr))

    lines: list[Line] = []
    emitted: set[str] = set()

    def segment_block(nr: str, cells: list[str] | None) -> None:
        group, tag = where(nr)
        qualifier = qualifier_of(nr)
        if cells is not None:
            lines.append(Line((group, tag, qualifier, "", ""), document_cells(cells)))
        if nr in emitted:
            return
        emitted.add(nr)
        for rule in rules.get(nr, []):
            # Consecutive operands for the same code (or for none) are the cells of one line
            # while their status words differ; a repeated word starts the next line, as when
            # the table repeats a segment onto the same number.
            runs: list[tuple[str, list[str]]] = []
            for operand in rule["operands"]:
                code = operand.get("code") or ""
                word = status_word(operand["operand"])
                if runs and runs[-1][0] == code and word not in map(status_word, runs[-1][1]):
                    runs[-1][1].append(operand["operand"])
                else:
                    runs.append((code, [operand["operand"]]))
            for code, cells in runs:
                lines.append(Line((group, tag, qualifier, rule["de"], code), document_cells(cells)))

    for row in fall.get("rows", []):
        if row.get("nr") is not None:
            segment_block(row["nr"], row["status"])
        else:
            qualifier = qualifier_of(row.get("before"))
            lines.append(Line((row.get("group") or "", "", qualifier, "", ""), document_cells(row["status"])))
    for nr in rules:
        if nr not in emitted:
            segment_block(nr, None)
    return lines


# ---------------------------------------------------------------- comparing


@dataclass
class PidResult:
    pid: int
    published: int
    present: int
    matched: int
    agreeing: int
    missing: Counter
    extra: Counter
    disagreeing: list[tuple[Key, tuple[str, ...], tuple[str, ...]]]


def compare_pid(pid: int, published: list[Line], present: list[Line]) -> PidResult:
    wanted: dict[Key, list[tuple[str, ...]]] = defaultdict(list)
    have: dict[Key, list[tuple[str, ...]]] = defaultdict(list)
    for line in published:
        wanted[line.key].append(line.expr)
    for line in present:
        have[line.key].append(line.expr)
    matched = agreeing = 0
    missing: Counter = Counter()
    extra: Counter = Counter()
    disagreeing = []
    for key in wanted.keys() | have.keys():
        ours, theirs = have.get(key, []), wanted.get(key, [])
        pairs = min(len(ours), len(theirs))
        matched += pairs
        for mine, published_expr in zip(ours, theirs):
            if mine == published_expr:
                agreeing += 1
            else:
                disagreeing.append((key, published_expr, mine))
        if len(theirs) > pairs:
            missing[key] = len(theirs) - pairs
        if len(ours) > pairs:
            extra[key] = len(ours) - pairs
    return PidResult(pid, len(published), len(present), matched, agreeing, missing, extra, disagreeing)


def percent(part: int, whole: int) -> str:
    return f"{100.0 * part / whole:6.2f}%" if whole else "     - "


def show_key(key: Key) -> str:
    group, tag, qualifier, de, code = key
    return "/".join(part or "-" for part in (group, tag, qualifier, de, code))


@dataclass
class ProfileResult:
    name: str
    published_pids: int = 0
    present_pids: int = 0
    missing_pids: list[int] = field(default_factory=list)
    extra_pids: list[int] = field(default_factory=list)
    published: int = 0
    present: int = 0
    matched: int = 0
    agreeing: int = 0
    note: str = ""


def compare_profile(table_path: Path, profiles: Path, verbose: bool) -> ProfileResult:
    name = table_path.name.removesuffix(".jsonl.gz")
    result = ProfileResult(name)
    stem = name.lower()
    mig_path, ahb_path = profiles / f"{stem}.mig.json", profiles / f"{stem}.ahb.json"
    print(f"== {name}")
    if not mig_path.is_file() or not ahb_path.is_file():
        result.note = "no documents"
        print(f"   no documents {mig_path.name} / {ahb_path.name} in {profiles}\n")
        return result
    header, table = read_table(table_path)
    documents = read_documents(mig_path, ahb_path)
    published_pids, present_pids = set(table.pids), set(documents.pids)
    result.published_pids = len(published_pids)
    result.present_pids = len(published_pids & present_pids)
    result.missing_pids = sorted(published_pids - present_pids)
    result.extra_pids = sorted(present_pids - published_pids)
    print(f"   table {header.get('release', '?')} / AHB {header.get('ahb_version', '?')}")
    print(f"   Prüfidentifikatoren: published {result.published_pids}, present {result.present_pids}, "
          f"missing {len(result.missing_pids)}, extra {len(result.extra_pids)}")
    if result.missing_pids:
        print(f"   missing: {' '.join(map(str, result.missing_pids))}")
    if result.extra_pids:
        print(f"   extra:   {' '.join(map(str, result.extra_pids))}")
    print(f"   {'PID':>6} {'table':>6} {'docs':>6} {'matched':>7} {'recall':>8} {'precision':>9} {'expr agree':>10}")
    for pid in sorted(published_pids & present_pids):
        outcome = compare_pid(pid, table.pids[pid], documents.pids[pid])
        result.published += outcome.published
        result.present += outcome.present
        result.matched += outcome.matched
        result.agreeing += outcome.agreeing
        print(f"   {pid:>6} {outcome.published:>6} {outcome.present:>6} {outcome.matched:>7} "
              f"{percent(outcome.matched, outcome.published):>8} {percent(outcome.matched, outcome.present):>9} "
              f"{percent(outcome.agreeing, outcome.matched):>10}")
        if verbose:
            for key, count in sorted(outcome.missing.items()):
                print(f"          missing {show_key(key)}" + (f" x{count}" if count > 1 else ""))
            for key, count in sorted(outcome.extra.items()):
                print(f"          extra   {show_key(key)}" + (f" x{count}" if count > 1 else ""))
            for key, theirs, mine in sorted(outcome.disagreeing):
                print(f"          expr    {show_key(key)}: table {' | '.join(theirs)!r} docs {' | '.join(mine)!r}")
    print(f"   lines: recall {percent(result.matched, result.published).strip()}, "
          f"precision {percent(result.matched, result.present).strip()}, "
          f"expressions agree {percent(result.agreeing, result.matched).strip()}\n")
    return result


def summary(results: list[ProfileResult]) -> None:
    print("== summary (lines: table lines of the Prüfidentifikatoren present on both sides)")
    head = (f"{'profile':<24} {'PIDs':>5} {'present':>7} {'missing':>7} {'extra':>5} "
            f"{'lines':>6} {'recall':>8} {'precision':>9} {'expr agree':>10}")
    print(head)
    print("-" * len(head))
    total = ProfileResult("all")
    for r in results:
        if r.note:
            print(f"{r.name:<24} {r.note}")
            continue
        print(f"{r.name:<24} {r.published_pids:>5} {r.present_pids:>7} {len(r.missing_pids):>7} {len(r.extra_pids):>5} "
              f"{r.published:>6} {percent(r.matched, r.published):>8} {percent(r.matched, r.present):>9} "
              f"{percent(r.agreeing, r.matched):>10}")
        total.published_pids += r.published_pids
        total.present_pids += r.present_pids
        total.missing_pids += r.missing_pids
        total.extra_pids += r.extra_pids
        total.published += r.published
        total.present += r.present
        total.matched += r.matched
        total.agreeing += r.agreeing
    print("-" * len(head))
    print(f"{'all':<24} {total.published_pids:>5} {total.present_pids:>7} {len(total.missing_pids):>7} "
          f"{len(total.extra_pids):>5} {total.published:>6} {percent(total.matched, total.published):>8} "
          f"{percent(total.matched, total.present):>9} {percent(total.agreeing, total.matched):>10}")


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--profiles", type=Path, default=DEFAULT_PROFILES)
    parser.add_argument("--published", type=Path, default=DEFAULT_PUBLISHED)
    parser.add_argument("--verbose", metavar="PROFILE", action="append", default=[],
                        help="list the unmatched keys of PROFILE (e.g. MSCONS_FV20260401); may repeat")
    args = parser.parse_args(argv)
    verbose = {name.upper() for name in args.verbose}
    tables = sorted((args.published / "ahb").glob("*.jsonl.gz"))
    if not tables:
        print(f"no AHB tables under {args.published / 'ahb'}")
        return 0
    results = []
    for table in tables:
        try:
            results.append(compare_profile(table, args.profiles, table.name.removesuffix(".jsonl.gz") in verbose))
        except (OSError, ValueError, KeyError, TypeError) as fault:
            name = table.name.removesuffix(".jsonl.gz")
            print(f"   cannot compare {name}: {type(fault).__name__}: {fault}\n")
            results.append(ProfileResult(name, note=f"unreadable ({type(fault).__name__})"))
    summary(results)
    return 0


if __name__ == "__main__":
    main(sys.argv[1:])
    sys.exit(0)
