"""Every Prüfidentifikator of every built-in profile that has a builder, built the way a typical
caller builds it, wrapped with build_interchange and validated clean on the first day of its
format version.

The typical caller (what each builder is given):
- parties: the caller's own market-partner IDs, of a kind the column admits. A BDEW pair (99…) is
  tried first, then a DVGW pair (98…), then a GS1 pair (40…); the first that validates counts.
- UTILMD: `on`, and one Vorgang with only its Vorgangsnummer; no Sparte and no document code, which
  the builder takes from the Prüfidentifikator and its column. Columns whose message is a list
  without Vorgang (IDE+Z01 only) get no Vorgang.
- MSCONS: the ID of what the column's LOC names (a Zählpunktbezeichnung; a Marktlokations-ID, a
  TR-ID, the Bilanzierungsgebiet's EIC or the profile name "H0" where the column asks for one) and
  one quantity (1.000 KWH) under the first QTY qualifier the column admits (220 where it admits
  it). A Lastgang column, which refuses a bare quantity, gets one interval instead: the German day
  before `on` (22:00 to 22:00 UTC in summer time). The unit is KWH where the column has a place for
  it, and none where it has no QTY DE 6411 or the unit hangs on a product code of the Z08 list
  (PIA+5+AUA:Z08), which build_mscons does not write. The
  Storno 13006 gets no values and no ID: its LOC+172 has no place for one.
- IFTSTA: `on` and the Vorgangsnummer "1", no status (completion takes the column's first status
  category); the Summenzeitreihen columns 21000 to 21005, which have no CNI, get no Vorgangsnummer.
- REMADV: the invoice number, both amounts and the invoice date; a rejection (Abweisung) transfers
  nothing, as its column's Formatbedingung demands (an Überweisungsbetrag of 0).
- ORDERS, ORDRSP, QUOTES: `on` only.
- APERAK: `on`, the Prüfidentifikator and the reference of the message it answers (`acw_ref`);
  the Fehlermeldung 29001 also its error code, Z29 (a rule of the AHB violated), which its column
  admits unconditionally.
Every Anwendungsfall names its own Prüfidentifikator in RFF+Z13, also the ones whose published
MIG code list lacks it (ORDERS 17111, 17112, 17124, 17125; UTILMD 55693, 55694; gas 44021, 44110,
44129, 44130, 44132).
Columns that cannot validate yet are listed below with the reason; they run as strict xfail, so
one that starts passing fails until it is taken off the list.
"""

import datetime

import pytest

import quorvane._native as native

PARTY_PAIRS = [("9900000000003", "9900000000010"), ("9800000000008", "9812345000007"),
               ("4012345000023", "4012345000016")]
METERING_POINT = "DE0001234567890123456789012345678"
INVOICE = {"rechnungsnummer": "R1", "faelliger_betrag": "100.00", "ueberweisungsbetrag": "100.00",
           "rechnungsdatum": "20260301"}
LIST_ONLY = {55066, 55202}
MSCONS_LOCATION = {**dict.fromkeys([13013, 13014, 13015, 13016, 13025, 13028], "41373559241"),
                   **dict.fromkeys([13021, 13022], "D0000000010"),
                   **dict.fromkeys([13005, 13026], "11YR000000011247"), **dict.fromkeys([13010, 13011, 13012], "H0"),
                   13006: ""}
MSCONS_QUALIFIER = {**dict.fromkeys([13003, 13005, 13013, 13014, 13020, 13023, 13026], "79"),
                    **dict.fromkeys([13010, 13011, 13012], "187"), 13028: "Z47"}
MSCONS_KWH = {13020, 13023, 13026}
MSCONS_STORNO = 13006
APERAK_FEHLERMELDUNG = 29001
REMADV_BESTAETIGUNG = 33001
SUMMENZEITREIHEN = range(21000, 21006)


def build(message_type, pid, sender, receiver, on):
    if message_type == "UTILMD":
        vorgaenge = [] if pid in LIST_ONLY else [native.UtilmdTransaction("VG1")]
        return native.build_utilmd(pid, sender, receiver, on=on, transactions=vorgaenge)
    if message_type == "MSCONS":
        point = MSCONS_LOCATION.get(pid, METERING_POINT)
        if pid == MSCONS_STORNO:
            return native.build_mscons(pid, sender, receiver, point, on=on)
        qualifier, unit = MSCONS_QUALIFIER.get(pid, "220"), "KWH" if pid in MSCONS_KWH else ""
        try:
            return native.build_mscons(pid, sender, receiver, point, [(qualifier, "1.000", unit)], on=on)
        except ValueError as refused:
            if "Lastgang" not in str(refused):
                raise
            day = datetime.date.fromisoformat(on)
            start, end = (f"{day - datetime.timedelta(days=n):%Y%m%d}2200+00" for n in (2, 1))
            return native.build_mscons(pid, sender, receiver, point, intervals=[(qualifier, "1.000", unit, start, end)],
                                       on=on)
    if message_type == "IFTSTA":
        vorgang = {} if pid in SUMMENZEITREIHEN else {"vorgangsnummer": "1"}
        return native.build_iftsta(pid, sender, receiver, on=on, **vorgang)
    if message_type == "REMADV":
        transfer = {} if pid == REMADV_BESTAETIGUNG else {"ueberweisungsbetrag": "0"}
        return native.build_remadv(pid, sender, receiver, on=on, **(INVOICE | transfer))
    if message_type == "APERAK":
        negative = {"error_code": "Z29"} if pid == APERAK_FEHLERMELDUNG else {}
        return native.build_aperak(sender, receiver, pruefidentifikator=pid, on=on, acw_ref="MSCONS4711", **negative)
    builder = {"ORDERS": native.build_orders, "ORDRSP": native.build_ordrsp, "QUOTES": native.build_quotes}
    return builder[message_type](pid, sender, receiver, on=on)


