"""UTILMD (Stammdaten), D:11A: electricity (S2.x) and gas (G1.x) share one tree."""

from dsl import (de, comp, seg, grp, when, unh, unt, bgm, dtm, rff, nad_party, nad_address,
                 cta, com, ftx, loc, imd, make_column, codes)
from common import FORMATS, HINWEISE, merged

BGM_CODES = ("E01 Anmeldung; E02 Abmeldung; E03 Änderungsmeldung; E35 Kündigung; "
             "E44 Bestandsliste; Z14 Stammdaten; Z33 Antwort; Z34 Anfrage; Z88 Clearingliste")

TRANSAKTIONSGRUND = ("E01 Ein-/Auszug (Umzug); E02 Einzug/Neuanlage; E03 Wechsel; E05 Auszug/Stilllegung; "
                     "E06 Unbekannter Auszug; E07 Wechsel im Rahmen der Kündigung; Z26 Rückmeldung/Anfrage; "
                     "Z33 Auszug wegen Eigenbedarf; Z36 Ersatzversorgung; Z37 Grundversorgung; Z38 Beendigung der Zuordnung; "
                     "Z39 Kündigung; Z40 Lieferbeginn; Z41 Lieferende; ZC6 Lieferbeginn aus Ersatz-/Grundversorgung; "
                     "ZC7 Lieferende aus Ersatz-/Grundversorgung; ZE6 Änderung der Daten; ZH6 Zuordnung LF; "
                     "ZW0 Stammdatenänderung; ZW1 Rückmeldung; ZW2 Anfrage; ZW3 Information; ZW4 Keine Angabe")


def sts_utilmd(qual, qname, name, status="D", cats=None, ahb=None, grund=None, reasons=3):
    """UTILMD STS: category, status, then the reason and its additions."""
    els = [comp("C601", "Statuskategorie", "M",
                de("9015", "Statuskategorie, Code", "M", "an..3", [(qual, qname)])),
           comp("C555", "Status", "D" if qual == "Z35" else "N",
                de("4405", "Status, Code", "M", "an..3")),
           comp("C556", "Statusanlaß", "R",
                de("9013", "Statusanlaß, Code", "M", "an..3", grund),
                de("1131", "Codeliste, Code", "N" if qual == "7" else "D", "an..17"))]
    for n in range(reasons - 1):
        els.append(comp("C556", "Statusanlaß (Ergänzung)" if n == 0 else "Statusanlaß (weitere Angabe)", "D",
                        de("9013", "Statusanlaß, Code", "M", "an..3")))
    return seg("STS", name, status, 1, *els, key="STS" + qual, cats=cats, ahb=ahb)


def seq(qual, qname, *children, cats=None, status="D", max=1, ahb=None, with_pos=False):
    s = seg("SEQ", qname, "M", 1,
            de("1229", "Handlungsbedarf, Code", "M", "an..3", [(qual, qname)]),
            comp("C286", "Information über eine Folge", "D" if not with_pos else "R",
                 de("1050", "Folgepositionsnummer", "M", "an..10")),
            key="SEQ" + qual)
    return grp("SG8", "SEQ-RFF-PIA-SG9-SG10", status, max, s, *children,
               key="SG8" + qual, cats=cats, ahb=ahb)


def cci_cav(sg8, cci_codes, cci_name, cav_codes, cav_name, cci_first=None, status="D",
            max=99, cats=None, ahb=None, key=None):
    """SG10: characteristic (CCI) with its value (CAV)."""
    key = key or "SG10" + sg8 + (cci_first or codes(cci_codes)[0][0])
    els = [de("7059", "Klassentyp, Code", "D", "an..3", cci_first and [(cci_first, cci_name)]),
           comp("C502", "Einzelheiten zu Maßangaben", "N",
                de("6313", "Messdimension, Code", "M", "an..3")),
           comp("C240", "Merkmalsbeschreibung", "D",
                de("7037", "Merkmal, Code", "M", "an..17", None if cci_first else cci_codes),
                de("1131", "Codeliste, Code", "N", "an..17"))]
    if cci_first == "Z65":
        els.append(de("4051", "Merkmalsrelevanz, Code", "D", "an..3",
                      "Z01 vollständig anzuwenden; Z02 teilweise anwendbar"))
    kids = [seg("CCI", cci_name, "M", 1, *els, key="CCI" + key[4:])]
    if cav_codes is not None:
        kids.append(seg("CAV", cav_name, "D", 99,
                        comp("C889", "Merkmalswert", "M",
                             de("7111", "Merkmalswert, Code", "D", "an..3", cav_codes),
                             de("1131", "Codeliste, Code", "D", "an..17"),
                             de("3055", "Verantwortliche Stelle für die Codepflege, Code", "N", "an..3"),
                             de("7110", "Merkmalswert", "D", "an..35"),
                             de("7110", "Merkmalswert", "D", "an..35")),
                        key="CAV" + key[4:]))
    return grp("SG10", "CCI-CAV", status, max, *kids, key=key, cats=cats, ahb=ahb)


