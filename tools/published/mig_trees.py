"""MIG trees from the three kinds of published source: BDEW XML, the normalized MIG
tables, and a structure table filled from the UN directory and the AHB lines."""

import copy
import csv
import re
import os
import xml.etree.ElementTree as ET

from sources import DATA, jsonl


def group(gid, zaehler, status, max_, name):
    return {"kind": "G", "group": gid, "zaehler": zaehler, "status": status, "max": max_,
            "name": name, "children": []}


def segment(nr, tag, zaehler, status, max_, name, elements=None, example=None):
    return {"kind": "S", "nr": nr, "tag": tag, "zaehler": zaehler, "status": status, "max": max_,
            "name": name, "elements": elements or [], "example": example}


def element(id_, name, status, fmt=None, codes=None, components=None):
    return {"id": id_, "name": name, "status": status, "format": fmt, "codes": codes or [],
            "components": components or []}


def first_example(text, tag):
    """The first line of a Beispiel that is a whole segment of this tag."""
    for line in (text or "").split("\n"):
        line = line.strip()
        if line.startswith(tag) and line.endswith("'"):
            return line
    return None


# --- BDEW XML -------------------------------------------------------------------------------

def _xml_element(node):
    kind, _, id_ = node.tag.partition("_")
    a = node.attrib
    if kind == "C":
        return element(id_, a.get("Name", ""), a["Status_Specification"],
                       components=[_xml_element(c) for c in node if c.tag.startswith("D_")])
    codes = [[c.text or "", c.attrib.get("Name", "")] for c in node if c.tag == "Code"]
    return element(id_, a.get("Name", ""), a["Status_Specification"], a.get("Format_Specification"), codes)


def _xml_nodes(parent):
    out = []
    for node in parent:
        a = node.attrib
        if node.tag.startswith("G_"):
            g = group(node.tag[2:], a["Counter"], a["Status_Specification"], int(a["MaxRep_Specification"]),
                      a.get("Name", ""))
            g["children"] = _xml_nodes(node)
            out.append(g)
        elif node.tag.startswith("S_"):
            tag = node.tag[2:]
            els = [_xml_element(c) for c in node if c.tag[:2] in ("D_", "C_")]
            example = (a.get("Example") or "").split("\r\n")[0].split("\n")[0] or None
            out.append(segment(a["Number"], tag, a["Counter"], a["Status_Specification"],
                               int(a["MaxRep_Specification"]), a.get("Name", ""), els, example))
    return out


def from_xml(name):
    root = ET.parse(os.path.join(DATA, "mig", name)).getroot()
    return _xml_nodes(root), []


# --- normalized MIG tables ------------------------------------------------------------------

def _norm_element(e):
    if e["type"] == "composite":
        return element(e["id"], e["name"], e["bdew_status"],
                       components=[_norm_element(c) for c in e.get("components", [])])
    codes = [[c["code"], c["name"] or ""] for c in e.get("codes", [])]
    return element(e["id"], e["name"], e["bdew_status"], e["bdew_format"] or e["std_format"], codes)


def from_normalized(name):
    """(structure, envelope); UNB and UNZ, outside the message, form the envelope."""
    recs = jsonl("mig-normalized/%s.jsonl.gz" % name)
    layouts = {r["nr"]: r for r in recs if r["kind"] == "layout"}
    by_i, roots, envelope = {}, [], []
    for r in recs:
        if r["kind"] == "group":
            node = group(r["group"], r["zaehler"], r["bdew_status"], r["bdew_max"], r["name"])
            parent = r["parent_i"]
        elif r["kind"] == "segment":
            lay = layouts[r["nr"]]
            node = segment(r["nr"], r["tag"], r["zaehler"], r["bdew_status"], r["bdew_max"], lay["name"],
                           [_norm_element(e) for e in lay["elements"]], first_example(lay["beispiel"], r["tag"]))
            parent = r["group_i"]
            if r["tag"] in ("UNB", "UNZ"):
                envelope.append(node)
                continue
        else:
            continue
        by_i[r["i"]] = node
        (by_i[parent]["children"] if parent is not None else roots).append(node)
    return roots, envelope


# --- structure table + UN directory ---------------------------------------------------------

def german_names():
    """Element and composite names as the published MIGs word them, by id (the most frequent
    wording), for the MIGs that only the UN directory details."""
    counts = {}

    def visit(e):
        counts.setdefault(e["id"], {}).setdefault(e["name"], 0)
        counts[e["id"]][e["name"]] += 1
        for c in e.get("components", []):
            visit(c)
    for name in ("UTILMD_S2.1", "MSCONS_2.4c", "INVOIC_2.8e", "ORDERS_1.4b"):
        for r in jsonl("mig-normalized/%s.jsonl.gz" % name):
            if r["kind"] == "layout":
                for e in r["elements"]:
                    visit(e)
    return {id_: max(names.items(), key=lambda kv: (kv[1], kv[0]))[0] for id_, names in counts.items()}


_GERMAN = {}


def _un_element(directory, id_, status):
    if not _GERMAN:
        _GERMAN.update(german_names())
    if id_ in directory.composites:
        comp = directory.composites[id_]
        return element(id_, _GERMAN.get(id_) or comp["name"].capitalize(), status,
                       components=[_un_element(directory, c["id"], c["status"]) for c in comp["components"]])
    el = directory.elements.get(id_, {})
    return element(id_, _GERMAN.get(id_) or el.get("name", ""), status, el.get("repr"))


