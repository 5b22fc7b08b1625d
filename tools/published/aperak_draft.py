"""AHB lines of the two APERAK columns from the table of the draft APERAK AHB (a PDF turned
into Markdown), in the form of the published AHB tables.

The conversion split and shifted the table's cells: the structure column spans one to three
cells, a code and its name may stand in two cells, and empty cells stand where the status of a
column was lost. A row is read as: leading structure cells (group, tag, number, data element,
or empty), a description (code and name), then the status of the Fehlermeldung and, when given,
of the Anerkennungsmeldung; cells that hold no status are condition texts."""

import os
import re

from sources import DATA

FILE = "APERAK_2.2_AHB-1.1-Konsultationsfassung_20260202.md"
COLUMNS = ((29001, "Fehlermeldung"), (29002, "Anerkennungsmeldung"))
STATUS = re.compile(r"^(Muss|Soll|Kann|X|M|S|K)(\s|\[|$)")
STRUCTURE = re.compile(r"^(SG\d+|[A-Z]{3}|\d{4,5})$")
CODE = re.compile(r"^[A-Z0-9]{1,6}$")
CONDITION = re.compile(r"\[(\d+)\]\s*(.+)")


def _clean(cell):
    cell = cell.replace("**", "").replace("\\[", "[").replace("\\]", "]").replace("<br/>", "\n")
    return "\n".join(" ".join(part.split()) for part in cell.split("\n")).strip()


def _rows(text):
    start = text.index("# 3 Tabellarische Darstellung der APERAK")
    end = text.index("# 4 Anhang", start)
    for raw in text[start:end].split("\n"):
        raw = raw.strip()
        if not raw.startswith("|"):
            continue
        cells = [_clean(c) for c in raw[1:-1 if raw.endswith("|") else None].split("|")]
        if cells[0] == "EDIFACT Struktur" or all(c in ("", "-") for c in cells):
            continue
        yield cells


def _structural(cell):
    return all(STRUCTURE.match(t) for t in cell.split())


def read_row(cells):
    """(structure tokens, description, [status of each column], condition texts), or a
    section name."""
    k = 0
    tokens = []
    numbered = False  # after a segment number or data element only empty cells continue
    while k < len(cells) and (cells[k] == "" or (_structural(cells[k]) and not numbered)) \
            and not STATUS.match(cells[k]):
        tokens += cells[k].split()
        numbered = numbered or any(t.isdigit() for t in cells[k].split())
        k += 1
    if k == 0:
        head = re.match(r"^(.*?)\s*(SG\d+)?$", cells[0])
        return {"section": head.group(1), "tokens": [head.group(2)] if head.group(2) else []}
    desc = ""
    if k < len(cells) and not STATUS.match(cells[k]) and not CONDITION.match(cells[k]):
        desc = cells[k]
        k += 1
        if CODE.match(desc) and k < len(cells) and cells[k] and not STATUS.match(cells[k]):
            desc = desc + " " + cells[k]
            k += 1
    statuses, conditions = [], []
    for c in cells[k:]:
        if STATUS.match(c) and len(statuses) < len(COLUMNS):
            statuses.append(c)
        elif c and not STATUS.match(c):
            conditions.append(c)
            if len(statuses) < len(COLUMNS) and not statuses:
                statuses.append("")
        elif not c and len(statuses) < len(COLUMNS):
            statuses.append("")
    statuses = (statuses + ["", ""])[:len(COLUMNS)]
    return {"tokens": tokens, "desc": desc, "statuses": statuses, "conditions": conditions}


