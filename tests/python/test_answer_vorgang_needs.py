"""A Vorgang of several needs a Lokation only where its answer's column requires one there and it names none; a
given Lokation goes to those Vorgänge alone, never beside a Vorgang's own, its reference with it; a faulty caller's
reference is named before anything of the request's; the build_utilmd route answers every Vorgang with its own
values and the caller's, and names what of the request it cannot say, each value once; the advised calls read as
Python reads them."""

import ast
import re

import pytest

import quorvane._native as native
from answer_support import segments, tagged
from test_answer_carried import clean, request_of
from test_answer_given_lokationen import holds, vorgaenge
from test_answer_lokationen import (BEFRISTET, MALO, MELO, OBLIGING, ROUTE, VENDOR_44001, advised, answered,
                                    followed, vendor_44001)
from test_answer_mixed_vorgaenge import faults, named_in

T = native.UtilmdTransaction
STROM, GAS = "2025-10-01", "2026-10-01"
MALOS = ("50074561182", "50363191707", "50605869880")
X, Y = MELO, "DE0032106765712000000000000000045"
OTHER_MALO = "61234567802"
TRANCHE = native.malo_from_base("4123456789")


def refusal_of(received, answer_pid, on, **given):
    with pytest.raises(ValueError) as refused:
        native.build_answer(received, answer_pid, on=on, **given)
    return str(refused.value)


def recounted(text):
    count = len(segments(text[text.index("UNH"):text.index("UNZ")]))
    return re.sub(r"UNT\+\d+", f"UNT+{count}", text).encode()


NELO = [native.resource_id_from_base("nelo", base) for base in ("E712345678", "E712345679")]
MELOS = [Y, "DE0032106765712000000000000000061", "DE0032106765712000000000000000079"]


@pytest.mark.parametrize(("references", "held"), [
    ([("Z19", MELOS[0]), ("Z32", NELO[0])], [[MELOS[0], NELO[0]], [], [MELOS[0], NELO[0]]]),
    ([("Z19", MELOS[0]), ("Z19", MELOS[1]), ("Z32", NELO[0]), ("Z32", NELO[1])],
     [[MELOS[0], NELO[0]], [], [MELOS[1], NELO[1]]]),
    (list(zip(["Z19"] * 3, MELOS)) + [("Z32", NELO[0])], "references: 3 IDs of a Messlokation (Zählpunktbezeichnung) "
     "given for 3 Vorgänge, 2 of which need one: give one ID (it stands in each Vorgang that needs one) or 2, one for "
     "each of them in Vorgang order")], ids=["one for all", "one each", "another count"])
def test_given_lokationen_go_to_the_vorgaenge_that_need_them(references, held):
    received, sender, receiver = request_of(55001, STROM, [
        T(number, locations=[("malo", malo)], **({} if number == "VG2" else {"transaktionsgrund_ergaenzung": "ZAP"}))
        for number, malo in zip(("VG1", "VG2", "VG3"), MALOS)])
    if isinstance(held, str):
        assert refusal_of(received, 55002, STROM, references=references) == held
        return
    answer = native.build_answer(received, 55002, on=STROM, references=references)
    assert clean(answer, STROM, receiver, sender) == (True, [])
    assert [[value for _, value in references if holds(vorgang, value)] for vorgang in vorgaenge(answer)] == held


@pytest.mark.parametrize(("request_pid", "answer_pid", "vorgaenge", "references", "said"), [
    (55001, 55002, [T("VG1", transaktionsgrund_ergaenzung="ZAP", locations=[("malo", MALOS[0])]),
                    T("VG2", locations=[("malo", MALOS[1])])], [("Z19", Y), ("Z19", MELOS[1])],
     "references: 2 IDs of a Messlokation (Zählpunktbezeichnung) given for 2 Vorgänge, 1 of which needs one: "
     "give 1 ID"),
    (55042, 55043, [T("VG1", locations=[("malo", MALOS[0]), ("melo", X)]), T("VG2", locations=[("malo", MALOS[1])])],
     [("Z32", NELO[0]), ("Z32", NELO[1]), ("Z32", NELO[1])],
     "references: 3 IDs of a Netzlokation (Netzlokations-ID) given for 2 Vorgänge, 2 of which name none: give one ID "
     "(it stands in each Vorgang that names none) or 2, one for each of them in Vorgang order")],
    ids=["one needs one", "two name none"])
