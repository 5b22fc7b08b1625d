"""build_answer puts each of the request's units at its MIG place: in completion's unit of that place, whatever
its code, or where the MIG puts a unit completion lacks. A unit the answer's column rejects gives way alone, never
to completion's sample, and a Vorgang past the findings cap costs its neighbour nothing."""

import re

import pytest

import quorvane._native as native
from answer_support import segments
from test_answer_carried import clean, request_of
from test_answer_confirms import vorgaenge, with_count
from test_answer_edited_requests import listed, rebuilt, vorgang
from test_answer_request_values import with_own_values

T = native.UtilmdTransaction
ON = "2026-10-01"
MELO = "DE00056266802AO6G56M11SN51G21M24S"
REFUSED = '^received: message 0, Vorgang "VG1": the answer must carry {}, in a form the answer\'s column rejects — '

# Values a 44013 request gives where completion writes others: its Bilanzierungsbeginn, its street, its references.
OWN_BEGINN = "DTM+158:202609290400?+00:303'"
OWN_VALUES = [("DTM+158:202609300400?+00:303'", OWN_BEGINN), ("Musterstr. 1", "Hauptstr. 7")]
KEPT = [OWN_BEGINN[:-1], "RFF+Z10:REF44013", "RFF+MG:REF44013", "NAD+DP++++Hauptstr. 7+Berlin++10115+DE"]

# Groups a 44013 request may hold that completion of 44014 does not write.
MESSLOKATION = f"SEQ+Z50'RFF+Z19:{MELO}'CCI+++E13'CAV+Z30:::7'"
UMWERTER = "SEQ+Z09'RFF+MG:UMW1'CCI+++Z64'CAV+Z30:::UMW1'CAV+DMU'"
GATEWAY = "SEQ+Z13'CCI+++Z75'CAV+Z30:::1ESY1160123456'"
LASTPROFIL = "SEQ+Z35'CCI+Z12++E01'CAV+H0::89'CCI+Z99++ZF1:X:89'"
KUNDE = "NAD+Z09+++Schmidt:Hans::::Z01'"
ANSCHRIFT = "NAD+Z04+++Schmidt:Hans::::Z01+Hauptstr. 5+Hamburg++20095+DE'"
ABLESEKARTE = f"NAD+Z05+++Schmidt:Hans::::Z01+Hauptstr. 5+Hamburg++20095+DE'RFF+Z19:{MELO}'"

# The SEQ+Z18 of a 55168 request as build_utilmd writes it, naming the Messstellenbetreiber by samples.
SAMPLE_MSB = ("CAV+Z91:E_0001::Z39:Z19'CAV+ZF0:E_0001'CAV+ZB4:E_0001'CCI+++E04'CAV+E03'CCI+Z01++Z82'"
              "CCI+Z32++ZC1'")
NAMED_MSB = ("CAV+Z91:9900000000010::Z39:Z19'CAV+ZF0:9900000000010'CAV+ZB4:9900000000003'CCI+++E04'CAV+E03'"
             "CCI+Z01++Z82'CCI+Z32++ZC1'")


def edited(received, *swaps):
    """The request with each (old, new) swapped once, counted anew."""
    for old, new in swaps:
        assert old.encode() in received, old
        received = received.replace(old.encode(), new.encode(), 1)
    return with_count(received)


def answer(request_pid, answer_pid, *swaps, on=ON):
    """The edited request and its answer, which its column accepts."""
    received, sender, receiver = request_of(request_pid, on)
    received = edited(received, *swaps)
    built = native.build_answer(received, answer_pid, on=on)
    assert clean(built, on, receiver, sender) == (True, [])
    return received, built


def group(found, head):
    """The segments of the SG8 or SG12 group that `head` starts, up to the next group or the message's end."""
    if head not in found:
        return []
    start = found.index(head)
    end = next((at for at in range(start + 1, len(found)) if found[at].startswith(("SEQ+", "NAD+", "UNT+"))),
               len(found))
    return found[start:end]


