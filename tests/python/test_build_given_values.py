"""What the builders do with a value the caller gives: an empty text inside a tuple, a list or an
input class is refused rather than completed with sample data; a value the column has no place
for is refused, naming the argument, before anything is written; and a value the column does
have a place for is written."""

import re

import pytest

import quorvane._native as native
from quorvane._native import Positionsfehler, UtilmdTransaction

MS, MR = "9900000000003", "9900000000010"
ON = "2026-04-01"
DAY = ("202603302200+00", "202603312200+00")
METERING_POINT = "DE0001234567890123456789012345678"
INVOICE = {"rechnungsnummer": "R1", "faelliger_betrag": "100.00", "ueberweisungsbetrag": "0",
           "rechnungsdatum": "20260301"}


def segments(message):
    return [segment for segment in re.split(rb"(?<!\?)'", message) if segment]


def validates(message, on=ON):
    report = native.validate_edifact(native.build_interchange(MS, MR, "DAR1", [message], on=on), on)
    return report.is_valid and report.rules_applied, [f.rule_id for m in report.messages for f in m.findings]


def utilmd(pid=55001, **transaction):
    return native.build_utilmd(pid, MS, MR, on=ON, transactions=[UtilmdTransaction("VG1", **transaction)])


# --- empty members are refused, not completed with sample data ----------------------------------


@pytest.mark.parametrize(
    ("build", "name"),
    [
        (lambda: native.build_mscons(13002, MS, MR, METERING_POINT, [("220", "", "")], on=ON), "quantities[0] value"),
        (lambda: native.build_mscons(13002, MS, MR, METERING_POINT, [("220", "1", "")], on=ON, message_ref=""),
         "message_ref"),
        (lambda: native.build_mscons(13025, MS, MR, METERING_POINT, intervals=[("220", "1", "", "", DAY[1])], on=ON),
         "intervals[0] start"),
        (lambda: native.build_quotes(15003, MS, MR, bindungsfrist=("", "monat"), on="2025-10-01"),
         "bindungsfrist count"),
        (lambda: native.build_quotes(15003, MS, MR, contact=("", ""), on="2025-10-01"), "contact name"),
        (lambda: native.build_quotes(15003, MS, MR, contact=("Name", ""), on="2025-10-01"), "contact communication"),
        (lambda: native.build_ordrsp(19011, MS, MR, antwort_code="A01", antwort_ebd="", on=ON), "antwort_ebd"),
        (lambda: native.build_ordrsp(19011, MS, MR, references=[("", "X")], on=ON), "references[0] qualifier"),
        (lambda: native.build_orders(17115, MS, MR, references=[("AAG", "")], on=ON), "references[0] value"),
        (lambda: native.build_remadv(33004, MS, MR, on=ON, positionsfehler=[Positionsfehler(7, [("A01", "E")], "")],
                                     **INVOICE), "positionsfehler[7].erlaeuterung"),
        (lambda: native.build_remadv(33004, MS, MR, on=ON, positionsfehler=[Positionsfehler(7, [("A01", "")])],
                                     **INVOICE), "positionsfehler[7].gruende[0] EBD"),
        (lambda: native.build_remadv(33004, MS, MR, on=ON, kopf_gruende=[("", "E_0001")], **INVOICE),
         "kopf_gruende[0] Antwortcode"),
        (lambda: native.build_utilmd(55001, MS, MR, on=ON, references=[("AAV", "")]), "references[0] value"),
        (lambda: utilmd(bilanzkreis=""), "transactions[0].bilanzkreis"),
        (lambda: utilmd(transaktionsgrund=""), "transactions[0].transaktionsgrund"),
        (lambda: utilmd(transaktionsgrund="E01", transaktionsgrund_ergaenzung=""),
         "transactions[0].transaktionsgrund_ergaenzung"),
        (lambda: utilmd(antwort_code="A01", antwort_ebd=""), "transactions[0].antwort_ebd"),
        (lambda: utilmd(locations=[("malo", "")]), "transactions[0].locations[0] ID"),
        (lambda: utilmd(dates=[("92", "")]), "transactions[0].dates[0] value"),
        (lambda: utilmd(free_texts=[("ACB", "")]), "transactions[0].free_texts[0] text"),
    ],
)
def test_an_empty_member_is_refused_by_name(build, name):
    with pytest.raises(ValueError) as raised:
        build()
    assert str(raised.value).startswith(f"{name} is empty: the column requires a value there")


