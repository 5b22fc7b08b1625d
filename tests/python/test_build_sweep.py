"""Every builder, given one optional argument more than a typical caller gives, on every column in
force: either the column accepts the message, or the build is refused with a ValueError that names
the argument (with its index path). Values the MIG cannot carry are refused the same way.

Under the sanitizers (QUORVANE_SANITIZE=1) every seventh column is swept.
"""

import functools
import os
import re

import pytest

import quorvane._native as native
from test_build_catalogue import METERING_POINT, PARTY_PAIRS, build, build_for_parties, columns

T = native.UtilmdTransaction
STEP = 7 if os.environ.get("QUORVANE_SANITIZE") == "1" else 1

# (message type, argument, keyword arguments added to the typical call); the argument is what the
# refusal must name first.
EXTRAS = {
    "ORDERS": [
        ("references[0]", {"references": [("AAG", "X1")]}),
        ("abonnement", {"abonnement": "Z01"}),
        ("ausfuehrungsdatum", {"ausfuehrungsdatum": "20261001"}),
        ("location", {"location": "51238696781"}),
        ("document_id", {"document_id": "V" * 36}),
        ("message_ref", {"message_ref": "M" * 15}),
    ],
    "ORDRSP": [
        ("line_item", {"line_item": True}),
        ("references[0]", {"references": [("ACW", "X1")]}),
        ("abonnement", {"abonnement": "Z01"}),
        ("document_id", {"document_id": "V" * 36}),
    ],
    "QUOTES": [
        ("bindungsfrist", {"bindungsfrist": ("3", "monat")}),
        ("product", {"product": "9991000000044"}),
        ("currency", {"currency": "EUR"}),
        ("location", {"location": "51238696781"}),
    ],
    "REMADV": [
        ("kopf_gruende[0]", {"kopf_gruende": [("A01", "E_0001")]}),
        ("positionsfehler[1]", {"positionsfehler": [native.Positionsfehler(1, [("A01", "E_0001")]),
                                                    native.Positionsfehler(2, [("A99", "E_9999")], "Text")]}),
        ("rechnungsnummer", {"rechnungsnummer": "R" * 36}),
        ("faelliger_betrag", {"faelliger_betrag": "abc"}),
        ("faelliger_betrag", {"faelliger_betrag": "1,5"}),
    ],
    "IFTSTA": [
        ("order_reference", {"order_reference": "X1"}),
        ("vertragsende", {"vertragsende": "20261001"}),
        ("document_id", {"document_id": "V" * 36}),
    ],
    "MSCONS": [
        ("message_ref", {"message_ref": "M" * 15}),
        ("document_date", {"document_date": "20260301"}),
    ],
    "APERAK": [
        ("error_text", {"error_text": "Text"}),
        ("acw_ref", {"acw_ref": "A" * 36}),
    ],
}

VORGANG_EXTRAS = [
    ("transactions[0].antwort_dritter", {"antwort_dritter": "A50"}),
    ("transactions[0].bilanzkreis", {"bilanzkreis": "11XDE-BKTEST-X"}),
    ("transactions[0].customers[0]", {"customers": [("UD", "9900000000003")]}),
    ("transactions[0].free_texts[0]", {"free_texts": [("ACB", "Text")]}),
    ("transactions[0].dates[0]", {"dates": [("92", "20261001")]}),
    ("transactions[0].transaktionsgrund", {"transaktionsgrund": "E01"}),
    ("transactions[0].locations[0]", {"locations": [("malo", "51238696781")]}),
    ("transactions[0].references[0]", {"references": [("Z19", "R1")]}),
    ("transactions[0].vorgangsnummer", {"vorgangsnummer": "V" * 36}),
]


@functools.cache
def parties(message_type, pid, on):
    """The first party pair whose typical build the column accepts."""
    for sender, receiver in PARTY_PAIRS:
        message = build_for_parties(message_type, pid, sender, receiver, on)
        if message is not None and is_clean(message, sender, receiver, on):
            return sender, receiver
    return None


