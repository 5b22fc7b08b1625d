#!/usr/bin/env python3
"""Converts the published MIG and AHB tables into the compact profile sources under
tools/profiles/published/, which gen_profiles.py turns into the documents. Run by hand;
its output is committed, so the build never reads the published data.

usage: python3 tools/convert_published.py [STATIC ...]
"""

import json
import os
import re
import sys
import xml.etree.ElementTree as ET
from types import SimpleNamespace

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "published"))

import aperak_draft  # noqa: E402
from align import Flat, align  # noqa: E402
from mig_trees import add_absent, from_normalized, from_structure, from_xml  # noqa: E402
from sources import DATA, AhbTable, Directory  # noqa: E402

OUT = os.path.join(HERE, "profiles", "published")

# static -> (MIG source kind, source name, UN release of UNH)
PUBLISHED = {
    # the draft AHB of 2.2 is the only table; the structure table is the one of 2.1i
    "APERAK_FV20251001": ("draft", "APERAK_FV2504.csv", "D07B"),
    "APERAK_FV20261001": ("draft", "APERAK_FV2504.csv", "D07B"),
    "COMDIS_FV20260401": ("structure", "COMDIS_FV2504.csv", "D17A"),
    "IFTSTA_FV20251001": ("structure", "IFTSTA_FV2504.csv", "D18A"),
    "INSRPT_FV20260101": ("structure", "INSRPT_FV2410.csv", "D10A"),
    "INVOIC_FV20260401": ("normalized", "INVOIC_2.8e", None),
    "MSCONS_FV20260401": ("normalized", "MSCONS_2.4c", None),
    "ORDCHG_FV20250401": ("structure", "ORDCHG_FV2410.csv", "D20B"),
    "ORDERS_FV20260401": ("normalized", "ORDERS_1.4b", None),
    "ORDRSP_FV20260401": ("structure", "ORDRSP_FV2504.csv", "D10A"),
    "PARTIN_FV20260401": ("structure", "PARTIN_FV2410.csv", "D20B"),
    "PRICAT_FV20251001": ("structure", "PRICAT_FV2504.csv", "D20B"),
    "QUOTES_FV20251001": ("structure", "QUOTES_FV2504.csv", "D10A"),
    "REMADV_FV20260401": ("structure", "REMADV_FV2410.csv", "D05A"),
    "REQOTE_FV20251001": ("structure", "REQOTE_FV2504.csv", "D10A"),
    "UTILMD_FV20251001": ("normalized", "UTILMD_S2.1", None),
    "UTILMD_FV20260401_GAS": ("structure", "UTILMDG_FV2410.csv", "D11A"),
    "UTILTS_FV20250401": ("xml", "UTILTS_1.1e_MIG_20241018.xml", None),
}

UTILTS_AHB_XML = "UTILTS_1.1e_AHB-1.0_20250218.xml"


# Conditions that the tables use only inside the Unterbedingungen, without text of their own.
UB_CONDITIONS = ("490", "491", "932", "933", "934", "935")


def shared_condition_texts():
    """The wording of the Unterbedingungen's conditions, which the UTILTS AHB XML gives."""
    root = ET.parse(os.path.join(DATA, "mig", UTILTS_AHB_XML)).getroot()
    out = {}
    for b in root.iter("Bedingung"):
        nr = b.attrib["Nummer"].strip("[]")
        if nr in UB_CONDITIONS:
            out[nr] = " ".join((b.text or "").split())
    return out


def draft_table(static, directory):
    """The APERAK columns of the draft AHB, in the shape of a published table."""
    msg = static.split("_")[0]
    entries = directory.messages[msg]["entries"]
    triggers = {}
    for k, e in enumerate(entries):
        if e.get("segment_group"):
            triggers[e["group"]] = next(x["tag"] for x in entries[k + 1:] if not x.get("segment_group"))
    reader = aperak_draft.read_2_1i if static == "APERAK_FV20251001" else aperak_draft.read
    pids, lines, conditions = reader(triggers)
    return SimpleNamespace(meta={"message_type": msg}, pids=pids, lines=lines, conditions=conditions,
                           pakete={}, ub={})