def test_a_count_of_ids_the_vorgaenge_do_not_take_is_refused_as_a_person_would_say_it(request_pid, answer_pid,
                                                                                       vorgaenge, references, said):
    received, _, _ = request_of(request_pid, STROM, vorgaenge)
    assert refusal_of(received, answer_pid, STROM, references=references) == said


def three(middle):
    return [T(number, locations=[("malo", malo)] + (middle if number == "VG2" else []))
            for number, malo in zip(("VG1", "VG2", "VG3"), MALOS)]


def test_one_given_lokation_stands_in_each_vorgang_naming_none_and_nowhere_when_each_names_its_own():
    received, sender, receiver = request_of(55042, STROM, three([("melo", X)]))
    answer = native.build_answer(received, 55043, on=STROM, references=[("Z19", Y)])
    assert clean(answer, STROM, receiver, sender) == (True, [])
    assert [(holds(vorgang, X), holds(vorgang, Y)) for vorgang in vorgaenge(answer)] == [
        (False, True), (True, False), (False, True)]
    received, _, _ = request_of(55042, STROM, [
        T(number, locations=[("malo", malo), ("melo", own)])
        for number, malo, own in (("VG1", MALOS[0], X), ("VG2", MALOS[1], "DE0032106765712000000000000000053"))])
    assert refusal_of(received, 55043, STROM, references=[("TN", "OWN1"), ("Z19", Y)]) == (
        f'references[1]: "{Y}" under Z19 names a Messlokation, and each of the 2 Vorgänge names its own, beside '
        "which the answer takes none")


# A caller's Lokation the column refuses, behind a reference of the caller's or none: (request, answer, date,
# Lokationen of its Vorgang, the Lokation given, what the refusal says of it).
FAULTY = [(55077, 55078, STROM, [("malo", MALOS[2])], ("Z18", OTHER_MALO),
           f'takes no Marktlokation "{OTHER_MALO}" there — .*\\[2061\\]'),
          (44016, 44017, GAS, [], ("Z19", Y), f'takes no Messlokation "{Y}" there — .*not a Marktlokations-ID')]


@pytest.mark.parametrize("lead", [[], [("TN", "OWN1")]], ids=["first", "second"])
@pytest.mark.parametrize(("request_pid", "answer_pid", "on", "locations", "given", "said"), FAULTY,
                         ids=["55078", "44017"])
def test_a_callers_faulty_lokation_is_named_by_its_index_before_the_request(request_pid, answer_pid, on, locations,
                                                                             given, said, lead):
    received, _, _ = request_of(request_pid, on, (T("VG1", locations=locations),))
    refusal = refusal_of(received, answer_pid, on, references=[*lead, given])
    assert re.match(rf'references\[{len(lead)}\]: message 0, Vorgang "VG1": the answer\'s column {said}', refusal), \
        refusal


def test_a_requests_faulty_lokation_is_not_blamed_on_a_callers_valid_one():
    received, _, _ = request_of(55001, STROM, (T("VG1", transaktionsgrund_ergaenzung="ZAP",
                                                 locations=[("malo", MALOS[0])]),))
    faulty = MALOS[0][:-1] + str((int(MALOS[0][-1]) + 1) % 10)
    refusal = refusal_of(received.replace(MALOS[0].encode(), faulty.encode()), 55002, STROM,
                         references=[("Z32", NELO[0]), ("Z19", Y)])
    assert refusal.startswith(f'received: message 0, Vorgang "VG1": the answer must carry "{faulty}"'), refusal


def test_a_callers_rff_z50_stays_a_reference():
    received, sender, receiver = request_of(55168, STROM, (T("VG1", locations=[("malo", MALOS[2])]),))
    answer = native.build_answer(received, 55169, on=STROM, references=[("Z50", OTHER_MALO)])
    assert clean(answer, STROM, receiver, sender) == (True, [])
    assert tagged(answer, "LOC+Z16+") == [f"LOC+Z16+{MALOS[2]}"]
    assert tagged(answer, "RFF+Z50") == [f"RFF+Z50:{OTHER_MALO}"]


