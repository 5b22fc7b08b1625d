"""Small vocabulary for writing MIG trees and AHB columns by hand.

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


def when(flag, node):
    """A node that only one format version carries."""
    return node if flag else None


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


def bgm(cl, with_1225=None, name="Beginn der Nachricht"):
    els = [comp("C002", "Dokumenten-/Nachrichtenname", "R",
                de("1001", "Dokumentenname, Code", "R", "an..3", cl)),
           comp("C106", "Dokumenten-/Nachrichten-Identifikation", "R",
                de("1004", "Dokumentennummer", "R", "an..35"))]
    if with_1225:
        els.append(de("1225", "Nachrichtenfunktion, Code", "R", "an..3", with_1225))
    return seg("BGM", name, "M", 1, *els)


DTM_FORMATS = {
    "102": "CCYYMMDD",
    "106": "MMDD",
    "203": "CCYYMMDDHHMM",
    "303": "CCYYMMDDHHMMZZZ",
    "304": "CCYYMMDDHHMMSSZZZ",
    "602": "CCYY",
    "610": "CCYYMM",
    "802": "Monat",
    "803": "Woche",
    "804": "Tag",
}


def dtm(qual, qname, fmts="303", status="D", max=1, name=None, key=None,
        cats=None, ahb=None, value_fmt="an..35"):
    fl = [(f, DTM_FORMATS.get(f, "")) for f in fmts.split()]
    return seg("DTM", name or qname, status, max,
               comp("C507", "Datum/Uhrzeit/Zeitspanne", "M",
                    de("2005", "Datums- oder Uhrzeit- oder Zeitspannen-Funktion, Qualifier",
                       "M", "an..3", [(qual, qname)]),
                    de("2380", "Datum oder Uhrzeit oder Zeitspanne, Wert", "R", value_fmt),
                    de("2379", "Datums- oder Uhrzeit- oder Zeitspannen-Format, Code",
                       "R", "an..3", fl)),
               key=key or "DTM" + qual, cats=cats, ahb=ahb,
               example="DTM+%s:202610012200?+00:%s'" % (qual, fl[0][0]))


def rff(cl, name="Referenz", status="D", max=1, key=None, cats=None, ahb=None):
    if isinstance(cl, str):
        cl = codes(cl)
    return seg("RFF", name, status, max,
               comp("C506", "Referenz", "M",
                    de("1153", "Referenz, Qualifier", "M", "an..3", cl),
                    de("1154", "Referenz, Identifikation", "R", "an..70")),
               key=key or "RFF" + cl[0][0], cats=cats, ahb=ahb)


PARTY_AGENCIES = codes("9 GS1; 293 DE, BDEW (Bundesverband der Energie- und Wasserwirtschaft e.V.); 332 DE, DVGW Service & Consult GmbH")


def nad_party(qual, qname, status="M", key=None, cats=None, ahb=None):
    return seg("NAD", qname, status, 1,
               de("3035", "Beteiligter, Qualifier", "M", "an..3", [(qual, qname)]),
               comp("C082", "Identifikation des Beteiligten", "R",
                    de("3039", "MP-ID", "M", "an..35"),
                    de("1131", "Codeliste, Code", "N", "an..17"),
                    de("3055", "Verantwortliche Stelle für die Codepflege, Code",
                       "R", "an..3", PARTY_AGENCIES)),
               key=key or "NAD" + qual, cats=cats, ahb=ahb,
               example="NAD+%s+9900357000004::293'" % qual)


def nad_address(qual, qname, status="D", key=None, cats=None, ahb=None,
                with_id=False):
    return seg("NAD", qname, status, 1,
               de("3035", "Beteiligter, Qualifier", "M", "an..3", [(qual, qname)]),
               comp("C082", "Identifikation des Beteiligten", "D" if not with_id else "R",
                    de("3039", "Identifikation des Beteiligten", "M", "an..35"),
                    de("1131", "Codeliste, Code", "N", "an..17"),
                    de("3055", "Verantwortliche Stelle für die Codepflege, Code",
                       "R", "an..3", PARTY_AGENCIES)),
               comp("C058", "Name und Anschrift", "N",
                    de("3124", "Zeile für Name und Anschrift", "M", "an..35")),
               comp("C080", "Name des Beteiligten", "D",
                    de("3036", "Name", "M", "an..70"),
                    de("3036", "Name", "O", "an..70"),
                    de("3036", "Name", "O", "an..70"),
                    de("3036", "Name", "O", "an..70"),
                    de("3036", "Name", "O", "an..70"),
                    de("3045", "Format des Namens, Code", "R", "an..3",
                       "Z01 Struktur Personenname; Z02 Struktur Firmenname")),
               comp("C059", "Straße", "D",
                    de("3042", "Straße und Hausnummer oder Postfach", "M", "an..35"),
                    de("3042", "Hausnummer", "O", "an..35"),
                    de("3042", "Hausnummernzusatz", "O", "an..35")),
               de("3164", "Ort", "D", "an..35"),
               comp("C819", "Land-Untereinheit", "N",
                    de("3229", "Land-Untereinheit, Code", "M", "an..9")),
               de("3251", "Postleitzahl", "D", "an..17"),
               de("3207", "Ländername, Code", "D", "an..3", "DE Deutschland; AT Österreich; CH Schweiz; NL Niederlande"),
               key=key or "NAD" + qual, cats=cats, ahb=ahb)


def cta(status="D", cats=None, ahb=None, key="CTA"):
    return seg("CTA", "Ansprechpartner", status, 1,
               de("3139", "Funktion des Ansprechpartners, Code", "M", "an..3",
                  "IC Informationskontakt"),
               comp("C056", "Kontaktangaben", "R",
                    de("3413", "Abteilung oder Bearbeiter, Code", "N", "an..17"),
                    de("3412", "Abteilung oder Bearbeiter", "M", "an..256")),
               key=key, cats=cats, ahb=ahb)


def com(status="D", cats=None, ahb=None, key="COM"):
    return seg("COM", "Kommunikationsverbindung", status, 5,
               comp("C076", "Kommunikationsverbindung", "M",
                    de("3148", "Nummer/Adresse der Kommunikationsverbindung", "M", "an..512"),
                    de("3155", "Art des Kommunikationsmittels, Code", "M", "an..3",
                       "EM Elektronische Post; FX Telefax; TE Telefon; AJ weiteres Telefon; AL Handy")),
               key=key, cats=cats, ahb=ahb)


def party_group(sg, sub, qual, qname, status="M", cats=None, ahb=None, contact=True):
    kids = [nad_party(qual, qname, "M", ahb=ahb)]
    if contact:
        kids.append(grp(sub, "CTA-COM", "D", 5, cta(), com(), key=sub + qual))
    return grp(sg, "NAD-" + sub if contact else "NAD", status, 1, *kids,
               key=sg + qual, cats=cats, ahb=ahb)


def uns(code="S", qname="Trennung von Kopf- und Summenteil", status="M"):
    return seg("UNS", "Abschnitts-Kontrollsegment", status, 1,
               de("0081", "Abschnittskennung, codiert", "M", "a1", [(code, qname)]))


def ftx(cl, name="Freier Text", status="D", max=1, key=None, cats=None, ahb=None):
    if isinstance(cl, str):
        cl = codes(cl)
    return seg("FTX", name, status, max,
               de("4451", "Textbezug, Qualifier", "M", "an..3", cl),
               de("4453", "Textfunktion, Code", "N", "an..3"),
               comp("C107", "Text-Referenz", "D",
                    de("4441", "Freier Text, Code", "M", "an..17")),
               comp("C108", "Text", "D",
                    de("4440", "Freier Text", "M", "an..512"),
                    de("4440", "Freier Text", "O", "an..512"),
                    de("4440", "Freier Text", "O", "an..512"),
                    de("4440", "Freier Text", "O", "an..512"),
                    de("4440", "Freier Text", "O", "an..512")),
               key=key or "FTX" + cl[0][0], cats=cats, ahb=ahb)


def loc(cl, name, status="D", max=1, key=None, cats=None, ahb=None, fmt="an..35"):
    if isinstance(cl, str):
        cl = codes(cl)
    return seg("LOC", name, status, max,
               de("3227", "Ortsangabe, Qualifier", "M", "an..3", cl),
               comp("C517", "Ortsangabe", "R",
                    de("3225", "Ortsangabe, Identifikation", "M", fmt)),
               key=key or "LOC" + cl[0][0], cats=cats, ahb=ahb)


def cux(cl="2 Referenzwährung", ccy_q="4 Rechnungswährung; 11 Zahlungswährung", status="D"):
    return seg("CUX", "Währungsangaben", status, 1,
               comp("C504", "Währungsangaben", "M",
                    de("6347", "Verwendungszweck der Währung, Qualifier", "M", "an..3", cl),
                    de("6345", "Währung, Code", "R", "an..3", "EUR Euro"),
                    de("6343", "Währungsart, Qualifier", "R", "an..3", ccy_q)))


def moa(cl, name="Geldbetrag", status="D", max=1, key=None, cats=None, ahb=None):
    if isinstance(cl, str):
        cl = codes(cl)
    return seg("MOA", name, status, max,
               comp("C516", "Geldbetrag", "M",
                    de("5025", "Geldbetrag, Qualifier", "M", "an..3", cl),
                    de("5004", "Geldbetrag", "R", "n..35")),
               key=key or "MOA" + cl[0][0], cats=cats, ahb=ahb)


def qty(cl, name="Menge", status="D", max=1, units=None, key=None, cats=None, ahb=None):
    if isinstance(cl, str):
        cl = codes(cl)
    return seg("QTY", name, status, max,
               comp("C186", "Mengenangaben", "M",
                    de("6063", "Menge, Qualifier", "M", "an..3", cl),
                    de("6060", "Menge", "M", "an..35"),
                    de("6411", "Maßeinheit, Code", "D", "an..8", units or [])),
               key=key or "QTY" + cl[0][0], cats=cats, ahb=ahb)


def ajt(name="Anpassungsgrund", status="D", max=1, codes_4465=None, key="AJT", cats=None, ahb=None):
    return seg("AJT", name, status, max,
               de("4465", "Anpassungsgrund, Code", "M", "an..3", codes_4465),
               de("1082", "Positionsnummer (Entscheidungsbaum)", "D", "an..6"),
               key=key, cats=cats, ahb=ahb)


def lin(name="Positionsdaten", status="D", cl_1229=None, key="LIN", cats=None, ahb=None):
    els = [de("1082", "Positionsnummer", "M", "an..6")]
    if cl_1229 is not None:
        els.append(de("1229", "Handlungsbedarf, Code", "D", "an..3", cl_1229))
    return seg("LIN", name, status, 1, *els, key=key, cats=cats, ahb=ahb)


def pia(cl_4347, cl_7143, name="Zusätzliche Produktidentifikation", status="D", max=1,
        key="PIA", cats=None, ahb=None):
    return seg("PIA", name, status, max,
               de("4347", "Produkt-/Leistungsidentifikation, Funktion, Qualifier", "M", "an..3", cl_4347),
               comp("C212", "Waren-/Leistungsnummer, Identifikation", "M",
                    de("7140", "Produkt-/Leistungsnummer", "M", "an..35"),
                    de("7143", "Art der Produkt-/Leistungsnummer, Code", "R", "an..3", cl_7143)),
               key=key, cats=cats, ahb=ahb)


def imd(cl_7081, status="D", key="IMD", cats=None, ahb=None, with_7077=True):
    return seg("IMD", "Produkt-/Leistungsbeschreibung", status, 1,
               de("7077", "Beschreibungsformat, Code", "D", "an..3", "A Freitext"),
               comp("C272", "Produkt-/Leistungsmerkmal", "D",
                    de("7081", "Produkt-/Leistungsmerkmal, Code", "M", "an..3", cl_7081)),
               comp("C273", "Produkt-/Leistungsbeschreibung", "D",
                    de("7009", "Produkt-/Leistungsbeschreibung, Code", "M", "an..17")),
               key=key, cats=cats, ahb=ahb)


def sts(cat_codes, status_codes=None, name="Status", status="D", max=1, key=None,
        cats=None, ahb=None, reason_codes=None, reason_list=False, uses=("C555", "C556")):
    els = [comp("C601", "Statuskategorie", "M",
                de("9015", "Statuskategorie, Code", "M", "an..3", cat_codes))]
    els.append(comp("C555", "Status", "D" if "C555" in uses else "N",
                    de("4405", "Status, Code", "M", "an..3", status_codes)))
    els.append(comp("C556", "Statusanlaß", "D" if "C556" in uses else "N",
                    de("9013", "Statusanlaß, Code", "M", "an..3", reason_codes),
                    de("1131", "Codeliste, Code", "D" if reason_list else "N", "an..17")))
    cl = codes(cat_codes) if isinstance(cat_codes, str) else cat_codes
    return seg("STS", name, status, max, *els, key=key or "STS" + cl[0][0],
               cats=cats, ahb=ahb)


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


