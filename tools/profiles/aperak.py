"""APERAK (application error and acknowledgement), D:07B."""

from dsl import de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, ftx, make_column
from common import FORMATS, HINWEISE, merged

ERC_CODES = ("Z10 Lokation im Bilanzkreis nicht bekannt; Z14 Referenzierte Nachricht nicht vorhanden; "
             "Z17 Geschäftsvorfall passt nicht zur Prozessdefinition; Z18 Datum nicht plausibel; "
             "Z20 Datenaustauschreferenz nicht eindeutig; Z29 Erforderliche Angabe für diesen Anwendungsfall fehlt; "
             "Z31 Keine gültige Zuordnung für den Empfänger; Z33 Empfänger nicht zuständig; "
             "Z35 Format nicht eingehalten; Z38 Anzahl der übermittelten Codes überschreitet Paketdefinition; "
             "Z39 Code nicht aus erlaubtem Wertebereich; Z40 Segment- bzw. Segmentgruppenwiederholbarkeit überschritten; "
             "Z41 Zeitangabe unplausibel")


def tree(v):
    erc = ERC_CODES + ("; Z42 Prüfidentifikator unbekannt" if v.newer else "")
    return [
        unh("APERAK", ("D", "07B"), v.release),
        bgm("312 Anerkennungsmeldung; 313 Anwendungssystemfehlermeldung"),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        grp("SG2", "RFF-DTM", "D", 1,
            rff("ACE Nummer des zugehörigen Dokuments", name="Referenz auf die zu bestätigende Nachricht", status="M"),
            dtm("171", "Referenzdatum/-zeit", "303", name="Datum der zu bestätigenden Nachricht"),
            key="SG2ACE"),
        grp("SG2", "RFF-DTM", "D", 1,
            rff("AGO Absenderreferenz für die Original-Nachricht", name="Referenz auf die Original-Nachricht", status="M"),
            key="SG2AGO"),
        grp("SG3", "NAD-CTA-COM", "M", 1, nad_party("MS", "Dokumentenabsender"), cta(), com(), key="SG3MS"),
        grp("SG3", "NAD-CTA-COM", "M", 1, nad_party("MR", "Nachrichtenempfänger"), key="SG3MR"),
        grp("SG4", "ERC-FTX-SG5", "D", 99999,
            seg("ERC", "Fehlermeldung", "M", 1,
                comp("C901", "Anwendungsfehlerdetail", "M",
                     de("9321", "Anwendungsfehler, Code", "M", "an..8", erc))),
            ftx("ABO Information über Abweichung", name="Fehlerbeschreibung"),
            grp("SG5", "RFF-FTX", "D", 9,
                rff("ACW Referenznummer einer vorangegangenen Nachricht; AGO Absenderreferenz für die Original-Nachricht; TN Transaktions-Referenznummer",
                    name="Referenz auf die fehlerhafte Stelle", status="M", key="RFFACW"),
                ftx("Z02 Ortsangabe des AHB-Fehlers", name="Ortsangabe des Fehlers"),
                key="SG5")),
        unt(),
    ]


def column(v, af):
    if af["pid"] == 29002:
        return make_column(chapter="Anerkennungsmeldung",
                           exclude={"SG4"},
                           pins={("BGM", "1001"): ["312"]},
                           status={"SG2ACE": "Muss", "SG2AGO": "Muss", "DTM171": "Muss"})
    return make_column(chapter="Fehlermeldung",
                       pins={("BGM", "1001"): ["313"]},
                       status={"SG2ACE": "Muss", "DTM171": "Muss", "SG2AGO": "Kann",
                               "SG4": "Muss", "FTXABO": "Soll", "SG5": "Muss [1]",
                               "FTXZ02": "Muss [2]"})


def conditions(v):
    return merged(FORMATS, HINWEISE, {
        "1": "Wenn SG4 ERC+Z29/Z35/Z38/Z39/Z40/Z41 vorhanden",
        "2": "Wenn SG4 ERC DE9321 = Z29/Z35/Z38/Z39/Z40/Z41 vorhanden",
        "3": "Wenn SG4 FTX+ABO vorhanden",
    })


PACKAGES = {"1P": ""}