def read(triggers):
    """(pid records, lines by pid, condition texts). `triggers` maps a group to the tag of its
    first segment: a trigger segment whose group row the table leaves out opens its group."""
    with open(os.path.join(DATA, "mig", FILE), encoding="utf-8") as f:
        text = f.read()
    conditions = {}
    rows = []
    section = ""
    for cells in _rows(text):
        r = read_row(cells)
        if "section" in r:
            section = r["section"]
            if not r["tokens"]:
                continue
            r = {"tokens": r["tokens"], "desc": "", "statuses": ["", ""], "conditions": []}
        r["statuses"] = [st.replace("\n", "\r\n") for st in r["statuses"]]
        for c in r["conditions"]:
            last = None
            for part in c.split("\n"):
                m = CONDITION.match(part)
                if m:
                    last = m.group(1) if m.group(1) not in conditions else None
                    if last:
                        conditions[last] = m.group(2).strip()
                elif last:
                    # a line break inside one condition's text
                    conditions[last] += " " + part.strip()
        r["section"] = section
        rows.append(r)

    lines = {pid: [] for pid, _ in COLUMNS}
    sg, tag, de = "", "", ""
    pending = {pid: [] for pid, _ in COLUMNS}  # group and segment lines waiting for content

    def emit(pid, line):
        lines[pid].extend(pending[pid])
        pending[pid].clear()
        lines[pid].append(line)

    for r in rows:
        toks = r["tokens"]
        groups = [t for t in toks if t.startswith("SG")]
        tags = [t for t in toks if re.fullmatch(r"[A-Z]{3}", t)]
        numbers = [t for t in toks if re.fullmatch(r"\d{5}", t)]
        des = [t for t in toks if re.fullmatch(r"\d{4}", t)]
        base = {"i": 0, "section": r["section"], "name": "", "de": "", "code": ""}
        if groups and not tags:
            sg, tag = groups[0], ""
            if not any(r["statuses"]):
                continue  # a repeat of the group's name above a further segment of it
            for (pid, _), st in zip(COLUMNS, r["statuses"]):
                pending[pid] = [dict(base, type="segment_group", sg=sg, seg="", expr=st)]
                if st:
                    emit(pid, pending[pid].pop())
            continue
        # a segment or element row: what waits from an earlier segment without content is dropped
        if tags and numbers:
            # rows of the top-level segments name no group
            seg_sg = groups[0] if groups else "" if tags[0] in ("UNH", "BGM", "DTM", "UNT") else sg
            for pid in pending:
                pending[pid] = [ln for ln in pending[pid] if ln["type"] == "segment_group" and ln["sg"] == seg_sg]
        if tags and numbers:
            sg, tag = seg_sg, tags[0]
            for (pid, _), st in zip(COLUMNS, r["statuses"]):
                opens = sg and triggers.get(sg) == tag and not any(
                    ln["type"] == "segment_group" for ln in pending[pid])
                if opens and (not lines[pid] or lines[pid][-1]["type"] != "segment_group"):
                    pending[pid].append(dict(base, type="segment_group", sg=sg, seg="", expr=""))
                pending[pid].append(dict(base, type="segment", sg=sg, seg=tag, expr=st))
                if st:
                    lines[pid].extend(pending[pid])
                    pending[pid].clear()
            continue
        if des:
            de = des[0]
        code, _, name = r["desc"].partition(" ")
        is_code = bool(r["desc"]) and (CODE.match(code) or re.fullmatch(r"\d\.\d[a-z]?", code)) and \
            not (code.isdigit() and len(code) == 4)
        for (pid, _), st in zip(COLUMNS, r["statuses"]):
            if not st:
                continue
            if is_code:
                line = dict(base, type="code", sg=sg, seg=tag, de=de, code=code, name=name, expr=st)
            else:
                line = dict(base, type="dataelement", sg=sg, seg=tag, de=de, name=r["desc"], expr=st)
            emit(pid, line)
    _mend_lost(lines[COLUMNS[0][0]], conditions)
    return _finish(lines, conditions)


def _finish(lines, conditions):
    for pid in lines:
        for k, ln in enumerate(lines[pid]):
            ln["pid"], ln["i"] = pid, k
    pids = [{"pid": pid, "description": name, "direction": ""} for pid, name in COLUMNS]
    return pids, lines, dict(sorted(conditions.items(), key=lambda kv: int(kv[0])))


def _line(kind, sg, seg, section, expr, de="", code="", name=""):
    return {"i": 0, "section": section, "name": name, "de": de, "code": code, "type": kind, "sg": sg,
            "seg": seg, "expr": expr}


