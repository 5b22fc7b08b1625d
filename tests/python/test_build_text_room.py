"""A text argument that no EDIFACT segment can hold is refused up front by every builder alike,
naming the argument, instead of failing when the message is read back."""

import pytest

import quorvane._native as native
from answer_support import A, B, interchange

MS, MR = "9900000000003", "9800000000008"
ON = {"on": "2026-05-01"}
INVOICE = {"rechnungsnummer": "R1", "faelliger_betrag": "1", "ueberweisungsbetrag": "1", "rechnungsdatum": "20260301"}
RECEIVED = interchange(
    f"UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+D1'DTM+137:202510010000?+00:303'NAD+MS+{A}::293'NAD+MR+{B}::293'"
    "IDE+24+V1'UNT+7+1'".encode())
LIMIT = 65536 - 4  # the segment less its tag and the separator before the text

# Each builder with one of its text arguments: (call taking the text, the argument as named).
BUILDS = {
    "build_utilmd": (lambda text: native.build_utilmd(55001, MS, MR, message_ref=text, **ON), "message_ref"),
    "build_mscons": (lambda text: native.build_mscons(13002, MS, MR, text, [("220", "1", "KWH")], **ON),
                     "metering_point"),
    "build_aperak": (lambda text: native.build_aperak(MS, MR, acw_ref=text, **ON), "acw_ref"),
    "build_contrl": (lambda text: native.build_contrl(MS, MR, text, **ON), "interchange_ref"),
    "build_aperak_for": (lambda text: native.build_aperak_for(RECEIVED, error_text=text, error_code="Z31", **ON),
                         "error_text"),
    "build_contrl_for": (lambda text: native.build_contrl_for(RECEIVED, message_ref=text, **ON), "message_ref"),
    "build_answer": (lambda text: native.build_answer(RECEIVED, 55002, references=[("Z13", text)], **ON),
                     "references[0][1]"),
    "build_remadv": (lambda text: native.build_remadv(33001, MS, MR, **{**INVOICE, "rechnungsnummer": text}, **ON),
                     "rechnungsnummer"),
    "build_ordrsp": (lambda text: native.build_ordrsp(19001, MS, MR, document_id=text, **ON), "document_id"),
    "build_orders": (lambda text: native.build_orders(17001, MS, MR, references=[("AAG", text)], **ON),
                     "references[0][1]"),
    "build_iftsta": (lambda text: native.build_iftsta(21039, MS, MR, vorgangsnummer=text, **ON), "vorgangsnummer"),
    "build_quotes": (lambda text: native.build_quotes(15003, MS, MR, contact=(text, "a@b.de"), **ON), "contact[0]"),
    "build_interchange": (lambda text: native.build_interchange(MS, MR, text, [b"UNH+1'UNT+2+1'"], **ON), "dar"),
}


@pytest.mark.parametrize("name", BUILDS)
@pytest.mark.parametrize(("text", "written"), [
    ("x" * (LIMIT + 1), LIMIT + 1),
    ("ü" * (LIMIT // 2 + 1), LIMIT + 2),  # UTF-8 bytes, not characters
    ("?+" * (LIMIT // 4 + 1), LIMIT + 4),  # each escaped with a release character
])
def test_a_text_no_segment_holds_is_refused_naming_its_argument(name, text, written):
    build, argument = BUILDS[name]
    with pytest.raises(ValueError) as raised:
        build(text)
    assert type(raised.value) is ValueError
    assert str(raised.value) == (f"argument '{argument}': a text of {written} bytes as written does not fit into an "
                                 "EDIFACT segment, which holds at most 65536 bytes")


def test_a_long_text_that_fits_is_built_and_one_that_fits_only_alone_is_a_value_error():
    # It fits a segment, but not the column's DE 1004.
    with pytest.raises(ValueError, match=r"^document_id: the column of ORDRSP 19001 .* is an\.\.70 in the MIG"):
        native.build_ordrsp(19001, MS, MR, document_id="x" * 65000, **ON)
    # Alone it would fit; beside BGM's document code it does not.
    with pytest.raises(ValueError, match=r"^ORDRSP: the values written into segment BGM make it longer than the "
                                         r"65536 bytes an EDIFACT segment may hold$"):
        native.build_ordrsp(19001, MS, MR, document_id="x" * LIMIT, **ON)


def test_a_text_of_an_input_object_that_overflows_its_segment_is_a_value_error():
    fehler = native.Positionsfehler(1, [("Z01", "E_0001")], "y" * LIMIT)
    with pytest.raises(ValueError, match=r"^REMADV: the values written into segment FTX make it longer than the "
                                         r"65536 bytes an EDIFACT segment may hold$"):
        native.build_remadv(33004, MS, MR, positionsfehler=[fehler], **INVOICE, **ON)
