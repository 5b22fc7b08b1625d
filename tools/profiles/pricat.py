"""PRICAT (Preisblatt), D:20B."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, cux, lin, pia, imd,
                 make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("PRICAT", ("D", "20B"), v.release),
        bgm("Z32 Preisblatt; Z33 Ausgleichsenergiepreis"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        dtm("157", "Gültigkeit, Beginndatum", "102", status="R", ahb="Muss"),
        grp("SG1", "RFF", "R", 9, rff("Z13 Prüfidentifikator; Z56 Preisblatt-ID", status="M", key="RFFZ13"),
            key="SG1", ahb="Muss"),
        grp("SG2", "NAD-SG4", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG4", "CTA-COM", "D", 5, cta(), com(), key="SG4MS", cats={"kontakt"}), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG6", "CUX", "R", 1, cux("2 Referenzwährung", "10 Preiswährung", status="M"), key="SG6", ahb="Muss"),
        grp("SG17", "PGI-SG36", "M", 99,
            seg("PGI", "Preisgruppe", "M", 1,
                comp("C288", "Produktgruppe", "M", de("5379", "Produktgruppe, Code", "M", "an..3",
                                                       "Z01 Messstellenbetrieb; Z02 Netzleistungen; Z03 Ausgleichsenergie"))),
            grp("SG36", "LIN-PIA-IMD-SG40", "M", 9999,
                lin(), pia("5 Produktidentifikation", "Z01 Artikel-ID; Z02 Gruppenartikel-ID"),
                imd("Z01 Preisbezeichnung"),
                grp("SG40", "PRI", "M", 99,
                    seg("PRI", "Preisangaben", "M", 1,
                        comp("C509", "Preisinformation", "M",
                             de("5125", "Preis, Qualifier", "M", "an..3", "CAL Kalkulationspreis"),
                             de("5118", "Preis", "R", "n..15", fc="906"))),
                    key="SG40", ahb="Muss"),
                key="SG36", ahb="Muss"),
            key="SG17", ahb="Muss"),
        unt(),
    ]


def column(v, af):
    return make_column(chapter="Preisblätter", pins={("BGM", "1001"): ["Z33" if af["pid"] == 27001 else "Z32"]})


def conditions(v):
    return merged(FORMATS, HINWEISE, {"1": "Wenn SG17 PGI+Z03 vorhanden"})


PACKAGES = {"1P": ""}
