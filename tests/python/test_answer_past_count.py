"""build_answer to a request whose group stands more often than the reader places it: the answer holds as many
copies as the MIG's count, the request's first clean ones, and a copy past the count stands where one before it
went for a fault of its own."""

import pytest

import quorvane._native as native
from answer_support import segments
from test_answer_carried import clean, request_of
from test_answer_confirms import with_count

T = native.UtilmdTransaction
ON = "2025-10-01"
HEAD = "NAD+Z05+"
COUNT = 99  # the MIG's repetitions of the NAD+Z05 group
FAULTY_NAME = "M" * 80  # longer than the name's data element takes


def with_copies(received, copies):
    """The request with each Vorgang's NAD+Z05 group (its head up to the next group) standing once per entry of
    `copies`, the entries True written with a faulty name."""
    found = segments(received)
    edited, at = [], 0
    while at < len(found):
        if not found[at].startswith(HEAD):
            edited.append(found[at])
            at += 1
            continue
        end = next(stop for stop in range(at + 1, len(found)) if found[stop].startswith(("NAD+", "SEQ+", "IDE+",
                                                                                          "UNT+")))
        for faulty in copies:
            head = found[at].replace("Mustermann", FAULTY_NAME, 1) if faulty else found[at]
            edited += [head, *found[at + 1:end]]
        at = end
    return with_count("".join(f"{segment}'" for segment in edited).encode())


@pytest.fixture(scope="module")
def requests():
    """(request of one Vorgang, of two, sender, receiver)."""
    one, sender, receiver = request_of(55168, ON)
    two, *_ = request_of(55168, ON, (T("VG1"), T("VG2")))
    return one, two, sender, receiver


def test_the_count_is_the_readers(requests):
    one, _, _, _ = requests
    assert native.validate_edifact(with_copies(one, [False] * COUNT), ON).is_valid
    assert not native.validate_edifact(with_copies(one, [False] * (COUNT + 1)), ON).is_valid


@pytest.mark.parametrize("vorgaenge", [1, 2])
@pytest.mark.parametrize("copies, faulty", [
    (COUNT, {5}), (COUNT + 1, {0}), (COUNT + 2, {8, 57}), (COUNT + 3, {0, 23, 92}), (COUNT + 2, {COUNT}),
    (COUNT + 31, set()), (2400, set()), (COUNT + 5, {0, 1, COUNT, COUNT + 1}),
])
def test_the_answer_holds_the_first_clean_copies_up_to_the_count(requests, vorgaenge, copies, faulty):
    one, two, sender, receiver = requests
    received = one if vorgaenge == 1 else two
    built = native.build_answer(with_copies(received, [n in faulty for n in range(copies)]), 55169, on=ON)
    assert clean(built, ON, receiver, sender) == (True, [])
    kept = min(COUNT, copies - len(faulty))
    # The answer to the request holding only the copies that stand.
    expected = native.build_answer(with_copies(received, [False] * kept), 55169, on=ON)
    assert built == expected
    assert sum(segment.startswith(HEAD) for segment in segments(built)) == kept * vorgaenge
