"""PARTIN (Kommunikationsdaten), D:20B."""

from dsl import (de, comp, seg, grp, when, unh, unt, bgm, dtm, rff, nad_party, nad_address, cta, com,
                 make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("PARTIN", ("D", "20B"), v.release),
        bgm("Z19 Kommunikationsdaten"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        dtm("157", "Gültigkeit, Beginndatum", "102", status="R", ahb="Muss"),
        grp("SG1", "RFF", "R", 9, rff("Z13 Prüfidentifikator", status="M", key="RFFZ13"), key="SG1", ahb="Muss"),
        grp("SG2", "NAD", "M", 1, nad_party("MS", "MP-ID Absender"), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG4", "NAD-SG5-SG6", "M", 99,
            nad_address("Z31", "Marktpartner", status="M", with_id=True),
            grp("SG5", "CTA-COM", "D", 99,
                cta(status="M"),
                seg("COM", "Kommunikationsverbindung", "D", 9,
                    comp("C076", "Kommunikationsverbindung", "M",
                         de("3148", "Adresse", "M", "an..512", fc="939"),
                         de("3155", "Art des Kommunikationsmittels, Code", "M", "an..3",
                            "EM Elektronische Post; AH World Wide Web" + ("; ZA AS4-Adresse" if v.newer else ""))),
                    key="COM"),
                key="SG5", ahb="Muss"),
            grp("SG6", "RFF-DTM", "D", 9,
                rff("Z28 Zertifikats-ID; Z29 Zertifikatsaussteller", status="M", key="RFFZ28"),
                dtm("Z46", "Ende der Gültigkeit des Zertifikats", "303", key="DTMZ46"),
                key="SG6"),
            key="SG4", ahb="Muss"),
        unt(),
    ]


def column(v, af):
    return make_column(chapter="Kommunikationsdaten", pins={("BGM", "1001"): ["Z19"]})


def conditions(v):
    return merged(FORMATS, HINWEISE, {"1": "Wenn SG5 COM+EM vorhanden"})


PACKAGES = {"1P": ""}
