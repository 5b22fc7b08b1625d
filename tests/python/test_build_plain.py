"""build_iftsta, build_remadv, build_orders, build_ordrsp and build_quotes: their layouts, their
arguments, and messages that validate clean once completed to their column."""

import re

import pytest

import quorvane._native as native
from quorvane._native import (
    Positionsfehler,
    build_iftsta,
    build_orders,
    build_ordrsp,
    build_quotes,
    build_remadv,
    validate_edifact,
)

MS = "9900000000003"
MR = "9800000000008"
# A release no profile carries: nothing is completed, so the bytes are the builder's own.
BARE = {"release": "R", "on": "2026-04-01"}
INVOICE = {"rechnungsnummer": "R1", "faelliger_betrag": "100.00", "ueberweisungsbetrag": "0", "rechnungsdatum": "20260301"}


def remadv(pid=33004, **kwargs):
    # Where a column is in force, it takes no DVGW receiver.
    receiver = MR if "release" in kwargs else "9900000000010"
    return build_remadv(pid, MS, receiver, **{**INVOICE, **kwargs})


BUILDERS = {
    "IFTSTA": lambda pid, **kw: build_iftsta(pid, MS, MR, **kw),
    "REMADV": remadv,
    "ORDERS": lambda pid, **kw: build_orders(pid, MS, MR, **kw),
    "ORDRSP": lambda pid, **kw: build_ordrsp(pid, MS, MR, **kw),
    "QUOTES": lambda pid, **kw: build_quotes(pid, MS, MR, **kw),
}


def segments(message):
    return [segment for segment in re.split(rb"(?<!\?)'", message) if segment]


# --- the layouts as written, before completion --------------------------------------------------


@pytest.mark.parametrize(
    ("build", "expected"),
    [
        (
            lambda: build_iftsta(21039, MS, MR, status=("Z21", "105"), vorgangsnummer="V1", order_reference="B7",
                                 document_code="C", **BARE),
            "UNH+1+IFTSTA:D:18A:UN:R'BGM+C+1'DTM+137:202604010000?+00:303'NAD+MR+9800000000008::332'"
            "NAD+MS+9900000000003::293'CNI+V1'STS+Z21+105'RFF+Z13:21039'RFF+AGI:B7'UNT+10+1'",
        ),
        (
            lambda: remadv(**BARE),
            "UNH+1+REMADV:D:05A:UN:R'BGM+239+1'DTM+137:202604010000?+00:303'RFF+Z13:33004'"
            "NAD+MS+9900000000003::293'NAD+MR+9800000000008::332'CUX+2:EUR:11'DOC+380+R1'MOA+9:100.00'MOA+12:0'"
            "DTM+137:202603010000?+00:303'UNS+S'MOA+12:0'UNT+14+1'",
        ),
        (
            lambda: build_orders(17115, MS, MR, abonnement="Z01", ausfuehrungsdatum="20260415", location="L1",
                                 document_code="C", **BARE),
            "UNH+1+ORDERS:D:09B:UN:R'BGM+C+1'DTM+137:202604010000?+00:303'DTM+203:202604150000?+00:303'IMD++Z01'"
            "RFF+Z13:17115'NAD+MS+9900000000003::293'NAD+MR+9800000000008::332'NAD+DP'LOC+172+L1'UNS+S'UNT+12+1'",
        ),
        (
            lambda: build_ordrsp(19011, MS, MR, antwort_code="A01", antwort_ebd="E_0001", line_item=True, **BARE),
            "UNH+1+ORDRSP:D:10A:UN:R'BGM+7+1'DTM+137:202604010000?+00:303'RFF+Z13:19011'AJT+A01+E_0001'"
            "NAD+MS+9900000000003::293'NAD+MR+9800000000008::332'LIN+1'UNS+S'UNT+10+1'",
        ),
        (
            lambda: build_quotes(15003, MS, MR, bindungsfrist=("3", "Monat"), product="P1", price="12.50",
                                 contact=("Name", "a.b"), currency="EUR", release="R", on="2025-10-01"),
            "UNH+1+QUOTES:D:10A:UN:R'BGM+310+1'DTM+137:202510010000?+00:303'DTM+273:3:802'RFF+Z13:15003'"
            "CUX+2:EUR:4'NAD+MS+9900000000003::293'CTA+IC+:Name'COM+a.b:EM'NAD+MR+9800000000008::332'LIN+1+Z67'"
            "PIA+5+P1:Z11'PIA+Z02+0999100000000001:Z09'PRI+CAL:12.50::Z01:1:H87'UNS+S'UNT+16+1'",
        ),
    ],
    ids=["IFTSTA", "REMADV", "ORDERS", "ORDRSP", "QUOTES"],
)
def test_examples_byte_for_byte(build, expected):
    assert build() == expected.encode()


