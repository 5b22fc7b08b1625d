"""Aligns the lines of one AHB column onto a MIG tree by order: a group line onto the next
group node of that id, a segment line onto the next segment of that tag inside the open
group, a data element line onto the next leaf of that id in the segment. Where a group or
segment repeats per qualifier, the codes of the lines decide, then the name."""

from expressions import cells


class Flat:
    """The tree in pre-order, with parents and the leaves of every segment."""

    def __init__(self, roots):
        self.nodes, self.parent = [], []

        def walk(nodes, parent):
            for n in nodes:
                self.nodes.append(n)
                self.parent.append(parent)
                me = len(self.nodes) - 1
                if n["kind"] == "G":
                    walk(n["children"], me)
        walk(roots, None)
        self.index = {id(n): i for i, n in enumerate(self.nodes)}

    def first_child(self, i):
        return self.index[id(self.nodes[i]["children"][0])]


def leaves(seg):
    """(id, element, occurrence among same-id leaves) in segment order."""
    out, seen = [], {}
    for e in seg["elements"]:
        for leaf in (e["components"] or [e]):
            occ = seen.get(leaf["id"], 0)
            seen[leaf["id"]] = occ + 1
            out.append((leaf["id"], leaf, occ))
    return out


def _block(lines, at):
    """The code lines that belong to the segment line at `at`."""
    out = []
    for ln in lines[at + 1:]:
        if ln["type"] in ("segment", "segment_group"):
            break
        if ln["type"] == "code":
            out.append((ln["de"], ln["code"]))
    return out


def _codes_fit(seg, codes):
    lv = leaves(seg)
    for de, code in codes:
        fits = [leaf for id_, leaf, _ in lv if id_ == de]
        if not fits or not any(not leaf["codes"] or any(c[0] == code for c in leaf["codes"]) for leaf in fits):
            return False
    return True


def _score_codes(seg, codes, growing):
    """How well a segment's codes fit a block: where the code lists grow with the columns
    aligned so far (a structure table), a list that lacks a later code (a further
    Prüfidentifikator in DE 1154) says nothing yet, so only the qualifier, the block's first
    code, must fit before the name decides."""
    if not growing:
        return (_codes_fit(seg, codes),)
    return (_codes_fit(seg, codes[:1]),)


def _rest_fits(seg, codes, growing):
    """Where the code lists are complete, whether all codes fit; where they grow, an empty
    list would only draw the column to a node no column has taken yet, so nothing."""
    return () if growing else (_codes_fit(seg, codes),)


def _lists(leaf, code):
    return any(c[0] == code for c in leaf["codes"])


def _moves_on(seg_leaves, p, code, codes_on_p):
    """Whether a code line leaves the current occurrence of its data element for a later one:
    the code came already (a further occurrence begins), or only a later occurrence lists it."""
    later = [k for k in range(p + 1, len(seg_leaves)) if seg_leaves[k][0] == seg_leaves[p][0]]
    if not later:
        return False
    if code in codes_on_p:
        return True
    leaf = seg_leaves[p][1]
    return bool(leaf["codes"]) and not _lists(leaf, code) and any(_lists(seg_leaves[k][1], code) for k in later)


def _choose(candidates, cursor, score):
    """The first candidate after the cursor with the best score; candidates before the cursor
    only when they score better than every later one."""
    ahead = [c for c in candidates if c > cursor]
    behind = [c for c in candidates if c <= cursor]
    best = None
    for group_ in (ahead, behind):
        for c in group_:
            s = score(c)
            if best is None or s > best[0]:
                best = (s, c)
    return None if best is None else best[1]


class Column:
    def __init__(self):
        self.entries = []  # ("g", group, before, cells) / ("s", nr, cells) / ("e", rule)
        self.missed = []
        self.absent = []  # (kind, parent node or None, line, next segment line)


