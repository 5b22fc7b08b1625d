"""QUOTES (Angebot), D:10A."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, loc, ftx, cux,
                 uns, lin, pia, make_column)
from common import FORMATS, HINWEISE, merged

ESA_ANGEBOT = {15003}


def tree(v):
    return [
        unh("QUOTES", ("D", "10A"), v.release),
        bgm("310 Angebot; Z42 Ablehnung der Anfrage"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        dtm("469", "Angebotsbeginn", "303", cats={"wim"}),
        dtm("279", "Lieferbeginn", "102 303", cats={"wim"}),
        dtm("273", "Bindungsfrist", "802 803 804", name="Bindungsfrist", value_fmt="n..3"),
        ftx("ACB Zusätzliche Informationen", name="Bemerkung"),
        grp("SG1", "RFF-DTM", "R", 9,
            rff("Z13 Prüfidentifikator; AGI Beantragungsnummer; Z41 Referenz auf die Anfrage (REQOTE)",
                status="M", key="RFFZ13"),
            key="SG1", ahb="Muss"),
        grp("SG4", "CUX", "D", 1, cux("2 Referenzwährung", "4 Angebotswährung"), key="SG4"),
        grp("SG11", "NAD-SG14", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG14", "CTA-COM", "D", 1, cta(), com(), key="SG14"), key="SG11MS"),
        grp("SG11", "NAD-LOC", "M", 1, nad_party("MR", "MP-ID Empfänger"),
            loc("172 Meldepunkt", "Meldepunkt", key="LOCMR"), key="SG11MR"),
        grp("SG11", "NAD-LOC", "D", 1,
            seg("NAD", "Lieferanschrift", "M", 1,
                de("3035", "Beteiligter, Qualifier", "M", "an..3", "DP Lieferanschrift"), key="NADDP"),
            loc("172 Meldepunkt", "Meldepunkt", key="LOCDP"),
            key="SG11DP", cats={"wim"}),
        grp("SG27", "LIN-PIA-SG32", "D", 9999,
            lin(cl_1229="Z67 Angebotsposition"),
            pia("5 Produktidentifikation; Z02 Artikelidentifikation", "Z11 Produkt; Z09 Artikel-ID; SRW OBIS-Kennzahl",
                max=9),
            grp("SG32", "PRI", "D", 99,
                seg("PRI", "Preisangaben", "M", 1,
                    comp("C509", "Preisinformation", "M",
                         de("5125", "Preis, Qualifier", "M", "an..3", "CAL Kalkulationspreis"),
                         de("5118", "Preis", "R", "n..15", fc="930"),
                         de("5375", "Preisart, Code", "N", "an..3"),
                         de("5387", "Preisartangabe, Code", "D", "an..3", "Z01 Preis pro Einheit; Z02 Pauschalpreis"),
                         de("5284", "Preisbasis", "D", "n..9"),
                         de("6411", "Maßeinheit, Code", "D", "an..8", "H87 Stück; MON Monat; ANN Jahr"))),
                key="SG32"),
            key="SG27"),
        uns("S"),
        unt(),
    ]


def column(v, af):
    pid = af["pid"]
    if pid in ESA_ANGEBOT:
        return make_column(chapter="ESA-Angebot",
                           status={"SG14": "Muss", "CTA": "Muss", "COM": "Muss", "DTM273": "Muss [1]",
                                   "SG27": "Muss [1]", "SG32": "Muss [1]", "SG4": "Muss [1]"})
    return make_column(cats={"wim"}, chapter="Angebote im Messstellenbetrieb",
                       pins={("BGM", "1001"): ["310"]},
                       status={"DTM273": "Muss", "SG27": "Muss", "SG32": "Muss", "SG4": "Muss"})


def conditions(v):
    return merged(FORMATS, HINWEISE, {
        "1": "Wenn BGM DE1001 = 310 vorhanden",
        "2": "Wenn SG27 LIN vorhanden",
        "540": "Hinweis: Die Bindungsfrist ist als Zeitspanne anzugeben.",
    })


PACKAGES = {"1P": ""}
