#!/usr/bin/env python3
"""Writes the compiled answer-code catalogue (src/quorvane_native/antwortcodes/catalogue_table.cpp)
and, from the same rows, the codes each tree publishes with their clusters for the energy-market
layer below the extension (src/edi_energy/antwortcodes/published_table.cpp), which completion and
validation read and which may not call upwards.

The tree order, the codes of each tree in row order, their clusters and their Erläuterung flags are
fixed below in CATALOGUE; the BDEW wording of each code comes from the tab-separated export
(tree, code, cluster, braucht_bemerkung, bedeutung, source_fv). Where the export disagrees with
CATALOGUE on anything but the wording, CATALOGUE wins and the disagreement is reported. Rows that
the export leaves without wording take it from SUPPLIED_WORDING.

Usage: tools/gen_antwortcodes.py PATH/TO/antwortcodes.tsv [OUTPUT.cpp [PUBLISHED.cpp]]
"""

from __future__ import annotations

import collections
import csv
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
DEFAULT_OUTPUT = ROOT / "src/quorvane_native/antwortcodes/catalogue_table.cpp"
DEFAULT_PUBLISHED_OUTPUT = ROOT / "src/edi_energy/antwortcodes/published_table.cpp"

# Cluster names in index order, with the C++ enumerator of each.
CLUSTERS = [
    ("ZUSTIMMUNG", "Zustimmung"),
    ("ABLEHNUNG", "Ablehnung"),
    ("AENDERUNG_DER_DATEN", "AenderungDerDaten"),
    ("KEINE_AENDERUNG_DER_DATEN", "KeineAenderungDerDaten"),
    ("ABWEISUNG", "Abweisung"),
    ("ABLEHNUNG_DER_GESAMTEN_LISTE", "AblehnungDerGesamtenListe"),
    ("KORREKTURLISTE_WEGEN_ABLEHNUNG", "KorrekturlisteWegenAblehnung"),
    ("REKLAMATION", "Reklamation"),
]
MARKS = {"": "ABLEHNUNG", "Z": "ZUSTIMMUNG", "Ä": "AENDERUNG_DER_DATEN", "K": "KEINE_AENDERUNG_DER_DATEN"}

# Trees whose answers name no code list at all: their rows have no wire base.
TREES_WITHOUT_WIRE_BASE = {"E_3001", "E_3002", "E_3005", "E_3007", "E_3008", "E_3019", "E_3020"}

