#!/usr/bin/env python3
"""Runs the condition-text readers over the condition texts of published AHB tables and reports
how many yield a Voraussetzung (by kind), how many yield none, and readings that look misread.

Developers run it by hand; never from the build or the tests. The probe is built with
    cmake -S . -B build/release -DQUORVANE_TOOLS=ON && cmake --build build/release --target conditions_probe
and the tables are gzip JSON Lines whose lines of kind "condition" carry "nr" and "text"
(and "variants" where the Prüfidentifikatoren disagree).

    python3 tools/survey_condition_texts.py --probe build/release/tools/conditions_probe/conditions_probe \
        --tables /path/to/ahb [--show flagged|none|all]

To see how a change of the readers moves the built-in profiles' readings, save
`conditions_probe --catalogue` before and after it and compare the two, per profile:

    python3 tools/survey_condition_texts.py --compare before.jsonl after.jsonl [--show all]
"""
import argparse
import collections
import gzip
import json
import pathlib
import re
import subprocess
import sys


def read_tables(folder):
    """(profile, nr, text) for every condition text and every variant text."""
    rows = []
    for path in sorted(pathlib.Path(folder).glob("*.jsonl.gz")):
        with gzip.open(path, "rt", encoding="utf-8") as lines:
            for line in lines:
                record = json.loads(line)
                if record.get("kind") != "condition":
                    continue
                texts = [record["text"]] + [v["text"] for v in record.get("variants", []) if v["text"] != record["text"]]
                for text in texts:
                    rows.append((path.name.split(".")[0], record["nr"], text))
    return rows


def probe(binary, texts):
    data = "".join(text + "\0" for text in texts).encode("utf-8")
    done = subprocess.run([binary], input=data, capture_output=True, check=False)
    if done.returncode != 0:
        sys.exit(f"probe failed with exit code {done.returncode}: {done.stderr.decode(errors='replace')[:2000]}")
    results = [json.loads(line) for line in done.stdout.decode("utf-8").splitlines()]
    if len(results) != len(texts):
        sys.exit(f"probe answered {len(results)} of {len(texts)} texts")
    return results


def number_kind(nr):
    if not re.fullmatch(r"\+?\d+", nr):
        return "other"
    n = int(nr)
    if 1 <= n <= 499:
        return "Voraussetzung"
    if 2000 <= n <= 2499:
        return "Wiederholbarkeit"
    return "other"


def tags_of(reading):
    kind = reading["kind"]
    if kind == "Present":
        return [p[0] for p in reading["chain"]]
    if kind in ("DeShape", "Count"):
        return [reading["pattern"][0]]
    return [reading["tag"]]


def suspicions(text, reading):
    """Cross-checks of a reading against its text; each finding is a short reason."""
    lowered = text.lower()
    found = []
    for tag in tags_of(reading):
        if tag not in text:
            found.append(f"tag {tag} not in text")
    if "de" in reading and f"DE{reading['de']}" not in text:
        found.append(f"DE{reading['de']} not in text")
    for value in reading.get("values", []):
        if value not in text:
            found.append(f"value {value} not in text")
    group = reading.get("group")
    if group and group not in text and group.replace("SG", "S", 1) not in text:
        found.append(f"group {group} not in text")
    negation_words = ("nicht", "kein", "≠", "<>", "!=")
    if reading.get("negated") and not any(w in lowered for w in negation_words):
        found.append("negated without a negating word")
    relation = reading["kind"] == "DeValue" and any(r in text for r in ("≠", "<>", "!="))
    if not reading.get("negated", True) and " nicht vorhanden" in lowered and not relation:
        found.append("not negated although 'nicht vorhanden'")
    return found


def compare(before_path, after_path, show):
    """Per profile: readings that changed, that became unread, and that became read."""
    def load(path):
        with open(path, encoding="utf-8") as lines:
            return {(r["profile"], r["nr"]): r["voraussetzung"] for r in map(json.loads, lines)}
    before, after = load(before_path), load(after_path)
    counts = collections.defaultdict(collections.Counter)
    for key in sorted(set(before) | set(after)):
        old, new = before.get(key), after.get(key)
        if old == new:
            continue
        change = "now unread" if new is None else "now read" if old is None else "changed"
        counts[key[0]][change] += 1
        if show == "all":
            print(f"{key[0]} [{key[1]}] {change}\n  before {json.dumps(old, ensure_ascii=False)}"
                  f"\n  after  {json.dumps(new, ensure_ascii=False)}")
    total = collections.Counter()
    for profile in sorted(counts):
        total.update(counts[profile])
        print(f"{profile}: " + ", ".join(f"{n} {k}" for k, n in sorted(counts[profile].items())))
    print("all profiles: " + (", ".join(f"{n} {k}" for k, n in sorted(total.items())) or "no change"))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--probe")
    parser.add_argument("--tables")
    parser.add_argument("--compare", nargs=2, metavar=("BEFORE", "AFTER"))
    parser.add_argument("--show", choices=("flagged", "none", "all", "nothing"), default="flagged")
    args = parser.parse_args()
    if args.compare:
        compare(*args.compare, args.show)
        return
    if not args.probe or not args.tables:
        parser.error("--probe and --tables are needed unless --compare is given")

    rows = read_tables(args.tables)
    results = probe(args.probe, [text for _, _, text in rows])

    counts = collections.Counter()
    by_kind = collections.Counter()
    distinct = {}
    flagged = []
    unread = []
    for (profile, nr, text), result in zip(rows, results):
        kind = number_kind(nr)
        counts["texts"] += 1
        reading = result["voraussetzung"]
        counts["any text: Voraussetzung"] += reading is not None
        if kind == "Wiederholbarkeit":
            counts["Wiederholbarkeit texts"] += 1
            counts["Wiederholbarkeit: segment read"] += result["pro_segment"] is not None
        if kind != "Voraussetzung":
            continue
        counts["Voraussetzung texts"] += 1
        distinct[text] = reading
        if not result["precondition"]:
            counts["Voraussetzung: not a precondition (Neutral)"] += 1
            continue
        counts["Voraussetzung: precondition"] += 1
        if reading is None:
            counts["Voraussetzung: precondition, no reading (Undecided)"] += 1
            unread.append((profile, nr, text))
            continue
        counts["Voraussetzung: precondition, read"] += 1
        by_kind[reading["kind"]] += 1
        reasons = suspicions(text, reading)
        if reasons:
            flagged.append((profile, nr, text, reading, reasons))

    for key in sorted(counts):
        print(f"{key}: {counts[key]}")
    for key in sorted(by_kind):
        print(f"  read as {key}: {by_kind[key]}")
    read_distinct = sum(1 for r in distinct.values() if r is not None)
    print(f"distinct Voraussetzung texts: {len(distinct)}, read: {read_distinct}")
    print(f"flagged readings: {len(flagged)}")
    if args.show in ("flagged", "all"):
        for profile, nr, text, reading, reasons in flagged:
            print(f"\n{profile} [{nr}] {text}\n  -> {json.dumps(reading, ensure_ascii=False)}\n  ?? {'; '.join(reasons)}")
    if args.show in ("none", "all"):
        for profile, nr, text in unread:
            print(f"\n{profile} [{nr}] {text}\n  -> none")


if __name__ == "__main__":
    main()