def qty_grp(sg8, cl, units, cats=None, ahb=None):
    return grp("SG9", "QTY", "D", 99,
               seg("QTY", "Menge", "M", 1,
                   comp("C186", "Mengenangaben", "M",
                        de("6063", "Menge, Qualifier", "M", "an..3", cl),
                        de("6060", "Menge", "M", "an..35", fc="910"),
                        de("6411", "Maßeinheit, Code", "D", "an..8", units)),
                   key="QTY" + sg8),
               key="SG9" + sg8, cats=cats, ahb=ahb)


UNITS = codes("KWH Kilowattstunde; KWT Kilowatt; MWH Megawattstunde; MTQ Kubikmeter; P1 Prozent; Z16 Tarifstufe")


def sg8_groups(v):
    strom = not v.gas
    out = [
        when(strom and v.newer, seq("Z78", "Referenz auf die Lokationsbündelstruktur",
             rff("Z31 Referenz auf die Lokationsbündelstruktur", key="RFFZ78"), cats={"buendel"})),
        seq("Z01", "Daten der Marktlokation",
            rff("Z18 Referenz auf die ID der Messlokation; Z19 Referenz auf die ID einer Marktlokation", key="RFFZ01",
                cats={"malo"}),
            qty_grp("Z01", "Z16 Verbrauch/Erzeugung (Prognose); Y02 TUM Kundenwert; 31 Veranschlagte Jahresmenge gesamt",
                    UNITS, cats={"malo"}),
            cci_cav("Z01", "Z15 Haushaltskunde gem. EnWG; Z18 Kundenwert; Z19 Bilanzkreis; Z21 Zählverfahren; Z30 Gasqualität; ZC0 Prognose auf Basis von Werten",
                    "Merkmal der Marktlokation",
                    "Z36 Ja; Z37 Nein; E02 SLP; E14 RLM; E24 TLP; ZC0 Prognose auf Basis von Werten",
                    "Merkmalswert der Marktlokation"),
            cats={"anm", "malo", "tranche", "liste"}),
        seq("Z18", "Daten der Messlokation",
            rff("Z19 Referenz auf die ID einer Marktlokation", key="RFFZ18"),
            cci_cav("Z18", "Z17 Messlokationstyp; Z24 Messtechnische Einordnung", "Merkmal der Messlokation",
                    "Z52 iMS; Z53 kME/mME; Z54 keine Messung", "Merkmalswert der Messlokation"),
            cats={"melo"}),
        seq("Z03", "Zähleinrichtungsdaten",
            rff("Z19 Referenz auf die ID einer Marktlokation; Z14 Referenz auf die Smartmeter-Gateway-ID", key="RFFZ03"),
            cci_cav("Z03", "E13 Zählertyp; Z61 Befestigungsart", "Zählertyp",
                    "AHZ Drehstromzähler; WSZ Wechselstromzähler; LAZ Lastgangzähler; MAZ Maximumzähler; "
                    "EHZ Elektronischer Haushaltszähler; BKZ Balgengaszähler; DKZ Drehkolbengaszähler",
                    "Merkmalswert Zähleinrichtung"),
            cats={"melo"}),
        seq("Z02", "OBIS-Daten der Marktlokation",
            pia(),
            qty_grp("Z02", "Z10 Konzessionsabgabe-relevante Menge; 265 Arbeit/Leistung für tagesparameterabhängige Marktlokation", UNITS),
            cats={"obis"}),
        seq("Z45", "Netznutzungsabrechnungsdaten der Marktlokation",
            rff("Z44 Referenz auf die Preisblatt-ID", key="RFFZ45"),
            cci_cav("Z45", "Z73 Netznutzungsvertrag; Z74 Netznutzungszahler", "Vertragliche Regelung",
                    "Z08 Direkter Vertrag zwischen Kunde und NB; Z09 Vertrag zwischen LF und NB; Z10 Kunde; Z11 Lieferant",
                    "Vertragspartner"),
            cats={"abr"}),
        seq("Z15", "Daten der Summenzeitreihe",
            rff("Z42 Referenz auf die Zeitreihe des Bilanzkreises", key="RFFZ15"),
            cci_cav("Z15", "Z19 Bilanzkreis; Z20 Regelzone; Z21 Bilanzierungsgebiet", "Zuordnung Bilanzierung",
                    None, None),
            cats={"liste", "abr"}),
        seq("Z22", "Referenz auf eine Zeitreihe",
            rff("AUU Referenz auf eine Zeitreihe", key="RFFZ22"),
            cats={"pp"}),
        seq("Z79", "Produktpaket-Daten",
            pia(),
            cci_cav("Z79", None, "Produkteigenschaft", "ZH9 Code der Produkteigenschaft; ZV4 Wertedetails zum Produkt",
                    "Wert der Produkteigenschaft", cci_first="Z66"),
            cats={"pp"}, max=99, with_pos=True),
        seq("ZH0", "Priorisierung erforderliches Produktpaket",
            cci_cav("ZH0", None, "Produktpaketumsetzung", "Z75 Erste Priorität; Z76 Zweite Priorität; Z77 Dritte Priorität; Z78 Vierte Priorität; Z79 Fünfte Priorität",
                    "Priorität", cci_first="Z65"),
            cats={"pp"}, max=5, with_pos=True),
        seq("Z27", "Daten der Netzlokation" if strom else "Daten des Netzanschlusses",
            cci_cav("Z27", "Z58 Netzebene; Z59 Spannungsebene", "Netzebene",
                    "E05 Mittelspannung; E06 Niederspannung; E07 Umspannung MS/NS; E08 Hochspannung; Y01 Niederdruck; Y02 Mitteldruck; Y03 Hochdruck",
                    "Wert der Netzebene"),
            cats={"nelo"}),
        when(strom, seq("Z37", "Daten der Technischen Ressource",
                        rff("Z19 Referenz auf die ID einer Marktlokation", key="RFFZ37"),
                        cci_cav("Z37", "Z35 Art der Technischen Ressource; Z36 Wärmenutzung", "Art der Technischen Ressource",
                                "ZF5 Verbrauchende Technische Ressource; ZF6 Erzeugende Technische Ressource; ZF7 Speicher",
                                "Wert Technische Ressource"),
                        cats={"tr"})),
        when(strom, seq("Z38", "Daten der Steuerbaren Ressource",
                        rff("Z19 Referenz auf die ID einer Marktlokation", key="RFFZ38"),
                        cci_cav("Z38", "Z63 Steuerkanal", "Steuerkanal",
                                "Z92 Steuerbare Ressource mit Steuerkanal; Z93 ohne Steuerkanal",
                                "Wert Steuerkanal"),
                        cats={"sr"})),
        seq("Z98", "Informative Daten der Marktlokation",
            cci_cav("Z98", "Z15 Haushaltskunde gem. EnWG; Z19 Bilanzkreis", "Informatives Merkmal",
                    "Z36 Ja; Z37 Nein", "Merkmalswert"),
            cats={"info"}),
    ]
    return [g for g in out if g is not None]