# One tree per line in catalogue order: "TREE: CODE..." with "=Z", "=Ä" or "=K" after a code for
# ZUSTIMMUNG, AENDERUNG_DER_DATEN or KEINE_AENDERUNG_DER_DATEN (ABLEHNUNG otherwise) and "*" for
# codes that need an Erläuterung. "TREE: OTHER" repeats an earlier tree's rows; "TREE: CODES +
# OTHER" puts codes in front of them.
CATALOGUE = """
E_0622: A07 A09 A47 A08 A37 A46 A02 A04 A05* A06 A21 A24 A25* A45 A34 A27 A28 A29 A30 A31 A32 A35 A44
E_0623: A50 A51=Z A53 A54 A55=Z A56=Z A57 A58=Z A99*
E_0607: A01 A02 A05 A06 A09 A10 A11=Z A21 A22 A23 A25 A26 A27=Z A99*
E_0608: A01 A02 A03 A04 A05 A06* A07 A08 A09=Z A10 A11 A12 A13 A14 A15* A16 A17 A18=Z A19 A99*
E_3005: A03 A04 A16 A17 E13 E14* E17 Z08 Z09 Z14 Z35 ZC5 ZE2
E_3007: E15=Z Z01=Z Z43=Z Z44=Z E13 E14* E17 Z08 Z09 Z14 Z35
E_3019: E15=Z Z01=Z E14* E17 Z08 Z14
E_0609: A01 A02 A03 A04* A05 A06 A07 A09 A10=Z A21 A22 A23* A24 A25 A26 A28 A29=Z A99*
E_0624: A30 A31=Z A32 A33 A34=Z A35 A36=Z A38=Z A39 A40=Z A41 A42=Z A43
E_0614: A01 A03=Z A04 A05 A06 A08* A09=Z A10 A12=Z A13 A14 A15 A16* A17=Z A18 A99*
E_3001: E15=Z Z01=Z Z44=Z E14* Z12 Z29 Z34 A03 A04
E_3002: E15=Z E13 E14* E17 Z08 Z09 Z14
E_3020: E15=Z Z01=Z E17 Z08 Z09 Z12 Z14
E_0615: A02 A03 A04 A05 A09=Z A99*
E_3008: E15=Z Z43=Z Z44=Z E14* E17
E_0603: A01=Z A99*
E_0604: A01=Z A99*
E_0605: A01=Z A99*
E_0606: A01=Z A99*
E_0595: A01=K A02=Ä A03=K A04=Ä A05=Ä A06=Ä A20=Ä A21=K A22=K A23=K A24=K A25=K A26=K A27=K A28=K A29=K A99=K*
E_0406: A70 A96* A99*
E_0200: E15=Z Z01=Z Z44=Z E11 Z12 Z29 Z34 ZC9
E_0201: E15=Z Z01=Z Z44=Z E11 E17 Z09 Z29 ZB6 ZC9
E_0202: E15=Z Z01=Z E17 Z09
E_0240: E15=Z Z01=Z Z44=Z E17 Z07 Z09 ZB6
E_0203: Z13=Z Z14=Z Z22
E_0204: ZB4=Z ZB5 E17 Z07
E_0247: Z13=Z 5 Z32
E_0233: A03=Z A01 A02 A04
E_0270: A01* A02 A03 A04 A05 A06 A07 A08 A25* A90* A09 A10 A11 A12 A13 A14 A15* A20 A99* A21* A22* A23* A24 A96*
E_0273: E_0270
E_0276: AC1* + E_0270
E_0277: E_0276
E_0271: A99*
E_0274: A99*
E_0272: A01 A06 A07* A02 A03 A04 A05 A99*
E_0275: E_0272
E_0205: A01 A02 A03 A04 A05 A06
E_0206: A02=Z A01
E_0207: A01 A08 A02 A03 A04 A05 A06 A09 A10 A07
E_0208: A01 A02 A03
E_0209: A02=Z A01 A04
E_0278: A03 A04 A01 A02 A99*
E_0281: A01 A02 A05 A06 A03 A04 A99*
E_0279: A06=Z A01 A02 A03 A04 A05 A99*
E_0283: A06=Z A01 A02 A03 A04 A05 A99*
E_0286: A01 A02 A03 A99*
E_0249: A02=Z A01
E_0250: A02=Z A03 A04 A01
E_0232: Z66
E_2000: E15=Z Z01=Z Z44=Z E11 Z12 Z29 Z34
E_2002: E15=Z Z01=Z Z44=Z E11 E17 Z09 Z29 ZB6
E_2003: Z66
E_2004: Z13=Z Z14=Z Z22
E_2005: E15=Z Z01=Z E17 Z09
E_2006: E15=Z Z01=Z Z44=Z E17 Z07 Z09 ZB6
E_2007: ZB4=Z ZB5 E17 Z07
E_2011: Z13=Z 5 Z32
E_2014: 5 9 14 53 Z01 Z02 Z06 Z08 Z40 Z43
E_2015: E_2014
E_2016: E_2014
E_2018: 28* Z08 Z43
E_2019: 28* Z08 Z43
E_0252: A02 A03 A04 A05 A06 A07
E_0256: A11=Z A01 A04 A05 A06 A07 A08 A09 A10
E_0257: A04=Z A01 A02 A03
E_0254: A05=Z A01 A02 A03 A04
E_0264: A01* A02 A03 A04 A05 A06 A07 A90* A09 A10 A11 A12 A13 A14 A15* A20 A99* A21* A22* A23* A24 A96*
E_0265: A99*
E_0266: A25* + E_0264
E_0267: A01 A06 A07 A02 A03 A04 A05 A99*
E_0210: A01* A02 A03 A04 A05* A06 A07 A08 A09 A10 A11 A12 A13 A26 A90* A30 A31* A27 A28 A29 A15 A17 A18 A25* A20 A99* A21 A22* A23 A24 A96*
E_0243: A01 A06 A07 A02 A03 A04 A05 A99*
E_0566: A01* A02 A03 A04 A05* A06 A07 AE6 AE8 A08 A09 A10 AE9 AF0 A13 A90* AF1* AF2 A27 A28 A15 A17 A18 A25* A20 A99* AE7* A22 A23* A24 A96
E_0567: A99*
E_0568: AC1* A01* A02 A03 A04 A05* A06 A07 AE6 AE8 A08 A09 A10 AE9 AF0 A13 A90* AF1* AF2 A27 A28 A15 A17 A18 A25* A20 A99* AE7* A22* A23* A24 A96*
E_0569: A01 A06 A07 A02 A03 A04 A05 A99*
"""