@pytest.mark.parametrize(
    ("build", "present", "absent"),
    [
        # IFTSTA
        (lambda: build_iftsta(5, MS, MR, message_ref="7", document_date="202604011230+01", **BARE),
         [b"UNH+7+", b"BGM+Z03+7'DTM+137:202604011230?+01:303'", b"NAD+MS+9900000000003::293'RFF+Z13:5'UNT+7+7'"],
         []),
        (lambda: build_iftsta(21039, "4012345000023", "9" * 16, status=("Z21", "105"), vertragsende="20261231",
                              **BARE),
         [b"NAD+MS+4012345000023::9'", b"NAD+MR+" + b"9" * 16 + b"::293'",
          b"STS+Z21+105'RFF+Z13:21039'", b"DTM+93:202612310000?+00:303'UNT+"], []),
        # REMADV
        (lambda: remadv(kopf_gruende=[("A01", "E_0001"), ("A02", "E_0002")], document_date="20260401", **BARE),
         [b"BGM+239+1'DTM+137:202604010000?+00:303'", b"DTM+137:202603010000?+00:303'AJT+A01+E_0001'AJT+A02+E_0002'UNS"],
         []),
        (lambda: remadv(positionsfehler=[Positionsfehler(3, [("A01", "E_1"), ("A02", "E_2")], "warum"),
                                         Positionsfehler(65535, [("A03", "")])], **BARE),
         [b"DLI+1+3'AJT+A01+E_1'AJT+A02+E_2'FTX+ABO+++warum'DLI+1+65535'AJT+A03'UNS+S'"], []),
        (lambda: remadv(positionsfehler=(Positionsfehler(0, [], "x"),), waehrung="CHF", **BARE),
         [b"CUX+2:CHF:11'", b"DLI+1+0'FTX+ABO+++x'UNS"], [b"AJT"]),
        (lambda: remadv(rechnungsnummer="R\u20141", kopf_gruende=[("\u2014", "E")], **BARE),
         ["DOC+380+R\u20141'".encode(), "AJT+\u2014+E'".encode()], []),
        (lambda: remadv(rechnungsdatum="20260301", dokumentenart="381", **BARE),
         [b"DOC+381+R1'", b"DTM+137:202603010000?+00:303'"], []),
        # ORDERS
        (lambda: build_orders(17115, MS, MR, **BARE), [b"BGM++1'", b"NAD+MR+9800000000008::332'UNS+S'UNT+8+1'"],
         [b"IMD"]),
        # The ORDERS MIG has no DE 7077, so no IMD+A: the item description is written as the DE 7081
        # code of its own IMD.
        (lambda: build_orders(17115, MS, MR, item_description="Z13", references=[("ACW", "X1"), ("AGI", "X2")],
                              ausfuehrungsdatum="20260415", **BARE),
         [b"IMD++Z13'RFF+ACW:X1'RFF+AGI:X2'RFF+Z13:17115'", b"DTM+203:202604150000?+00:303'"], [b"IMD+A", b"LOC"]),
        (lambda: build_orders(17115, MS, MR, item_description="x", abonnement="Z01", ausfuehrungsdatum="202604151200",
                              **BARE), [b"IMD++Z01'", b"DTM+203:202604151200?+00:303'"], [b"IMD+A"]),
        # ORDRSP
        (lambda: build_ordrsp(19011, MS, MR, **BARE), [b"BGM+7+1'", b"UNT+8+1'"], [b"AJT"]),
        # Nor has the ORDRSP MIG a DE 7077: its item description too is the DE 7081 code of its own IMD.
        (lambda: build_ordrsp(19011, MS, MR, antwort_code="A01", antwort_ebd="", adjustment_reason="Z01",
                              document_code="Z12", item_description="Z13", **BARE),
         [b"BGM+Z12+1'", b"IMD++Z13'", b"AJT+A01'FTX+Z01'NAD+MS"], [b"LIN", b"IMD+A"]),
        # False, the default of the former flag, still means no item description.
        (lambda: build_ordrsp(19011, MS, MR, item_description=False, **BARE), [b"BGM+7+1'"], [b"IMD"]),
        # QUOTES
        (lambda: build_quotes(15003, MS, MR, **BARE), [b"BGM+310+1'", b"UNT+8+1'"], []),
        (lambda: build_quotes(15003, MS, MR, bindungsfrist=("6", "WOCHE"), product="P1", references=[("ACW", "X1")],
                              **BARE),
         [b"DTM+273:6:803'RFF+ACW:X1'RFF+Z13:15003'", b"LIN+1+Z67'PIA+5+P1:Z11'UNS"], [b"PRI", b"PIA+Z02"]),
        (lambda: build_quotes(15003, MS, MR, bindungsfrist=("drei", "tag"), product="P", price="1:2", **BARE),
         [b"DTM+273:drei:804'", b"PRI+CAL:1?:2::Z01:1:H87'"], []),
    ],
)
def test_layout(build, present, absent):
    message = build()
    for part in present:
        assert part in message
    for part in absent:
        assert part not in message


