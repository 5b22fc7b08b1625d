"""A built message goes out in an interchange: one its partner's reader could not take is refused,
naming the list that made it so large, and the largest one that fits is read back clean."""

import pytest

import quorvane._native as native

T = native.UtilmdTransaction
SENDER, RECEIVER = "9900000000003", "9900000000010"
ON = "2025-10-01"
# 55001 completes a bare Vorgang to 17 segments and the rest of the message to 6: with UNB and UNZ,
# 587 Vorgänge take 9,987 of the reader's 10,000 segments.
MOST = 587


def build(count):
    return native.build_utilmd(55001, SENDER, RECEIVER, on=ON, transactions=[T(f"V{n}") for n in range(count)])


def messlokation(n):
    return ("melo", f"DE00321067657120000000000{n:08d}")


# 55168 writes a Vorgang naming one Messlokation in 60 segments, completion's sample Lokationen left out:
# 166 of them take 9,968.
@pytest.mark.parametrize(("pid", "vorgang", "count"), [
    (55001, lambda n: {}, MOST),
    (55168, lambda n: {"locations": [messlokation(n)]}, 166),
])
def test_the_largest_message_that_fits_is_read_back_clean(pid, vorgang, count):
    vorgaenge = [T(f"V{n}", **vorgang(n)) for n in range(count)]
    built = native.build_utilmd(pid, SENDER, RECEIVER, on=ON, transactions=vorgaenge)
    report = native.validate_edifact(native.build_interchange(SENDER, RECEIVER, "DAR1", [built], on=ON), ON)
    assert report.is_valid and len(report.messages[0].vorgaenge) == count


# Completion writes sample Lokationen beside a given Marktlokation, which the build leaves out again:
# the size counts a Vorgang without them, 60 segments in 55168, 62 in 55169 and 55043.
@pytest.mark.parametrize(("pid", "most", "segments"), [(55168, 166, 10_026), (55169, 161, 10_050),
                                                       (55043, 161, 10_050)])
def test_the_most_vorgaenge_naming_a_marktlokation_are_built_and_one_more_refused(pid, most, segments):
    vorgaenge = [T(f"V{n}", locations=[("malo", native.malo_from_base(f"51238{n:05d}"))]) for n in range(most + 1)]
    built = native.build_utilmd(pid, SENDER, RECEIVER, on=ON, transactions=vorgaenge[:most])
    report = native.validate_edifact(native.build_interchange(SENDER, RECEIVER, "DAR1", [built], on=ON), ON)
    assert report.is_valid and len(report.messages[0].vorgaenge) == most
    with pytest.raises(ValueError, match=rf"^transactions: the message would hold {segments} segments \("):
        native.build_utilmd(pid, SENDER, RECEIVER, on=ON, transactions=vorgaenge)


@pytest.mark.parametrize(("count", "segments"), [(MOST + 1, 10_002), (2000, 34_006)])
def test_a_message_past_the_readers_limits_is_refused_naming_the_list(count, segments):
    with pytest.raises(ValueError, match=rf"^transactions: the message would hold {segments} segments \("):
        build(count)


@pytest.mark.parametrize("name", ["build_utilmd", "build_mscons", "build_aperak", "build_contrl", "build_aperak_for",
                                  "build_contrl_for", "build_answer", "build_remadv", "build_ordrsp", "build_orders",
                                  "build_iftsta", "build_quotes", "build_interchange"])
def test_every_builder_says_it_refuses_what_the_reader_could_not_take(name):
    doc = " ".join(getattr(native, name).__doc__.split())
    assert "bytes than validate_edifact reads" in doc


# Longer than a segment may be: completion fails on it.
TOO_LONG = {"free_texts": [("ACB", "x" * 70_000)]}
TWO_MESSLOKATIONEN = {"locations": [("melo", "DE0001234567890123456789012345678"),
                                    ("melo", "DE0001234567890123456789012345679")]}


@pytest.mark.parametrize(("pid", "vorgang", "count"), [
    (55168, lambda n: TWO_MESSLOKATIONEN, 700),
    (55168, lambda n: TWO_MESSLOKATIONEN, 1000),
    (55168, lambda n: TWO_MESSLOKATIONEN if n % 2 else {}, 1000),
    # Every Vorgang of a kind of its own, each with a value the column refuses.
    (55001, lambda n: {"locations": [("malo", f"{n:05d}")]}, 1001),
    # The last too long to complete, as refused only once the message was completed; the others of one
    # kind, or naming each its own Messlokation.
    (55002, lambda n: TOO_LONG if n == 999 else {}, 1000),
    (55168, lambda n: TOO_LONG if n == 999 else {"locations": [messlokation(n)]}, 1000),
])
def test_the_size_is_refused_before_what_completion_finds(pid, vorgang, count):
    vorgaenge = [T(f"V{n}", **vorgang(n)) for n in range(count)]
    with pytest.raises(ValueError, match=r"^transactions: the message would hold \d+ segments \("):
        native.build_utilmd(pid, SENDER, RECEIVER, on=ON, transactions=vorgaenge)
