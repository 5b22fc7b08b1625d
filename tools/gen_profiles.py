#!/usr/bin/env python3
"""Writes the 64 built-in profile documents (profiles/*.json) from the
compact sources under tools/profiles/ and the Prüfidentifikator extract.

usage: python3 tools/gen_profiles.py PRUEFIDENTIFIKATOREN.tsv [OUTDIR]
"""

import csv
import importlib
import json
import os
import re
import sys
from types import SimpleNamespace

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "profiles"))

import catalogue  # noqa: E402
import published_source  # noqa: E402
from dsl import make_column  # noqa: E402,F401

ROOT = os.path.dirname(HERE)


class SourceError(Exception):
    pass


# --- MIG ----------------------------------------------------------------

def is_code_list(codes):
    if not codes:
        return False
    for code, _ in codes:
        if len(code) > 8 or not re.fullmatch(r"[A-Za-z0-9._]*", code):
            return False
        if len(code) == 3 and code.lower() in ("xxx", "xyz"):
            return False
    return True


def element_json(e):
    out = {"id": e["id"], "status": e["status"]}
    if e["name"]:
        out["name"] = e["name"]
    if e["format"]:
        out["format"] = e["format"]
    if e["note"]:
        out["note"] = e["note"]
    if e["codes"]:
        out["codes"] = [{"code": c, "name": n} for c, n in e["codes"]]
    if e["components"]:
        out["components"] = [element_json(c) for c in e["components"]]
    return out


class Numbering:
    """Assigns the running segment number and the Zähler in MIG order."""

    def __init__(self):
        self.nr = 0
        self.zaehler = 0

    def next_nr(self):
        self.nr += 1
        return "%05d" % self.nr

    def next_zaehler(self):
        self.zaehler += 10
        return "%04d" % self.zaehler


def number_tree(nodes, numbering, parent_path=()):
    """Attaches nr and zaehler to every node, in pre-order."""
    for n in nodes:
        # a node may carry the Zähler of its published structure
        n["zaehler"] = n.get("zaehler") or numbering.next_zaehler()
        if n["kind"] == "grp":
            number_tree(n["children"], numbering, parent_path + (n["group"],))
        else:
            n["nr"] = numbering.next_nr()


def node_json(n):
    if n["kind"] == "grp":
        return {"group": n["group"], "zaehler": n["zaehler"], "status": n["status"],
                "max": n["max"], "name": n["name"],
                "children": [node_json(c) for c in n["children"]]}
    out = {"nr": n["nr"], "tag": n["tag"], "zaehler": n["zaehler"],
           "status": n["status"], "max": n["max"], "name": n["name"],
           "elements": [element_json(e) for e in n["elements"]]}
    if n.get("example"):
        out["example"] = n["example"]
    return out


def leaves(seg):
    """(element index, component index, element, parent composite or None)."""
    out = []
    for i, e in enumerate(seg["elements"]):
        if e["components"]:
            for j, c in enumerate(e["components"]):
                out.append((i, j, c, e))
        else:
            out.append((i, 0, e, None))
    return out


# --- AHB ----------------------------------------------------------------

def default_status(node):
    if node.get("ahb"):
        return node["ahb"]
    return "Muss" if node["status"] in ("M", "R") else "Kann"


def included(node, col):
    if node["key"] in col.exclude:
        return False
    if node["key"] in col.include:
        return True
    return node["cats"] is None or bool(node["cats"] & col.cats)


def operands_for(seg, leaf, occ, col):
    i, j, e, parent = leaf
    key = seg["key"]
    pin = col.pins.get((key, e["id"], occ))
    if pin is None and occ == 0:
        pin = col.pins.get((key, e["id"]))
    composite_mand = parent is None or parent["status"] in ("M", "R")
    mand = composite_mand and e["status"] in ("M", "R")
    if (key, e["id"]) in col.required:
        mand = True
    lvl = "X" if mand else "K"
    fc = e.get("fc")
    if fc is None and e["id"] == "2380":
        fmts = [c for c, _ in seg["elements"][0]["components"][2]["codes"]]
        if fmts == ["303"]:
            fc = "931"
    text = lvl + (" [%s]" % fc if fc else "")
    if pin is not None:
        ops = []
        for p in pin:
            if isinstance(p, tuple) and p[1] is None:
                ops.append({"operand": p[0]})
            elif isinstance(p, tuple):
                ops.append({"operand": p[0], "code": p[1]})
            else:
                ops.append({"operand": "X", "code": p})
        return ops
    if col.mandatory_only and not mand:
        return None
    if is_code_list(e["codes"]):
        # the document code stays open unless the column names one
        first = (i == 0 and j == 0 and seg["tag"] != "BGM")
        if len(e["codes"]) == 1 or (first and len(e["codes"]) <= 8):
            return [{"operand": text, "code": c} for c, _ in e["codes"]]
    return [{"operand": text}]