def test_an_empty_unit_still_means_no_unit():
    # The column takes DVGW or GS1 parties.
    built = native.build_mscons(13002, "4012345000023", "4012345000016", METERING_POINT, [("220", "1", "")], on=ON)
    assert b"'QTY+220:1'" in built


# --- MSCONS units: written where the column has a place, refused where it has none -----------------


@pytest.mark.parametrize("on, release", [(ON, "2.4c"), ("2026-10-01", "2.5")])
@pytest.mark.parametrize(
    ("pid", "unit", "refusal"),
    [
        (13020, "KWH", None),
        (13020, "BOGUS", 'intervals[0]: unit "BOGUS" has no place in MSCONS 13020 ({}); its column admits KWH'),
        (13002, "KWH", 'intervals[0]: unit "KWH" has no place in MSCONS 13002 ({}): its column has no unit'),
        (13002, "BOGUS", 'intervals[0]: unit "BOGUS" has no place in MSCONS 13002 ({}): its column has no unit'),
    ],
)
def test_a_unit_is_written_or_refused(on, release, pid, unit, refusal):
    qualifier = "79" if pid == 13020 else "220"
    call = lambda: native.build_mscons(pid, MS, MR, METERING_POINT, on=on,  # noqa: E731
                                       intervals=[(qualifier, "1", unit, *DAY)])
    if refusal is None:
        built = call()
        assert f"'QTY+{qualifier}:1:{unit}'".encode() in built
        assert validates(built, on) == (True, [])
    else:
        with pytest.raises(ValueError) as raised:
            call()
        assert str(raised.value).startswith(refusal.format(release))


# --- arguments no column has a place for ----------------------------------------------------------


def ordrsp_columns():
    return [(on, pid) for on in (ON, "2026-10-01") for pid in native.pruefidentifikatoren("ORDRSP", on)]


@pytest.mark.parametrize(("on", "pid"), ordrsp_columns())
@pytest.mark.parametrize("answer", [{}, {"antwort_code": "A01", "antwort_ebd": "E_0001"}])
def test_no_ordrsp_column_has_a_place_for_an_adjustment_reason(on, pid, answer):
    with pytest.raises(ValueError) as raised:
        native.build_ordrsp(pid, MS, MR, on=on, adjustment_reason="Z01", **answer)
    assert str(raised.value).startswith(f'adjustment_reason "Z01" has no place in ORDRSP {pid} ')
    assert " beside the AJT" in str(raised.value)


@pytest.mark.parametrize(
    ("pid", "qualifier", "admits"),
    [(55001, "ACW", "none"), (55001, "Z13", "none"), (55001, "TN", "none"), (55001, "AAV", "none"),
     (44001, "AAV", "none")],
)
def test_a_message_reference_the_column_has_no_place_for(pid, qualifier, admits):
    with pytest.raises(ValueError) as raised:
        native.build_utilmd(pid, MS, MR, on=ON, references=[(qualifier, "X1")])
    assert str(raised.value).startswith(f'references: RFF qualifier "{qualifier}" has no place in UTILMD {pid} ')
    assert str(raised.value).endswith(f"outside a Vorgang; its column admits {admits}")


def test_a_message_reference_where_the_column_has_its_place():
    pid = next(p for p in native.pruefidentifikatoren("UTILMD", ON, "STROM") if _takes_aav(p))
    built = native.build_utilmd(pid, MS, MR, on=ON, references=[("AAV", "ANFRAGE7")],
                                transactions=[UtilmdTransaction("VG1")])
    assert b"RFF+AAV:ANFRAGE7'" in built


def _takes_aav(pid):
    try:
        native.build_utilmd(pid, MS, MR, on=ON, references=[("AAV", "A")])
    except ValueError:
        return False
    return True


