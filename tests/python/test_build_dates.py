"""A date argument that is no date of the calendar is refused, naming the argument, by every
builder that writes it; the same call with a real date builds a message that validates clean."""

import pytest

import quorvane._native as native

ON = "2026-05-01"
MS, MR = "9900000000003", "9900000000010"
GLN_MS, GLN_MR = "4012345000023", "4012345000030"
INVOICE = {"rechnungsnummer": "R1", "faelliger_betrag": "100.00", "ueberweisungsbetrag": "100.00"}


def interval(start, end="202604302200+00"):
    return [("220", "1.5", "", start, end)]


# (argument named in the refusal, build with a date text)
BUILDS = {
    "utilmd document_date": ("document_date", lambda d: native.build_utilmd(
        55001, MS, MR, on=ON, document_date=d, transactions=[native.UtilmdTransaction("VG1")])),
    "utilmd Vorgang date": ("transactions[0].dates[92]", lambda d: native.build_utilmd(
        55001, MS, MR, on=ON, transactions=[native.UtilmdTransaction("VG1", dates=[("92", d + "2200")])])),
    "mscons document_date": ("document_date", lambda d: native.build_mscons(
        13002, GLN_MS, GLN_MR, "DE0001234567890123456789012345678", [("220", "1", "")], on=ON, document_date=d)),
    "mscons interval start": ("intervals[0] start", lambda d: native.build_mscons(
        13025, GLN_MS, GLN_MR, "41373559241", on=ON, intervals=interval(d + "2200+00"))),
    "remadv rechnungsdatum": ("rechnungsdatum", lambda d: native.build_remadv(
        33001, MS, MR, on=ON, rechnungsdatum=d, **INVOICE)),
    "aperak document_date": ("document_date", lambda d: native.build_aperak(
        MS, MR, on=ON, pruefidentifikator=29002, acw_ref="M1", document_date=d)),
    "orders document_date": ("document_date", lambda d: native.build_orders(17001, MS, MR, on=ON, document_date=d)),
    "iftsta document_date": ("document_date", lambda d: native.build_iftsta(
        21000, MS, MR, on=ON, document_date=d)),
}
NO_DATES = ["20261340", "20269999", "20260230", "2026130", "2026100124", "abcdefgh"]


@pytest.mark.parametrize("name", BUILDS)
@pytest.mark.parametrize("text", NO_DATES)
def test_a_date_argument_that_is_no_date_is_refused(name, text):
    argument, build = BUILDS[name]
    with pytest.raises(ValueError, match=rf"^{__import__('re').escape(argument)} is "):
        build(text)


@pytest.mark.parametrize("name", BUILDS)
def test_the_same_call_with_a_date_builds_a_valid_message(name):
    _, build = BUILDS[name]
    message = build("20260429")
    sender = GLN_MS if name.startswith("mscons") else MS
    receiver = GLN_MR if name.startswith("mscons") else MR
    report = native.validate_edifact(native.build_interchange(sender, receiver, "DAR1", [message], on=ON), ON)
    assert report.is_valid, [f.message for f in report.findings]
