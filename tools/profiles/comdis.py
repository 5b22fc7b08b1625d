"""COMDIS (Zahlungsavis-Ablehnung, Dokumentenstreit), D:01B."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, ajt, ftx,
                 make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("COMDIS", ("D", "01B"), v.release),
        bgm("Z35 Ablehnung"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        grp("SG1", "RFF-DTM", "R", 9,
            rff("Z13 Prüfidentifikator", status="M", key="RFFZ13"), key="SG1", ahb="Muss"),
        grp("SG2", "NAD-SG3", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG3", "CTA-COM", "D", 5, cta(), com(), key="SG3MS", cats={"kontakt"}), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG3", "DOC-DTM-SG4", "M", 9999,
            seg("DOC", "Bezug auf das abgelehnte Dokument", "M", 1,
                comp("C002", "Dokumentenname", "M",
                     de("1001", "Dokumentenname, Code", "M", "an..3", "481 Zahlungsavis; 23 Statusmeldung")),
                comp("C503", "Dokumentendetails", "M", de("1004", "Dokumentennummer", "M", "an..35"))),
            dtm("171", "Dokumentendatum", "303", status="R", key="DTM171", ahb="Muss"),
            grp("SG4", "AJT-FTX", "M", 99,
                ajt("Ablehnungsgrund", status="M"), ftx("Z02 Ablehnungsgrund", name="Erläuterung"),
                key="SG4", ahb="Muss"),
            key="SG3", ahb="Muss"),
        unt(),
    ]


def column(v, af):
    pin = "481" if af["pid"] == 29001 else "23"
    return make_column(chapter="Ablehnungen", pins={("DOC", "1001"): [pin], ("BGM", "1001"): ["Z35"]})


def conditions(v):
    return merged(FORMATS, HINWEISE, {"1": "Wenn SG3 DOC+481 vorhanden"})


PACKAGES = {"1P": ""}
