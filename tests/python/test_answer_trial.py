"""Which Vorgänge of a request need a Lokation the caller gives is told by answering one Vorgang of each shape
without it: Vorgänge differing only in names, addresses and IDs are of one shape, those sharing a number are tried
each alone, and a trial's size or a reference it cannot take never stands for the answer's. A reference of the
caller's that the answer cannot take is named by its own index."""

import re

import pytest

import quorvane._native as native
from answer_support import segments
from test_answer_carried import clean, request_of
from test_answer_given_lokationen import holds, vorgaenge
from test_answer_lokationen import MALO, MELO, vendor_44001
from test_answer_vorgang_needs import MALOS, NELO, OTHER_MALO, Y, recounted

T = native.UtilmdTransaction
STROM, GAS = "2025-10-01", "2026-10-01"


def with_own_names(received, numbers=None):
    """The request as another system writes it: each Vorgang with its customer's own names and address, and
    numbered `numbers` where given."""
    head, *parts = re.split(r"(?=IDE\+24\+)", received.decode())
    for at, part in enumerate(parts):
        part = part.replace("Mustermann:", f"Schmidt{at}:Anna{at}").replace("Musterstr. 1", f"Hauptstr. {at}")
        if numbers:
            part = re.sub(r"^IDE\+24\+[^']*", f"IDE+24+{numbers[at]}", part)
        parts[at] = part
    return recounted(head + "".join(parts))


@pytest.mark.parametrize("numbers", [None, ["VG1", "VG1", "VG2"]], ids=["own numbers", "a number shared"])
def test_given_lokationen_go_to_the_vorgaenge_whose_column_needs_them(numbers):
    # The second Vorgang, a plain one, needs neither; the ZAP ones need both.
    transactions = [T(f"VG{at}", locations=[("malo", malo)], **({} if at == 1 else {"transaktionsgrund_ergaenzung": "ZAP"}))
                    for at, malo in enumerate(MALOS)]
    received, sender, receiver = request_of(55001, STROM, transactions)
    received = with_own_names(received, numbers)
    references = [("Z19", Y), ("Z32", NELO[0])]
    answer = native.build_answer(received, 55002, on=STROM, references=references)
    assert clean(answer, STROM, receiver, sender) == (True, [])
    assert [[value for _, value in references if holds(vorgang, value)] for vorgang in vorgaenge(answer)] == [
        [Y, NELO[0]], [], [Y, NELO[0]]]


def test_a_trial_of_every_vorgang_refuses_nothing_for_its_own_size():
    # Without the Messlokation completion's samples make the trial far larger than the answer.
    transactions = [T(f"VG{at}", locations=[("malo", MALO)]) for at in range(150)]
    received, sender, receiver = request_of(55042, STROM, transactions)
    received = with_own_names(received, [f"P{at // 2}" for at in range(150)])
    answer = native.build_answer(received, 55043, on=STROM, references=[("Z19", MELO)])
    assert clean(answer, STROM, receiver, sender) == (True, [])
    assert sum(segment == f"LOC+Z17+{MELO}" for segment in segments(answer)) == 150


def faulty_malo(received):
    return received.replace(MALO.encode(), (MALO[:-1] + str((int(MALO[-1]) + 1) % 10)).encode())


def messlokation_referred():
    return vendor_44001(("NAD+Z05+++Schmidt:Anna::::Z01+Hauptstr. 7+Hamburg+++DE", f"RFF+Z19:{MELO}")).received


def plain_and_zap():
    return request_of(55001, STROM, [T("VG1", locations=[("malo", MALOS[0])]),
                                     T("VG2", locations=[("malo", MALOS[1])], transaktionsgrund_ergaenzung="ZAP")])[0]


@pytest.mark.parametrize(("received", "answer_pid", "on", "references", "named", "said"), [
    (lambda: faulty_malo(request_of(55042, STROM, [T("VG1", locations=[("malo", MALO)])])[0]), 55043, STROM,
     [("Z16", OTHER_MALO)], 0, "segment RFF .* fits no place"),
    (lambda: faulty_malo(request_of(55042, STROM, [T("VG1", locations=[("malo", MALO)])])[0]), 55043, STROM,
     [("TN", "A"), ("TN", "B")], 1, "segment RFF .* fits no place"),
    (lambda: request_of(44016, GAS, [T("VG1", locations=[("172", MALO)])])[0], 44018, GAS,
     [("TN", "A"), ("TN", "B")], 1, "segment RFF .* fits no place"),
    (messlokation_referred, 44002, GAS, [("Z18", OTHER_MALO), ("Z16", MALOS[1])], 1, 'is "Z16"'),
    (messlokation_referred, 44002, GAS, [("Z18", OTHER_MALO), ("TN", "X"), ("Z50", MALOS[1])], 2, 'is "Z50"'),
    (plain_and_zap, 55002, STROM, [("Z32", NELO[0]), ("Z19", Y), ("Z50", MALO)], 2, "RFF .* not part of"),
], ids=["Z16 beside a faulty MaLo", "TN twice beside a faulty MaLo", "TN twice", "Z16 after a Z18",
        "Z50 after a TN", "Z50 in the trial"])
def test_a_reference_the_answer_cannot_take_is_named_by_its_own_index(received, answer_pid, on, references, named,
                                                                      said):
    with pytest.raises(ValueError) as refused:
        native.build_answer(received(), answer_pid, on=on, references=references)
    assert re.match(rf"references\[{named}\]: the column of UTILMD {answer_pid} .* — .*{said}", str(refused.value)), \
        refused.value