def test_price_without_product_is_written_in_the_line_item():
    # Without a column the price keeps the Messprodukt's line item rather than being dropped.
    assert b"'LIN+1+Z67'PIA+Z02+0999100000000001:Z09'PRI+CAL:9.99::Z01:1:H87'UNS+S'" in build_quotes(
        15003, MS, MR, price="9.99", **BARE)


def test_document_code_from_the_column():
    # A Zahlungsavis carries the code its column prescribes, a Rückmeldung 239.
    on = "2026-04-01"
    release = native.release_for("REMADV", on)
    assert release is not None
    assert segments(remadv(33001, on=on))[1].startswith(b"BGM+481+")
    assert segments(remadv(33004, on=on))[1].startswith(b"BGM+239+")
    # An explicit code is written as given.
    assert segments(build_ordrsp(19011, MS, MR, document_code="Z99", release="R"))[1] == b"BGM+Z99+1"


# --- argument errors ----------------------------------------------------------------------------


@pytest.mark.parametrize("message_type", BUILDERS)
def test_no_release_and_no_date(message_type):
    expected = (
        f"pass either release= or on= — a {message_type} message has no default release, and guessing one "
        "produces findings that describe the mismatch rather than the message"
    )
    with pytest.raises(ValueError) as raised:
        BUILDERS[message_type](12345)
    assert str(raised.value) == expected


@pytest.mark.parametrize("message_type", BUILDERS)
@pytest.mark.parametrize(
    ("arguments", "error", "text"),
    [
        ({"pruefidentifikator": -1}, OverflowError, "argument 'pruefidentifikator'"),
        ({"pruefidentifikator": 2**32}, OverflowError, "argument 'pruefidentifikator'"),
        ({"message_ref": None}, TypeError, "argument 'message_ref'"),
        ({"release": None, "on": "2026-02-30"}, ValueError, "2026-02-30"),
    ],
)
def test_shared_argument_errors(message_type, arguments, error, text):
    arguments = {**BARE, **arguments}
    pid = arguments.pop("pruefidentifikator", 12345)
    with pytest.raises(error) as raised:
        BUILDERS[message_type](pid, **arguments)
    if text:
        assert text in str(raised.value)


LENGTH_3 = "expected tuple of length 2, but got tuple of length 3"


@pytest.mark.parametrize(
    ("build", "error", "text"),
    [
        (lambda: build_iftsta(1, MS, MR, status=["Z21", "105"], **BARE), TypeError, "argument 'status'"),
        (lambda: build_iftsta(1, MS, MR, status=("Z21", "105", "x"), **BARE), ValueError, LENGTH_3),
        (lambda: remadv(kopf_gruende="A01", **BARE), TypeError, "Can't extract `str` to `Vec`"),
        (lambda: remadv(kopf_gruende=[["A01", "E"]], **BARE), TypeError, "argument 'kopf_gruende'"),
        (lambda: remadv(kopf_gruende=[("A01", "E", "x")], **BARE), ValueError, LENGTH_3),
        (lambda: remadv(positionsfehler=Positionsfehler(1, []), **BARE), TypeError, "argument 'positionsfehler'"),
        (lambda: remadv(positionsfehler=[("A01", "E")], **BARE), TypeError, "Positionsfehler"),
        (lambda: remadv(dokumentenart=None, **BARE), TypeError, "argument 'dokumentenart'"),
        (lambda: build_remadv(33004, MS, MR, faelliger_betrag="1", ueberweisungsbetrag="1", rechnungsdatum="1",
                              **BARE), TypeError, "rechnungsnummer"),
        (lambda: build_orders(1, MS, MR, references="ACW", **BARE), TypeError, "argument 'references'"),
        (lambda: build_ordrsp(1, MS, MR, line_item=None, **BARE), TypeError, "argument 'line_item'"),
        (lambda: build_quotes(1, MS, MR, bindungsfrist=(3, "monat"), **BARE), TypeError, "argument 'bindungsfrist'"),
        (lambda: build_quotes(1, MS, MR, contact=["Name", "a.b"], **BARE), TypeError, "argument 'contact'"),
        (lambda: build_quotes(1, MS, MR, contact=("Name", "a.b", "x"), **BARE), ValueError, LENGTH_3),
    ],
)
def test_argument_errors(build, error, text):
    with pytest.raises(error) as raised:
        build()
    assert text in str(raised.value)


