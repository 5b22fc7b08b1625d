"""The profiles made from the published tables: the compact sources under published/
(written by tools/convert_published.py) and the profiles derived from them."""

import difflib
import json
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))

# Profiles whose MIG and AHB come from a published source.
PUBLISHED = {
    "APERAK_FV20251001", "APERAK_FV20261001", "COMDIS_FV20260401", "IFTSTA_FV20251001", "INSRPT_FV20260101",
    "INVOIC_FV20260401", "MSCONS_FV20260401", "ORDCHG_FV20250401", "ORDERS_FV20260401", "ORDRSP_FV20260401",
    "PARTIN_FV20260401", "PRICAT_FV20251001", "QUOTES_FV20251001", "REMADV_FV20260401",
    "REQOTE_FV20251001", "UTILMD_FV20251001", "UTILMD_FV20260401_GAS", "UTILTS_FV20250401",
}

# Profiles without a public source, and the published predecessor each is derived from.
DERIVED = {
    "IFTSTA_FV20261001": "IFTSTA_FV20251001",
    "INVOIC_FV20261001": "INVOIC_FV20260401",
    "MSCONS_FV20261001": "MSCONS_FV20260401",
    "ORDCHG_FV20261001": "ORDCHG_FV20250401",
    "ORDERS_FV20261001": "ORDERS_FV20260401",
    "ORDRSP_FV20261001": "ORDRSP_FV20260401",
    "PARTIN_FV20261001": "PARTIN_FV20260401",
    "PRICAT_FV20261001": "PRICAT_FV20251001",
    "QUOTES_FV20261001": "QUOTES_FV20251001",
    "REQOTE_FV20261001": "REQOTE_FV20251001",
    "UTILMD_FV20261001": "UTILMD_FV20251001",
    "UTILMD_FV20261001_GAS": "UTILMD_FV20260401_GAS",
    "UTILTS_FV20261001": "UTILTS_FV20250401",
}


class SourceError(Exception):
    pass


def handles(static):
    return static in PUBLISHED or static in DERIVED


def load(static):
    with open(os.path.join(HERE, "published", static.lower() + ".json"), encoding="utf-8") as f:
        return json.load(f)


# --- MIG ------------------------------------------------------------------------------------

def element_json(e, release_codes):
    id_, name, status, fmt, codes, components = e
    out = {"id": id_, "status": status}
    if name:
        out["name"] = name
    if fmt:
        out["format"] = fmt
    if codes:
        out["codes"] = [{"code": release_codes.get((id_, c), c), "name": n} if n
                        else {"code": release_codes.get((id_, c), c)} for c, n in codes]
    if components:
        out["components"] = [element_json(c, release_codes) for c in components]
    return out


def node_json(n, release_codes):
    if n[0] == "G":
        _, group, zaehler, status, max_, name, children = n
        out = {"group": group, "zaehler": zaehler, "status": status, "max": max_,
               "children": [node_json(c, release_codes) for c in children]}
        if name:
            out["name"] = name
        return out
    _, nr, tag, zaehler, status, max_, name, elements, example = n
    out = {"nr": nr, "tag": tag, "zaehler": zaehler, "status": status, "max": max_}
    if name:
        out["name"] = name
    if elements:
        out["elements"] = [element_json(e, release_codes) for e in elements]
    if example:
        out["example"] = example
    return out


# --- AHB ------------------------------------------------------------------------------------

def column_json(lines, release_codes):
    rows, rules = [], []
    for e in lines:
        if e[0] == "g":
            rows.append({"group": e[1], "before": e[2], "status": e[3]})
        elif e[0] == "s":
            rows.append({"nr": e[1], "status": e[2]})
        else:
            _, nr, de, occ, operands = e
            ops = []
            for op in operands:
                o = {"operand": op[0]}
                if len(op) > 1:
                    o["code"] = release_codes.get((de, op[1]), op[1])
                ops.append(o)
            r = {"nr": nr, "de": de, "operands": ops}
            if occ:
                r["occurrence"] = occ
            rules.append(r)
    return rows, rules


def _template(pid, name, columns):
    """The predecessor's column for a Prüfidentifikator it lacks: the one of the same
    Anwendungsfall name, else of the most similar name."""
    by_name = [c for c in columns if c["name"] == name]
    if by_name:
        return by_name[0]
    names = [c["name"] for c in columns]
    close = difflib.get_close_matches(name, names, n=1, cutoff=0.0)
    if not close:
        raise SourceError("no column to derive %d from" % pid)
    return columns[names.index(close[0])]


def _name(text):
    # 44110 and 44172 start with the spreadsheet residue "#nv#"
    return re.sub(r"^#nv#\s*", "", text).strip()


def _communication(text, message_type):
    # UTILMD 44022 and 55022 carry the MSCONS guide's sentence on its senders instead of a direction
    if not text or (message_type != "MSCONS" and text.startswith("MSCONS-Nachrichten")):
        return None
    return text