# The total shape of the catalogue, checked after it has been assembled.
EXPECTED_TREES = 77
EXPECTED_ROWS = 686
EXPECTED_CLUSTER_ROWS = {"ZUSTIMMUNG": 80, "ABLEHNUNG": 589, "AENDERUNG_DER_DATEN": 5, "KEINE_AENDERUNG_DER_DATEN": 12}
EXPECTED_ERLAEUTERUNG_ROWS = 127
EXPECTED_ROWS_WITHOUT_WIRE_BASE = 58

# ---------------------------------------------------------------------------------------------
# SUPPLIED WORDING — not BDEW's text. The export carries no wording for these rows (the WiM trees
# E_02xx/E_20xx and the trees E_30xx); each entry states the code's meaning in that tree in the
# style of the published ones. BDEW's own wording replaces an entry as soon as the export carries
# it: a row with published wording never reads this table, and the generator names every entry
# that has become obsolete so that it can be deleted.
# ---------------------------------------------------------------------------------------------
_ZUSTIMMUNG_OHNE_KORREKTUREN = "Zustimmung ohne Korrekturen"
_ZUSTIMMUNG_MIT_TERMINAENDERUNG = "Zustimmung mit Terminänderung"
_ZUSTIMMUNG_KORREKTUR_BILANZIERUNGSRELEVANT = "Zustimmung mit Korrektur bilanzierungsrelevanter Daten"
_ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT = (
    "Zustimmung mit Korrektur nicht bilanzierungsrelevanter Daten"
)
_LOKATION_NICHT_IDENTIFIZIERT = "Die Lokation konnte nicht identifiziert werden"
_TERMIN_UNZULAESSIG = "Der angefragte Termin ist nicht zulässig"
_SONSTIGES = "Sonstiges"
_FRIST = "Vorlauffrist wurde nicht eingehalten"
_ABSENDER_NICHT_ZUGEORDNET = "Der Absender ist der Lokation zum angefragten Termin nicht zugeordnet"
_KEIN_VERTRAG = "Zum angefragten Termin besteht kein Vertragsverhältnis für die Lokation"
_BEREITS_VORGANG = "Zum angefragten Termin liegt für die Lokation bereits ein Vorgang vor"
_NICHT_ZUSTAENDIG = "Der Empfänger ist für die Lokation nicht zuständig"
_IDENTIFIKATION_PASST_NICHT = "Die übermittelten Identifikationsdaten passen nicht zur Lokation"
_KEIN_RAHMENVERTRAG = "Mit dem Absender besteht kein gültiger Rahmenvertrag"
_MEHRFACHANMELDUNG = "Mehrfachanmeldung zum selben Termin"
_LOKATION_BESTEHT_NICHT = "Die Lokation besteht zum angefragten Termin nicht mehr"
_BEREITS_ZUGEORDNET = "Die Lokation ist dem Absender bereits zugeordnet"
_MSB_NICHT_ZULAESSIG = "Der angefragte Messstellenbetrieb ist für die Lokation nicht zulässig"
_LOKATION_IM_WECHSEL = "Für die Lokation läuft bereits ein Wechselprozess"
_MARKTLOKATION_NICHT_VERKNUEPFT = "Die genannte Marktlokation ist nicht mit der Lokation verknüpft"
_FALSCHER_ANWENDUNGSFALL = "Falscher Anwendungsfall"
_BEREITS_LF_ZUGEORDNET = "Falscher Anwendungsfall, der Lokation ist bereits ein LF zugeordnet"
_MEHRFACHIDENTIFIZIERUNG = "Keine oder mehrfache Identifizierung der Lokation"
_ANGEBOT_ANGENOMMEN = "Zustimmung, das Angebot wird angenommen"
_ANGEBOT_MIT_AENDERUNG = "Zustimmung, das Angebot wird mit Änderungen angenommen"
_ANGEBOT_ABGELEHNT = "Das Angebot wird abgelehnt"
_BEENDIGUNG_BESTAETIGT = "Zustimmung zur Beendigung"
_BEENDIGUNG_ABGELEHNT = "Die Beendigung wird abgelehnt"
_ZUSTIMMUNG = "Zustimmung"
_PREIS_FALSCH = "Preis / Rechenregel falsch"
_ANGEBOT_ENTSPRICHT_NICHT = "Das Angebot entspricht nicht der Anfrage"
_SCHEITERMELDUNG = "MSB-Scheitermeldung liegt vor — der MSBA bleibt der Messlokation zugeordnet"