@pytest.mark.parametrize("forbidden", [
    ["DTM+159:202609300400?+00:303'"],  # a Bilanzierungsende without an Ende zum
    [LASTPROFIL],  # Lastprofildaten without a Prognose auf Basis von Profilen
    # Many at once: each goes on the fault that names its place, not after a search of the Vorgang's values.
    ["DTM+159:202609300400?+00:303'", LASTPROFIL, ANSCHRIFT * 5],
], ids=["date", "group", "several"])
def test_a_request_unit_the_answers_column_forbids_goes_and_the_vorgangs_other_values_stay(forbidden):
    dates = "".join(unit for unit in forbidden if unit.startswith("DTM"))
    groups = "".join(unit for unit in forbidden if not unit.startswith("DTM"))
    _, built = answer(44013, 44014, *OWN_VALUES, (OWN_BEGINN, OWN_BEGINN + dates), ("NAD+DP", groups + "NAD+DP"))
    found = segments(built)
    assert not [segment for segment in found if segment.startswith(("DTM+159", "SEQ+Z35", "NAD+Z04"))]
    assert all(value in found for value in KEPT)


@pytest.mark.parametrize("inserted", [
    [("SEQ+Z20'", MESSLOKATION + UMWERTER)],  # between the Zähleinrichtung and its OBIS-Daten
    [("NAD+DP", GATEWAY)],  # after the last SG8 group, before the SG12 groups
    [("NAD+DP", KUNDE + ANSCHRIFT), ("UNT+", ABLESEKARTE)],  # SG12 groups on either side of completion's
], ids=["sg8", "last-sg8", "sg12"])
def test_a_request_group_the_answer_lacks_goes_where_the_mig_puts_it(inserted):
    _, built = answer(44013, 44014, *[(follower, units + follower) for follower, units in inserted])
    found = segments(built)
    for follower, units in inserted:
        carried = segments(units)
        assert carried[0] in found, carried[0]
        at = found.index(carried[0])
        assert found[at:at + len(carried)] == carried
        assert found[at + len(carried)].startswith(follower.rstrip("'"))


@pytest.mark.parametrize(("request_pid", "answer_pid", "asked", "own"), [
    (44013, 44014, "CCI+++Y01'CAV+Y01'CCI+++ZC0'", "CCI+++Y01'CAV+Y03'CCI+++ZC0'"),  # Druckebene
    (44013, 44014, "CCI+++E13'CAV+NMG'CAV+:::G10'", "CCI+++E13'CAV+BGZ'CAV+:::G10'"),  # Zählertyp
    (44013, 44014, "SEQ+Z20'RFF+Z11:REF44013'RFF+Z19", "SEQ+Z20'RFF+MG:REF44013'RFF+Z19"),  # Gerätenummer
    (55168, 55169, "CCI+++E04'CAV+E03'CCI+Z01++Z82'", "CCI+++E04'CAV+E05'CCI+Z01++Z82'"),  # Spannungsebene
], ids=["druckebene", "zaehlertyp", "geraetenummer", "spannungsebene"])
def test_another_code_at_completions_place_inside_a_group_replaces_completions(request_pid, answer_pid, asked, own):
    _, built = answer(request_pid, answer_pid, (asked, own))
    # Between the same neighbours as in the request: completion's unit of that place does not stand beside it.
    assert own.encode() in built


@pytest.mark.parametrize(("request_pid", "answer_pid", "swaps", "gone", "kept"), [
    # A Jahresmenge without a Prognose auf Basis von Profilen, in a Marktlokation's data of the request's own.
    (44013, 44014, [("SEQ+Z01'", "SEQ+Z01'QTY+31:5000:KWH'"), ("GABi-RLMNEV", "GABi-RLMmT"),
                    ("CAV+Z73:::Z11", "CAV+Z73:::Z10")],
     ("QTY+31",), ["SEQ+Z01", "CCI+++Z17:GABi-RLMmT", "CAV+Z73:::Z10"]),
    # The MSB Alt and the Betriebszustand of a Messlokation the request says is not the one in process: neither the
    # request's nor completion's stands.
    (55168, 55169, [(SAMPLE_MSB, NAMED_MSB.replace("Z82", "Z81"))], ("CAV+ZB4", "CCI+Z32"),
     ["SEQ+Z18", f"RFF+Z19:{MELO}", "CAV+Z91:9900000000010::Z39:Z19", "CAV+ZF0:9900000000010", "CCI+Z01++Z81"]),
], ids=["gas", "power"])
def test_a_forbidden_segment_inside_a_request_group_goes_alone(request_pid, answer_pid, swaps, gone, kept):
    _, built = answer(request_pid, answer_pid, *swaps)
    found = segments(built)
    assert not [segment for segment in found if segment.startswith(gone)]
    assert all(value in found for value in kept)


