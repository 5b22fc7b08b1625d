"""MSCONS (Messwerte), D:04B."""

from dsl import (de, comp, seg, grp, when, unh, unt, bgm, dtm, rff, nad_party, cta, com,
                 loc, uns, sts, make_column, codes)
from common import FORMATS, HINWEISE, merged

UNITS = ("KWH Kilowattstunde; KWT Kilowatt; MWH Megawattstunde; KVAR Kilovar; KVA Kilovoltampere; "
         "M3 Kubikmeter; MJ Megajoule; D54 Watt pro Quadratmeter; Z03 Grad Celsius; Z12 Prozent")
QTY_Q = ("220 Wahrer Wert; 67 Ersatzwert; 201 Vorschlagswert; 20 Vorläufiger Wert; "
         "187 Prognosewert; 79 Energiemenge summiert; Z18 Nicht verwendbarer Wert; Z31 Gemessene Höchstleistung")

# Anwendungsfälle whose values are a time series: every value carries its Messperiode.
LASTGANG = {13003, 13005, 13008, 13010, 13011, 13012, 13013, 13014, 13018, 13020, 13021,
            13022, 13023, 13025, 13026, 13027, 13028}
BGM_BY_PID = {13006: "Z48", 13007: "Z27", 13010: "Z06", 13011: "Z06", 13021: "Z74"}


def envelope(v):
    return [
        seg("UNB", "Nutzdaten-Kopfsegment", "M", 1,
            comp("S001", "Syntax-Bezeichner", "M",
                 de("0001", "Syntax-Kennung", "M", "a4", "UNOC UN/ECE-Zeichensatz C"),
                 de("0002", "Syntax-Versionsnummer", "M", "an1", "3 Version 3")),
            comp("S002", "Absender der Übertragungsdatei", "M",
                 de("0004", "Absenderidentifikation", "M", "an..35"),
                 de("0007", "Teilnehmerbezeichnung, Qualifier", "R", "an..4", "14 GS1; 500 DE, BDEW; 502 DE, DVGW")),
            comp("S003", "Empfänger der Übertragungsdatei", "M",
                 de("0010", "Empfängeridentifikation", "M", "an..35"),
                 de("0007", "Teilnehmerbezeichnung, Qualifier", "R", "an..4", "14 GS1; 500 DE, BDEW; 502 DE, DVGW")),
            comp("S004", "Datum/Uhrzeit der Erstellung", "M",
                 de("0017", "Datum", "M", "n6"),
                 de("0019", "Uhrzeit", "M", "n4")),
            de("0020", "Datenaustauschreferenz", "M", "an..14"),
            comp("S005", "Referenz/Passwort des Empfängers", "N",
                 de("0022", "Referenz/Passwort des Empfängers", "M", "an..14")),
            de("0026", "Anwendungsreferenz", "D", "an..14", "TL Test/Lastgang; EM Energiemenge; VL Vorläufige Werte"),
            de("0029", "Verarbeitungspriorität, Code", "N", "a1"),
            de("0031", "Bestätigungsanforderung", "N", "n1"),
            de("0032", "Kennung der Austauschvereinbarung", "D", "an..35"),
            de("0035", "Testindikator", "D", "n1", "1 Übertragungsdatei ist ein Test"),
            example="UNB+UNOC:3+9900357000004:500+4012345000023:14+261001:0000+4711++TL'"),
        seg("UNZ", "Nutzdaten-Endesegment", "M", 1,
            de("0036", "Anzahl der Nachrichten", "M", "n..6"),
            de("0020", "Datenaustauschreferenz", "M", "an..14"),
            example="UNZ+1+4711'"),
    ]