def from_structure(name, directory, message_type):
    """The tree of a structure table; each segment gets the UN directory's elements, which the
    AHB lines name and fill with codes later."""
    entries = directory.messages[message_type]["entries"]
    by_pos = {}
    for e in entries:
        by_pos.setdefault(int(e["pos"]), []).append(e)
    with open(os.path.join(DATA, "mig", "structure", name), encoding="utf-8", newline="") as f:
        rows = list(csv.DictReader(f))
    roots, stack = [], []

    def un_entry(zaehler, is_group, label):
        for e in by_pos.get(int(zaehler), []):
            if is_group == bool(e.get("segment_group")) and (e.get("group") if is_group else e.get("tag")) == label:
                return e
        raise KeyError("%s: %s %s not in the UN structure" % (name, zaehler, label))

    for r in rows:
        label = r["bezeichnung"]
        is_group = not r["nr"]
        e = un_entry(r["zaehler"], is_group, label)
        parent = e.get("parent", "") if is_group else e.get("group", "")
        while stack and stack[-1]["group"] != parent:
            stack.pop()
        if parent and not stack:
            raise KeyError("%s: %s outside its group %s" % (name, label, parent))
        siblings = stack[-1]["children"] if stack else roots
        if is_group:
            node = group(label, r["zaehler"], r["bdew_status"], int(r["bdew_maximale_wiederholungen"]),
                         " ".join(r["inhalt"].split()))
            siblings.append(node)
            stack.append(node)
        else:
            seg = directory.segments[label]
            # the REMADV table writes its numbers "R0003": the MIG's five digits with a letter
            r["nr"] = re.sub(r"^\D", "0", r["nr"])
            els = [_un_element(directory, p["id"], p["status"]) for p in seg["positions"]]
            siblings.append(segment(r["nr"], label, r["zaehler"], r["bdew_status"],
                                    int(r["bdew_maximale_wiederholungen"]), " ".join(r["inhalt"].split()), els))
    return roots, []


def _insert(children, node):
    """Into a child list in Zähler order, never before the trigger segment."""
    at = len(children)
    for k in range(1, len(children)):
        if int(children[k]["zaehler"]) > int(node["zaehler"]):
            at = k
            break
    children.insert(at, node)


def _segments(node):
    if node["kind"] == "S":
        return [node]
    return [s for c in node["children"] for s in _segments(c)]


def _holder(nodes, node):
    """The child list that holds `node`."""
    for n in nodes:
        if n is node:
            return nodes
        if n["kind"] == "G":
            found = _holder(n["children"], node)
            if found is not None:
                return found
    return None


def _variant_status(status):
    """A further qualifier variant of a node is needed only where its column says so: the
    original keeps what the table requires of the position."""
    return "D" if status in ("M", "R") else status


def add_absent(roots, absent, directory, message_type, next_nr):
    """Adds the segments and groups that the AHB lines name and the older structure table
    lacks, placed by their UN position. Returns the next free segment number."""
    entries = directory.messages[message_type]["entries"] if directory else []
    done = set()

    def seg_node(tag, sg, name):
        nonlocal next_nr
        e = next(x for x in entries if x.get("tag") == tag and x.get("group", "") == sg)
        seg = directory.segments[tag]
        els = [_un_element(directory, p["id"], p["status"]) for p in seg["positions"]]
        node = segment("%05d" % next_nr, tag, "%04d" % int(e["pos"]), "M" if e["status"] == "M" else "D",
                       min(e["rep"], 99), name, els)
        next_nr += 1
        return node

    for kind, parent, ln, nxt, stack in absent:
        key = (kind, id(parent), id(nxt), ln["sg"], ln["seg"], ln["section"])
        if key in done:
            continue
        done.add(key)
        if kind == "S":
            siblings = parent["children"] if parent is not None else roots
            _insert(siblings, seg_node(ln["seg"], ln["sg"], ln["section"]))
        elif kind == "V":
            holder = _holder(roots, parent)
            twin = segment("%05d" % next_nr, parent["tag"], parent["zaehler"], _variant_status(parent["status"]),
                           parent["max"],
                           ln["section"], copy.deepcopy(parent["elements"]))
            next_nr += 1
            holder.insert(next(k for k, n in enumerate(holder) if n is parent) + 1, twin)
        elif kind == "C":
            twin = copy.deepcopy(parent)
            twin["name"] = ln["section"]
            for n in _segments(twin):
                n["nr"] = "%05d" % next_nr
                next_nr += 1
            _insert(nxt["children"], twin)
        elif kind in ("W", "N"):
            holder = _holder(roots, parent)
            twin = copy.deepcopy(parent)
            twin["name"] = ln["section"]
            if kind == "N":
                twin["children"][0]["name"] = ln["section"]
            twin["status"] = _variant_status(parent["status"])
            for n in _segments(twin):
                n["nr"] = "%05d" % next_nr
                next_nr += 1
            holder.insert(next(k for k, n in enumerate(holder) if n is parent) + 1, twin)
        elif nxt is not None:
            g = next(x for x in entries if x.get("segment_group") and x["group"] == ln["sg"])
            holder = next((n for n in reversed(stack) if n["group"] == g.get("parent", "")), None)
            siblings = holder["children"] if holder is not None else roots
            node = group(ln["sg"], "%04d" % int(g["pos"]), "M" if g["status"] == "M" else "D", g["rep"],
                         ln["section"])
            node["children"].append(seg_node(nxt["seg"], ln["sg"], nxt["section"]))
            _insert(siblings, node)
    return next_nr
