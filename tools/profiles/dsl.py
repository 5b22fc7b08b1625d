"""Small vocabulary for writing MIG trees and AHB columns by hand (the CONTRL profile).

A tree is a list of `seg(...)` and `grp(...)` nodes.  Segment numbers and
Zähler are assigned when a document is written, so inserting a segment
never means renumbering by hand.
"""

from types import SimpleNamespace


def codes(text):
    """'Z13 Prüfidentifikator; ACE Nummer' -> [(code, name), ...]"""
    out = []
    for part in text.split(";"):
        part = part.strip()
        if not part:
            continue
        code, _, name = part.partition(" ")
        out.append((code, name.strip()))
    return out


def de(id, name, status, fmt, cl=None, note=None, fc=None):
    """A simple data element; fc names the Formatbedingung the AHB attaches."""
    if isinstance(cl, str):
        cl = codes(cl)
    return {"id": id, "name": name, "status": status, "format": fmt,
            "codes": cl or [], "note": note, "components": [], "fc": fc}


def comp(id, name, status, *components):
    return {"id": id, "name": name, "status": status, "format": None,
            "codes": [], "note": None, "components": list(components), "fc": None}


def seg(tag, name, status, max, *elements, key=None, cats=None, ahb=None,
        example=None):
    return {"kind": "seg", "tag": tag, "name": name, "status": status,
            "max": max, "elements": list(elements), "key": key or tag,
            "cats": set(cats) if cats else None, "ahb": ahb,
            "example": example}


def grp(group, name, status, max, *children, key=None, cats=None, ahb=None):
    children = [c for c in children if c is not None]
    return {"kind": "grp", "group": group, "name": name, "status": status,
            "max": max, "children": children, "key": key or group,
            "cats": set(cats) if cats else None, "ahb": ahb}


# --- segments the EDI@Energy guides share -------------------------------

def unh(msg, version, release, agency="UN", extra_0068=False):
    els = [
        de("0062", "Nachrichten-Referenznummer", "M", "an..14",
           note="Eindeutige Referenz der Nachricht innerhalb der Übertragungsdatei"),
        comp("S009", "Nachrichten-Kennung", "M",
             de("0065", "Nachrichtentyp-Kennung", "M", "an..6", [(msg, "")]),
             de("0052", "Versionsnummer des Nachrichtentyps", "M", "an..3",
                [(version[0], "Entwurfs-Version")]),
             de("0054", "Freigabenummer des Nachrichtentyps", "M", "an..3",
                [(version[1], "Ausgabe")]),
             de("0051", "Verwaltende Organisation", "M", "an..2",
                [(agency, "UN/CEFACT")]),
             de("0057", "Anwendungscode der zuständigen Organisation", "R",
                "an..6", [(release, "Versionsnummer der zugrundeliegenden BDEW-Nachrichtenbeschreibung")])),
    ]
    if extra_0068:
        els.append(de("0068", "Allgemeine Zuordnungs-Referenz", "O", "an..35"))
    return seg("UNH", "Nachrichten-Kopfsegment", "M", 1, *els,
               example="UNH+1+%s:%s:%s:%s:%s'" % (msg, version[0], version[1],
                                                 agency, release))


def unt():
    return seg("UNT", "Nachrichten-Endesegment", "M", 1,
               de("0074", "Anzahl der Segmente in einer Nachricht", "M", "n..6"),
               de("0062", "Nachrichten-Referenznummer", "M", "an..14"),
               example="UNT+12+1'")


def make_column(**kw):
    """One AHB column: which nodes it lists, with which status, and which
    codes it pins on a data element."""
    col = SimpleNamespace(cats=set(), status={}, pins={}, include=set(),
                          exclude=set(), required=set(), mandatory_only=False,
                          chapter=None)
    for k, v in kw.items():
        if k in ("cats", "include", "exclude", "required"):
            v = set(v)
        setattr(col, k, v)
    return col


