"""IFTSTA (Statusmeldung), D:18A."""

from dsl import (de, comp, seg, grp, unh, unt, bgm, dtm, rff, nad_party, cta, com, loc, sts, ftx,
                 make_column)
from common import FORMATS, HINWEISE, merged

BGM_CODES = ("Z03 Statusmeldung; Z22 Mitteilung Gesamtvorgang; Z34 Abweisung; Z35 Auftragsstatus Sperren; "
             "Z36 Informationsmeldung; Z37 Bearbeitungsstandsmeldung; Z38 Bestellung; Z39 Ansicht")
STATUS_CAT = ("Z21 Bestellung; Z22 Gerätewechsel; Z23 Sperrung; Z24 Entsperrung; Z25 Lieferschein; "
              "Z26 Bearbeitungsstand; Z27 Angebot; Z28 Ablehnung; E01 Status der Antwort")


def bgm_code(pid, name):
    low = name.lower()
    if pid in (21039, 21040):
        return "Z35"
    for word, code in (("abweisung", "Z34"), ("ablehnung", "Z34"), ("informationsmeldung", "Z36"),
                       ("bearbeitungsstand", "Z37"), ("bestellung", "Z38"), ("ansicht", "Z39"),
                       ("vorabinformation", "Z22")):
        if word in low:
            return code
    return "Z03"


def tree(v):
    return [
        unh("IFTSTA", ("D", "18A"), v.release),
        bgm(BGM_CODES),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        grp("SG1", "NAD-SG2", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG1MR"),
        grp("SG1", "NAD-SG2", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG2", "CTA-COM", "D", 5, cta(), com(), key="SG2MS", cats={"kontakt"}), key="SG1MS"),
        grp("SG14", "CNI-LOC-SG15", "M", 99999,
            seg("CNI", "Vorgang", "M", 1,
                de("1490", "Konsolidierungspositionsnummer (Vorgangsnummer)", "M", "n..6")),
            loc("172 Meldepunkt; Z16 Marktlokation; Z17 Messlokation", "Lokation", cats={"lok"}, key="LOC"),
            grp("SG15", "STS-RFF-DTM-FTX", "M", 99,
                sts(STATUS_CAT, "105 beendet; 106 in Bearbeitung; 107 abgelehnt; Z01 erfolgreich; Z02 gescheitert",
                    name="Status", status="M", key="STS", reason_list=True),
                rff("Z13 Prüfidentifikator", name="Prüfidentifikator", status="R", key="RFFZ13", ahb="Muss"),
                rff("AVE Referenz auf die Statusmeldung", name="Referenz auf die Statusmeldung", key="RFFAVE",
                    cats={"ref"}),
                rff("AGI Beantragungsnummer", name="Referenz auf die Bestellung", key="RFFAGI"),
                dtm("76", "Liefertermin", "102", key="DTM76", cats={"lief"}),
                dtm("93", "Vertragsende", "303", key="DTM93", cats={"ende"}),
                dtm("334", "Statusänderung", "303", key="DTM334"),
                ftx("ACB Zusätzliche Informationen", name="Bemerkung", key="FTXACB"),
                key="SG15"),
            key="SG14"),
        unt(),
    ]


def column(v, af):
    pid, low = af["pid"], af["name"].lower()
    cats = {"lok", "ref"}
    if "bestell" in low or pid in (21043, 21044):
        cats |= {"ende"}
    if pid in (21039, 21040):
        cats |= {"lief"}
    return make_column(cats=cats, chapter="Statusmeldungen",
                       status={"SG14": "Muss", "SG15": "Muss [57]", "STS": "Muss",
                               "RFFAGI": "Muss [59]", "LOC": "Muss [61]"},
                       pins={("BGM", "1001"): [bgm_code(pid, af["name"])]})


def conditions(v):
    return merged(FORMATS, HINWEISE, {
        "57": "Wenn SG14 CNI vorhanden",
        "58": "Wenn SG15 STS nicht vorhanden",
        "59": "Wenn SG15 STS+Z21 vorhanden",
        "60": "Wenn SG15 STS+E01 vorhanden",
        "61": "Wenn SG15 RFF+AGI nicht vorhanden",
        "560": "Hinweis: Je Vorgang ist ein Status zu übermitteln.",
    })


PACKAGES = {"1P": ""}
