"""INSRPT (Prüfbericht / Störungsmeldung), D:96A."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, loc, sts, ftx,
                 make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("INSRPT", ("D", "96A"), v.release),
        bgm("Z56 Störungsmeldung; Z57 Ablehnung; Z58 Bestätigung; Z59 Informationsmeldung; Z60 Ergebnisbericht"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        grp("SG1", "RFF-DTM", "R", 9,
            rff("Z13 Prüfidentifikator; ACW Referenz auf die Störungsmeldung", status="M", key="RFFZ13"),
            key="SG1", ahb="Muss"),
        grp("SG2", "NAD-SG3", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG3", "CTA-COM", "D", 5, cta(), com(), key="SG3MS", cats={"kontakt"}), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG4", "DOC-LOC-SG7", "M", 999,
            seg("DOC", "Meldung", "M", 1,
                comp("C002", "Dokumentenname", "M",
                     de("1001", "Dokumentenname, Code", "M", "an..3", "Z01 Störung; Z02 Ergebnis")),
                comp("C503", "Dokumentendetails", "R", de("1004", "Meldungsnummer", "M", "an..35"))),
            loc("172 Meldepunkt; Z17 Messlokation", "Lokation", status="R", ahb="Muss"),
            grp("SG7", "STS-DTM-FTX", "D", 99,
                sts("Z09 Störungsart; Z10 Ergebnis der Störungsbehebung", None, name="Status der Störung", status="M", key="STS"),
                dtm("163", "Beginn Störung", "303", key="DTM163", ahb="Muss"),
                dtm("164", "Ende Störung", "303", key="DTM164", ahb="Kann"),
                ftx("ACB Beschreibung", name="Beschreibung der Störung", key="FTXACB"),
                key="SG7"),
            key="SG4"),
        unt(),
    ]


def column(v, af):
    low = af["name"].lower()
    code = {"störungsmeldung": "Z56", "ablehnung": "Z57", "bestätigung": "Z58",
            "informationsmeldung": "Z59", "ergebnisbericht": "Z60"}.get(low, "Z59")
    return make_column(chapter="Störungsmeldungen", pins={("BGM", "1001"): [code]},
                       status={"SG7": "Muss" if code in ("Z56", "Z60") else "Kann"})


def conditions(v):
    return merged(FORMATS, HINWEISE, {"1": "Wenn SG7 DTM+164 vorhanden",
                                      "2": "Wenn SG4 DOC+Z02 vorhanden"})


PACKAGES = {"1P": ""}