def test_explanation_outside_latin1_names_the_position_number():
    positions = [Positionsfehler(7, [("A01", "E")], "a — b"), Positionsfehler(1, [], "also — bad")]
    with pytest.raises(ValueError) as raised:
        remadv(positionsfehler=positions, **BARE)
    assert str(raised.value).startswith("positionsfehler[7].erlaeuterung contains '—' (U+2014) at character 2,")
    # ü and ß are ISO 8859-1.
    assert "FTX+ABO+++Grüße'".encode() in remadv(positionsfehler=[Positionsfehler(1, [], "Grüße")], **BARE)


@pytest.mark.parametrize("kwargs", [{"antwort_code": "A01"}, {"antwort_ebd": "E_0001"}])
def test_ordrsp_adjustment_needs_both_halves(kwargs):
    expected = (
        "an ORDRSP adjustment needs both antwort_code and antwort_ebd:                  DE 1082 names the "
        "Entscheidungsbaum the code belongs to, and the                  same numeric code lives in several trees"
    )
    with pytest.raises(ValueError) as raised:
        build_ordrsp(19011, MS, MR, **kwargs, **BARE)
    assert str(raised.value) == expected


@pytest.mark.parametrize(("unit", "shown"), [("datum", "datum"), ("Tage", "tage"), ("", "")])
def test_bindungsfrist_unit_must_be_a_duration(unit, shown):
    with pytest.raises(ValueError) as raised:
        build_quotes(15003, MS, MR, bindungsfrist=("20260101", unit), **BARE)
    assert str(raised.value) == (
        f'bindungsfrist unit must be "monat", "woche" or "tag", got "{shown}" — the AHB expects a duration, '
        "and a date there is read as no Bindungsfrist at all"
    )


# --- round trips: built, completed, wrapped and validated clean ----------------------------------

# One Prüfidentifikator per type, taken where the format version carries it.
REPRESENTATIVE = {"IFTSTA": 21042, "REMADV": 33001, "ORDERS": 17115, "ORDRSP": 19001, "QUOTES": 15003}
SENDER, RECEIVER = "9900000000003", "9900000000010"


def wrap(message):
    return (f"UNB+UNOC:3+{SENDER}:500+{RECEIVER}:500+260401:1200+REF1'".encode() + message + b"UNZ+1+REF1'")


def versions():
    """(type, first day of validity, pid) once for every release of each type."""
    cases = []
    for message_type, preferred in REPRESENTATIVE.items():
        seen = set()
        for version in native.format_versions():
            on = version.removeprefix("FV")
            release = native.release_for(message_type, on)
            if release is None or release in seen:
                continue
            seen.add(release)
            pids = native.pruefidentifikatoren(message_type, on)
            pid = preferred if preferred in pids else pids[0]
            cases.append(pytest.param(message_type, on, pid, id=f"{message_type}-{release}-{pid}"))
    return cases


def build_for_round_trip(message_type, pid, on):
    sender_receiver = (pid, SENDER, RECEIVER)
    if message_type == "IFTSTA":
        return build_iftsta(*sender_receiver, status=("Z21", "105"), vorgangsnummer="1", on=on)
    if message_type == "REMADV":
        return build_remadv(*sender_receiver, rechnungsnummer="R1", faelliger_betrag="100.00",
                            ueberweisungsbetrag="100.00", rechnungsdatum="20260301", on=on)
    if message_type == "ORDERS":
        return build_orders(*sender_receiver, on=on)
    if message_type == "ORDRSP":
        return build_ordrsp(*sender_receiver, on=on)
    return build_quotes(*sender_receiver, on=on)