# Rejections of an invoice (INVOIC answered by REMADV).
_RECHNUNG = {
    "5": _PREIS_FALSCH,
    "9": "Die berechnete Leistung wurde nicht erbracht",
    "14": "Der Rechnungsempfänger ist nicht Vertragspartner",
    "53": "Der Rechnungsbetrag ist falsch",
    "Z01": "Die Rechnung wurde bereits empfangen (Doppelrechnung)",
    "Z02": "Der Abrechnungszeitraum ist falsch",
    "Z06": "Die Lokation ist dem Rechnungsempfänger im Abrechnungszeitraum nicht zugeordnet",
    "Z08": "Die Rechnung ist formal fehlerhaft",
    "Z40": "Der Steuerbetrag ist falsch",
    "Z43": "Die Rechnung ist nicht fällig",
}

SUPPLIED_WORDING: dict[str, dict[str, str]] = {
    "E_3005": {
        "A03": _FALSCHER_ANWENDUNGSFALL, "A04": _BEREITS_LF_ZUGEORDNET,
        "A16": _LOKATION_NICHT_IDENTIFIZIERT, "A17": _MEHRFACHIDENTIFIZIERUNG,
        "E13": _TERMIN_UNZULAESSIG, "E14": _SONSTIGES, "E17": _FRIST, "Z08": _KEIN_VERTRAG,
        "Z09": _BEREITS_VORGANG, "Z14": _IDENTIFIKATION_PASST_NICHT,
        "Z35": _LOKATION_BESTEHT_NICHT, "ZC5": _MARKTLOKATION_NICHT_VERKNUEPFT,
        "ZE2": _LOKATION_IM_WECHSEL,
    },
    "E_3007": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "Z43": _ZUSTIMMUNG_KORREKTUR_BILANZIERUNGSRELEVANT,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT,
        "E13": _TERMIN_UNZULAESSIG, "E14": _SONSTIGES, "E17": _FRIST, "Z08": _KEIN_VERTRAG,
        "Z09": _BEREITS_VORGANG, "Z14": _IDENTIFIKATION_PASST_NICHT,
        "Z35": _LOKATION_BESTEHT_NICHT,
    },
    "E_3019": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "E14": _SONSTIGES, "E17": _FRIST, "Z08": _KEIN_VERTRAG,
        "Z14": _IDENTIFIKATION_PASST_NICHT,
    },
    "E_3001": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT, "E14": _SONSTIGES,
        "Z12": _NICHT_ZUSTAENDIG, "Z29": _KEIN_RAHMENVERTRAG, "Z34": _MEHRFACHANMELDUNG,
        "A03": _FALSCHER_ANWENDUNGSFALL, "A04": _BEREITS_LF_ZUGEORDNET,
    },
    "E_3002": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "E13": _TERMIN_UNZULAESSIG, "E14": _SONSTIGES,
        "E17": _FRIST, "Z08": _KEIN_VERTRAG, "Z09": _BEREITS_VORGANG,
        "Z14": _IDENTIFIKATION_PASST_NICHT,
    },
    "E_3020": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "E17": _FRIST, "Z08": _KEIN_VERTRAG, "Z09": _BEREITS_VORGANG, "Z12": _NICHT_ZUSTAENDIG,
        "Z14": _IDENTIFIKATION_PASST_NICHT,
    },
    "E_3008": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z43": _ZUSTIMMUNG_KORREKTUR_BILANZIERUNGSRELEVANT,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT, "E14": _SONSTIGES,
        "E17": _FRIST,
    },
    "E_0200": {
        "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT,
        "E11": _LOKATION_NICHT_IDENTIFIZIERT, "Z12": _NICHT_ZUSTAENDIG,
        "Z29": _KEIN_RAHMENVERTRAG, "Z34": _MEHRFACHANMELDUNG, "ZC9": _MSB_NICHT_ZULAESSIG,
    },
    "E_0201": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT,
        "E11": _LOKATION_NICHT_IDENTIFIZIERT, "E17": _FRIST, "Z09": _BEREITS_VORGANG,
        "Z29": _KEIN_RAHMENVERTRAG, "ZB6": _BEREITS_ZUGEORDNET, "ZC9": _MSB_NICHT_ZULAESSIG,
    },
    "E_0202": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "E17": _FRIST, "Z09": _BEREITS_VORGANG,
    },
    "E_0240": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT, "E17": _FRIST,
        "Z07": _ABSENDER_NICHT_ZUGEORDNET, "Z09": _BEREITS_VORGANG, "ZB6": _BEREITS_ZUGEORDNET,
    },
    "E_0203": {"Z13": _ANGEBOT_ANGENOMMEN, "Z14": _ANGEBOT_MIT_AENDERUNG, "Z22": _ANGEBOT_ABGELEHNT},
    "E_0204": {
        "ZB4": _BEENDIGUNG_BESTAETIGT, "ZB5": _BEENDIGUNG_ABGELEHNT, "E17": _FRIST,
        "Z07": _ABSENDER_NICHT_ZUGEORDNET,
    },
    "E_0247": {"Z13": _ZUSTIMMUNG, "5": _PREIS_FALSCH, "Z32": _ANGEBOT_ENTSPRICHT_NICHT},
    "E_2000": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT,
        "E11": _LOKATION_NICHT_IDENTIFIZIERT, "Z12": _NICHT_ZUSTAENDIG,
        "Z29": _KEIN_RAHMENVERTRAG, "Z34": _MEHRFACHANMELDUNG,
    },
    "E_2002": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT,
        "E11": _LOKATION_NICHT_IDENTIFIZIERT, "E17": _FRIST, "Z09": _BEREITS_VORGANG,
        "Z29": _KEIN_RAHMENVERTRAG, "ZB6": _BEREITS_ZUGEORDNET,
    },
    "E_2003": {"Z66": _SCHEITERMELDUNG},
    "E_2004": {"Z13": _ANGEBOT_ANGENOMMEN, "Z14": _ANGEBOT_MIT_AENDERUNG, "Z22": _ANGEBOT_ABGELEHNT},
    "E_2005": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "E17": _FRIST, "Z09": _BEREITS_VORGANG,
    },
    "E_2006": {
        "E15": _ZUSTIMMUNG_OHNE_KORREKTUREN, "Z01": _ZUSTIMMUNG_MIT_TERMINAENDERUNG,
        "Z44": _ZUSTIMMUNG_KORREKTUR_NICHT_BILANZIERUNGSRELEVANT, "E17": _FRIST,
        "Z07": _ABSENDER_NICHT_ZUGEORDNET, "Z09": _BEREITS_VORGANG, "ZB6": _BEREITS_ZUGEORDNET,
    },
    "E_2007": {
        "ZB4": _BEENDIGUNG_BESTAETIGT, "ZB5": _BEENDIGUNG_ABGELEHNT, "E17": _FRIST,
        "Z07": _ABSENDER_NICHT_ZUGEORDNET,
    },
    "E_2011": {"Z13": _ZUSTIMMUNG, "5": _PREIS_FALSCH, "Z32": _ANGEBOT_ENTSPRICHT_NICHT},
    "E_2014": {code: text for code, text in _RECHNUNG.items() if code != "5"},
    "E_2015": dict(_RECHNUNG),
    "E_2016": dict(_RECHNUNG),
    "E_2018": {"Z08": _RECHNUNG["Z08"], "Z43": _RECHNUNG["Z43"]},
    "E_2019": {"28": _SONSTIGES, "Z08": _RECHNUNG["Z08"], "Z43": _RECHNUNG["Z43"]},
}