def build_column(tree, col):
    rows, rules = [], []

    def visit(nodes):
        for n in nodes:
            if not included(n, col):
                continue
            st = col.status.get(n["key"], default_status(n))
            cells = st if isinstance(st, list) else [st]
            if n["kind"] == "grp":
                first = n["children"][0]
                rows.append({"group": n["group"], "before": first["nr"], "status": cells})
                visit(n["children"])
            else:
                rows.append({"nr": n["nr"], "status": cells})
                seen = {}
                for leaf in leaves(n):
                    e = leaf[2]
                    occ = seen.get(e["id"], 0)
                    seen[e["id"]] = occ + 1
                    if e["status"] == "N":
                        continue
                    ops = operands_for(n, leaf, occ, col)
                    if ops is None:
                        continue
                    r = {"nr": n["nr"], "de": e["id"], "operands": ops}
                    if occ:
                        r["occurrence"] = occ
                    rules.append(r)

    visit(tree)
    return rows, rules


# --- documents ----------------------------------------------------------

def load_pids(path):
    by_profile = {}
    with open(path, encoding="utf-8", newline="") as f:
        for row in csv.DictReader(f, delimiter="\t"):
            by_profile.setdefault(row["profile"], []).append(row)
    return by_profile


def anwendungsfaelle(static, msg, count, tsv_rows, report):
    afs = []
    for r in tsv_rows:
        pid = int(r["pid"]) if r["pid"].strip() else None
        if msg == "APERAK" and pid is None:
            pid = catalogue.APERAK_PIDS[r["name"].strip()]
        afs.append({"pid": pid, "name": r["name"].strip(),
                    "communication": r["communication"].strip()})
    drop = set(catalogue.DROP.get(static, []))
    kept = [a for a in afs if a["pid"] not in drop]
    if len(afs) - len(kept) != len(drop):
        raise SourceError("%s: a PID to drop is not in the extract" % static)
    for pid, name, comm in catalogue.ADD.get(static, []):
        if any(a["pid"] == pid for a in kept):
            raise SourceError("%s: PID %d to add is already there" % (static, pid))
        kept.append({"pid": pid, "name": name, "communication": comm})
    kept.sort(key=lambda a: (a["pid"] is None, a["pid"] or 0))
    if drop or catalogue.ADD.get(static):
        report.append("%s: %d rows in the extract, %d in the AHB; dropped %s; added %s" % (
            static, len(afs), len(kept), sorted(drop) or "none",
            [p for p, _, _ in catalogue.ADD.get(static, [])] or "none"))
    return kept


def version_info(entry, index):
    static, msg, release, ahbv, vf, vu, track, pids, count, pub = entry
    return SimpleNamespace(static=static, msg=msg, release=release, ahb_version=ahbv,
                           valid_from=vf, valid_until=vu, track=track,
                           pid_source=pids, count=count, publikationsdatum=pub,
                           index=index, newer=vf >= "2026-10-01",
                           gas=(track == "Gas"))


def published_pair(v, tsv, report):
    """MIG tree, envelope and AHB parts of a profile made from the published tables."""
    if v.static in published_source.DERIVED:
        wanted = anwendungsfaelle(v.static, v.msg, v.count, tsv.get(v.static, []), report)
    else:
        wanted = [{"pid": int(r["pid"]), "name": r["name"].strip(), "communication": r["communication"].strip()}
                  for r in tsv.get(v.static, []) if r["pid"].strip()]
    try:
        return published_source.build(v, wanted)
    except published_source.SourceError as e:
        raise SourceError("%s: %s" % (v.static, e))


def handwritten_pair(v, tsv, report):
    """The profiles still written in the per-message modules."""
    mod = importlib.import_module(v.msg.lower())
    tree = mod.tree(v)
    envelope = mod.envelope(v) if hasattr(mod, "envelope") else []
    numbering = Numbering()
    for e in envelope[:1]:
        e["zaehler"] = "0000"
        e["nr"] = "00000"
    number_tree(tree, numbering)
    for e in envelope[1:]:
        e["zaehler"] = numbering.next_zaehler()
        e["nr"] = numbering.next_nr()
    if v.msg == "CONTRL":
        afs = mod.anwendungsfaelle(v)
    else:
        afs = anwendungsfaelle(v.static, v.msg, v.count, tsv.get(v.static, []), report)
    out_afs = []
    for af in afs:
        col = mod.column(v, af)
        rows, rules = build_column(tree, col)
        rec = {"name": af["name"], "rows": rows, "elements": rules}
        if af.get("pid") is not None:
            rec["pid"] = af["pid"]
        if col.chapter:
            rec["chapter"] = col.chapter
        if af.get("communication"):
            rec["communication"] = af["communication"]
        out_afs.append(rec)
    return ([node_json(n) for n in tree], [node_json(e) for e in envelope], out_afs, mod.conditions(v),
            dict(getattr(mod, "PACKAGES", {})))