def test_a_callers_rff_z16_stays_a_reference_which_55169_has_no_place_for():
    received, _, _ = request_of(55168, STROM, (T("VG1", locations=[("malo", MALOS[2])]),))
    refusal = refusal_of(received, 55169, STROM, references=[("Z16", OTHER_MALO)])
    assert refusal.startswith("references[0]: the column of UTILMD 55169 (S2.1) does not admit what it writes — "
                              "segment RFF "), refusal


@pytest.mark.parametrize("references", [[("Z19", Y)] * 2, [("Z19", Y), ("TN", "OWN1"), ("Z19", Y)]])
def test_the_same_id_given_twice_stands_once(references):
    received, sender, receiver = request_of(55042, STROM, (T("VG1", locations=[("malo", MALOS[2])]),))
    answer = native.build_answer(received, 55043, on=STROM, references=references)
    assert clean(answer, STROM, receiver, sender) == (True, [])
    assert tagged(answer, "LOC+Z17+") == [f"LOC+Z17+{Y}"]


@pytest.mark.parametrize(("size", "references", "named", "quoted"), [
    (1, [("Z32", NELO[0])] * 2000 + [("TN", "OWN1")], [("Z32", NELO[0]), ("TN", "OWN1")], 2),
    (3, [("Z32", NELO[0]), ("Z32", NELO[0]), ("Z32", NELO[1])], None, 4)], ids=["2,000 copies", "one for each Vorgang"])
def test_the_advice_names_a_reference_given_twice_once_but_ids_given_one_for_each_vorgang_as_given(
        size, references, named, quoted):
    received, sender, receiver = request_of(55077, STROM, [T(f"VG{at + 1}", locations=[("malo", malo)])
                                                           for at, malo in enumerate(MALOS[:size])])
    refusal = refusal_of(received, 55078, STROM, references=references)
    # Once in the build_answer call, and in the build_utilmd call once in each Vorgang it stands in.
    assert refusal.count(f'"{NELO[0]}"') == quoted, refusal
    answer, _, fields = answered(refusal, received)
    assert fields["references"][:-size] == (named or references)
    assert clean(answer, STROM, receiver, sender) == (True, [])


@pytest.mark.parametrize("between", [[], [("TN", "OWN1")]], ids=["in a row", "apart"])
def test_a_marktlokation_given_twice_gives_the_answer_given_once(between):
    # 44014 takes the Marktlokation's RFF+Z18 in the Vorgang's SG6, once.
    received, _, _ = request_of(44013, GAS)
    once = ("Z18", native.malo_from_base("7123456789"))
    answer = native.build_answer(received, 44014, on=GAS, references=[once, *between, once])
    assert answer == native.build_answer(received, 44014, on=GAS, references=[once, *between])


def test_the_build_utilmd_route_carries_the_callers_free_texts_in_each_vorgang():
    received, sender, receiver = request_of(44001, GAS, [T(f"VG{at + 1}", locations=[("172", malo)])
                                                         for at, malo in enumerate(MALOS[:2])])
    refusal = refusal_of(received, 44002, GAS, free_texts=[("ACB", "Bitte pruefen")])
    built, _, each = followed(refusal, sender, receiver, ids=[X, Y])
    assert clean(built, GAS, receiver, sender) == (True, [])
    assert [fields["free_texts"] for fields in each] == [[("ACB", "Bitte pruefen")]] * 2
    assert [[s for s in vorgang if s.startswith("FTX+")] for vorgang in vorgaenge(built)] == [
        ["FTX+ACB+++Bitte pruefen"]] * 2
    assert [(holds(vorgang, X), holds(vorgang, Y)) for vorgang in vorgaenge(built)] == [(True, False), (False, True)]


def test_the_build_utilmd_route_names_each_request_value_it_leaves_out():
    request = vendor_44001()
    refusal = refusal_of(request.received, 44002, GAS)
    built, _, _ = followed(refusal, request.sender, request.receiver)
    answer, _, _ = answered(refusal, request.received)
    kept = set(segments(request.received)) & set(segments(answer))
    lost = kept - set(segments(built))
    said = re.search(r"\(it leaves out what the request says in (.*) of Vorgang \"VG1\", which a UtilmdTransaction "
                     r"cannot say: the build_answer call keeps it\)$", refusal)
    assert said and lost and set(said[1].split(", ")) == lost, refusal