def nad_name(qual, qname):
    """SG12 party given by name only."""
    return seg("NAD", qname, "D", 1,
               de("3035", "Beteiligter, Qualifier", "M", "an..3", [(qual, qname)]),
               comp("C082", "Identifikation des Beteiligten", "N",
                    de("3039", "Identifikation des Beteiligten", "M", "an..35")),
               comp("C058", "Name und Anschrift", "N",
                    de("3124", "Zeile für Name und Anschrift", "M", "an..35")),
               comp("C080", "Name des Beteiligten", "R",
                    de("3036", "Name", "M", "an..70"),
                    de("3036", "Name", "O", "an..70"),
                    de("3036", "Name", "O", "an..70"),
                    de("3036", "Name", "O", "an..70"),
                    de("3036", "Name", "O", "an..70"),
                    de("3045", "Format des Namens, Code", "R", "an..3",
                       "Z01 Struktur Personenname; Z02 Struktur Firmenname")),
               key="NAD" + qual)


def pia():
    return seg("PIA", "Produkt-Identifikation", "D", 1,
               de("4347", "Produkt-/Leistungsidentifikation, Funktion, Qualifier", "M", "an..3",
                  "5 Produktidentifikation"),
               comp("C212", "Waren-/Leistungsnummer, Identifikation", "M",
                    de("7140", "Produkt-/Leistungsnummer", "M", "an..35"),
                    de("7143", "Art der Produkt-/Leistungsnummer, Code", "R", "an..3",
                       "Z11 Produkt; Z08 OBIS-Kennzahl")))


