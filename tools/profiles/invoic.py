"""INVOIC (Rechnung), D:06A. Release 2.8e is published twice; the later
AHB tightens the Steuerangaben and admits the Kapazitätsrechnung reference."""

from dsl import (de, comp, seg, grp, when, unh, unt, bgm, dtm, rff, nad_party, nad_address, cta, com,
                 cux, moa, qty, lin, pia, imd, uns, ftx, loc, make_column)
from common import FORMATS, HINWEISE, merged

BGM_CODES = ("380 Handelsrechnung; 381 Gutschrift; 457 Stornorechnung; 325 Proformarechnung; "
             "Z10 Abschlagsrechnung; Z11 Aggregierte Rechnung")


def tree(v):
    refs = "Z13 Prüfidentifikator; AGI Beantragungsnummer; ON Bestellnummer; Z37 Referenz auf die Stornorechnung"
    if v.newer:
        refs += "; Z39 Referenz auf die Kapazitätsabrechnung"
    return [
        unh("INVOIC", ("D", "06A"), v.release),
        bgm(BGM_CODES),
        dtm("137", "Dokumentendatum", "303", status="M", name="Nachrichtendatum"),
        dtm("155", "Beginn Abrechnungszeitraum", "102", name="Abrechnungszeitraum Beginn", key="DTM155"),
        dtm("156", "Ende Abrechnungszeitraum", "102", name="Abrechnungszeitraum Ende", key="DTM156"),
        ftx("Z01 Rechnungsbemerkung", name="Bemerkung"),
        grp("SG1", "RFF-DTM", "R", 9, rff(refs, status="M", key="RFFZ13"), key="SG1", ahb="Muss"),
        grp("SG2", "NAD-SG3", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG3", "RFF", "D", 1, rff("VA Umsatzsteuer-ID; FC Steuernummer", status="M", key="RFFVA"),
                key="SG3MS", ahb="Muss" if v.newer else "Kann"),
            key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG2", "NAD", "D", 1, nad_address("IV", "Rechnungsempfänger"), key="SG2IV", cats={"kunde"}),
        grp("SG2", "NAD-LOC", "D", 1,
            seg("NAD", "Lieferanschrift", "M", 1, de("3035", "Beteiligter, Qualifier", "M", "an..3", "DP Lieferanschrift"),
                key="NADDP"),
            loc("172 Meldepunkt; Z16 Marktlokation; Z17 Messlokation", "Lokation", status="M", key="LOCDP"),
            key="SG2DP", cats={"lok"}),
        grp("SG7", "CUX", "R", 1, cux("2 Referenzwährung", "4 Rechnungswährung", status="M"), key="SG7", ahb="Muss"),
        grp("SG8", "PAT-DTM", "D", 1,
            seg("PAT", "Zahlungsbedingungen", "M", 1,
                de("4279", "Zahlungsbedingung, Typ, Qualifier", "M", "an..3", "1 Basis"), key="PAT"),
            dtm("265", "Fälligkeitsdatum", "102", status="M", key="DTM265"),
            key="SG8", ahb="Muss"),
        grp("SG26", "LIN-QTY-DTM-SG27-SG30", "D", 9999,
            lin(),
            pia("5 Produktidentifikation", "Z02 BDEW-Artikelnummer; SRW OBIS-Kennzahl"),
            imd("Z01 Netznutzung; Z02 Messstellenbetrieb; Z03 Sonstige Leistung"),
            qty("47 Abgerechnete Menge", units=[("KWH", "Kilowattstunde"), ("KWT", "Kilowatt"), ("H87", "Stück"), ("MON", "Monat")]),
            dtm("155", "Beginn Positionszeitraum", "303", key="DTM155P"),
            dtm("156", "Ende Positionszeitraum", "303", key="DTM156P"),
            grp("SG27", "MOA", "D", 1, moa("203 Rechnungsposition Betrag", status="M", key="MOA203"), key="SG27"),
            grp("SG29", "PRI", "D", 1,
                seg("PRI", "Preisangaben", "M", 1,
                    comp("C509", "Preisinformation", "M",
                         de("5125", "Preis, Qualifier", "M", "an..3", "CAL Kalkulationspreis"),
                         de("5118", "Preis", "R", "n..15", fc="906"))), key="SG29"),
            grp("SG34", "TAX-MOA", "D", 1,
                seg("TAX", "Steuerangaben", "M", 1,
                    de("5283", "Steuer-/Gebühren-/Abgabenart, Qualifier", "M", "an..3", "7 Steuer"),
                    comp("C241", "Steuerart", "M", de("5153", "Steuerart, Code", "M", "an..3", "VAT Umsatzsteuer")),
                    comp("C243", "Steuersatz", "R", de("5278", "Steuersatz", "M", "an..17")),
                    de("5305", "Steuerkategorie, Code", "R", "an..3", "S Standardsatz; E Steuerbefreit; AE Steuerschuldnerschaft des Leistungsempfängers")),
                key="SG34"),
            key="SG26", ahb="Muss"),
        uns("S"),
        moa("77 Rechnungsbetrag; 9 Fälliger Betrag; 113 Vorausbezahlter Betrag", name="Summen", status="M", max=9,
            key="MOASUM", ahb="Muss"),
        grp("SG52", "TAX-MOA", "D", 9,
            seg("TAX", "Steuerangaben", "M", 1,
                de("5283", "Steuer-/Gebühren-/Abgabenart, Qualifier", "M", "an..3", "7 Steuer"),
                comp("C241", "Steuerart", "M", de("5153", "Steuerart, Code", "M", "an..3", "VAT Umsatzsteuer")),
                comp("C243", "Steuersatz", "R", de("5278", "Steuersatz", "M", "an..17")),
                key="TAXSUM"),
            moa("124 Steuerbetrag; 125 Steuerbarer Betrag", status="M", max=2, key="MOATAX"),
            key="SG52", ahb="Muss [2]" if v.newer else "Kann"),
        unt(),
    ]


def column(v, af):
    pid = af["pid"]
    code = {31001: "Z10", 31004: "457", 31007: "Z11", 31008: "Z11"}.get(pid, "380")
    cats = {"lok"} if pid not in (31007, 31008, 31010) else {"kunde"}
    return make_column(cats=cats, chapter="Rechnungen",
                       pins={("BGM", "1001"): [code]},
                       status={"SG26": "Muss" if pid != 31004 else "Kann", "LOCDP": "Muss"})


def conditions(v):
    c = merged(FORMATS, HINWEISE, {
        "1": "Wenn BGM DE1001 = 457 vorhanden",
        "2": "Wenn SG34 TAX+7 vorhanden",
        "3": "Wenn SG26 LIN vorhanden",
        "550": "Hinweis: Es ist die Rechnungsnummer der zu stornierenden Rechnung anzugeben.",
    })
    if v.newer:
        c["4"] = "Wenn SG1 RFF+Z39 vorhanden"
    return c


PACKAGES = {"1P": ""}