def tree(v):
    qty_units = UNITS + ("; GJ Gigajoule" if v.newer else "")
    return [
        unh("MSCONS", ("D", "04B"), v.release),
        bgm("7 Prozessdatenbericht; 270 Lieferschein; Z06 Profile und Profilscharen; Z27 Gasbeschaffenheitsdaten; "
            "Z48 Stornierung von Messwerten; Z74 Meteorologische Daten",
            with_1225="9 Original; 1 Storno"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        grp("SG1", "RFF-DTM", "D", 9,
            rff("Z13 Prüfidentifikator; ACW Referenz auf eine vorangegangene Nachricht; AGI Beantragungsnummer; "
                "Z30 Referenz auf die Zeitreihenart", status="M", key="RFFZ13"),
            dtm("171", "Referenzdatum", "303", name="Datum der Referenz", cats={"storno"}),
            key="SG1", ahb="Muss"),
        grp("SG2", "NAD-SG4", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG4", "CTA-COM", "D", 5, cta(), com(), key="SG4MS", cats={"kontakt"}), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        uns("D", "Trennung von Kopf- und Positionsteil"),
        grp("SG5", "NAD-SG6", "M", 99999,
            seg("NAD", "Lieferanschrift", "M", 1,
                de("3035", "Beteiligter, Qualifier", "M", "an..3", "DP Lieferanschrift"), key="NADDP"),
            grp("SG6", "LOC-DTM-SG7-SG9", "M", 99999,
                loc("172 Meldepunkt", "Meldepunkt", status="M", ahb="Muss", fmt="an..35"),
                dtm("163", "Beginn Messperiode Übertragungszeitraum", "303", key="DTM163H", ahb="Soll"),
                dtm("164", "Ende Messperiode Übertragungszeitraum", "303", key="DTM164H", ahb="Soll"),
                dtm("492", "Bilanzierungsmonat", "610", name="Bilanzierungsdatum, -zeit, -periode", cats={"bila"}),
                dtm("293", "Fertigstellungsdatum/-zeit", "304 303", cats={"bila"}),
                grp("SG7", "RFF", "D", 99,
                    rff("MG Gerätenummer; AGK Konfigurations-ID; Z34 Referenz auf die Zählzeitdefinition", status="M",
                        key="RFFMG"),
                    key="SG7", cats={"zaehler"}),
                grp("SG9", "LIN-PIA-SG10", "M", 99999,
                    seg("LIN", "Lfd. Position", "M", 1,
                        de("1082", "Positionsnummer", "M", "an..6")),
                    seg("PIA", "Produktidentifikation", "D", 1,
                        de("4347", "Produkt-/Leistungsidentifikation, Funktion, Qualifier", "M", "an..3",
                           "5 Produktidentifikation"),
                        comp("C212", "Waren-/Leistungsnummer, Identifikation", "M",
                             de("7140", "OBIS-Kennzahl", "M", "an..35"),
                             de("7143", "Art der Produkt-/Leistungsnummer, Code", "R", "an..3",
                                "SRW OBIS-Kennzahl; Z02 BDEW OBIS-ähnliche Kennzahl; Z08 Medium"))),
                    grp("SG10", "QTY-DTM-STS", "M", 99999,
                        seg("QTY", "Mengenangaben", "M", 1,
                            comp("C186", "Mengenangaben", "M",
                                 de("6063", "Menge, Qualifier", "M", "an..3", QTY_Q),
                                 de("6060", "Menge", "M", "n..15", fc="910"),
                                 de("6411", "Maßeinheit, Code", "D", "an..8", qty_units)),
                            key="QTY"),
                        dtm("163", "Beginn Messperiode", "303", key="DTM163", ahb="Kann"),
                        dtm("164", "Ende Messperiode", "303", key="DTM164", ahb="Kann"),
                        dtm("7", "Nutzungszeitpunkt", "303", cats={"stand"}),
                        dtm("306", "Leistungsperiode", "303 802 804", cats={"leistung"}),
                        sts("Z32 Ersatzwertbildungsverfahren", None, name="Ersatzwertbildungsverfahren", uses=("C556",),
                            reason_codes="Z88 Vergleichsmessung; Z89 Messwertnachbildung; Z90 Schätzung"),
                        sts("Z40 Grund der Ersatzwertbildung", None, name="Grund der Ersatzwertbildung", uses=("C556",),
                            reason_codes="Z74 kein Zugang; Z75 Kommunikationsstörung; Z76 Netzausfall; Z77 Spannungsausfall; Z78 Gerätewechsel; Z79 Kalibrierung"),
                        sts("10 Messklassifizierung", None, name="Messklassifizierung", key="STS10",
                            uses=("C555",)),
                        key="SG10", ahb="Muss"),
                    key="SG9", ahb="Muss"),
                key="SG6"),
            key="SG5"),
        unt(),
    ]


def column(v, af):
    pid = af["pid"]
    status = {}
    cats = {"zaehler"}
    if pid in LASTGANG:
        status.update({"DTM163": "Muss", "DTM164": "Muss", "DTM163H": "Muss [1]", "DTM164H": "Muss [1]"})
    else:
        cats |= {"stand"}
        status.update({"DTM7": "Muss [2]"})
    if pid in (13015, 13016):
        cats |= {"leistung"}
    if pid in (13013, 13014, 13003, 13020, 13022, 13023):
        cats |= {"bila"}
    if pid == 13006:
        cats |= {"storno"}
    pins = {("BGM", "1001"): [BGM_BY_PID.get(pid, "7")]}
    return make_column(cats=cats, status=status, pins=pins,
                       chapter="Lastgänge und Zeitreihen" if pid in LASTGANG else "Zählerstände und Energiemengen")


def conditions(v):
    return merged(FORMATS, HINWEISE, {
        "1": "Wenn SG10 DTM+163 nicht vorhanden",
        "2": "Wenn SG10 QTY+220/67/201/20 vorhanden",
        "3": "Wenn BGM DE1001 = Z48 vorhanden",
        "4": "Wenn SG9 PIA+5+1- 1?:1.9.0 nicht vorhanden",
        "5": "Wenn in LOC+172 DE3225 (Meldepunkt) die ID einer Marktlokation angegeben ist",
        "6": "Wenn Wert in SG6 LOC+172 DE3225 genau 11 Stellen",
        "520": "Hinweis: Es sind alle Werte des Übertragungszeitraums zu übermitteln.",
    })


PACKAGES = {"1P": ""}
