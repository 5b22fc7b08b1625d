"""build_answer to a request whose unit stands more often than the MIG's count: a group past the count the reader
places, or a segment of a group past the count the column allows. The answer holds as many copies as the count, the
request's first clean ones: a copy past the count stands where one before it went for a fault of its own. Copies of a
group whose code no place lists take no place of the request's own groups, wherever they stand."""

import functools

import pytest

import quorvane._native as native
from answer_support import segments
from test_answer_carried import clean, request_of
from test_answer_confirms import with_count

T = native.UtilmdTransaction
ON = "2025-10-01"
# (unit, the MIG's count of it, its copy with a fault of its own, its clean copy marked n): the NAD+Z05 group, whose
# copies past the count the reader places nowhere, and the Zählpunkt's RFF in it, whose copies it places for the
# column to count.
GROUP = ("NAD+Z05+", 99, lambda head: head.replace("Mustermann", "M" * 80, 1),
         lambda head, n: head.replace("Mustermann", f"Mustermann{n:04}", 1))
REFERENCE = ("RFF+Z19:", 9, lambda rff: rff + "X" * 40, lambda rff, n: f"{rff[:-4]}{n:04}")


def with_copies(received, unit, copies, marks=None):
    """The request with each Vorgang's NAD+Z05 group, or its `unit` in the group, standing once per entry of
    `copies`, the entries True with a fault of their own, the others marked with the entry of `marks` where given."""
    prefix, _, faulty, marked = unit
    found = segments(received)
    grouped = set(in_group(found))
    edited, at = [], 0
    while at < len(found):
        if not (found[at].startswith(prefix) and at in grouped):
            edited.append(found[at])
            at += 1
            continue
        end = at + 1
        if unit is GROUP:
            while not found[end].startswith(("NAD+", "SEQ+", "IDE+", "UNT+")):
                end += 1
        for n, fault in enumerate(copies):
            head = faulty(found[at]) if fault else found[at] if marks is None else marked(found[at], marks[n])
            edited += [head, *found[at + 1:end]]
        at = end
    return with_count("".join(f"{segment}'" for segment in edited).encode())


def in_group(found):
    """Where the segments of every NAD+Z05 group stand."""
    kept, inside = [], False
    for at, segment in enumerate(found):
        inside = segment.startswith(GROUP[0]) or (inside and not segment.startswith(("NAD+", "SEQ+", "IDE+", "UNT+")))
        if inside:
            kept.append(at)
    return kept


@pytest.fixture(scope="module")
def requests():
    """(request of one Vorgang, of two, sender, receiver)."""
    one, sender, receiver = request_of(55168, ON)
    two, *_ = request_of(55168, ON, (T("VG1"), T("VG2")))
    return one, two, sender, receiver


@pytest.mark.parametrize("unit", [GROUP, REFERENCE], ids=["group", "reference"])
def test_the_count_is_the_migs(requests, unit):
    one, _, _, _ = requests
    count = unit[1]
    assert native.validate_edifact(with_copies(one, unit, [False] * count), ON).is_valid
    assert not native.validate_edifact(with_copies(one, unit, [False] * (count + 1)), ON).is_valid