@pytest.mark.parametrize("build", [
    lambda: native.build_aperak(MS, MR, on=ON, error_text="Zeile 3"),
    lambda: native.build_aperak_for(native.build_interchange(MS, MR, "DAR1", [native.build_orders(
        17115, MS, MR, on=ON)], on=ON), on=ON, error_text="Zeile 3"),
])
def test_an_error_text_on_a_positive_aperak_is_refused(build):
    with pytest.raises(ValueError) as raised:
        build()
    assert str(raised.value).startswith("error_text has no place in APERAK 29002 ")


def test_an_error_text_needs_the_error_block_of_an_error_code():
    with pytest.raises(ValueError, match="^error_text has no place without error_code"):
        native.build_aperak(MS, MR, on=ON, document_code="313", error_text="Zeile 3")
    built = native.build_aperak(MS, MR, on=ON, error_code="Z29", error_text="Zeile 3", acw_ref="X1")
    assert b"'ERC+Z29'FTX+ABO+++Zeile 3'" in built
    assert validates(built) == (True, [])


# --- item_description as a flag, a text or a code -------------------------------------------------


@pytest.mark.parametrize(
    ("build", "pid", "given", "written"),
    [
        (native.build_ordrsp, 19007, {"item_description": True}, b"'IMD++Z13'"),
        (native.build_ordrsp, 19301, {"item_description": True, "abonnement": "Z01"}, b"'IMD++Z01'IMD++Z11'"),
        (native.build_ordrsp, 19301, {"item_description": "Zählerwechsel"}, b"'IMD++Z01'IMD++Z11'"),
        (native.build_orders, 17004, {"item_description": "Zählerwechsel"}, b"'IMD++Z13'"),
        (native.build_orders, 17004, {"item_description": "Z99"}, b"'IMD++Z13'"),
    ],
)
def test_item_description_asks_for_the_columns_imd(build, pid, given, written):
    message = build(pid, MS, MR, on=ON, **given)
    assert written in message
    assert "Zählerwechsel".encode() not in message
    assert validates(message) == (True, [])


@pytest.mark.parametrize(
    ("build", "pid", "kwargs", "text"),
    [
        (native.build_ordrsp, 19001, {"item_description": True},
         "item_description asks for an IMD, but ORDRSP 19001 (1.4b) has none in its column"),
        (native.build_ordrsp, 19001, {"item_description": "Zählerwechsel"},
         'item_description "Zählerwechsel" is not a DE 7081 code of ORDRSP 19001 (1.4b); its column admits no IMD'),
        (native.build_orders, 17004, {"item_description": "Z10"},
         'item_description "Z10" is not a DE 7081 code of ORDERS 17004 (1.4b); its column admits Z13'),
        (native.build_ordrsp, 19007, {"item_description": True, "release": "R"},
         "item_description asks for the IMD of the column, but no profile of ORDRSP 19007 (R) carries the release"),
    ],
)
def test_item_description_refused_where_the_column_has_no_imd_for_it(build, pid, kwargs, text):
    with pytest.raises(ValueError) as raised:
        build(pid, MS, MR, **{"on": ON, **kwargs})
    assert str(raised.value).startswith(text)


@pytest.mark.parametrize("build, pid", [(native.build_orders, 17004), (native.build_ordrsp, 19007)])
@pytest.mark.parametrize(("text", "written"), [("Zählerwechsel", []), ("Z99", []), ("Z13", [b"IMD++Z13"])])
def test_item_description_without_a_column_writes_only_a_known_code(build, pid, text, written):
    # No column to take the IMD from: only a code of the message's IMDs is written.
    message = build(pid, MS, MR, release="R", on=ON, item_description=text)
    assert [segment for segment in segments(message) if segment.startswith(b"IMD")] == written


@pytest.mark.parametrize("flag", [False, None])
def test_item_description_false_or_none_writes_none(flag):
    message = native.build_ordrsp(19007, MS, MR, release="R", on=ON, item_description=flag)
    assert b"IMD" not in message