def references(text):
    return [r.strip() for r in re.findall(r"\[([^\]]*)\]", text)]


def fill_codes(leaf, code, name):
    if not any(c[0] == code for c in leaf["codes"]):
        leaf["codes"].append([code, name])


def fill_name(leaf, name, line=None):
    if name and not leaf.get("named"):
        leaf["name"] = name
        leaf["named"] = True


def opening_values(lines):
    """The positions of the value lines (a data element named without a code) that leave their
    data element open: no codes of it follow in the column, or only codes with conditions of
    their own, so that the value line is an alternative to them (STS DE 9013 "Code des
    Prüfschritts" takes the codes of the decision trees). A value line followed by plain codes
    is the status line of a code list."""
    out = set()
    for k, ln in enumerate(lines):
        if ln["type"] != "dataelement":
            continue
        following = []
        for nxt in lines[k + 1:]:
            if nxt["type"] != "code" or nxt["de"] != ln["de"]:
                break
            following.append(nxt)
        if all("[" in nxt["expr"] for nxt in following):
            out.add(ln["i"])
    return out


def marking_open(opening):
    """fill_name, which also marks the leaf of an opening value line."""
    def on_name(leaf, name, line=None):
        fill_name(leaf, name)
        if line is not None and line["i"] in opening:
            leaf["value"] = True
    return on_name


# How the MIGs mark a list of codes as examples rather than as the values permitted.
EXAMPLE_CODE = ["XYZ", "Beispielcode"]


def open_valued_leaves(flat):
    """The codes that columns name for a leaf that some column leaves open stay, as examples:
    they make no code list."""
    for n in flat.nodes:
        for e in n.get("elements", []):
            for leaf in e["components"] or [e]:
                if leaf.pop("value", False) and leaf["codes"]:
                    fill_codes(leaf, *EXAMPLE_CODE)


def clear_codes(flat):
    """Codes of a structure-table MIG come only from the AHB lines of the current pass."""
    for n in flat.nodes:
        for e in n.get("elements", []):
            for leaf in e["components"] or [e]:
                leaf["codes"] = []


def compact_element(e):
    return [e["id"], e["name"], e["status"], e["format"], e["codes"],
            [compact_element(c) for c in e["components"]]]


def compact_node(n):
    if n["kind"] == "G":
        return ["G", n["group"], n["zaehler"], n["status"], n["max"], n["name"],
                [compact_node(c) for c in n["children"]]]
    return ["S", n["nr"], n["tag"], n["zaehler"], n["status"], n["max"], n["name"],
            [compact_element(e) for e in n["elements"]], n["example"]]


def compact_entry(e):
    if e[0] == "e":
        r = e[1]
        return ["e", r["nr"], r["de"], r["occurrence"], r["operands"]]
    return list(e)


def named_numbers(afs):
    """The segment numbers that some column names, in a row or an element rule."""
    out = set()
    for af in afs:
        for e in af["lines"]:
            out.add(e[2] if e[0] == "g" else e[1])
    return out


def drop_unnamed(nodes, named):
    """A structure table carries no codes: its segments get theirs from the columns. One that no
    column names has none, and a code-less node takes every segment of its tag, so it goes, with
    any group left without a named segment."""
    kept = []
    for n in nodes:
        if n["kind"] == "G":
            n["children"] = drop_unnamed(n["children"], named)
            if n["children"] and n["children"][0]["kind"] == "S":
                kept.append(n)
        elif n["nr"] in named:
            kept.append(n)
    return kept


def relax_required(nodes, afs):
    """A group that the older structure requires ("R") but no column demands without a condition
    is conditional ("D"): the draft made APERAK's SG5 of the rejected message depend on the error
    code, and the structure table predates that."""
    demanded, listed = set(), set()
    for af in afs:
        for e in af["lines"]:
            if e[0] == "g":
                listed.add(e[2])
                if any(c.strip() == "Muss" for c in e[3]):
                    demanded.add(e[2])
    for n in nodes:
        if n["kind"] == "G":
            before = n["children"][0]["nr"] if n["children"] and n["children"][0]["kind"] == "S" else None
            if n["status"] == "R" and before in listed and before not in demanded:
                n["status"] = "D"
            relax_required(n["children"], afs)