def test_the_build_utilmd_route_names_another_vorgangs_given_marktlokation_nowhere():
    received, sender, receiver = request_of(55077, STROM, [T("VG1"), T("VG2")])
    # The request names no Marktlokation: completion's sample is left out.
    received = recounted(re.sub(r"LOC\+Z16\+[^']*'", "", received.decode()))
    given = [native.malo_from_base(base) for base in ("7123456789", "7123456790")]
    refusal = refusal_of(received, 55078, STROM, references=[("Z18", malo) for malo in given])
    # Each in the build_answer call and in its own Vorgang's UtilmdTransaction, never left out of another's.
    assert [refusal.count(f'"{malo}"') for malo in given] == [2, 2], refusal
    built, _, each = followed(refusal, sender, receiver, ids=[Y, MELOS[1]])
    assert [[value for _, value in fields["references"] + fields["locations"] if value in given]
            for fields in each] == [given[:1], given[1:]]
    assert [[malo for malo in given if holds(vorgang, malo)] for vorgang in vorgaenge(built)] == [given[:1], given[1:]]


def vendor_vorgaenge():
    """A 44001 of three Vorgänge as another system sends it, the second for another Kunde, the third of another
    Zeitraum."""
    received, _, _ = request_of(44001, GAS, [T(f"VG{at + 1}", locations=[("172", malo)])
                                             for at, malo in enumerate(MALOS)])
    text = received.decode()
    for sample, own in VENDOR_44001:
        text = text.replace(sample, own)
    head, *parts = re.split(r"(?=IDE\+24\+)", text)
    parts[1] = parts[1].replace("Schmidt:Anna", "Meier:Bob")
    parts[2] = parts[2].replace("DTM+Z20:12:802", "DTM+Z20:11:802")
    return recounted(head + "".join(parts)), 44002, GAS, {}


def befristet_vorgaenge():
    received, _, _ = request_of(55001, STROM, [T(f"VG{at + 1}", transaktionsgrund_ergaenzung="ZAP",
                                                 locations=[("malo", malo)]) for at, malo in enumerate(MALOS[:2])])
    text = received.decode()
    for plain, edited in BEFRISTET:
        text = text.replace(plain, edited)
    return recounted(text), 55002, STROM, {}


def period_vorgaenge():
    received, _, _ = request_of(55039, STROM, [T(f"VG{at + 1}", locations=[("malo", malo)])
                                               for at, malo in enumerate(MALOS[:2])])
    answer_pid, code, codeliste, dates = OBLIGING[1]
    return received, answer_pid, STROM, {"antwort_code": code, "antwort_ebd": codeliste, "process_dates": dates}


def befristet_beside_an_ergaenzung_55002_does_not_name():
    received, _, _ = request_of(55051, STROM)
    assert received.count(b"STS+7++E01'") == 1
    return (received.replace(b"STS+7++E01'", b"STS+7++E01+ZW4+E01'"), 55002, STROM,
            {"process_dates": [("92", "202609302200+00")]})


@pytest.mark.parametrize(("made", "said"), [
    (vendor_vorgaenge, "(it leaves out what the request says in DTM+Z20:12:802 of Vorgänge \"VG1\", \"VG2\"; "
     "CCI+Z19++11Y0-0000-0076-N, CAV+Z74:::Z09 in every Vorgang; NAD+Z09+++Schmidt:Anna::::Z01, "
     "NAD+Z04+++Schmidt:Anna::::Z01+Hauptstr. 7+Hamburg+++DE, NAD+Z05+++Schmidt:Anna::::Z01+Hauptstr. 7+Hamburg+++DE "
     "of Vorgänge \"VG1\", \"VG3\"; NAD+Z09+++Meier:Bob::::Z01, NAD+Z04+++Meier:Bob::::Z01+Hauptstr. 7+Hamburg+++DE, "
     "NAD+Z05+++Meier:Bob::::Z01+Hauptstr. 7+Hamburg+++DE of Vorgang \"VG2\"; DTM+Z20:11:802 of Vorgang \"VG3\", which "
     "a UtilmdTransaction cannot say: the build_answer call keeps it)"),
    (befristet_vorgaenge, '(it leaves out dates ("93", "202612312300+00") in every Vorgang, which build_utilmd '
     "refuses there — "),
    (period_vorgaenge, '(its dates leave out DTM+Z01 "03MQ" in every Vorgang, which they do not take: completion '
     "writes its own there)"),
    # The answer's STS+7 holds the Ergänzung completion writes in place of ZW4: only its befristet part is the
    # request's.
    (befristet_beside_an_ergaenzung_55002_does_not_name, "(it leaves out what the request says in the befristet part "
     "E01 of STS+7 of Vorgang \"VG1\", which a UtilmdTransaction cannot say: the build_answer call keeps it)")],
    ids=["request values", "a date build_utilmd refuses", "a date `dates` does not take", "a befristet part"])