def is_clean(message, sender, receiver, on):
    report = native.validate_edifact(native.build_interchange(sender, receiver, "DAR1", [message], on=on), on)
    return report.is_valid and report.rules_applied


def build_with(message_type, pid, sender, receiver, on, extra):
    """The typical call of test_build_catalogue with `extra` added to it."""
    if message_type == "UTILMD":
        fields = dict(extra)
        number = fields.pop("vorgangsnummer", "VG1")
        return native.build_utilmd(pid, sender, receiver, on=on, transactions=[T(number, **fields)])
    if message_type == "MSCONS":
        original = native.build_mscons
        native.build_mscons = functools.partial(original, **extra)
        try:
            return build(message_type, pid, sender, receiver, on)
        finally:
            native.build_mscons = original
    if message_type == "REMADV":
        transfer = {} if pid == 33001 else {"ueberweisungsbetrag": "0"}
        invoice = {"rechnungsnummer": "R1", "faelliger_betrag": "100.00", "ueberweisungsbetrag": "100.00",
                   "rechnungsdatum": "20260301"}
        return native.build_remadv(pid, sender, receiver, on=on, **(invoice | transfer | extra))
    if message_type == "IFTSTA":
        vorgang = {} if pid in range(21000, 21006) else {"vorgangsnummer": "1"}
        return native.build_iftsta(pid, sender, receiver, on=on, **(vorgang | extra))
    if message_type == "APERAK":
        negative = {"error_code": "Z29"} if pid == 29001 else {}
        return native.build_aperak(sender, receiver, pruefidentifikator=pid, on=on,
                                   **({"acw_ref": "MSCONS4711"} | negative | extra))
    builder = {"ORDERS": native.build_orders, "ORDRSP": native.build_ordrsp, "QUOTES": native.build_quotes}
    return builder[message_type](pid, sender, receiver, on=on, **extra)


def sweep_cases():
    cases = []
    for index, case in enumerate(columns()):
        message_type, release, on, pid = case.values
        if case.marks or index % STEP:
            continue
        extras = VORGANG_EXTRAS if message_type == "UTILMD" else EXTRAS[message_type]
        if message_type == "UTILMD" and pid in (55066, 55202):
            continue
        cases.append(pytest.param(message_type, on, pid, extras, id=f"{message_type}-{release}-{pid}"))
    return cases


@pytest.mark.parametrize(("message_type", "on", "pid", "extras"), sweep_cases())
def test_an_optional_argument_is_refused_by_name_or_accepted(message_type, on, pid, extras):
    pair = parties(message_type, pid, on)
    assert pair is not None, "the typical build validates clean (test_build_catalogue)"
    sender, receiver = pair
    outcomes = []
    for argument, extra in extras:
        try:
            message = build_with(message_type, pid, sender, receiver, on, extra)
        except ValueError as refused:
            # Named first: the argument itself or, within it, the item or value at fault.
            name = re.escape(argument.split("[")[0].split(".")[0])
            assert re.match(rf"(argument ')?{name}\b", str(refused)), (argument, str(refused))
            outcomes.append("refused")
            continue
        assert is_clean(message, sender, receiver, on), (argument, "built, but its column rejects it")
        outcomes.append("clean")
    assert len(outcomes) == len(extras)


