"""ORDERS (Bestellung), D:09B."""

from dsl import (de, comp, seg, grp, when, unh, unt, bgm, dtm, rff, nad_party, cta, com, loc,
                 imd, uns, lin, pia, qty, make_column)
from common import FORMATS, HINWEISE, merged

BGM_CODES = ("7 Anforderung; Z08 Bestellung; Z10 Anfrage Stammdaten; Z12 Anfrage Werte; Z14 Reklamation; "
             "Z28 Anforderung Brennwert und Zustandszahl; Z51 Sperrauftrag; Z52 Entsperrauftrag; "
             "Z53 Anfrage Sperrung; Z54 Bestellung Konfiguration; Z55 Bestellung von Werten (ESA); "
             "Z56 Abbestellung von Werten (ESA); Z70 Beendigung")
ABO = "Z01 Einzelbestellung; Z02 Abonnement; Z03 Beendigung eines Abonnements"


def bgm_code(pid, name):
    low = name.lower()
    table = [("entsperrauftrag", "Z52"), ("sperrauftrag", "Z51"), ("anfrage sperrung", "Z53"),
             ("reklamation", "Z14"), ("brennwert", "Z28"), ("stammdaten", "Z10"),
             ("abbestellung von werten", "Z56"), ("bestellung von werten", "Z55"),
             ("beendigung", "Z70"), ("konfiguration", "Z54"), ("werte", "Z12"),
             ("bestellung", "Z08"), ("beauftragung", "Z08")]
    for word, code in table:
        if word in low:
            return code
    return "7"


def tree(v):
    return [
        unh("ORDERS", ("D", "09B"), v.release),
        bgm(BGM_CODES),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        dtm("203", "Ausführungsdatum/-zeit, verlangt", "303", name="Ausführungsdatum", cats={"sperr"}),
        dtm("163", "Beginn Zeitraum", "303", cats={"werte"}),
        dtm("164", "Ende Zeitraum", "303", cats={"werte"}),
        imd(ABO + ("; Z04 Änderung eines Abonnements" if v.newer else ""), cats={"esa", "werte"}),
        grp("SG1", "RFF-DTM", "R", 9,
            rff("Z13 Prüfidentifikator; ACW Referenz auf eine vorangegangene Nachricht; AGI Beantragungsnummer; "
                "Z41 Referenz auf die Anfrage; Z42 Referenz auf das Angebot", status="M", key="RFFZ13"),
            key="SG1", ahb="Muss"),
        grp("SG2", "NAD-SG5", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG5", "CTA-COM", "D", 5, cta(), com(), key="SG5MS", cats={"kontakt"}), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG2", "NAD-LOC", "D", 1,
            seg("NAD", "Objekt der Bestellung", "M", 1,
                de("3035", "Beteiligter, Qualifier", "M", "an..3", "DP Lieferanschrift"), key="NADDP"),
            loc("172 Meldepunkt", "Meldepunkt", status="D", ahb="Muss"),
            key="SG2DP", ahb="Muss"),
        grp("SG29", "LIN-PIA-QTY", "D", 9999,
            lin(cl_1229=None),
            pia("5 Produktidentifikation", "Z11 Produkt; SRW OBIS-Kennzahl"),
            qty("47 Bestellmenge", name="Menge"),
            key="SG29", cats={"lin"}),
        uns("S"),
        unt(),
    ]


def column(v, af):
    pid, name = af["pid"], af["name"]
    low = name.lower()
    cats = set()
    status = {}
    if pid in (17115, 17117, 17116):
        cats |= {"sperr"}
        status["DTM203"] = "Muss"
    if pid in (17007, 17008):
        cats |= {"esa"}
        status["IMD"] = "Muss"
    if "werte" in low or "anforderung" in low:
        cats |= {"werte"}
    if "konfiguration" in low or "bestellung" in low:
        cats |= {"lin"}
    pins = {("BGM", "1001"): [bgm_code(pid, name)]}
    if "IMD" in status:
        pins[("IMD", "7081")] = ["Z01", "Z02", "Z03"]
    return make_column(cats=cats, status=status, pins=pins,
                       chapter="Sperren und Entsperren" if "sperr" in cats else "Bestellungen und Anfragen")


def conditions(v):
    return merged(FORMATS, HINWEISE, {
        "1": "Wenn IMD DE7081 = Z02 vorhanden",
        "2": "Wenn SG2 NAD+DP vorhanden",
        "3": "Wenn SG29 LIN vorhanden",
        "530": "Hinweis: Das Ausführungsdatum ist der Tag, an dem die Sperrung durchgeführt werden soll.",
    })


PACKAGES = {"1P": ""}
