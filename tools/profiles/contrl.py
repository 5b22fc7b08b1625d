"""CONTRL (syntax and service report), D:3."""

from dsl import de, comp, seg, grp, unh, unt
from dsl import make_column

SYNTAX_ERRORS = ("2 Syntaxkennung nicht unterstützt; 7 Empfänger der Übertragungsdatei ist nicht der tatsächliche Empfänger; "
                 "12 Ungültiger Wert; 13 Fehlt; 14 Wert an dieser Stelle nicht unterstützt; "
                 "15 Nicht unterstützt an dieser Stelle; 16 Zu viele Bestandteile; "
                 "18 Unspezifizierter Fehler; 19 Ungültige Dezimalzeichen-Notation; "
                 "21 Ungültiges Zeichen; 22 Ungültiges Dienstzeichen; 23 Unbekannter Absender; "
                 "25 Testindikator nicht unterstützt; 26 Duplikat entdeckt; "
                 "28 Referenzen stimmen nicht überein; 29 Kontrollzählung stimmt nicht mit Anzahl Instanzen überein; "
                 "32 Fehlende Übereinstimmung der Nachrichtenzahl; 35 Zu viele Wiederholungen; "
                 "36 Zu viele Segmentgruppenwiederholungen; 37 Ungültiger Zeichensatz; "
                 "39 Datenelement zu lang; 40 Datenelement zu kurz")
ACTIONS = ("4 Diese Ebene und alle tieferen Ebenen zurückgewiesen; "
           "7 Übertragung bestätigt (keine Syntaxfehler); "
           "8 Übertragungsdatei bestätigt, aber Fehler auf unterer Ebene")
PARTY_Q = "14 GS1; 500 DE, BDEW; 502 DE, DVGW"


def _uci():
    return seg("UCI", "Übertragungsdatei-Antwort", "M", 1,
               de("0020", "Datenaustauschreferenz", "M", "an..14"),
               comp("S002", "Absender der Übertragungsdatei", "M",
                    de("0004", "Absenderidentifikation", "M", "an..35"),
                    de("0007", "Teilnehmerbezeichnung, Qualifier", "R", "an..4", PARTY_Q),
                    de("0008", "Adresse für Rückleitung", "O", "an..14")),
               comp("S003", "Empfänger der Übertragungsdatei", "M",
                    de("0010", "Empfängeridentifikation", "M", "an..35"),
                    de("0007", "Teilnehmerbezeichnung, Qualifier", "R", "an..4", PARTY_Q),
                    de("0014", "Leitweg", "O", "an..14")),
               de("0083", "Maßnahme, Code", "M", "an..3", ACTIONS),
               de("0085", "Syntaxfehler, Code", "D", "an..3", SYNTAX_ERRORS),
               de("0013", "Dienstsegment-Kennung", "D", "a3"),
               comp("S011", "Datenelement-Identifikation", "D",
                    de("0098", "Position des fehlerhaften Datenelements", "M", "n..3"),
                    de("0104", "Position des Bestandteils", "D", "n..3")),
               example="UCI+4711+9900357000004:500+4012345000023:14+7'")


def _ucm():
    return seg("UCM", "Nachrichtenantwort", "M", 1,
               de("0062", "Nachrichten-Referenznummer", "M", "an..14"),
               comp("S009", "Nachrichten-Kennung", "M",
                    de("0065", "Nachrichtentyp-Kennung", "M", "an..6"),
                    de("0052", "Versionsnummer des Nachrichtentyps", "M", "an..3"),
                    de("0054", "Freigabenummer des Nachrichtentyps", "M", "an..3"),
                    de("0051", "Verwaltende Organisation", "M", "an..3", "UN UN/CEFACT"),
                    de("0057", "Anwendungscode der zuständigen Organisation", "R", "an..6")),
               de("0083", "Maßnahme, Code", "M", "an..3", ACTIONS),
               de("0085", "Syntaxfehler, Code", "D", "an..3", SYNTAX_ERRORS),
               de("0013", "Dienstsegment-Kennung", "D", "a3"),
               comp("S011", "Datenelement-Identifikation", "D",
                    de("0098", "Position des fehlerhaften Datenelements", "M", "n..3"),
                    de("0104", "Position des Bestandteils", "D", "n..3")),
               key="UCM")


def tree(v):
    """Names, statuses, repetitions and Zähler follow the published CONTRL structure table."""
    unh_node = unh("CONTRL", ("D", "3"), v.release)
    unh_node["elements"][0]["note"] = "Vom Absender vergebene eindeutige Referenz der CONTRL-Nachricht"
    unt_node = unt()
    unt_node["zaehler"] = "0150"
    return [
        unh_node,
        _uci(),
        grp("SG1", "UCM-SG2", "D", 999999,
            _ucm(),
            grp("SG2", "UCS-UCD", "D", 999,
                seg("UCS", "Segment-Fehleranzeige", "M", 1,
                    de("0096", "Position des fehlerhaften Segments", "M", "n..6"),
                    de("0085", "Syntaxfehler, Code", "D", "an..3", SYNTAX_ERRORS)),
                seg("UCD", "Datenelement-Fehleranzeige", "D", 99,
                    de("0085", "Syntaxfehler, Code", "M", "an..3", SYNTAX_ERRORS),
                    comp("S011", "Datenelement-Identifikation", "M",
                         de("0098", "Position des fehlerhaften Datenelements", "M", "n..3"),
                         de("0104", "Position des Bestandteils", "D", "n..3"))))),
        unt_node,
    ]


def anwendungsfaelle(v):
    return [{"pid": None, "name": "Empfangsbestätigung"},
            {"pid": None, "name": "Ablehnung der Übertragungsdatei"},
            {"pid": None, "name": "Syntaxfehlermeldung zu einer Nachricht"}]


def column(v, af):
    name = af["name"]
    if name == "Empfangsbestätigung":
        return make_column(chapter="Positive CONTRL: Empfangsbestätigung", exclude={"SG1"},
                           mandatory_only=True, pins={("UCI", "0083"): ["7"]})
    if name == "Ablehnung der Übertragungsdatei":
        return make_column(chapter="Negative CONTRL: Ablehnung auf Ebene der Übertragungsdatei",
                           exclude={"SG1"},
                           status={},
                           pins={("UCI", "0083"): ["4"],
                                 ("UCI", "0085"): [("X [1]", c) for c in ("2", "7", "12", "13", "18", "21", "22", "23", "25", "26", "28", "29", "32", "37")]})
    return make_column(chapter="Negative CONTRL: Syntaxfehler auf Nachrichtenebene",
                       status={"SG1": "Muss", "SG2": "Muss [2]", "UCD": "Muss [3]"},
                       pins={("UCI", "0083"): ["8"], ("UCM", "0083"): ["4"]})


def conditions(v):
    return {
        # Written as what the CONTRL itself shows, so that they can be checked against it.
        "1": "Wenn UCI DE0083 = 4 vorhanden.",
        "2": "Wenn UCM DE0083 = 4 vorhanden.",
        "3": "Wenn UCS DE0085 nicht vorhanden.",
        "4": "Wenn Syntaxfehler in UNH vorhanden.",
        "5": "Wenn Syntaxfehler in UNT vorhanden.",
        "501": "Hinweis: Es ist die Datenaustauschreferenz aus dem UNB der empfangenen Übertragungsdatei anzugeben.",
        "502": "Hinweis: Die Position wird gezählt ab dem UNH-Segment der Nachricht (UNH = 1).",
    }
