"""ORDRSP (Bestellantwort), D:10A."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, imd, uns,
                 ajt, lin, make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("ORDRSP", ("D", "10A"), v.release),
        bgm("7 Bestätigung; Z12 Ablehnung; Z13 Mitteilung; Z14 Bearbeitungsstand"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        imd("Z01 Einzelbestellung; Z02 Abonnement; Z03 Beendigung eines Abonnements", cats={"esa"}),
        grp("SG1", "RFF-DTM", "R", 9,
            rff("Z13 Prüfidentifikator; ON Referenz auf die Bestellung; ACW Referenz auf eine vorangegangene Nachricht; "
                "AGI Beantragungsnummer", status="M", key="RFFZ13"),
            key="SG1", ahb="Muss"),
        grp("SG2", "AJT-FTX", "D", 99,
            ajt("Antwortcode", status="M", key="AJT"),
            seg("FTX", "Begründung", "D", 1,
                de("4451", "Textbezug, Qualifier", "M", "an..3"),
                key="FTX"),
            key="SG2", cats={"abl"}),
        grp("SG3", "NAD-SG5", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG5", "CTA-COM", "D", 5, cta(), com(), key="SG5MS", cats={"kontakt"}), key="SG3MS"),
        grp("SG3", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG3MR"),
        grp("SG27", "LIN", "D", 9999, lin(), key="SG27", cats={"lin"}),
        uns("S"),
        unt(),
    ]


def column(v, af):
    pid, low = af["pid"], af["name"].lower()
    cats, status, pins = {"lin"}, {}, {}
    if "ablehnung" in low or "abl." in low:
        cats.add("abl")
        status.update({"SG2": "Muss", "AJT": "Muss"})
    if pid in (19011, 19012):
        cats.add("esa")
        status["IMD"] = "Muss"
        pins[("IMD", "7081")] = ["Z01", "Z02", "Z03"]
    return make_column(cats=cats, status=status, pins=pins, required={("AJT", "1082")} if "abl" in cats else set(),
                       chapter="Ablehnungen" if "abl" in cats else "Bestätigungen und Mitteilungen")


def conditions(v):
    return merged(FORMATS, HINWEISE, {
        "1": "Wenn IMD DE7081 = Z02 vorhanden",
        "2": "Wenn SG2 AJT vorhanden",
    })


PACKAGES = {"1P": ""}