def sg6(qual, qname, name, cats=None, ahb=None, with_dtm=False):
    kids = [rff([(qual, qname)], name=name, status="M", key="RFF" + qual)]
    if with_dtm:
        kids.append(dtm("Z56", "Gültigkeit der Referenz", "303", key="DTMRFF" + qual))
    return grp("SG6", "RFF-DTM", "D", 9 if qual not in ("Z13", "TN") else 1, *kids,
               key="SG6" + qual, cats=cats, ahb=ahb)


def tree(v):
    strom = not v.gas
    loc_rows = [
        loc("172 Meldepunkt", "Meldepunkt", cats={"liste"}, ahb="Kann"),
        when(strom, loc("Z15 MaBiS-Zählpunkt", "MaBiS-Zählpunkt", cats={"liste"})),
        loc("Z16 Marktlokation", "Marktlokation", ahb="Muss"),
        loc("Z17 Messlokation", "Messlokation", cats={"melo", "msb"}),
        when(strom, loc("Z18 Netzlokation", "Netzlokation", cats={"nelo"})),
        when(strom, loc("Z19 Steuerbare Ressource", "Steuerbare Ressource", cats={"sr"})),
        when(strom, loc("Z20 Technische Ressource", "Technische Ressource", cats={"tr"})),
        when(strom, loc("Z21 Tranche", "Tranche", cats={"tranche"})),
        loc("Z22 Ruhende Marktlokation", "Ruhende Marktlokation", cats={"anm"}),
    ]
    fc = {"172": "953", "Z15": None, "Z16": "950", "Z17": "951", "Z18": "960", "Z19": "961",
          "Z20": "922", "Z21": "950", "Z22": "950"}
    sg5 = []
    for l in loc_rows:
        if l is None:
            continue
        q = l["elements"][0]["codes"][0][0]
        l["elements"][1]["components"][0]["fc"] = fc[q]
        # an answer echoes every location of the request
        gcats = (l["cats"] | {"ans"}) if l["cats"] and q in ("Z17", "Z22") else l["cats"]
        sg5.append(grp("SG5", "LOC", "D", 99 if q == "Z21" else 1, l, key="SG5" + q,
                       cats=gcats, ahb=l["ahb"]))
        l["cats"], l["ahb"] = None, "Muss"
    return [
        unh("UTILMD", ("D", "11A"), v.release),
        bgm(BGM_CODES),
        dtm("137", "Nachrichtendatum", "303", status="M", name="Nachrichtendatum"),
        dtm("157", "Gültigkeit, Beginndatum", "610", name="Gültigkeit der Stammdaten", cats={"liste"}),
        grp("SG1", "RFF", "D", 9,
            rff("ACW Referenznummer einer vorangegangenen Nachricht; Z41 Referenz auf die Anfrage", status="M",
                key="RFFHEAD"),
            key="SG1", cats={"liste"}),
        grp("SG2", "NAD-SG3", "M", 1, nad_party("MS", "MP-ID Absender"),
            grp("SG3", "CTA-COM", "D", 5, cta(), com(), key="SG3MS", cats={"kontakt"}), key="SG2MS"),
        grp("SG2", "NAD", "M", 1, nad_party("MR", "MP-ID Empfänger"), key="SG2MR"),
        grp("SG4", "IDE-IMD-DTM-STS-FTX-AGR-SG5-SG6-SG8-SG12", "M", 99999,
            seg("IDE", "Vorgang", "M", 1,
                de("7495", "Objekttyp, Qualifier", "M", "an..3", "24 Vorgang; Z01 Kommunikationsdaten"),
                comp("C206", "Identifikationsnummer", "M",
                     de("7402", "Vorgangsnummer", "M", "an..35"))),
            imd("Z36 Netznutzungsabrechnungsdaten; Z37 Bilanzkreisabrechnungsdaten; Z38 Messstellenbetriebsabrechnungsdaten",
                cats={"abr"}),
            dtm("92", "Beginn zum", "303", cats={"anm", "stamm", "ans"}, ahb="Kann"),
            dtm("93", "Ende zum", "303", cats={"anm"}),
            dtm("154", "Beginn der Abrechnungsperiode", "102", cats={"abr"}),
            dtm("157", "Gültigkeit, Beginndatum", "303", cats={"stamm", "liste"}, key="DTM157V"),
            dtm("158", "Bilanzierungsbeginn", "303", cats={"bila"}),
            dtm("159", "Bilanzierungsende", "303", cats={"bila"}),
            dtm("471", "Ende zum (nächstmöglichen Termin)", "303", cats={"kuend"}),
            dtm("752", "Turnusablesung", "106", cats={"melo"}),
            dtm("Z10", "Kündigungstermin", "106", cats={"kuend"}),
            sts_utilmd("7", "Transaktionsgrund", "Transaktionsgrund", cats={"anm", "stamm", "liste"},
                       grund=TRANSAKTIONSGRUND),
            sts_utilmd("E01", "Status der Antwort", "Antwortstatus", cats={"ans"}, reasons=1),
            sts_utilmd("Z35", "Status der Antwort des dritten Marktbeteiligten", "Status der Antwort des dritten Marktbeteiligten",
                       cats={"dritter"}, reasons=2),
            ftx("ACB Zusätzliche Informationen; Z17 Bemerkung", name="Bemerkung", cats={"bem"}),
            seg("AGR", "Vereinbarung", "D", 1,
                comp("C543", "Art der Vereinbarung", "M",
                     de("7431", "Art der Vereinbarung, Qualifier", "M", "an..3", "9 Vertragsbeziehung"),
                     de("7433", "Art der Vereinbarung, Code", "R", "an..3",
                        "E15 Netznutzungsvertrag LF; Z09 Netznutzungsvertrag Kunde; Z29 Lieferantenrahmenvertrag")),
                cats={"agr"}),
            *sg5,
            sg6("Z13", "Prüfidentifikator", "Prüfidentifikator", ahb="Muss"),
            sg6("TN", "Referenz Vorgangsnummer (aus Anfragenachricht)", "Referenz auf die Anfrage", cats={"ans"}),
            sg6("ACW", "Referenz auf eine vorangegangene Nachricht", "Referenz auf den Vorgang", cats={"korr"}),
            sg6("Z47", "Referenz auf einen Vorgang (Stornierung)", "Referenz auf den zu stornierenden Vorgang",
                cats={"storno"}, with_dtm=True),
            *sg8_groups(v),
            grp("SG12", "NAD", "D", 1,
                nad_name("Z09", "Kunde des Lieferanten"), key="SG12Z09", cats={"kunde"}),
            grp("SG12", "NAD", "D", 1,
                nad_address("Z04", "Korrespondenzanschrift des Kunden"), key="SG12Z04", cats={"adr"}),
            grp("SG12", "NAD", "D", 1,
                nad_address("DP", "Lieferanschrift"), key="SG12DP", cats={"adr"}),
            grp("SG12", "NAD", "D", 9,
                nad_party("VY", "Beteiligter Marktpartner", status="M"), key="SG12VY", cats={"liste", "msb", "dritter"}),
            key="SG4"),
        unt(),
    ]