@pytest.mark.parametrize(("build_call", "named"), [
    (lambda: build_with("ORDERS", 17101, *PARTY_PAIRS[2], "2026-04-01", {"references": [("AAG", "X1")]}),
     "references[0]: the column of ORDERS 17101 (1.4b)"),
    (lambda: build_with("UTILMD", 55001, *PARTY_PAIRS[0], "2026-04-01", {"references": [("Z19", "R1")]}),
     "transactions[0].references[0]: the column of UTILMD 55001"),
    (lambda: build_with("REMADV", 33004, *PARTY_PAIRS[0], "2026-04-01",
                        {"positionsfehler": [native.Positionsfehler(1, [("A01", "E_0210")]),
                                             native.Positionsfehler(2, [("A02", "E_0002")])]}),
     "positionsfehler[1].gruende[0]: "),
    (lambda: native.build_mscons(13002, *PARTY_PAIRS[1], "DE0001234567890123456789012345-78", [("220", "1", "")],
                                 on="2026-04-01"),
     "metering_point: "),
    (lambda: build_with("ORDERS", 17101, *PARTY_PAIRS[2], "2026-04-01", {"document_id": "V" * 36}),
     "document_id: "),
])
def test_the_refusal_names_the_path_and_what_the_column_says(build_call, named):
    with pytest.raises(ValueError) as refused:
        build_call()
    assert str(refused.value).startswith(named), str(refused.value)
    assert " — " in str(refused.value)


def test_a_published_contradiction_refuses_nothing():
    # The column itself cannot be satisfied; the caller's Vorgang is not what it rejects.
    message = build("UTILMD", 55553, *PARTY_PAIRS[0], "2026-04-01")
    assert message.startswith(b"UNH+")


BILANZKREIS = {"bilanzkreis": "11XDE-BKTEST-X"}  # no place for it in the S2.1 column of 55002


@pytest.mark.parametrize(("faults", "named"), [
    ({0: BILANZKREIS}, "transactions[0].bilanzkreis"),
    ({13: BILANZKREIS}, "transactions[13].bilanzkreis"),
    ({29: BILANZKREIS}, "transactions[29].bilanzkreis"),
    ({21: BILANZKREIS, 6: BILANZKREIS}, "transactions[6].bilanzkreis"),
    ({17: {"vorgangsnummer": "V" * 36}}, "transactions[17].vorgangsnummer"),
    ({0: {"vorgangsnummer": "V" * 36}, 1: BILANZKREIS}, "transactions[0].vorgangsnummer"),
])
def test_among_many_vorgaenge_the_refusal_names_the_first_at_fault(faults, named):
    vorgaenge = []
    for at in range(30):
        fields = dict(faults.get(at, {}))
        vorgaenge.append(T(fields.pop("vorgangsnummer", f"VG{at}"), **fields))
    with pytest.raises(ValueError) as refused:
        native.build_utilmd(55002, *PARTY_PAIRS[0], on="2025-10-01", transactions=vorgaenge)
    assert str(refused.value).startswith(f"{named}: the column of UTILMD 55002 (S2.1) does not admit"), \
        str(refused.value)


@pytest.mark.parametrize("at", [0, 9, 19])
def test_among_many_positionsfehler_the_refusal_names_the_one_at_fault(at):
    positionen = [native.Positionsfehler(n + 1, [("A01", "E_0210")]) for n in range(20)]
    positionen[at] = native.Positionsfehler(at + 1, [("A02", "E_0002")])
    with pytest.raises(ValueError, match=rf"^positionsfehler\[{at}\]\.gruende\[0\]: the column of REMADV 33004"):
        native.build_remadv(33004, *PARTY_PAIRS[0], on="2026-04-01", rechnungsnummer="R1", faelliger_betrag="100.00",
                            ueberweisungsbetrag="0", rechnungsdatum="20260301", positionsfehler=positionen)


def column_cases(types=None):
    return [pytest.param(case.values[0], case.values[2], case.values[3], id=case.id)
            for index, case in enumerate(columns())
            if not index % STEP and (types is None or case.values[0] in types)]


@pytest.mark.parametrize(("message_type", "on", "pid"), column_cases())
def test_each_kind_of_party_builds_clean_or_is_refused_naming_the_party(message_type, on, pid):
    for sender, receiver in PARTY_PAIRS:
        try:
            message = build(message_type, pid, sender, receiver, on)
        except ValueError as refused:
            assert re.match(r"(sender|receiver): the column of ", str(refused)), str(refused)
            continue
        # 55553: the published contradiction, which no party causes.
        assert pid == 55553 or is_clean(message, sender, receiver, on), (sender, "built, but its column rejects it")