def _pid_references(structure):
    """The RFF+Z13 segments of a MIG by number, each with its DE 1154 (the Prüfidentifikator)."""
    found = {}

    def visit(nodes):
        for n in nodes:
            if "children" in n:
                visit(n["children"])
                continue
            parts = n["elements"][0].get("components", []) if n["tag"] == "RFF" and n.get("elements") else []
            if len(parts) > 1 and parts[1]["id"] == "1154" and any(c["code"] == "Z13"
                                                                     for c in parts[0].get("codes", [])):
                found[n["nr"]] = parts[1]
    visit(structure)
    return found


def _admit_own_pids(structure, anwendungsfaelle, templates):
    """Every Anwendungsfall names its own Prüfidentifikator in the RFF+Z13 its column lists, and
    the MIG's code list there admits it. The published tables lack a few (the MIG's list and the
    column's DE 1154 line both), and a column derived from another Anwendungsfall carries the
    other's. `templates` maps a derived column's Prüfidentifikator to the one it was copied from."""
    references = _pid_references(structure)
    for af in anwendungsfaelle:
        pid, rules = str(af["pid"]), af["elements"]
        copied_from = str(templates.get(af["pid"], pid))
        for rule in list(rules):
            if rule["nr"] not in references or rule["de"] != "1153" or \
                    not any(op.get("code") == "Z13" for op in rule["operands"]):
                continue
            named = [r for r in rules if r["nr"] == rule["nr"] and r["de"] == "1154"]
            for r in named:
                for op in r["operands"]:
                    if op.get("code") == copied_from:
                        op["code"] = pid
            if not named:
                added = {"nr": rule["nr"], "de": "1154", "operands": [{"operand": "X", "code": pid}]}
                if rule.get("occurrence"):
                    added["occurrence"] = rule["occurrence"]
                rules.insert(rules.index(rule) + 1, added)
            codes = references[rule["nr"]].setdefault("codes", [])
            if all(c["code"] != pid for c in codes):
                later = [i for i, c in enumerate(codes) if c["code"].isdigit() and int(c["code"]) > int(pid)]
                codes.insert(later[0] if later else len(codes), {"code": pid, "name": af["name"]})


def _drop_foreign_pids(structure, anwendungsfaelle):
    """A derived MIG keeps its predecessor's RFF+Z13 code lists; the Prüfidentifikatoren its own AHB
    dropped leave them, so that a message naming one meets the error of any other unknown one. A
    group variant whose RFF+Z13 named only dropped ones leaves with them: without codes its RFF
    would take every Prüfidentifikator."""
    own = {str(af["pid"]) for af in anwendungsfaelle}

    def prune(nodes, group):
        """The nodes kept; None when the group holding them leaves."""
        kept = []
        for n in nodes:
            if "children" in n:
                n["children"] = prune(n["children"], n)
                if n["children"] is not None:
                    kept.append(n)
                continue
            for reference in _pid_references([n]).values():
                codes = reference.get("codes", [])
                reference["codes"] = [c for c in codes if not c["code"].isdigit() or c["code"] in own]
                if codes and not reference["codes"]:
                    if group is None:
                        raise SourceError("RFF+Z13 %s outside a group names no Prüfidentifikator of its AHB" % n["nr"])
                    return None
            kept.append(n)
        return kept

    structure[:] = prune(structure, None)


def build(v, afs_wanted):
    """(structure, envelope, anwendungsfaelle, conditions, packages) of a published or derived
    profile. afs_wanted lists the Anwendungsfälle (pid, name, communication) of a derived
    profile; a published profile carries every Prüfidentifikator of its tables."""
    static = v.static
    base = DERIVED.get(static, static)
    src = load(base)
    old_release = None
    for n in src["structure"]:
        if n[0] == "S" and n[2] == "UNH":
            for e in n[7]:
                for c in e[5]:
                    if c[0] == "0057" and c[4]:
                        old_release = c[4][0][0]
    release_codes = {}
    if old_release and old_release != v.release:
        release_codes[("0057", old_release)] = v.release
    structure = [node_json(n, release_codes) for n in src["structure"]]
    envelope = [node_json(n, release_codes) for n in src["envelope"]]
    columns = src["anwendungsfaelle"]
    by_pid = {c["pid"]: c for c in columns}
    out, templates = [], {}
    if static in DERIVED:
        picked = []
        for a in afs_wanted:
            col = by_pid.get(a["pid"]) or _template(a["pid"], a["name"], columns)
            if col["pid"] != a["pid"]:
                templates[a["pid"]] = col["pid"]
            picked.append((a, col))
    else:
        wanted = {a["pid"]: a for a in afs_wanted}
        picked = [(wanted.get(c["pid"], {"pid": c["pid"], "name": c["name"], "communication": c["communication"]}), c)
                  for c in columns]
    for a, col in picked:
        rows, rules = column_json(col["lines"], release_codes)
        rec = {"pid": a["pid"], "name": _name(a["name"] or col["name"]), "rows": rows, "elements": rules}
        comm = _communication(a.get("communication") or col["communication"], v.msg)
        if comm:
            rec["communication"] = comm
        out.append(rec)
    _admit_own_pids(structure, out, templates)
    if static in DERIVED:
        _drop_foreign_pids(structure, out)
    return structure, envelope, out, src["conditions"], src["packages"]