def category(v, af):
    """What an Anwendungsfall deals with, read from its name."""
    name = af["name"]
    low = name.lower()
    cats = set()
    answer = any(w in low for w in ("bestätigung", "ablehnung", "antwort", "rückmeldung auf"))
    if answer:
        cats.add("ans")
    elif any(w in low for w in ("liste", "clearing", "aktivierung", "dzü", "zuordnungsermächtigung")):
        cats |= {"liste"}
    elif any(w in low for w in ("anmeldung", "abmeldung", "kündigung", "zuordnung", "eog", "beendigung",
                                "ende msb", "verpflichtung", "modell 2", "storno")):
        cats.add("anm")
        if "anmeldung" in low and "msb" not in low and not v.gas:
            cats |= {"pp", "kunde"}
        if "kündigung" in low:
            cats.add("kuend")
    else:
        cats.add("stamm")
        for word, c in (("malo", "malo"), ("marktlokation", "malo"), ("melo", "melo"), ("messlokation", "melo"),
                        ("nelo", "nelo"), ("netzlokation", "nelo"), ("der tr", "tr"), ("der sr", "sr"),
                        ("tranche", "tranche"), ("lokationsbündel", "buendel"), ("abr.", "abr"),
                        ("abrechnung", "abr"), ("nna", "abr"), ("bk-treue", "bila")):
            if word in low:
                cats.add(c)
        if cats == {"stamm"}:
            cats.add("malo")
    if "msb" in low and "anm" in cats:
        cats.add("msb")
    if "storno" in low or "stornierung" in low:
        cats.add("storno")
    if "[" in af.get("communication", ""):
        cats.add("dritter")
    return cats