# (copies, the faulty ones) for a count c.
CASES = {"one faulty within": lambda c: (c, {c // 2}), "the first faulty": lambda c: (c + 1, {0}),
         "two faulty within": lambda c: (c + 2, {1, c - 2}),
         "three faulty within": lambda c: (c + 3, {0, c // 4, c - 1}),
         "the first past faulty": lambda c: (c + 2, {c}), "clean past": lambda c: (c + 31, set()),
         "faulty within and past": lambda c: (c + 5, {0, 1, c, c + 1}), "thousands": lambda c: (2400, set()),
         # The copies past the count tried together hold a faulty one: the clean ones among them stand all the same.
         "one faulty among those tried": lambda c: (c + 3, {0, 1, c}),
         "one faulty among four tried": lambda c: (c + 6, {0, 1, 2, 3, c + 1}),
         "a clean copy past the one tried": lambda c: (c + 4, {0, c})}


@pytest.mark.parametrize("vorgaenge", [1, 2])
@pytest.mark.parametrize("case", CASES)
@pytest.mark.parametrize("unit", [GROUP, REFERENCE], ids=["group", "reference"])
def test_the_answer_holds_the_first_clean_copies_up_to_the_count(requests, unit, case, vorgaenge):
    one, two, sender, receiver = requests
    received = one if vorgaenge == 1 else two
    copies, faulty = CASES[case](unit[1])
    built = native.build_answer(with_copies(received, unit, [n in faulty for n in range(copies)]), 55169, on=ON)
    assert clean(built, ON, receiver, sender) == (True, [])
    kept = min(unit[1], copies - len(faulty))
    # The answer to the request holding only the copies that stand.
    assert built == native.build_answer(with_copies(received, unit, [False] * kept), 55169, on=ON)
    found = segments(built)
    assert sum(found[at].startswith(unit[0]) for at in in_group(found)) == kept * vorgaenge


@pytest.mark.parametrize("vorgaenge", [1, 2])
@pytest.mark.parametrize("case", CASES)
@pytest.mark.parametrize("unit", [GROUP, REFERENCE], ids=["group", "reference"])
def test_the_copies_that_stand_are_the_first_clean_ones(requests, unit, case, vorgaenge):
    """Each copy told apart by a mark of its own, the answer is the one to the request holding only the first clean
    copies up to the count: no later copy stands in for one of them."""
    one, two, _, _ = requests
    received = one if vorgaenge == 1 else two
    copies, faulty = CASES[case](unit[1])
    built = native.build_answer(with_copies(received, unit, [n in faulty for n in range(copies)], range(copies)),
                                55169, on=ON)
    standing = [n for n in range(copies) if n not in faulty][:unit[1]]
    assert built == native.build_answer(with_copies(received, unit, [False] * len(standing), standing), 55169, on=ON)


# Requests whose parties are their own values, not completion's samples: (request, answer, date, Lokationen).
OWN_PARTIES = {"Mustermann": "Zacharias", "Musterstr. 1": "Quittenweg 7", "Berlin": "Hamm", "10115": "59065"}
PARTY_PAIRS = [(55168, 55169, ON, [("malo", "50605869880")]), (44168, 44169, "2026-10-01", []),
               (44013, 44014, "2026-10-01", []), (55042, 55043, ON, [])]
# A party group of a code no place of the MIG lists, which the answer never carries.
FOREIGN = "NAD+Z99+++Fremd:::::Z01"
# What stands copied: that group, alone and with a Zählpunkt reference; a SEQ group of a code no place lists; a
# segment of a tag the MIG does not know.
ZAEHLPUNKT = "RFF+Z19:DE00056266802AO6G56M11SN51G21M24S"
FOREIGN_UNITS = {"party": [FOREIGN], "party with reference": [FOREIGN, ZAEHLPUNKT],
                 "sequence": ["SEQ+Z99", ZAEHLPUNKT], "segment": ["XYZ+1"]}
STOPS = ("NAD+", "SEQ+", "IDE+", "UNT+")


def group_end(found, at):
    return next(end for end in range(at + 1, len(found)) if found[end].startswith(STOPS))


# Where the copies stand, given the segments, the Vorgang's IDE and its party groups' heads; "between" is after the
# first party group, which is the last too in a request of one.
PLACEMENTS = {"after the parties": lambda found, ide, parties: group_end(found, parties[-1]),
              "before the parties": lambda found, ide, parties: parties[0],
              "between the parties": lambda found, ide, parties: group_end(found, parties[0]),
              "after the head": lambda found, ide, parties: group_end(found, ide)}


def with_foreign_copies(received, copies, placement, unit):
    """The request with `copies` of `unit` where `placement` puts them."""
    found = segments(received)
    ide = next(at for at, segment in enumerate(found) if segment.startswith("IDE+"))
    parties = [at for at in range(ide, len(found)) if found[at].startswith(("NAD+Z", "NAD+DP"))]
    at = PLACEMENTS[placement](found, ide, parties)
    found[at:at] = unit * copies
    return with_count("".join(f"{segment}'" for segment in found).encode())


@pytest.mark.parametrize("copies", [1, 400, 1000, 3000])
@pytest.mark.parametrize("unit", FOREIGN_UNITS)
@pytest.mark.parametrize("placement", PLACEMENTS)
@pytest.mark.parametrize(("request_pid", "answer_pid", "on", "locations"), PARTY_PAIRS,
                         ids=[f"{pair[0]}-{pair[1]}" for pair in PARTY_PAIRS])
def test_copies_of_a_foreign_group_leave_the_requests_parties(request_pid, answer_pid, on, locations, placement,
                                                              unit, copies):
    received = own_parties(request_pid, on, tuple(locations))
    alone = native.build_answer(received, answer_pid, on=on)
    parties = [segment for segment in segments(received) if segment.startswith(("NAD+Z", "NAD+DP"))]
    assert parties and set(parties) <= set(segments(alone))
    copied = with_foreign_copies(received, copies, placement, FOREIGN_UNITS[unit])
    assert native.build_answer(copied, answer_pid, on=on) == alone


@functools.cache
def own_parties(request_pid, on, locations):
    """The request with the parties' own values in place of completion's samples."""
    received, _, _ = request_of(request_pid, on, (T("VG1", locations=list(locations)),))
    for sample, own in OWN_PARTIES.items():
        received = received.replace(sample.encode(), own.encode())
    return received