# --- product and price in the line item of the column ----------------------------------------------

QUOTES_RELEASES = [("2025-10-01", "1.3b"), ("2026-10-01", "1.3c")]


@pytest.mark.parametrize(("on", "release"), QUOTES_RELEASES)
@pytest.mark.parametrize(
    ("pid", "given", "refused"),
    [
        # Line items named by their article number in the LIN: a bare PRI takes the price.
        (15001, {"price": "12.50"}, None),
        (15002, {"price": "12.50"}, None),
        (15001, {"product": "P1"}, ("product", "price alone")),
        (15002, {"product": "P1", "price": "12.50"}, ("product", "price alone")),
        # The Messprodukt's line item, priced per Artikel-ID.
        (15003, {"price": "12.50"}, None),
        (15003, {"product": "P1"}, None),
        (15003, {"product": "P1", "price": "12.50"}, None),
        # Products without a price.
        (15004, {"product": "P1"}, None),
        (15004, {"price": "12.50"}, ("price", "product alone")),
        (15004, {"product": "P1", "price": "12.50"}, ("price", "product alone")),
        (15005, {"product": "P1"}, None),
        (15005, {"price": "12.50"}, ("price", "product alone")),
        (15005, {"product": "P1", "price": "12.50"}, ("price", "product alone")),
    ],
)
def test_quotes_product_and_price_land_in_the_line_item_or_are_refused(on, release, pid, given, refused):
    if refused:
        argument, admitted = refused
        with pytest.raises(ValueError) as raised:
            native.build_quotes(pid, MS, MR, on=on, **given)
        assert str(raised.value).startswith(f"{argument} has no place in QUOTES {pid} ({release}): ")
        assert f"; it admits {admitted}" in str(raised.value)
        return
    message = native.build_quotes(pid, MS, MR, on=on, **given)
    assert validates(message, on) == (True, [])
    written = segments(message)
    if "product" in given:
        assert b"PIA+5+P1:Z11" in written
    if "price" in given:
        amounts = [segment.split(b"+")[1].split(b":")[1:2] for segment in written if segment.startswith(b"PRI+")]
        assert amounts == [[b"12.50"]]


# --- a refusal names the value at fault by the caller's own path ----------------------------------


def vorgaenge(*dates):
    return [UtilmdTransaction(f"V{at}", dates=given) for at, given in enumerate(dates)]


@pytest.mark.parametrize(
    ("build", "named"),
    [
        (lambda: native.build_utilmd(55001, MS, MR, on=ON, transactions=vorgaenge([], [("92", "2026-13-45")])),
         "transactions[1].dates[92]"),
        (lambda: native.build_utilmd(55001, MS, MR, on=ON, transactions=vorgaenge(
            [], [], [("92", "202610312300+00"), ("93", "20261345")])), "transactions[2].dates[93]"),
        (lambda: native.build_mscons(13013, MS, MR, "41373559241", [("79", "1", ""), ("220", "1", "")], on=ON),
         "quantities[1]"),
        (lambda: native.build_mscons(13002, MS, MR, METERING_POINT, [("220", "1", ""), ("220", "1", "KWH")], on=ON),
         "quantities[1]"),
        (lambda: native.build_mscons(13020, MS, MR, METERING_POINT, on=ON,
                                     intervals=[("79", "1", "KWH", *DAY), ("79", "1", "BOGUS", *DAY)]), "intervals[1]"),
        (lambda: native.build_mscons(13002, MS, MR, METERING_POINT, [("220", "1", "")], on=ON, obis="1-1:1.8.256"),
         "obis"),
        (lambda: native.build_aperak(MS, MR, on=ON, pruefidentifikator=29002, document_code="313"), "document_code"),
        (lambda: native.build_aperak(MS, MR, on=ON, pruefidentifikator=29001, error_code="Z10", document_code="312"),
         "document_code"),
    ],
)
def test_a_refusal_names_the_value_at_fault(build, named):
    with pytest.raises(ValueError) as raised:
        build()
    assert re.match(rf"{re.escape(named)}(:| is )", str(raised.value)), str(raised.value)
