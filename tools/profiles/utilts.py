"""UTILTS (Berechnungsformel, Zeitdefinitionen), D:18A."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, loc, sts, qty,
                 make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("UTILTS", ("D", "18A"), v.release),
        bgm("Z36 Berechnungsformel; Z43 Übersicht Zählzeitdefinitionen; Z44 Ausgerollte Zählzeitdefinition; "
            "Z45 Übersicht Schaltzeitdefinitionen; Z46 Übersicht Leistungskurvendefinitionen; "
            "Z47 Ausgerollte Schaltzeitdefinition; Z48 Ausgerollte Leistungskurvendefinition; Z49 Antwort"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        grp("SG1", "RFF", "R", 9, rff("Z13 Prüfidentifikator", status="M", key="RFFZ13"), key="SG1", ahb="Muss"),
        grp("SG2", "NAD-SG3", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG3", "CTA-COM", "D", 5, cta(), com(), key="SG3MS", cats={"kontakt"}), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG5", "IDE-LOC-DTM-STS-SG6-SG8", "M", 99999,
            seg("IDE", "Vorgang", "M", 1,
                de("7495", "Objekttyp, Qualifier", "M", "an..3", "24 Vorgang"),
                comp("C206", "Identifikationsnummer", "M", de("7402", "Vorgangsnummer", "M", "an..35"))),
            loc("172 Meldepunkt; Z16 Marktlokation", "Lokation", cats={"formel"}),
            dtm("157", "Gültigkeit, Beginndatum", "303", ahb="Muss"),
            sts("E01 Status der Antwort", None, name="Antwort", key="STSE01", cats={"antwort"}),
            grp("SG6", "RFF", "D", 9, rff("Z19 Zählzeitdefinition; Z20 Schaltzeitdefinition; Z21 Leistungskurvendefinition",
                                          status="M", key="RFFZ19"), key="SG6", cats={"zeit"}),
            grp("SG8", "SEQ-SG9", "D", 999,
                seg("SEQ", "Rechenschritt", "M", 1,
                    de("1229", "Handlungsbedarf, Code", "M", "an..3", "Z37 Rechenschritt; Z38 Zeitdefinition"),
                    comp("C286", "Folgeinformation", "R", de("1050", "Folgepositionsnummer", "M", "an..10"))),
                grp("SG9", "QTY", "D", 99,
                    qty("Z38 Faktor; Z39 Verlustfaktor", key="QTYZ38"), key="SG9"),
                key="SG8", cats={"formel", "zeit"}),
            key="SG5"),
        unt(),
    ]


def column(v, af):
    pid = af["pid"]
    codes = {25001: "Z36", 25004: "Z43", 25005: "Z44", 25006: "Z45", 25007: "Z46", 25008: "Z47",
             25009: "Z48", 25010: "Z49"}
    cats = {"formel"} if pid == 25001 else {"antwort"} if pid == 25010 else {"zeit"}
    return make_column(cats=cats, chapter="Zeitreihen und Definitionen",
                       pins={("BGM", "1001"): [codes[pid]]},
                       status={"STSE01": "Muss", "SG8": "Muss"} if pid != 25010 else {"STSE01": "Muss"})


def conditions(v):
    c = merged(FORMATS, HINWEISE, {"1": "Wenn SG8 SEQ+Z37 vorhanden"})
    if v.newer:
        c["2"] = "Wenn SG5 STS+E01 vorhanden"
    return c


PACKAGES = {"1P": ""}