class CatalogueError(Exception):
    pass


def parse_catalogue(text: str) -> list[tuple[str, list[tuple[str, str, bool]]]]:
    """The trees in order, each with its rows (code, cluster name, needs Erläuterung)."""
    trees: dict[str, list[tuple[str, str, bool]]] = {}
    for line in text.strip().splitlines():
        name, _, body = line.partition(": ")
        if not re.fullmatch(r"E_\d{4}", name) or name in trees:
            raise CatalogueError(f"bad or repeated tree name in CATALOGUE line {line!r}")
        rows: list[tuple[str, str, bool]] = []
        for word in body.split():
            if word == "+":
                continue
            if re.fullmatch(r"E_\d{4}", word):
                if word not in trees:
                    raise CatalogueError(f"{name} repeats {word}, which is not defined before it")
                rows.extend(trees[word])
                continue
            match = re.fullmatch(r"([A-Z0-9]+)(?:=([ZÄK]))?(\*)?", word)
            if not match:
                raise CatalogueError(f"bad code {word!r} in tree {name}")
            rows.append((match[1], MARKS[match[2] or ""], match[3] == "*"))
        trees[name] = rows
    return list(trees.items())


def check_shape(catalogue: list[tuple[str, list[tuple[str, str, bool]]]]) -> None:
    rows = [(tree, row) for tree, tree_rows in catalogue for row in tree_rows]
    clusters = collections.Counter(row[1] for _, row in rows)
    problems = []
    if len(catalogue) != EXPECTED_TREES:
        problems.append(f"{len(catalogue)} trees, expected {EXPECTED_TREES}")
    if len(rows) != EXPECTED_ROWS:
        problems.append(f"{len(rows)} rows, expected {EXPECTED_ROWS}")
    if dict(clusters) != EXPECTED_CLUSTER_ROWS:
        problems.append(f"rows per cluster {dict(clusters)}, expected {EXPECTED_CLUSTER_ROWS}")
    flagged = sum(row[2] for _, row in rows)
    if flagged != EXPECTED_ERLAEUTERUNG_ROWS:
        problems.append(f"{flagged} rows need an Erläuterung, expected {EXPECTED_ERLAEUTERUNG_ROWS}")
    without_base = sum(tree in TREES_WITHOUT_WIRE_BASE for tree, _ in rows)
    if without_base != EXPECTED_ROWS_WITHOUT_WIRE_BASE:
        problems.append(f"{without_base} rows without wire base, expected {EXPECTED_ROWS_WITHOUT_WIRE_BASE}")
    for tree, tree_rows in catalogue:
        codes = [code for code, _, _ in tree_rows]
        if len(set(codes)) != len(codes):
            problems.append(f"{tree} publishes a code twice")
    if problems:
        raise CatalogueError("; ".join(problems))