@pytest.mark.parametrize(("request_pid", "answer_pid", "asked", "faulty", "named"), [
    (44013, 44014, "CAV+Z73:::Z11'", "CAV+Z73:::Z99'", 'CAV+Z73, which the request gives as "CAV+Z73:::Z99"'),
    (44013, 44014, f"SEQ+Z18'RFF+Z19:{MELO}'", "SEQ+Z18'RFF+Z19:DE0005626680'",
     'RFF+Z19, which the request gives as "RFF+Z19:DE0005626680"'),
    (55168, 55169, "CCI+++E04'CAV+E03'", "CCI+++E04'CAV+E99'", 'CAV+E99, which the request gives as "CAV+E99"'),
    # A group completion does not write, which the request's Kunde makes required.
    (44013, 44014, "NAD+DP", KUNDE + ANSCHRIFT.replace("Schmidt", "S" * 80) + "NAD+DP",
     f'NAD+Z04, which the request gives as "{ANSCHRIFT.replace("Schmidt", "S" * 80)[:-1]}"'),
], ids=["code", "format", "power", "unit-only-the-request-has"])
def test_a_faulty_value_at_a_required_place_in_a_group_is_refused_not_replaced_by_a_sample(
        request_pid, answer_pid, asked, faulty, named):
    received, _, _ = request_of(request_pid, ON)
    with pytest.raises(ValueError, match=REFUSED.format(re.escape(named))):
        native.build_answer(edited(received, (asked, faulty)), answer_pid, on=ON)


@pytest.mark.parametrize("on", ["2025-10-01", "2026-10-01"])
@pytest.mark.parametrize("named", [
    NAMED_MSB,
    # The Messlokation not the one in process, so that completion's MSB Alt and Betriebszustand cannot stand.
    "CAV+Z91:9900000000010::Z39:Z19'CAV+ZF0:9900000000010'CCI+++E04'CAV+E03'CCI+Z01++Z81'",
], ids=["in-process", "not-in-process"])
def test_a_group_the_request_holds_holds_its_values_or_goes(on, named):
    received, built = answer(55168, 55169, (SAMPLE_MSB, named), on=on)
    carried = group(segments(built), "SEQ+Z18")
    assert carried in ([], group(segments(received), "SEQ+Z18"))
    assert carried or named != NAMED_MSB


# Groups whose Messlokation ID is no Zählpunktbezeichnung, each drawing three findings in the answer's column.
FAULTY_GROUPS = "SEQ+Z50'RFF+Z19:X'" * 400


@pytest.mark.parametrize("faulty", [0, 1])
def test_a_vorgang_past_the_findings_cap_costs_its_neighbour_nothing(faulty):
    received, sender, receiver = request_of(44013, ON, (T("V1"), T("V2")))
    head, *bodies = received.decode().split("IDE+24+")
    for old, new in OWN_VALUES:
        bodies[1 - faulty] = bodies[1 - faulty].replace(old, new)
    bodies[faulty] = bodies[faulty].replace("NAD+DP", FAULTY_GROUPS + "NAD+DP")
    received = with_count("IDE+24+".join([head, *bodies]).encode())
    built = native.build_answer(received, 44014, on=ON)
    assert clean(built, ON, receiver, sender) == (True, [])
    answered = vorgaenge(built)
    assert all(value in answered[1 - faulty] for value in KEPT)
    assert "SEQ+Z50" not in answered[faulty]


@pytest.mark.parametrize("faulty", ["DTM+158:202602300400?+00:303'", "DTM+158:20260930:102'",
                                    "DTM+158:202609300400:303'"])
def test_a_request_date_the_answer_rejects_where_it_requires_one_is_refused_and_given_as_advised(faulty):
    received, sender, receiver = request_of(44013, ON)
    received = edited(received, ("DTM+158:202609300400?+00:303'", faulty))
    with pytest.raises(ValueError, match=REFUSED.format(re.escape(f'DTM+158, which the request gives as "{faulty[:-1]}"'))
                       + r".*; give the date as process_dates=\[\(\"158\", \"CCYYMMDDHHMM\+00\"\)\]$"):
        native.build_answer(received, 44014, on=ON)
    answer = native.build_answer(received, 44014, on=ON, process_dates=[("158", "202609290400+00")])
    assert clean(answer, ON, receiver, sender)[0]
    assert "DTM+158:202609290400?+00:303" in vorgaenge(answer)[0]