def _find(col, kind, sg, section, seg="", de="", code=None, start=0):
    for k in range(start, len(col)):
        ln = col[k]
        if (ln["type"], ln["sg"], ln["section"], ln["seg"], ln["de"]) == (kind, sg, section, seg, de) and \
                (code is None or ln["code"] == code):
            return k
    raise KeyError("draft table: no %s %s %s %s %s" % (kind, sg, section, seg, de))


# Cells of the Fehlermeldung column that the conversion of the draft lost, each only where it
# is empty. The draft's change list gives the new expression of the Ortsangabe FTX of the
# Nachricht group and of the Vorgang group; the trigger RFF of a group is "Muss" as everywhere
# else in the table; the Vorgang group's Fehlerbeschreibung reads like its twin above it.
LOST = (
    (("segment", "SG5", "Ortsangabe des AHB-Fehlers", "FTX", ""),
     "Muss [5] ∨ [9] ∨ [10] ∨ [11] ∨ [12] ∨ [13]"),
    (("segment_group", "SG5", "Referenznummer des Vorgangs", "", ""),
     "Muss [18] ∧ ([5] ∨ [7] ∨ [9] ∨ [10] ∨ [11] ∨ [12] ∨ [13])\r\nSoll [3] ∧ [18]"),
    (("segment", "SG5", "Referenznummer des Vorgangs", "RFF", ""), "Muss"),
    (("segment", "SG5", "Fehlerbeschreibung", "FTX", ""), "Soll [3]"),
)
# The condition text that stood in the Vorgang group's lost row.
LOST_CONDITIONS = {"18": "Wenn SG2 RFF+TN (Referenznummer des Vorgangs) vorhanden."}


def _mend_lost(col, conditions):
    for key, expr in LOST:
        k = _find(col, *key[:3], seg=key[3], de=key[4])
        while col[k]["expr"]:
            k = _find(col, *key[:3], seg=key[3], de=key[4], start=k + 1)
        col[k]["expr"] = expr
    # the Ortsangabe FTX of the Nachricht group lost its qualifier Z02 with the status cells
    k = _find(col, "segment", "SG5", "Ortsangabe des AHB-Fehlers", seg="FTX")
    if col[k + 1]["de"] != "4451":
        col.insert(k + 1, _line("code", "SG5", "FTX", "Ortsangabe des AHB-Fehlers", "X", "4451", "Z02",
                                "Ortsangabe des AHB-Fehlers"))
    for nr, text in LOST_CONDITIONS.items():
        conditions.setdefault(nr, text)


# --- the predecessor, MIG 2.1i / AHB 1.0 --------------------------------------------------------
#
# No table of AHB 1.0 is public. Its columns are the draft's, changed back where the draft's
# change list says what AHB 1.0 had ("Bisher"), and extended by the nodes that the structure
# table of 2.1i has and the draft dropped: CTA and COM of the sender, and the SG5 that carries
# the UNH reference of the rejected message (RFF+ACW). Where the draft demands a node that the
# 2.1i structure leaves conditional (the header RFF+AGO, absent from AHB 1.0), the node is
# permitted, not demanded.

RELEASE_2_1I = "2.1i"

# (column, line key, expression of AHB 1.0) with the change list's entry
BISHER = (
    # 26092: no SG2 "Dokumentennummer der referenzierten Nachricht" in AHB 1.0; 2.1i keeps a
    # conditional place for it
    (29001, ("segment_group", "SG2", "Dokumentennummer der referenzierten Nachricht", "", ""), "Kann"),
    (29002, ("segment_group", "SG2", "Dokumentennummer der referenzierten Nachricht", "", ""), "Kann"),
    # 26096, 26097
    (29001, ("segment_group", "SG5", "Dokumentennummer der referenzierten Nachricht", "", ""), "Muss"),
    (29001, ("dataelement", "SG5", "Dokumentennummer der referenzierten Nachricht", "RFF", "1154"), "X"),
    # 26098, 26099
    (29001, ("segment", "SG5", "Fehlerbeschreibung", "FTX", ""), "Soll [3] ∧ [4]"),
    (29001, ("segment", "SG5", "Ortsangabe des AHB-Fehlers", "FTX", ""),
     "Muss [4] ∧ ([5] ∨ [9] ∨ [10] ∨ [11] ∨ [12] ∨ [13])"),
    # 26100, 26101
    (29001, ("segment_group", "SG5", "Referenznummer des Vorgangs", "", ""), "Soll [6]"),
    (29001, ("dataelement", "SG5", "Referenznummer des Vorgangs", "RFF", "1154"), "X"),
)
BISHER_CONDITIONS = {"4": "Wenn in dieser SG4, RFF+TN nicht vorhanden."}
# conditions of the draft that only its new expressions use
DRAFT_ONLY = ("17", "18", "19", "20")