def read_export(path: pathlib.Path) -> list[dict[str, str]]:
    with path.open(encoding="utf-8", newline="") as handle:
        reader = csv.DictReader(handle, delimiter="\t", quoting=csv.QUOTE_NONE)
        expected = ["tree", "code", "cluster", "braucht_bemerkung", "bedeutung", "source_fv"]
        if reader.fieldnames != expected:
            raise CatalogueError(f"unexpected columns {reader.fieldnames}, expected {expected}")
        return list(reader)


def normalise_wording(text: str) -> str:
    # Line breaks of the publication are already joined; runs of blanks are not meaningful.
    return " ".join(text.split())


def assemble(catalogue, export, warn):
    """Rows (tree, code, cluster, flag, wording) in catalogue order."""
    export_rows = [(row["tree"], row["code"], row["cluster"], row["braucht_bemerkung"] == "true")
                   for row in export]
    catalogue_rows = [(tree, code, cluster, flag)
                      for tree, rows in catalogue for code, cluster, flag in rows]
    if export_rows != catalogue_rows:
        only_export = [row for row in export_rows if row not in catalogue_rows]
        only_catalogue = [row for row in catalogue_rows if row not in export_rows]
        warn("the export differs from CATALOGUE beyond the wording; CATALOGUE is kept")
        for row in only_export:
            warn(f"  export only: {row}")
        for row in only_catalogue:
            warn(f"  CATALOGUE only: {row}")
        if not only_export and not only_catalogue:
            warn("  (same rows, different order)")

    wording: dict[tuple[str, str], str] = {}
    for row in export:
        key = (row["tree"], row["code"])
        text = normalise_wording(row["bedeutung"])
        if key in wording and text and wording[key] != text:
            raise CatalogueError(f"the export words {key} twice, differently")
        if text:
            wording[key] = text

    supplied_used = set()
    assembled = []
    problems = []
    for tree, code, cluster, flag in catalogue_rows:
        text = wording.get((tree, code))
        if text is None:
            text = SUPPLIED_WORDING.get(tree, {}).get(code)
            if text is None:
                problems.append(f"{tree} {code} has no wording in the export nor in SUPPLIED_WORDING")
                continue
            supplied_used.add((tree, code))
        assembled.append((tree, code, cluster, flag, text))
    if problems:
        raise CatalogueError("; ".join(problems))
    for tree, codes in SUPPLIED_WORDING.items():
        for code in codes:
            if (tree, code) not in supplied_used:
                warn(f"SUPPLIED_WORDING {tree} {code} is not used (published wording or no such row)")
    return assembled