def direction(text):
    return text.replace(" → ", " an ")


def convert(static, shared):
    kind, name, un = PUBLISHED[static]
    if kind == "draft":
        table = draft_table(static, Directory(un))
        kind = "structure"
    else:
        table = AhbTable(static)
    msg = table.meta["message_type"]
    if kind == "xml":
        roots, envelope = from_xml(name)
    elif kind == "normalized":
        roots, envelope = from_normalized(name)
    else:
        roots, envelope = from_structure(name, Directory(un), msg)
    flat = Flat(roots + envelope)
    # the MIGs with element detail keep their own codes and names
    detailed = kind != "structure"
    if not detailed:
        directory = Directory(un)
        next_nr = 1 + max(int(re.sub(r"\D", "", n["nr"])) for n in flat.nodes if n["kind"] == "S")
        for _ in range(6):
            clear_codes(flat)
            absent = []
            for p in table.pids:
                absent += align(flat, table.lines.get(p["pid"], []), fill_codes, fill_name).absent
            if not absent:
                break
            next_nr = add_absent(roots, absent, directory, msg, next_nr)
            flat = Flat(roots + envelope)
        clear_codes(flat)
    afs, missed, total = [], [], 0
    for p in table.pids:
        lines = table.lines.get(p["pid"], [])
        total += len(lines)
        col = align(flat, lines, None if detailed else fill_codes,
                    None if detailed else marking_open(opening_values(lines)))
        missed += [(p["pid"], ln["i"], ln["type"], ln["sg"], ln["seg"], ln["de"], ln["code"]) for ln in col.missed]
        # 44110 and 44172 start with "#nv#"; 44111 has an empty name
        desc = p["description"].replace("#nv#", "").strip()
        afs.append({"pid": p["pid"], "name": desc, "communication": direction(p["direction"]),
                    "lines": [compact_entry(e) for e in col.entries]})
    if not detailed:
        open_valued_leaves(flat)
        roots = drop_unnamed(roots, named_numbers(afs))
    if PUBLISHED[static][0] == "draft":
        relax_required(roots, afs)
        for n in flat.nodes:
            for e in n.get("elements", []):
                for leaf in e["components"] or [e]:
                    leaf.pop("named", None)

    conditions = dict(table.conditions)
    packages = {}
    for nr, text in table.pakete.items():
        # "--" marks a Paket without condition
        packages[nr] = "" if text.strip() in ("", "--") else text.strip()
    used = set()
    for af in afs:
        for e in af["lines"]:
            cells = e[3] if e[0] == "g" else e[2] if e[0] == "s" else [o[0] for o in e[4]]
            for c in cells:
                used.update(references(c))
    for text in list(packages.values()) + list(table.ub.values()):
        used.update(references(text))
    for ref in sorted(used):
        if ref.isdigit() and ref not in conditions and ref in shared:
            conditions[ref] = shared[ref]
    doc = {
        "structure": [compact_node(n) for n in roots],
        "envelope": [compact_node(n) for n in envelope],
        "anwendungsfaelle": afs,
        "conditions": dict(sorted(conditions.items())),
        "packages": dict(sorted(packages.items())),
    }
    return doc, missed, total


def write(static, doc):
    os.makedirs(OUT, exist_ok=True)
    path = os.path.join(OUT, static.lower() + ".json")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("{\n")
        keys = list(doc)
        for k, key in enumerate(keys):
            f.write(json.dumps(key) + ": ")
            val = doc[key]
            if key == "anwendungsfaelle":
                f.write("[\n" + ",\n".join(json.dumps(a, ensure_ascii=False, separators=(",", ":")) for a in val)
                        + "\n]")
            else:
                f.write(json.dumps(val, ensure_ascii=False, separators=(",", ":")))
            f.write(",\n" if k + 1 < len(keys) else "\n")
        f.write("}\n")


def main(argv):
    statics = argv[1:] or sorted(PUBLISHED)
    shared = shared_condition_texts()
    for static in statics:
        doc, missed, total = convert(static, shared)
        write(static, doc)
        print("%-24s %5d lines, %3d not aligned" % (static, total, len(missed)))
        for m in missed[:8]:
            print("    ", m)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