def test_the_build_utilmd_route_names_what_it_leaves_out_once_as_the_request_said_it(made, said):
    received, answer_pid, on, given = made()
    refusal = refusal_of(received, answer_pid, on, **given)
    assert said in refusal, refusal


def test_the_advised_calls_give_back_the_callers_and_the_requests_strings_as_python_reads_them():
    number, reference, message_ref = "A\xa0B\xadC", "X\xa0Y", "M\xad7"
    received, _, _ = request_of(55042, STROM, (T(number, locations=[("malo", MALOS[2])]),))
    # The interchange says UNOC: Latin-1.
    received = received.decode().encode("latin-1")
    refusal = refusal_of(received, 55043, STROM, references=[("TN", reference)], message_ref=message_ref)
    call, transaction = advised(refusal)
    assert (call["message_ref"], call["references"][0], transaction["references"]) == (
        message_ref, ("TN", reference), [("TN", reference)])
    route = ROUTE.search(refusal)
    assert ast.literal_eval(ast.parse(route[3], mode="eval").body.elts[0].args[0]) == number
    given = {keyword.arg: ast.literal_eval(keyword.value)
             for keyword in ast.parse(f"f(x{route[2]})", mode="eval").body.keywords}
    assert given["message_ref"] == message_ref


def test_a_given_marktlokations_reference_stands_in_its_own_vorgang_alone():
    # The request as a system sends it that leaves its Marktlokation's ID out.
    received, sender, receiver = request_of(44013, GAS, [T("VG1", locations=[("172", X)]),
                                                         T("VG2", locations=[("172", Y)])])
    text = received.decode()
    assert text.count("RFF+Z18:41373559241'") == 2
    received = recounted(text.replace("RFF+Z18:41373559241'", "RFF+Z18'"))
    given = [native.malo_from_base(base) for base in ("7123456789", "7123456790")]
    for references, each in (([("Z18", given[0])], given[:1] * 2), ([("Z18", malo) for malo in given], given)):
        answer = native.build_answer(received, 44014, on=GAS, references=references)
        assert clean(answer, GAS, receiver, sender) == (True, [])
        for vorgang, own in zip(vorgaenge(answer), each):
            assert [s for s in vorgang if s.startswith("RFF+Z18")] == [f"RFF+Z18:{own}"]
            assert [malo for malo in given if holds(vorgang, malo)] == [own]


def with_date(received, value):
    assert received.count(b"DTM+92:202609302200?+00:303") == 1
    return received.replace(b"DTM+92:202609302200?+00:303", f"DTM+92:{value}:303".encode())