def build_for_parties(message_type, pid, sender, receiver, on):
    """The typical build, or None where the column refuses parties of this kind of ID."""
    try:
        return build(message_type, pid, sender, receiver, on)
    except ValueError as refused:
        if not str(refused).startswith(("sender:", "receiver:")):
            raise
        return None


# The AHB names the LOC of SG5 Marktlokation but none of its data elements, while the MIG
# requires its qualifier: the published tables contradict each other.
AHB_LACKS_LOC = "the AHB names no data element of the SG5 Marktlokation LOC that the MIG requires"

KNOWN = {
    ("UTILMD", "S2.1"): {55553: AHB_LACKS_LOC},
    ("UTILMD", "S2.2"): {55553: AHB_LACKS_LOC},
}

TYPES = ["UTILMD", "MSCONS", "IFTSTA", "REMADV", "ORDERS", "ORDRSP", "QUOTES", "APERAK"]


def columns():
    """(type, release, first day, pid) once for every profile of a type that has a builder."""
    cases, seen = [], set()
    for version in native.format_versions():
        on = version.removeprefix("FV")
        for message_type in TYPES:
            for sparte in (("STROM", "GAS") if message_type == "UTILMD" else (None,)):
                release = native.release_for(message_type, on, sparte)
                if release is None or (message_type, release) in seen:
                    continue
                seen.add((message_type, release))
                for pid in native.pruefidentifikatoren(message_type, on, sparte):
                    reason = KNOWN.get((message_type, release), {}).get(pid)
                    marks = [pytest.mark.xfail(reason=reason, strict=True)] if reason else []
                    cases.append(pytest.param(message_type, release, on, pid, marks=marks,
                                              id=f"{message_type}-{release}-{pid}"))
    return cases


@pytest.mark.parametrize(("message_type", "release", "on", "pid"), columns())
def test_typical_build_validates_clean(message_type, release, on, pid):
    attempts = []
    for sender, receiver in PARTY_PAIRS:
        message = build_for_parties(message_type, pid, sender, receiver, on)
        if message is None:
            attempts.append("refused for its parties")
            continue
        # The message identifier names the release; the UNH may go on (13013 has a S010 Übermittlungsfolge).
        assert message.split(b"'")[0].split(b"+")[2].endswith(b":" + release.encode())
        report = native.validate_edifact(native.build_interchange(sender, receiver, "DAR1", [message], on=on), on)
        if report.is_valid and report.rules_applied:
            return
        attempts.append([finding.rule_id for found in report.messages for finding in found.findings][:4])
    pytest.fail(f"no party pair validates clean: {attempts}")


def test_every_type_with_a_builder_is_covered():
    # A format version whose profiles vanish from the catalogue must not silently shrink the test.
    covered = {case.values[0] for case in columns()}
    assert covered == set(TYPES)
    assert len(columns()) > 850


def clean_build(message_type, pid, on):
    """The message of the first party pair that validates clean, with its parties."""
    for sender, receiver in PARTY_PAIRS:
        message = build_for_parties(message_type, pid, sender, receiver, on)
        if message is None:
            continue
        report = native.validate_edifact(native.build_interchange(sender, receiver, "DAR1", [message], on=on), on)
        if report.is_valid and report.rules_applied:
            return sender, receiver, message
    pytest.fail(f"no party pair validates {message_type} {pid} clean")


# Prüfidentifikatoren that the published MIG's RFF+Z13 list lacks validate clean (above); their
# twin naming one the profile does not carry keeps the MIG's code finding.
@pytest.mark.parametrize(("message_type", "on", "pid", "nr", "foreign"), [
    ("ORDERS", "2026-04-01", 17111, "00022", 17999),
    ("ORDERS", "2026-10-01", 17125, "00022", 17000),
    ("UTILMD", "2026-10-01", 55693, "00057", 55999),
    ("UTILMD", "2026-04-01", 44110, "00037", 44999),
    ("UTILMD", "2026-10-01", 44021, "00037", 44000),
])
def test_a_pid_the_profile_does_not_carry_stays_refused(message_type, on, pid, nr, foreign):
    sender, receiver, message = clean_build(message_type, pid, on)
    twin = message.replace(f"RFF+Z13:{pid}'".encode(), f"RFF+Z13:{foreign}'".encode())
    assert twin != message
    report = native.validate_edifact(native.build_interchange(sender, receiver, "DAR1", [twin], on=on), on)
    assert f"MIG-{nr}-RFF-1154-CODE" in {f.rule_id for f in report.findings}, [f.rule_id for f in report.findings]
    assert not report.is_valid