@pytest.mark.parametrize(("request_pid", "answer_pid", "repeated"), [
    (55042, 55043, "NAD+Z07"), (55042, 55043, "NAD+Z05"), (55039, 55040, "NAD+Z07"),
])
def test_a_party_group_the_request_repeats_keeps_its_values_in_every_copy(request_pid, answer_pid, repeated):
    received, sender, receiver = request_of(request_pid, ON)
    found = segments(with_own_values(received, ON))
    copy = group(found, next(segment for segment in found if segment.startswith(repeated)))
    at = found.index(copy[0])
    received = with_count("".join(f"{segment}'" for segment in found[:at] + copy + found[at:]).encode("latin-1"))
    assert native.validate_edifact(received, ON).is_valid
    built = native.build_answer(received, answer_pid, on=ON)
    assert clean(built, ON, receiver, sender) == (True, [])
    answered = vorgaenge(built)[0]
    assert answered.count(copy[0]) == 2
    asked = vorgaenge(received)[0]
    assert [segment for segment in answered if segment.startswith("DTM+") and segment[:7] in
            {date[:7] for date in asked} and segment not in asked] == []
    assert not [segment for segment in answered if "Mustermann" in segment]


def test_a_repeated_group_head_with_nothing_in_it_goes_and_its_copy_with_the_values_stays():
    head = ABLESEKARTE.split("'")[0] + "'"
    _, built = answer(44013, 44014, *OWN_VALUES, ("NAD+DP", KUNDE + ANSCHRIFT + "NAD+DP"),
                      ("UNT+", head + ABLESEKARTE + "UNT+"))
    found = segments(built)
    carried = segments(ABLESEKARTE)
    at = found.index(carried[0])
    assert found[at:at + len(carried)] == carried and found.count(carried[0]) == 1
    assert all(value in found for value in KEPT)


@pytest.mark.parametrize("lacking_first", [False, True], ids=["second-lacks", "first-lacks"])
def test_a_party_copy_that_lacks_a_required_segment_goes_alone_and_the_whole_copy_stays(lacking_first):
    # What one Ablesekarte lacks, its Messlokation, is not the fault of the other's.
    lacking = ABLESEKARTE.split("'")[0].replace("Schmidt:Hans", "Meier:Karl") + "'"
    parties = lacking + ABLESEKARTE if lacking_first else ABLESEKARTE + lacking
    _, built = answer(44013, 44014, *OWN_VALUES, ("NAD+DP", KUNDE + ANSCHRIFT + "NAD+DP"), ("UNT+", parties + "UNT+"))
    found = segments(built)
    carried = segments(ABLESEKARTE)
    at = found.index(carried[0])
    assert found[at:at + len(carried)] == carried
    assert lacking[:-1] not in found


@pytest.mark.parametrize(("answer_pid", "required"), [(55169, True), (55170, False)])
def test_a_request_date_in_a_format_no_place_takes_is_refused_where_required_and_else_goes(answer_pid, required):
    received, sender, receiver = request_of(55168, ON)
    asked = next(segment for segment in segments(received) if segment.startswith("DTM+76:"))
    received = edited(received, (asked, "DTM+76:20261231:102"))
    if required:
        with pytest.raises(ValueError, match=REFUSED.format(re.escape('DTM+76, which the request gives as '
                                                                      '"DTM+76:20261231:102"'))):
            native.build_answer(received, answer_pid, on=ON)
        return
    built = native.build_answer(received, answer_pid, on=ON)
    assert clean(built, ON, receiver, sender) == (True, [])
    assert not [segment for segment in vorgaenge(built)[0] if segment.startswith("DTM+76")]


BEFRISTET = [("DTM+92:202609300400?+00:303'", "DTM+92:202609300400?+00:303'DTM+93:202612310500?+00:303'"),
             ("DTM+158:202609300400?+00:303'", "DTM+158:202609300400?+00:303'DTM+159:202612310500?+00:303'"),
             ("STS+7++E06'", "STS+7++E06'STS+Z17++E03'")]


