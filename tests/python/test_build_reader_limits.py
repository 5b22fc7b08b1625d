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


def test_the_largest_message_that_fits_is_read_back_clean():
    interchange = native.build_interchange(SENDER, RECEIVER, "DAR1", [build(MOST)], on=ON)
    report = native.validate_edifact(interchange, ON)
    assert report.is_valid and len(report.messages[0].vorgaenge) == MOST


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


TWO_MESSLOKATIONEN = {"locations": [("melo", "DE0001234567890123456789012345678"),
                                    ("melo", "DE0001234567890123456789012345679")]}


@pytest.mark.parametrize(("pid", "vorgang", "count"), [
    (55168, lambda n: TWO_MESSLOKATIONEN, 700),
    (55168, lambda n: TWO_MESSLOKATIONEN, 1000),
    (55168, lambda n: TWO_MESSLOKATIONEN if n % 2 else {}, 1000),
    # Every Vorgang of a kind of its own, each with a value the column refuses.
    (55001, lambda n: {"locations": [("malo", f"{n:05d}")]}, 1001),
])
def test_the_size_is_refused_before_what_completion_finds(pid, vorgang, count):
    vorgaenge = [T(f"V{n}", **vorgang(n)) for n in range(count)]
    with pytest.raises(ValueError, match=r"^transactions: the message would hold \d+ segments \("):
        native.build_utilmd(pid, SENDER, RECEIVER, on=ON, transactions=vorgaenge)
