"""REMADV (Zahlungsavis), D:05A."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, ftx,
                 cux, moa, ajt, uns, make_column)
from common import FORMATS, HINWEISE, merged


def tree(v):
    return [
        unh("REMADV", ("D", "05A"), v.release),
        bgm("481 Zahlungsavis; 239 Rückmeldung zur Rechnung (Abweisung)"),
        dtm("137", "Dokumentendatum", "303", status="M", name="Nachrichtendatum"),
        grp("SG1", "RFF-DTM", "R", 1, rff("Z13 Prüfidentifikator", status="M"), key="SG1", ahb="Muss"),
        grp("SG2", "NAD-SG3", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG3", "CTA-COM", "D", 5, cta(), com(), key="SG3MS", cats={"kontakt"}), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG4", "CUX", "R", 1,
            cux("2 Referenzwährung", "11 Zahlungswährung", status="M"), key="SG4", ahb="Muss"),
        grp("SG5", "DOC-MOA-DTM-SG7-SG10", "R", 9999,
            seg("DOC", "Rechnungsbezug", "M", 1,
                comp("C002", "Dokumenten-/Nachrichtenname", "M",
                     de("1001", "Dokumentenname, Code", "M", "an..3",
                        "380 Handelsrechnung; 381 Gutschrift; 457 Storno; 325 Proformarechnung")),
                comp("C503", "Dokumenten-/Nachrichtendetails", "M",
                     de("1004", "Rechnungsnummer", "M", "an..35"))),
            moa("9 Fälliger Betrag", name="Fälliger Betrag", status="M", ahb="Muss"),
            moa("12 Überwiesener Betrag", name="Überwiesener Betrag", status="M", ahb="Muss"),
            dtm("137", "Rechnungsdatum", "303", status="M", name="Rechnungsdatum", key="DTM137DOC", ahb="Muss"),
            grp("SG7", "AJT-FTX", "D", 99,
                ajt("Abweichungsgrund Kopfebene", status="M", key="AJTKOPF"),
                ftx("ABO Information über Abweichung", name="Erläuterung", key="FTXKOPF"),
                key="SG7"),
            grp("SG10", "DLI-SG12", "D", 9999,
                seg("DLI", "Rechnungsposition", "M", 1,
                    de("1073", "Dokumentenzeilen-Indikator, Code", "M", "an..3", "1 Position"),
                    de("1082", "Positionsnummer", "M", "an..6")),
                grp("SG12", "AJT-FTX", "R", 99,
                    ajt("Abweichungsgrund Positionsebene", status="M", key="AJTPOS"),
                    ftx("ABO Information über Abweichung", name="Erläuterung", key="FTXPOS"),
                    key="SG12"),
                key="SG10"),
            key="SG5", ahb="Muss"),
        uns("S"),
        moa("12 Überwiesener Betrag", name="Gesamtsumme", status="M", key="MOASUM", ahb="Muss"),
        unt(),
    ]


def column(v, af):
    pid = af["pid"]
    doc_muss = {"SG5": "Muss", "DOC": "Muss", "MOA9": "Muss", "MOA12": "Muss", "DTM137DOC": "Muss"}
    if pid == 33001:
        return make_column(chapter="Zahlungsavis", exclude={"SG7", "SG10"}, status=doc_muss,
                           pins={("BGM", "1001"): ["481"]})
    status = dict(doc_muss)
    if pid == 33002:
        status.update({"SG7": "Muss", "SG10": "Kann"})
    elif pid == 33003:
        status.update({"SG7": "Muss"})
        return make_column(chapter="Abweisung", exclude={"SG10"}, status=status,
                           pins={("BGM", "1001"): ["239"]})
    else:
        status.update({"SG7": "Kann", "SG10": "Muss", "DLI": "Muss", "SG12": "Muss", "AJTPOS": "Muss",
                       "FTXPOS": "Muss [1]"})
    return make_column(chapter="Abweisung", status=status, pins={("BGM", "1001"): ["239"]},
                       required={("AJTKOPF", "1082"), ("AJTPOS", "1082")})


def conditions(v):
    return merged(FORMATS, HINWEISE, {
        "1": "Wenn SG12 AJT+Z01/Z02 vorhanden",
        "2": "Wenn MOA+12 DE5004 = 0 vorhanden",
        "521": "Hinweis: Es ist die Rechnungsnummer aus BGM DE1004 der INVOIC anzugeben.",
    })


PACKAGES = {"1P": ""}