@pytest.mark.parametrize("reverse", [False, True], ids=["in-order", "dates-reversed"])
def test_units_the_column_admits_only_together_are_carried_together(reverse):
    received, sender, receiver = request_of(44013, ON)
    found = listed(edited(received, *BEFRISTET))
    if reverse:
        # A date of the Vorgang out of order stands at the place of its qualifier all the same.
        ide, end = vorgang(found)
        dates = [at for at in range(ide + 1, end) if found[at].startswith("DTM+")]
        for at, date in zip(dates, reversed([found[at] for at in dates])):
            found[at] = date
    built = native.build_answer(rebuilt(found), 44014, on=ON)
    assert clean(built, ON, receiver, sender) == (True, [])
    found = segments(built)
    assert all(unit.split("'")[1] in found for _, unit in BEFRISTET)


@pytest.mark.parametrize("parties", [
    [("NAD+DP", KUNDE)],  # the Korrespondenzanschrift the Kunde asks for is missing
    [("NAD+DP", KUNDE + ANSCHRIFT)],  # the Ablesekarte both ask for is missing
    [("NAD+DP", KUNDE), ("UNT+", ABLESEKARTE)],
], ids=["kunde", "kunde-anschrift", "kunde-ablesekarte"])
def test_a_request_party_that_asks_for_a_group_nobody_wrote_goes_and_the_vorgangs_other_values_stay(parties):
    # The fault names the missing group, not the Kunde: the Vorgang's values are searched for the one that draws it,
    # and a party that stands only beside the Kunde goes after it.
    _, alone = answer(44013, 44014, *OWN_VALUES)
    _, built = answer(44013, 44014, *OWN_VALUES, *[(follower, units + follower) for follower, units in parties])
    assert built == alone
    assert all(value in segments(built) for value in KEPT)


def moved(received, head, follower):
    """The request with the SG8 or SG12 group that starts with `head` standing before the segment that starts with
    `follower`, counted anew."""
    found = segments(received)
    start = next(at for at, segment in enumerate(found) if segment.startswith(head))
    end = next(at for at in range(start + 1, len(found)) if found[at].startswith(("SEQ+", "NAD+", "UNT+")))
    rest = found[:start] + found[end:]
    at = next(at for at, segment in enumerate(rest) if segment.startswith(follower))
    return with_count("".join(f"{segment}'" for segment in rest[:at] + found[start:end] + rest[at:]).encode())


@pytest.mark.parametrize(("request_pid", "answer_pid", "own", "head", "follower", "value", "sample"), [
    (55168, 55169, [("CAV+Z90:E_0001'", "CAV+Z90:E_0042'")], "SEQ+Z01", "UNT+", "CAV+Z90:E_0042",
     "CAV+Z90:E_0001"),
    (55168, 55169, [], "SEQ+Z78", "UNT+", "RFF+Z31:5516800000000:1", "RFF+Z31:5516900000000:1"),
    (55168, 55169, [("RFF+MG:REF55168", "RFF+MG:QWN55168")], "SEQ+Z05", "UNT+", "RFF+MG:QWN55168",
     "RFF+MG:REF55169"),
    (44168, 44169, [("RFF+Z11:REF44168", "RFF+Z11:QWN44168")], "SEQ+Z20", "UNT+", "RFF+Z11:QWN44168",
     "RFF+Z11:REF44169"),
    # A party the answer's column forbids, written before the SEQ groups.
    (44013, 44014, [("RFF+Z10:REF44013", "RFF+Z10:QWN44013"), ("NAD+DP", ANSCHRIFT + "NAD+DP")], "NAD+Z04",
     "SEQ+Z07", "RFF+Z10:QWN44013", "RFF+Z10:REF44014"),
], ids=["seq-z01", "seq-z78", "seq-z05", "seq-z20", "nad-z04"])
def test_a_group_written_out_of_the_migs_order_is_answered_as_one_in_order(
        request_pid, answer_pid, own, head, follower, value, sample):
    received, sender, receiver = request_of(request_pid, ON)
    in_order = edited(received, *own)
    out_of_order = moved(in_order, head, follower)
    assert not native.validate_edifact(out_of_order, ON).is_valid
    built = native.build_answer(out_of_order, answer_pid, on=ON)
    assert clean(built, ON, receiver, sender) == (True, [])
    found = segments(built)
    assert value in found and sample not in found
    assert built == native.build_answer(in_order, answer_pid, on=ON)