@pytest.mark.parametrize(("message_type", "on", "pid"), versions())
def test_round_trip_validates_clean(message_type, on, pid):
    report = validate_edifact(wrap(build_for_round_trip(message_type, pid, on)), on)
    findings = [(finding.rule_id, finding.message) for message in report.messages for finding in message.findings]
    assert report.rules_applied, findings
    assert report.is_valid, findings


def test_completion_refuses_to_drop_a_written_segment():
    # The column of 21039 has no place for a status it does not know: the segments asked for must
    # not vanish from the message silently. The build now refuses it before completion, naming the
    # argument and what the column admits.
    with pytest.raises(ValueError) as raised:
        build_iftsta(21039, SENDER, RECEIVER, status=("Z21", "105"), vorgangsnummer="1", order_reference="B7",
                     on="2026-04-01")
    assert str(raised.value) == (
        "status ('Z21', '105') is not a status of IFTSTA 21039 (2.0g); its column admits ('Z37', 'Z13'), "
        "('Z37', 'Z14'), ('Z37', 'Z32'), ('Z38', 'Z13'), ('Z38', 'Z14')"
    )


def test_iftsta_without_status_completes():
    on = "2026-04-01"
    assert validate_edifact(wrap(build_iftsta(21039, SENDER, RECEIVER, vorgangsnummer="1", on=on)), on).is_valid


# --- the column decides what is written -----------------------------------------------------------

ON = "2026-04-01"


def validates(message, on=ON):
    report = validate_edifact(wrap(message), on)
    return report.is_valid and report.rules_applied, [f.rule_id for m in report.messages for f in m.findings]


@pytest.mark.parametrize(
    ("pid", "status", "written"),
    [
        # Summenzeitreihen: the status stands in an EQD group, with RFF+Z13 there and no CNI.
        (21000, ("Z01", "Z07"), b"'EQD+Z01"),
        (21002, ("Z02", ""), b"'EQD+Z01"),
        (21003, ("Z03", "Z08"), b"'EQD+Z01"),
        (21004, ("Z13", ""), b"'EQD+Z01"),
        (21042, ("Z21", "105"), b"'CNI+1'STS+Z21+105'RFF+Z13:21042'"),
    ],
)
def test_iftsta_status_placed_where_the_column_has_it(pid, status, written):
    vorgang = {} if pid < 21006 else {"vorgangsnummer": "1"}
    message = build_iftsta(pid, SENDER, RECEIVER, status=status, on=ON, **vorgang)
    assert written in message
    category, reason = status
    assert f"STS+{category}{'+' + reason if reason else ''}".encode() in message
    assert (b"CNI" in message) is (pid > 21005)
    assert validates(message) == (True, [])


@pytest.mark.parametrize(
    ("pid", "kwargs", "text"),
    [
        (21000, {"status": ("Z21", "105")},
         "status ('Z21', '105') is not a status of IFTSTA 21000 (2.0g); its column admits ('Z01', 'Z07'), "
         "('Z01', 'Z08'), ('Z02', '')"),
        (21000, {"vorgangsnummer": "1"},
         "vorgangsnummer: IFTSTA 21000 (2.0g) has no place for CNI next to the status ('Z01', '')"),
        (21039, {"status": ("Z37", "Z13"), "vorgangsnummer": "1", "order_reference": "B7"},
         "order_reference: IFTSTA 21039 (2.0g) has no place for RFF+AGI next to the status ('Z37', 'Z13')"),
        (21039, {"vorgangsnummer": "1", "vertragsende": "20261231"},
         "vertragsende: IFTSTA 21039 (2.0g) has no place for DTM+93 next to the status ('Z37', '')"),
        (21039, {"status": ("Z37", "Z13")},
         "vorgangsnummer is required: the status of IFTSTA 21039 (2.0g) stands in the CNI group that the "
         "Vorgangsnummer opens"),
    ],
)
def test_iftsta_refuses_what_the_column_has_no_place_for(pid, kwargs, text):
    with pytest.raises(ValueError) as raised:
        build_iftsta(pid, SENDER, RECEIVER, on=ON, **kwargs)
    assert str(raised.value) == text