def build_pair(entry, index, tsv, report):
    v = version_info(entry, index)
    if published_source.handles(v.static):
        structure, envelope, out_afs, conditions, packages = published_pair(v, tsv, report)
    else:
        structure, envelope, out_afs, conditions, packages = handwritten_pair(v, tsv, report)
    track_word = {"Strom": "Strom ", "Gas": "Gas "}.get(v.track, "")
    mig = {
        "message_type": v.msg,
        "release": v.release,
        "schema_version": 2,
        "ahb_version": v.ahb_version,
        "source": {"file": "%s_MIG_%s%s_%s.pdf" % (v.msg, track_word.strip() + "_" if track_word else "",
                                                    v.release, v.valid_from.replace("-", "")),
                   "title": "%s MIG %s%s" % (v.msg, track_word, v.release)},
        "structure": structure,
        "envelope": envelope,
        "pid_source": v.pid_source,
        "valid_from": v.valid_from,
    }
    if v.msg == "CONTRL":
        mig["pid_exempt"] = True
    if v.valid_until:
        mig["valid_until"] = v.valid_until
    if v.publikationsdatum:
        mig["publikationsdatum"] = v.publikationsdatum
    if v.track:
        mig["track"] = v.track
    ahb = {
        "message_type": v.msg,
        "release": v.release,
        "schema_version": 2,
        "ahb_version": v.ahb_version,
        "source": {"file": "%s_AHB_%s%s_%s.pdf" % (v.msg, track_word.strip() + "_" if track_word else "",
                                                    v.ahb_version, v.valid_from.replace("-", "")),
                   "title": "%s AHB %s%s" % (v.msg, track_word, v.ahb_version)},
        "anwendungsfaelle": out_afs,
        "conditions": conditions,
        "packages": packages,
    }
    return v, mig, ahb


def file_stem(v):
    return "%s_fv%s%s" % (v.msg.lower(), v.valid_from.replace("-", ""),
                         "_gas" if v.gas else "")


def render(doc):
    return json.dumps(doc, ensure_ascii=False, indent=2, sort_keys=True) + "\n"


# --- checks -------------------------------------------------------------

STATUS_WORDS = {"Muss", "Soll", "Kann", "X", "M", "S", "K"}

REQUIRED = {
    "mig": ["message_type", "release", "schema_version", "ahb_version", "source",
            "structure", "valid_from"],
    "ahb": ["message_type", "release", "schema_version", "ahb_version", "source",
            "anwendungsfaelle"],
    "source": ["file"],
    "group": ["group", "status", "max", "children"],
    "segment": ["nr", "tag", "status", "max"],
    "element": ["id", "status"],
    "code": ["code"],
    "af": ["name", "rows"],
    "row": ["status"],
    "rule": ["nr", "de", "operands"],
    "operand": ["operand"],
}


def need(rec, kind, where):
    for k in REQUIRED[kind]:
        if k not in rec:
            raise SourceError("%s: %s lacks `%s`" % (where, kind, k))


def check_refs(text, conds, packages, where):
    for ref in re.findall(r"\[([^\]]*)\]", text):
        if ref.startswith("UB"):
            continue
        if "P" in ref:
            name = ref.split("P")[0] + "P"
            if name not in packages:
                raise SourceError("%s: Paket %s is not defined" % (where, name))
        elif ref not in conds:
            raise SourceError("%s: condition [%s] has no text" % (where, ref))


