"""ORDCHG (Stornierung einer Bestellung), D:09B."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, loc, uns,
                 make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("ORDCHG", ("D", "09B"), v.release),
        bgm("Z40 Stornierung Sperr-/Entsperrauftrag; Z41 Stornierung der Bestellung"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        grp("SG1", "RFF-DTM", "R", 9,
            rff("Z13 Prüfidentifikator; ON Referenz auf die Bestellung", status="M", key="RFFZ13"),
            key="SG1", ahb="Muss"),
        grp("SG3", "NAD-SG6", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG6", "CTA-COM", "D", 5, cta(), com(), key="SG6MS", cats={"kontakt"}), key="SG3MS"),
        grp("SG3", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG3MR"),
        grp("SG3", "NAD-LOC", "D", 1,
            seg("NAD", "Objekt der Bestellung", "M", 1,
                de("3035", "Beteiligter, Qualifier", "M", "an..3", "DP Lieferanschrift"), key="NADDP"),
            loc("172 Meldepunkt", "Meldepunkt", status="D"), key="SG3DP", ahb="Muss"),
        uns("S"),
        unt(),
    ]


def column(v, af):
    code = "Z41" if af["pid"] == 39002 else "Z40"
    return make_column(chapter="Stornierungen", pins={("BGM", "1001"): [code]})


def conditions(v):
    return merged(FORMATS, HINWEISE, {"1": "Wenn SG3 NAD+DP vorhanden"})


PACKAGES = {"1P": ""}