# A text that is no DE 7081 code of the message asks for the column's IMD instead of naming a code,
# so the refused code is one of the message's IMDs that the column does not admit.
@pytest.mark.parametrize(
    "build, pid, given, code, written, other, refused",
    [
        (build_orders, 17004, {}, "Z13", b"'IMD++Z13'", "Z10", "ORDERS 17004 (1.4b); its column admits Z13"),
        (build_ordrsp, 19007, {}, "Z13", b"'IMD++Z13'", "Z10", "ORDRSP 19007 (1.4b); its column admits Z13"),
        (build_ordrsp, 19301, {"abonnement": "Z01"}, "Z11", b"'IMD++Z01'IMD++Z11'", "Z10",
         "ORDRSP 19301 (1.4b); its column admits Z01, Z02, Z11, Z12"),
        (build_ordrsp, 19001, {}, None, None, "Z99", "ORDRSP 19001 (1.4b); its column admits no IMD"),
    ],
)
def test_item_description_is_a_code_of_the_column(build, pid, given, code, written, other, refused):
    if code is not None:
        message = build(pid, SENDER, RECEIVER, item_description=code, on=ON, **given)
        assert written in message and b"IMD+A" not in message
        assert validates(message) == (True, [])
    with pytest.raises(ValueError) as raised:
        build(pid, SENDER, RECEIVER, item_description=other, on=ON, **given)
    assert str(raised.value).startswith(f'item_description "{other}" is not a DE 7081 code of {refused}')


@pytest.mark.parametrize("on", ["2026-04-01", "2026-10-01"])
def test_every_abonnement_the_column_lists_builds_clean(on):
    # Beside IMD++Z35 the column of 17102 asks a Marktlokations-ID of the LOC that completion fills,
    # beside its other codes a Zählpunktbezeichnung.
    with pytest.raises(ValueError) as raised:
        build_orders(17102, SENDER, RECEIVER, item_description="Z01", on=on)
    codes = re.search(r"its column admits ([A-Z0-9, ]+)$", str(raised.value)).group(1).split(", ")
    assert "Z35" in codes
    for code in codes:
        assert validates(build_orders(17102, SENDER, RECEIVER, abonnement=code, on=on), on) == (True, []), code


def test_quotes_location_opens_its_group_with_nad_dp():
    message = build_quotes(15003, SENDER, RECEIVER, location="51238696781", on="2025-10-01")
    assert b"'NAD+DP'LOC+172+51238696781'" in message
    assert validates(message, "2025-10-01") == (True, [])


# An empty text would be taken as missing and replaced with sample data by completion.
@pytest.mark.parametrize(
    ("build", "argument"),
    [
        (lambda: remadv(rechnungsnummer="", on=ON), "rechnungsnummer"),
        (lambda: remadv(faelliger_betrag="", on=ON), "faelliger_betrag"),
        (lambda: remadv(rechnungsdatum="", release="R"), "rechnungsdatum"),
        (lambda: remadv(document_id="", on=ON), "document_id"),
        (lambda: build_iftsta(21042, MS, MR, vorgangsnummer="", on=ON), "vorgangsnummer"),
        (lambda: build_iftsta(21042, MS, MR, vorgangsnummer="1", message_ref="", on=ON), "message_ref"),
        (lambda: build_orders(17115, MS, MR, location="", on=ON), "location"),
        (lambda: build_ordrsp(19001, MS, MR, abonnement="", on=ON), "abonnement"),
        (lambda: build_quotes(15003, MS, MR, location="", on="2025-10-01"), "location"),
    ],
)
def test_empty_required_value_is_refused(build, argument):
    with pytest.raises(ValueError) as raised:
        build()
    assert str(raised.value).startswith(f"{argument} is empty: ")


def test_completion_keeps_every_given_value():
    message = remadv(faelliger_betrag="12.34", rechnungsnummer="INV-7", on=ON)
    assert b"'DOC+380+INV-7'MOA+9:12.34'" in message
    # Without a column nothing is required, and an empty text is written as given.
    assert b"'NAD+DP'LOC+172+'" in build_orders(17115, MS, MR, location="", **BARE)


@pytest.mark.parametrize("name", ["build_iftsta", "build_orders", "build_ordrsp", "build_quotes", "build_remadv",
                                  "build_utilmd", "build_mscons"])
def test_docstrings_say_dates_fills_and_raises(name):
    doc = getattr(native, name).__doc__
    for promise in ("CCYYMMDD", "51238696781", "Mustermann", "info@example.de", "Raises TypeError", "ValueError"):
        assert promise in doc, promise