def align(flat, lines, on_code=None, on_name=None):
    col = Column()
    growing = on_code is not None
    stack, cursor = [], -1
    seg_i, seg_leaves, p = None, [], -1
    rules = {}
    last_kind_on_p = None
    codes_on_p = set()
    used = {}  # segment nodes aligned since the last group line, with their codes
    groups_seen = set()
    for at, ln in enumerate(lines):
        kind = ln["type"]
        if kind == "segment_group":
            nxt = next((k for k in range(at + 1, len(lines)) if lines[k]["type"] == "segment"), None)
            tag = lines[nxt]["seg"] if nxt is not None and lines[nxt]["sg"] == ln["sg"] else None
            codes = _block(lines, nxt) if tag else []
            cands = [i for i, n in enumerate(flat.nodes)
                     if n["kind"] == "G" and n["group"] == ln["sg"]
                     and (tag is None or n["children"][0].get("tag") == tag)]

            def score(i):
                trig = flat.nodes[flat.first_child(i)]
                return ((flat.parent[i] is None or flat.parent[i] in stack,) + _score_codes(trig, codes, growing)
                        + (ln["section"] in (flat.nodes[i]["name"], trig["name"]),) + _rest_fits(trig, codes, growing))
            g = _choose(cands, cursor, score)
            if g is None:
                col.missed.append(ln)
                col.absent.append(("G", flat.nodes[stack[-1]] if stack else None, ln,
                                   lines[nxt] if nxt is not None else None, [flat.nodes[i] for i in stack]))
                continue
            holder = None
            if flat.parent[g] is not None and flat.parent[g] not in stack:
                pid_ = flat.nodes[flat.parent[g]]["group"]
                holder = next((k for k in reversed(stack) if flat.nodes[k]["group"] == pid_), None)
            if holder is not None:
                # the open group of the parent's id lacks this group: a copy of the one found belongs there
                col.absent.append(("C", flat.nodes[g], ln, flat.nodes[holder], []))
            elif g in groups_seen:
                # a further variant of the group that the structure has as one node
                col.absent.append(("W", flat.nodes[g], ln, None, []))
            elif growing and codes and not any(score(g)[1:3]):
                # no group of the structure takes the line by its qualifier or its name
                col.absent.append(("N", flat.nodes[g], ln, None, []))
            groups_seen.add(g)
            while stack and stack[-1] != flat.parent[g]:
                stack.pop()
            stack.append(g)
            cursor = g
            used.clear()
            col.entries.append(("g", ln["sg"], flat.nodes[flat.first_child(g)]["nr"], cells(ln["expr"])))
            seg_i = None
        elif kind == "segment":
            while stack and flat.nodes[stack[-1]]["group"] != ln["sg"]:
                stack.pop()
            parent = stack[-1] if stack else None
            codes = _block(lines, at)
            same_tag = [i for i, n in enumerate(flat.nodes) if n["kind"] == "S" and n["tag"] == ln["seg"]]
            cands = [i for i in same_tag if flat.parent[i] == parent]
            if not cands and ln["sg"]:
                # the group line was not aligned: any segment of the tag in a group of that id
                cands = [i for i in same_tag if flat.parent[i] is not None
                         and flat.nodes[flat.parent[i]]["group"] == ln["sg"]]

            def score(i):
                return (_score_codes(flat.nodes[i], codes, growing) + (flat.nodes[i]["name"] == ln["section"],)
                        + _rest_fits(flat.nodes[i], codes, growing))
            s = _choose(cands, cursor, score)
            if s is None:
                col.missed.append(ln)
                col.absent.append(("S", flat.nodes[parent] if parent is not None else None, ln, None, []))
                seg_i = None
                continue
            if s in used and codes and codes != used[s]:
                # a second qualifier variant of the segment within one group instance, which
                # the structure has as one node
                col.absent.append(("V", flat.nodes[s], ln, None, []))
            used.setdefault(s, codes)
            cursor = s
            seg_i, seg_leaves, p = s, leaves(flat.nodes[s]), -1
            col.entries.append(("s", flat.nodes[s]["nr"], cells(ln["expr"])))
        else:
            if seg_i is None:
                col.missed.append(ln)
                continue
            de = ln["de"]
            stay = p >= 0 and seg_leaves[p][0] == de and kind == "code" and last_kind_on_p is not None
            if stay and _moves_on(seg_leaves, p, ln["code"], codes_on_p):
                stay = False
            if not stay:
                later = [k for k in range(p + 1, len(seg_leaves)) if seg_leaves[k][0] == de]
                same_id = later or [k for k in range(len(seg_leaves)) if seg_leaves[k][0] == de]
                if not same_id:
                    col.missed.append(ln)
                    continue
                # a data element repeated in one segment (STS DE 9013, CAV DE 7110) is told
                # apart by the code lists the MIG gives each occurrence
                listing = [k for k in same_id if kind == "code" and _lists(seg_leaves[k][1], ln["code"])]
                p = (listing or same_id)[0]
                codes_on_p = set()
            if kind == "code":
                codes_on_p.add(ln["code"])
            last_kind_on_p = kind
            nr = flat.nodes[seg_i]["nr"]
            key = (seg_i, p)
            if key not in rules:
                rules[key] = {"nr": nr, "de": de, "occurrence": seg_leaves[p][2], "operands": []}
                col.entries.append(("e", rules[key]))
            leaf = seg_leaves[p][1]
            if kind == "code":
                for cell in cells(ln["expr"]) or [""]:
                    rules[key]["operands"].append([cell, ln["code"]])
                if on_code:
                    on_code(leaf, ln["code"], ln["name"])
            else:
                for cell in cells(ln["expr"]):
                    rules[key]["operands"].append([cell])
                if on_name:
                    on_name(leaf, ln["name"], ln)
        if kind != "code" and kind != "dataelement":
            last_kind_on_p = None
    return col