# CTA and COM of the sender as the 2.1i structure has them (CTA "O", COM "D", up to five):
# permitted, never demanded; codes as the BDEW MIGs give them for a contact.
CONTACT = (
    ("segment", "CTA", "Ansprechpartner", "", "", "", "Kann"),
    ("code", "CTA", "Ansprechpartner", "3139", "IC", "Informationskontakt", "X"),
    ("dataelement", "CTA", "Ansprechpartner", "3412", "", "Name vom Ansprechpartner", "X"),
    ("segment", "COM", "Kommunikationsverbindung", "", "", "", "Kann"),
    ("dataelement", "COM", "Kommunikationsverbindung", "3148", "", "Nummer / Adresse", "X"),
    ("code", "COM", "Kommunikationsverbindung", "3155", "EM", "Elektronische Post", "X"),
    ("code", "COM", "Kommunikationsverbindung", "3155", "FX", "Telefax", "X"),
    ("code", "COM", "Kommunikationsverbindung", "3155", "TE", "Telefon", "X"),
    ("code", "COM", "Kommunikationsverbindung", "3155", "AJ", "weiteres Telefon", "X"),
    ("code", "COM", "Kommunikationsverbindung", "3155", "AL", "Handy", "X"),
)

# The SG5 "Referenznummer der Nachricht" of the 2.1i structure, required ("R") there.
MESSAGE_REFERENCE = (
    ("segment_group", "", "Referenznummer der Nachricht", "", "", "", "Muss"),
    ("segment", "RFF", "Referenznummer der Nachricht", "", "", "", "Muss"),
    ("code", "RFF", "Referenznummer der Nachricht", "1153", "ACW", "Referenznummer der Nachricht", "X"),
    ("dataelement", "RFF", "Referenznummer der Nachricht", "1154", "", "Referenz, Identifikation", "X"),
)


def _block_end(col, k):
    """The index after the lines of the segment or group line at k."""
    k += 1
    while k < len(col) and col[k]["type"] not in ("segment", "segment_group"):
        k += 1
    return k


def read_2_1i(triggers):
    """The two columns of AHB 1.0 for MIG 2.1i, as far as the draft and its change list tell."""
    _, lines, conditions = read(triggers)
    for (pid, key, expr) in BISHER:
        col = lines[pid]
        col[_find(col, *key[:3], seg=key[3], de=key[4])]["expr"] = expr
    for pid, col in lines.items():
        for ln in col:
            if ln["de"] == "0057":
                ln["code"] = RELEASE_2_1I
        k = _block_end(col, _find(col, "segment", "SG3", "MP-ID Absender", seg="NAD"))
        col[k:k] = [_line(t, "SG3", seg, sec, expr, de, code, name)
                    for t, seg, sec, de, code, name, expr in CONTACT]
        if pid == 29001:
            k = _block_end(col, _find(col, "segment", "SG4", "Freier Text", seg="FTX"))
            col[k:k] = [_line(t, "SG5", seg, sec, expr, de, code, name)
                        for t, seg, sec, de, code, name, expr in MESSAGE_REFERENCE]
    for nr in DRAFT_ONLY:
        conditions.pop(nr, None)
    conditions.update(BISHER_CONDITIONS)
    return _finish(lines, conditions)