def cpp_string(text: str) -> str:
    escaped = text.replace("\\", "\\\\").replace('"', '\\"')
    if any(ord(c) < 0x20 or ord(c) == 0x7F for c in escaped):
        raise CatalogueError(f"control character in wording {text!r}")
    return f'"{escaped}"'


def render(assembled) -> str:
    cluster_enumerator = dict(CLUSTERS)
    lines = [
        "// Generated by tools/gen_antwortcodes.py from the BDEW answer-code export; do not edit.",
        '#include "quorvane_native/antwortcodes/catalogue.hpp"',
        "",
        "#include <array>",
        "",
        "namespace quorvane_native::antwortcodes {",
        "namespace {",
        "",
        "using enum AnswerCodeCluster;",
        "",
        f"constexpr std::array<AnswerCodeRow, {len(assembled)}> ROWS{{{{",
    ]
    trees: list[tuple[str, int, int]] = []
    for index, (tree, code, cluster, flag, text) in enumerate(assembled):
        if not trees or trees[-1][0] != tree:
            trees.append((tree, index, 0))
        name, start, count = trees[-1]
        trees[-1] = (name, start, count + 1)
        wire_base = "std::nullopt" if tree in TREES_WITHOUT_WIRE_BASE else f'"{tree}"'
        lines.append(f'    {{{wire_base}, "{code}", {cpp_string(text)}, '
                     f'{cluster_enumerator[cluster]}, {"true" if flag else "false"}}},')
    lines += [
        "}};",
        "",
        "constexpr std::span<const AnswerCodeRow> rows(std::size_t start, std::size_t count) {",
        "  return std::span<const AnswerCodeRow>(ROWS).subspan(start, count);",
        "}",
        "",
        f"constexpr std::array<AnswerCodeTree, {len(trees)}> TREES{{{{",
    ]
    for name, start, count in trees:
        lines.append(f'    {{"{name}", rows({start}, {count})}},')
    lines += [
        "}};",
        "",
        "}  // namespace",
        "",
        "std::span<const AnswerCodeTree> answer_code_catalogue() { return TREES; }",
        "",
        "}  // namespace quorvane_native::antwortcodes",
        "",
    ]
    return "\n".join(lines)