def bare_vorgaenge(pid, sender, receiver, on, count):
    return native.build_utilmd(pid, sender, receiver, on=on, transactions=[T(f"VG{n}") for n in range(count)])


@pytest.mark.parametrize(("message_type", "on", "pid"), column_cases({"UTILMD"}))
def test_a_column_clean_with_one_bare_vorgang_is_clean_with_more(message_type, on, pid):
    pair = parties(message_type, pid, on)
    if pid in (55066, 55202, 55553) or pair is None:
        pytest.skip("no Vorgang, or no clean build with one")
    for count in range(2, 6):
        assert is_clean(bare_vorgaenge(pid, *pair, on, count), *pair, on), count


def test_a_published_contradiction_refuses_nothing_with_two_vorgaenge():
    assert bare_vorgaenge(55553, *PARTY_PAIRS[0], "2026-04-01", 2).startswith(b"UNH+")


# The Messperiode of these columns rests on a condition the intervals do not meet, and no argument
# left out takes the fault away: without its intervals the MSCONS has no quantity and is not built.
@pytest.mark.parametrize("pid", [13015, 13016])
def test_a_fault_completion_cannot_mend_is_refused_quoting_the_column(pid):
    with pytest.raises(ValueError) as refused:
        native.build_mscons(pid, *PARTY_PAIRS[0], "41373559241", on="2026-04-01",
                            intervals=[("220", "1", "", "202603302200+00", "202603312200+00")])
    assert str(refused.value).startswith(f"MSCONS {pid} (2.4c): completion found no message the column accepts with "
                                         "these arguments — DTM „Beginn Messperiode“"), str(refused.value)


@pytest.mark.parametrize(("build_call", "named"), [
    (lambda: native.build_mscons(13002, *PARTY_PAIRS[2], METERING_POINT, [("220", "-5", "")], on="2026-04-01"),
     "quantities[0]: the column of MSCONS 13002 (2.4c) does not admit what it writes — QTY (Nr 00028): DE 6060 „Menge“ "
     "is -5, not ≥ 0"),
    (lambda: native.build_mscons(13002, *PARTY_PAIRS[2], METERING_POINT, [("220", "1.12345678", "")],
                                 on="2026-04-01"),
     "quantities[0]: "),
    (lambda: native.build_mscons(13002, *PARTY_PAIRS[2], METERING_POINT, [("220", "1", ""), ("220", "-5", "")],
                                 on="2026-04-01"),
     "quantities[1]: "),
    (lambda: native.build_mscons(13025, *PARTY_PAIRS[0], "41373559241", on="2026-04-01",
                                 intervals=[("220", "-5", "", "202603292200+00", "202603302200+00")]),
     "intervals[0]: "),
    # The parties' kind of ID, named as what the column takes.
    (lambda: native.build_utilmd(55001, "9800000000008", "9900000000010", on="2025-10-01", transactions=[T("VG1")]),
     "sender: the column of UTILMD 55001 (S2.1) admits only BDEW IDs (agency 293) or GS1 IDs (agency 9) for the "
     "party, not DVGW IDs (agency 332) — NAD"),
    # A text equal to the faulty value is not what wrote it.
    (lambda: native.build_utilmd(55074, *PARTY_PAIRS[0], on="2025-10-01", message_ref="293", transactions=[T("VG1")]),
     "receiver: the column of UTILMD 55074 (S2.1) admits only GS1 IDs (agency 9)"),
    # Past the cap of findings, the finding at fault, in a message the reader takes (a larger one is
    # refused for its size first).
    (lambda: native.build_utilmd(55001, *PARTY_PAIRS[0], on="2025-10-01",
                                 transactions=[T(f"V{n}", locations=[("malo", "51238696782")] * 2) for n in range(501)]),
     "transactions[0].locations[0]: the column of UTILMD 55001 (S2.1) does not admit what it writes — LOC (Nr 00050): "
     "DE 3225 „Ortsangabe, Nummer“ is not a Marktlokations-ID"),
])
def test_the_value_at_fault_is_named_by_what_wrote_it(build_call, named):
    with pytest.raises(ValueError) as refused:
        build_call()
    assert str(refused.value).startswith(named), str(refused.value)