@pytest.mark.parametrize(("date", "without"), [
    ("202609302200?+00", '^received: message 0, Vorgang "VG1": the answer must carry a Lokation'),
    ("202613302200?+00", r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+92 .* which is no date')],
    ids=["lacking a Lokation", "a date that is none"])
def test_a_reference_with_no_place_is_named_before_the_request(date, without):
    received, _, _ = request_of(55001, STROM, (T("VG1", transaktionsgrund_ergaenzung="ZAP",
                                                 locations=[("malo", MALOS[2])]),))
    received = with_date(received, date)
    bare = refusal_of(received, 55002, STROM)
    assert re.match(without, bare), bare
    assert refusal_of(received, 55002, STROM, references=[("TN", "OWN1"), ("Z20", TRANCHE)]) == (
        "references[1]: the answer's column has no place for a Tranche's Marktlokations-ID: no LOC of its kind "
        "and no reference to one")


@pytest.mark.parametrize(("qualifier", "taken"), [("Z19", True), ("Z18", False)])
def test_a_zaehlpunkt_under_a_marktlokations_reference_is_not_the_requests_lokation(qualifier, taken):
    # Only where its reference names a Messlokation is the request's Zählpunkt the Messlokation the answer needs.
    zaehlpunkt = "DE0032106765712000000000000000053"
    request = vendor_44001(("NAD+Z05+++Schmidt:Anna::::Z01+Hauptstr. 7+Hamburg+++DE", f"RFF+{qualifier}:{zaehlpunkt}"))
    try:
        answer = native.build_answer(request.received, 44002, on=GAS)
    except ValueError as refused:
        assert not taken and re.match(r'received: message 0, Vorgang "VG1": the answer must carry a Lokation the '
                                      r"request does not name — a Messlokation \(LOC\+172\)", str(refused)), refused
        return
    assert taken and tagged(answer, "LOC+172+") == ["LOC+172+50605869880", f"LOC+172+{zaehlpunkt}"]


def test_a_vorgang_naming_its_messlokation_only_in_a_reference_keeps_it_on_either_route():
    received, sender, receiver = request_of(44001, GAS, [T(f"VG{at + 1}", locations=[("172", malo)])
                                                         for at, malo in enumerate(MALOS)])
    head, *parts = re.split(r"(?=IDE\+24\+)", received.decode())
    parts[1] = re.sub(r"(NAD\+Z05[^']*')", rf"\1RFF+Z19:{X}'", parts[1], count=1)
    received = recounted(head + "".join(parts))
    answer = native.build_answer(received, 44002, on=GAS, references=[("Z19", Y)])
    assert [(holds(vorgang, X), holds(vorgang, Y)) for vorgang in vorgaenge(answer)] == [
        (False, True), (True, False), (False, True)]
    refusal = refusal_of(received, 44002, GAS)
    assert named_in(refusal) == ["VG1", "VG3"], refusal
    built, _, each = followed(refusal, sender, receiver, ids=[Y, MELOS[1]])
    assert ("172", X) in each[1]["locations"]
    assert list(faults(built, received, GAS, sender, receiver, [Y, MELOS[1]], ["VG1", "VG3"])) == []


KUNDE = "NAD+Z05+++Mustermann:::::Z01+Musterstr. 1+Berlin+++DE"


@pytest.mark.parametrize("given", ["it", "the Meldepunkt", "it twice"])
def test_a_lokation_the_request_names_only_in_a_reference_stays_in_sg5_whatever_the_caller_gives(given):
    def references(meldepunkt):
        return {"it": [("Z19", X)], "the Meldepunkt": [meldepunkt], "it twice": [("Z19", X)] * 2}[given]

    request = vendor_44001(("NAD+Z05+++Schmidt:Anna::::Z01+Hauptstr. 7+Hamburg+++DE", f"RFF+Z19:{X}"))
    answer = native.build_answer(request.received, 44002, on=GAS, references=references(("Z18", MALO)))
    assert tagged(answer, "LOC+172+") == [f"LOC+172+{MALO}", f"LOC+172+{X}"]
    # A request whose Meldepunkt is a Zählpunkt lacks the Marktlokation its RFF+Z18 names: the route is advised.
    received, sender, receiver = request_of(44001, GAS)
    meldepunkt = tagged(received, "LOC+172+")[0].split("+")[2]
    received = recounted(received.decode().replace(f"{KUNDE}'", f"{KUNDE}'RFF+Z19:{X}'", 1))
    refusal = refusal_of(received, 44002, GAS, references=references(("Z19", meldepunkt)))
    built, _, each = followed(refusal, sender, receiver)
    assert ("172", X) in each[0]["locations"]
    assert clean(built, GAS, receiver, sender) == (True, [])


def test_a_request_at_fault_is_named_where_it_leaves_unknown_which_vorgang_needs_a_given_lokation():
    received, _, _ = request_of(55001, STROM, (
        T("VG1", locations=[("malo", MALOS[0])]),
        T("VG2", transaktionsgrund_ergaenzung="ZAP", locations=[("malo", MALOS[1])])))
    faulty = MALOS[0][:-1] + str((int(MALOS[0][-1]) + 1) % 10)
    refusal = refusal_of(received.replace(MALOS[0].encode(), faulty.encode()), 55002, STROM,
                         references=[("Z32", NELO[0]), ("Z19", Y)])
    assert refusal.startswith(f'received: message 0, Vorgang "VG1": the answer must carry "{faulty}"'), refusal