def check_pair(v, mig_text, ahb_text):
    where = v.static
    mig = json.loads(mig_text)
    ahb = json.loads(ahb_text)
    need(mig, "mig", where)
    need(ahb, "ahb", where)
    need(mig["source"], "source", where)
    need(ahb["source"], "source", where)
    expect = {"message_type": v.msg, "release": v.release, "ahb_version": v.ahb_version,
              "valid_from": v.valid_from, "schema_version": 2, "pid_source": v.pid_source}
    for k, val in expect.items():
        if mig.get(k) != val:
            raise SourceError("%s: MIG %s is %r, not %r" % (where, k, mig.get(k), val))
    for k in ("message_type", "release", "ahb_version"):
        if ahb[k] != expect[k]:
            raise SourceError("%s: AHB %s is %r" % (where, k, ahb[k]))
    if mig.get("valid_until") != v.valid_until or mig.get("track") != v.track:
        raise SourceError("%s: validity or track differs from the catalogue" % where)
    if mig.get("pid_exempt", False) != (v.msg == "CONTRL"):
        raise SourceError("%s: pid_exempt" % where)
    if bool(mig.get("envelope")) != (v.msg == "MSCONS"):
        raise SourceError("%s: envelope" % where)

    segs = {}

    def walk(nodes, depth):
        for n in nodes:
            if "children" in n and "group" in n:
                need(n, "group", where)
                if not n["children"] or "tag" not in n["children"][0]:
                    raise SourceError("%s: group %s does not start with a segment" % (where, n["group"]))
                if not 1 <= n["max"] <= 9999999:
                    raise SourceError("%s: group %s max" % (where, n["group"]))
                walk(n["children"], depth + 1)
            else:
                need(n, "segment", where)
                if not re.fullmatch(r"[A-Z]{3}", n["tag"]) or not 1 <= n["max"] <= 99:
                    raise SourceError("%s: segment %s" % (where, n["nr"]))
                if n["nr"] in segs:
                    raise SourceError("%s: nr %s twice" % (where, n["nr"]))
                segs[n["nr"]] = n
                for e in n.get("elements", []):
                    need(e, "element", where)
                    for c in e.get("components", []) + ([] if e.get("components") else [e]):
                        need(c, "element", where)
                        if "format" not in c:
                            raise SourceError("%s: %s DE %s has no format" % (where, n["nr"], c["id"]))
                        for code in c.get("codes", []):
                            need(code, "code", where)

    walk(mig["structure"], 0)
    for e in mig.get("envelope", []):
        need(e, "segment", where)
        segs[e["nr"]] = e

    afs = ahb["anwendungsfaelle"]
    if len(afs) != v.count:
        raise SourceError("%s: %d Anwendungsfälle, the catalogue says %d" % (where, len(afs), v.count))
    bands = catalogue.BANDS[v.msg]
    pids = [a.get("pid") for a in afs]
    if v.msg == "CONTRL":
        if any(p is not None for p in pids):
            raise SourceError("%s: CONTRL carries no PID" % where)
    else:
        for p in pids:
            if p is None or not any(lo <= p <= hi for lo, hi in bands):
                raise SourceError("%s: PID %r outside the band of %s" % (where, p, v.msg))
        if len(set(pids)) != len(pids):
            raise SourceError("%s: a PID occurs twice" % where)
    conds, packages = ahb.get("conditions", {}), ahb.get("packages", {})
    for a in afs:
        need(a, "af", where)
        tag = "%s %s" % (where, a.get("pid", a["name"]))
        for r in a["rows"]:
            need(r, "row", tag)
            nr = r.get("nr") or r.get("before")
            if nr not in segs:
                raise SourceError("%s: row for unknown segment %s" % (tag, nr))
            for cell in r["status"]:
                if cell.split()[0] not in STATUS_WORDS:
                    raise SourceError("%s: status cell %r" % (tag, cell))
                check_refs(cell, conds, packages, tag)
        for rule in a.get("elements", []):
            need(rule, "rule", tag)
            seg = segs.get(rule["nr"])
            if seg is None:
                raise SourceError("%s: rule for unknown segment %s" % (tag, rule["nr"]))
            ids = []
            for e in seg.get("elements", []):
                ids.append(e["id"])
                ids.extend(c["id"] for c in e.get("components", []))
            if ids.count(rule["de"]) <= rule.get("occurrence", 0):
                raise SourceError("%s: DE %s not in segment %s" % (tag, rule["de"], rule["nr"]))
            for op in rule["operands"]:
                need(op, "operand", tag)
                if op["operand"].split()[0] not in STATUS_WORDS:
                    raise SourceError("%s: operand %r" % (tag, op["operand"]))
                check_refs(op["operand"], conds, packages, tag)
    return mig, ahb


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    tsv = load_pids(argv[1])
    outdir = argv[2] if len(argv) > 2 else os.path.join(ROOT, "profiles")
    os.makedirs(outdir, exist_ok=True)
    report, written, docs = [], [], {}
    for index, entry in enumerate(catalogue.PROFILES):
        v, mig, ahb = build_pair(entry, index, tsv, report)
        mig_text, ahb_text = render(mig), render(ahb)
        docs[v.static] = check_pair(v, mig_text, ahb_text)
        stem = file_stem(v)
        for suffix, text in ((".mig.json", mig_text), (".ahb.json", ahb_text)):
            path = os.path.join(outdir, stem + suffix)
            with open(path, "w", encoding="utf-8", newline="\n") as f:
                f.write(text)
            written.append((path, len(text.encode("utf-8"))))
    import content_checks
    try:
        content_checks.run(docs)
    except content_checks.ContentError as e:
        raise SourceError(str(e))
    total = sum(n for _, n in written)
    for line in report:
        print(line)
    print("%d documents, %.2f MB" % (len(written), total / 1e6))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except SourceError as e:
        print("gen_profiles: %s" % e, file=sys.stderr)
        sys.exit(1)
