"""REQOTE (Anfrage), D:10A."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, loc, lin, pia, uns,
                 make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("REQOTE", ("D", "10A"), v.release),
        bgm("Z30 Anfrage; Z31 Anfrage Angebot"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        dtm("469", "Gewünschter Beginn", "303", cats={"wim"}),
        grp("SG1", "RFF", "R", 9, rff("Z13 Prüfidentifikator", status="M", key="RFFZ13"), key="SG1", ahb="Muss"),
        grp("SG11", "NAD-SG14", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG14", "CTA-COM", "D", 1, cta(), com(), key="SG14", cats={"esa"}), key="SG11MS"),
        grp("SG11", "NAD-LOC", "M", 1, nad_party("MR", "MP-ID Empfänger"),
            loc("172 Meldepunkt", "Meldepunkt", key="LOCMR", ahb="Muss"), key="SG11MR"),
        grp("SG27", "LIN-PIA", "D", 99, lin(), pia("5 Produktidentifikation", "Z11 Produkt; SRW OBIS-Kennzahl"),
            key="SG27", cats={"esa", "wim"}),
        uns("S"),
        unt(),
    ]


def column(v, af):
    esa = af["pid"] == 35003
    return make_column(cats={"esa"} if esa else {"wim"}, chapter="Anfragen",
                       pins={("BGM", "1001"): ["Z30" if esa else "Z31"]},
                       status={"SG14": "Muss", "CTA": "Muss", "COM": "Muss"} if esa else {})


def conditions(v):
    c = merged(FORMATS, HINWEISE, {"1": "Wenn SG27 LIN vorhanden"})
    if v.newer:
        c["2"] = "Wenn SG11 NAD+MR vorhanden"
    return c


PACKAGES = {"1P": ""}