INVOICE = {"rechnungsnummer": "R1", "faelliger_betrag": "100.00", "ueberweisungsbetrag": "0",
           "rechnungsdatum": "20260301"}


# One bad value in a chosen argument of each builder; values elsewhere equal to it do not matter.
@pytest.mark.parametrize(("build_call", "named"), [
    (lambda: native.build_remadv(33001, *PARTY_PAIRS[0], on="2026-04-01",
                                 **{**INVOICE, "rechnungsnummer": "1.2.3", "ueberweisungsbetrag": "1.2.3"}),
     "ueberweisungsbetrag"),
    (lambda: native.build_remadv(33001, *PARTY_PAIRS[0], on="2026-04-01", **{**INVOICE, "faelliger_betrag": "1.2.3"}),
     "faelliger_betrag"),
    (lambda: native.build_remadv(33001, *PARTY_PAIRS[0], on="2026-04-01", **{**INVOICE, "rechnungsnummer": "R" * 40}),
     "rechnungsnummer"),
    (lambda: native.build_iftsta(21039, *PARTY_PAIRS[0], vorgangsnummer="V" * 36, on="2026-04-01"), "vorgangsnummer"),
    (lambda: native.build_orders(17101, *PARTY_PAIRS[2], document_id="V" * 36, on="2026-04-01"), "document_id"),
    (lambda: native.build_quotes(15003, *PARTY_PAIRS[0], currency="EURO", on="2025-10-01"), "currency"),
    (lambda: native.build_aperak(*PARTY_PAIRS[0], on="2026-04-01", error_code="Z10", error_text="x" * 600),
     "error_text"),
    (lambda: native.build_utilmd(55001, *PARTY_PAIRS[0], on="2025-10-01",
                                 transactions=[T("VG1"), T("VG2", free_texts=[("ACB", "x" * 600)])]),
     "transactions[1].free_texts[0]"),
    # The builder writes its own Z13 and leaves the caller's out: the index stays the caller's.
    (lambda: native.build_utilmd(55002, *PARTY_PAIRS[0], on="2025-10-01",
                                 transactions=[T("VG1", references=[("Z13", "55002"), ("Z60", "X")])]),
     "transactions[0].references[1]"),
    (lambda: native.build_utilmd(55002, *PARTY_PAIRS[0], on="2025-10-01",
                                 transactions=[T("VG1", references=[("Z60", "X"), ("Z13", "55002")])]),
     "transactions[0].references[0]"),
    (lambda: native.build_mscons(13002, *PARTY_PAIRS[2], METERING_POINT, [("220", "1", ""), ("220", "-5", "")],
                                 on="2026-04-01"),
     "quantities[1]"),
])
def test_a_bad_value_is_named_by_its_argument(build_call, named):
    with pytest.raises(ValueError) as refused:
        build_call()
    assert str(refused.value).startswith(f"{named}: the column of "), str(refused.value)


def test_parties_taken_from_the_received_message_name_it():
    on, dvgw = "2026-04-01", PARTY_PAIRS[1]
    received = native.build_interchange(*dvgw, "DAR1", [bare_vorgaenge(44001, *dvgw, on, 1)], on=on)
    with pytest.raises(ValueError, match=r"^received: the column of APERAK 29002 \(2\.1i\) admits only BDEW IDs "
                                         r"\(agency 293\) or GS1 IDs \(agency 9\) for the parties, not DVGW IDs"):
        native.build_aperak_for(received, on=on)