def column(v, af):
    cats = category(v, af)
    status = {}
    if "ans" in cats:
        status.update({"STSE01": "Muss", "SG6TN": "Muss", "DTM92": "Kann"})
    if "anm" in cats:
        status.update({"STS7": "Muss", "DTM92": "Muss [1]", "DTM93": "Muss [2]", "SG12Z09": "Muss [3]",
                       "SG8Z01": "Muss", "SG8Z22": "Kann", "SG8Z79": "Muss [4]", "SG8ZH0": "Muss [5]"})
    if "stamm" in cats:
        status.update({"STS7": "Muss", "SG8Z01": "Muss [6]", "DTM157V": "Muss"})
    if "liste" in cats:
        status.update({"SG5172": "Muss [7]", "STS7": "Kann"})
    if "storno" in cats:
        status["SG6Z47"] = "Muss"
    return make_column(cats=cats, status=status, chapter=_chapter(cats))


def _chapter(cats):
    if "ans" in cats:
        return "Antworten"
    if "anm" in cats:
        return "Lieferbeginn, Lieferende und Zuordnung"
    if "liste" in cats:
        return "Listen und Clearing"
    return "Stammdaten und Stammdatenänderung"


def conditions(v):
    c = merged(FORMATS, HINWEISE, {
        "1": "Wenn SG4 STS+7++E01/E02/E03/ZC6 vorhanden",
        "2": "Wenn SG4 STS+7++E05/E06/Z33 vorhanden",
        "3": "Wenn SG4 STS+7++E01/E02 vorhanden",
        "4": "Wenn SG8 SEQ+Z22 vorhanden",
        "5": "Wenn SG8 SEQ+Z79 (Produktpaket-Daten) in diesem Vorgang mehr als einmal vorhanden",
        "6": "Wenn SG4 STS+7++ZE6 vorhanden",
        "7": "Wenn SG5 LOC+Z16 nicht vorhanden",
        "8": "Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang mehr als einmal vorhanden",
        "9": "Wenn in LOC+Z16 DE3225 (Marktlokation) die ID einer Marktlokation angegeben ist",
        "10": "Wenn SG8 SEQ+Z01/ Z98 (Daten der Marktlokation) SG10 CCI+++ZC0 (Prognose auf Basis von Werten) vorhanden",
        "11": "Wenn SG4 STS+E01++A02/A03/A04/A05/A06 vorhanden",
        "2061": "Segment ist genau einmal je SG4 IDE+24 (Vorgang) anzugeben",
        "2071": "Segmentgruppe ist für jede SG8 SEQ+Z79 (Produktpaket-Daten) anzugeben",
    })
    return c


PACKAGES = {"1P": "", "2P": "[4]", "3P": "[3] ∨ [6]"}