# The energy-market layer's cluster enumerators (zelk_pruefung::codes::AnswerCluster).
PUBLISHED_CLUSTERS = {
    "ZUSTIMMUNG": "Zustimmung", "ABLEHNUNG": "Ablehnung", "ABWEISUNG": "Abweisung",
    "REKLAMATION": "Reklamation", "AENDERUNG_DER_DATEN": "AenderungDerDaten",
    "KEINE_AENDERUNG_DER_DATEN": "KeineAenderungDerDaten",
    "ABLEHNUNG_DER_GESAMTEN_LISTE": "AblehnungDerGesamtenListe",
    "KORREKTURLISTE_WEGEN_ABLEHNUNG": "KorrekturlisteWegenAblehnung",
}


def render_published(assembled) -> str:
    trees: list[tuple[str, int, int]] = []
    rows = []
    for index, (tree, code, cluster, _flag, _text) in enumerate(assembled):
        if not trees or trees[-1][0] != tree:
            trees.append((tree, index, 0))
        name, start, count = trees[-1]
        trees[-1] = (name, start, count + 1)
        rows.append(f'    {{"{code}", {PUBLISHED_CLUSTERS[cluster]}}},')
    ordered = sorted(trees)
    lines = [
        "// Generated by tools/gen_antwortcodes.py from the BDEW answer-code export; do not edit.",
        '#include "edi_energy/antwortcodes/published.hpp"',
        "",
        "#include <algorithm>",
        "#include <array>",
        "",
        "namespace edi_energy::antwortcodes {",
        "namespace {",
        "",
        "using enum zelk_pruefung::codes::AnswerCluster;",
        "",
        f"constexpr std::array<PublishedCode, {len(rows)}> CODES{{{{",
        *rows,
        "}};",
        "",
        "struct Tree {",
        "  std::string_view name;",
        "  std::size_t start;",
        "  std::size_t count;",
        "};",
        "",
        "// By name, for the binary search.",
        f"constexpr std::array<Tree, {len(ordered)}> TREES{{{{",
        *(f'    {{"{name}", {start}, {count}}},' for name, start, count in ordered),
        "}};",
        "",
        "}  // namespace",
        "",
        "std::optional<std::span<const PublishedCode>> published_codes(std::string_view tree) {",
        "  const auto found = std::ranges::lower_bound(TREES, tree, {}, &Tree::name);",
        "  if (found == TREES.end() || found->name != tree) return std::nullopt;",
        "  return std::span<const PublishedCode>(CODES).subspan(found->start, found->count);",
        "}",
        "",
        "}  // namespace edi_energy::antwortcodes",
        "",
    ]
    return "\n".join(lines)


def main(argv: list[str]) -> int:
    if len(argv) not in (2, 3, 4):
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    export_path = pathlib.Path(argv[1])
    output_path = pathlib.Path(argv[2]) if len(argv) >= 3 else DEFAULT_OUTPUT
    published_path = pathlib.Path(argv[3]) if len(argv) == 4 else DEFAULT_PUBLISHED_OUTPUT

    def warn(message: str) -> None:
        print(f"gen_antwortcodes: {message}", file=sys.stderr)

    try:
        catalogue = parse_catalogue(CATALOGUE)
        check_shape(catalogue)
        assembled = assemble(catalogue, read_export(export_path), warn)
    except (CatalogueError, OSError, csv.Error) as error:
        print(f"gen_antwortcodes: {error}", file=sys.stderr)
        return 1
    output_path.write_text(render(assembled), encoding="utf-8")
    published_path.write_text(render_published(assembled), encoding="utf-8")
    supplied = sum(len(codes) for codes in SUPPLIED_WORDING.values())
    print(f"wrote {output_path} ({len(assembled)} rows, {supplied} supplied wordings) and {published_path}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
