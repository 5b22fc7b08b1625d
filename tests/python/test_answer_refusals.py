"""build_answer takes a value the answer needs from the request or an argument, or refuses the call saying
how to go on: a request date in another zone is confirmed as the same instant in +00, one the column cannot
take or that is missing is refused naming `received`, as is a message without a Vorgang; a value the given
antwort_code obliges is refused naming the argument that gives it and the form its place takes, and given so
builds a clean answer; a process date is taken in a form its place takes (a period for DTM+Z01); a faulty
argument beside a request that lacks a Lokation is named."""

import functools
import itertools
import re

import pytest

import quorvane._native as native
from answer_support import segments, tagged
from test_answer_carried import (CODES_PER_ANSWER, NOT_NAMED, antwort_of, body_of, clean, codes_of_kind,
                                 request_of, utilmd_records)
from test_answer_confirms import befristet, with_count
from test_validate_values import PERIODS

T = native.UtilmdTransaction
ON = "2025-10-01"
MALO = "50605869880"
GIVE = r'; give the date as process_dates=\[\("{0}", "CCYYMMDDHHMM\+00"\)\]$'
END = "DTM+93:202511302300?+00:303"


def confirmed(received, answer_pid, **arguments):
    """The answer's DTM 92 and 93, or the refusal's text."""
    try:
        answer = native.build_answer(received, answer_pid, on=ON, **arguments)
    except ValueError as refused:
        return str(refused)
    return tagged(answer, "DTM+92") + tagged(answer, "DTM+93")


@pytest.mark.parametrize(("request_pid", "answer_pid"), [(55001, 55002), (55013, 55014)])
@pytest.mark.parametrize(("written", "expected"), [
    (END, ["DTM+92:202609302200?+00:303", END]),
    ("DTM+93:202512010000?+01:303", ["DTM+92:202609302200?+00:303", END]),
    ("DTM+93:202511301800?-05:303", ["DTM+92:202609302200?+00:303", END]),
    ("DTM+93:20251201:102", r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+93, which the request '
                            r'gives as "20251201" \(format 102\), a value the column of UTILMD \d+ \(S2\.1\) does not '
                            r"take" + GIVE.format(93)),
    ("", r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+93, which the request does not give'
         + GIVE.format(93)),
])
def test_a_befristet_requests_end_is_confirmed_in_utc_or_refused(request_pid, answer_pid, written, expected):
    received, _, _ = befristet(request_pid, ON)
    received = with_count(received.replace(f"{END}'".encode(), f"{written}'".encode() if written else b""))
    answer = confirmed(received, answer_pid)
    if isinstance(expected, list):
        assert answer == expected
    else:
        assert re.match(expected, answer), answer
        # The refusal's way on builds.
        assert confirmed(received, answer_pid, process_dates=[("93", "202512312300+00")])[-1] == \
            "DTM+93:202512312300?+00:303"


@pytest.mark.parametrize(("written", "expected"), [
    ("DTM+92:202610010000?+02:303", ["DTM+92:202609302200?+00:303"]),
    ("DTM+92:20261001:102", r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+92, which the request '
                            r'gives as "20261001" \(format 102\)'),
])
def test_a_requests_beginn_is_confirmed_in_utc_or_refused(written, expected):
    received, _, _ = request_of(55001, ON)
    received = received.replace(b"DTM+92:202609302200?+00:303", written.encode())
    answer = confirmed(received, 55002)
    assert answer == expected if isinstance(expected, list) else re.match(expected, answer), answer


@pytest.mark.parametrize("vorgaenge", [b"", b"IDE+24'"], ids=["header-only", "no-vorgangsnummer"])
def test_a_message_without_a_vorgang_is_refused_naming_received(vorgaenge):
    received, _, _ = request_of(55001, ON)
    body = body_of(received)
    header = body[:body.index(b"IDE+")] + vorgaenge
    second = header + f"UNT+{len(segments(header)) + 1}+1'".encode()
    end = received.rindex(b"UNZ")
    received = received[:end] + second + received[end:].replace(b"UNZ+1+", b"UNZ+2+")
    with pytest.raises(ValueError, match=r"^received: message 1 holds no Vorgang \(an IDE with its Vorgangsnummer\) "
                                         r"to answer$"):
        native.build_answer(received, 55002, on=ON, message_index=1)
    assert tagged(native.build_answer(received, 55002, on=ON), "IDE") == ["IDE+24+VG1"]


DATES = r'^process_dates: antwort_code "A06" obliges DTM\+Z07 and DTM\+Z08 in the answer, which no argument gives; '
TEXT = r'^free_texts: antwort_code "A05" obliges FTX\+ACB in the answer, which no argument gives; give it as ' \
       r'free_texts=\[\("ACB", "…"\)\]$'


@pytest.mark.parametrize(("request_pid", "answer_pid", "arguments", "refused"), [
    (55001, 55003, {"antwort_code": "A06"}, DATES),
    (55001, 55003, {"antwort_code": "A06", "process_dates": [("Z07", "202610312300+00")]},
     r'^process_dates: antwort_code "A06" obliges DTM\+Z08 in the answer'),
    (55001, 55003, {"antwort_code": "A05"}, TEXT),
    (55039, 55040, {"antwort_code": "Z01"}, r'^process_dates: antwort_code "Z01" obliges DTM\+471 in the answer'),
    (55016, 55018, {"antwort_code": "A06"}, r'^process_dates: antwort_code "A06" obliges DTM\+Z01 in the answer, which '
                                            r'no argument gives; give it as process_dates=\[\("Z01", "03MQ"\)\]$'),
    (55001, 55003, {"antwort_code": "A06", "process_dates": [("Z07", "202610312300+00"),
                                                             ("Z08", "202611302300+00")]}, None),
    (55001, 55003, {"antwort_code": "A05", "free_texts": [("ACB", "Zu spät")]}, None),
    (55001, 55003, {"antwort_code": "A07"}, None),
    # The answer without a code carries a sample text, as completion picks this very code for it.
    (55607, 55609, {"antwort_code": "A99"}, r'^free_texts: antwort_code "A99" obliges FTX\+ACB in the answer'),
    (55607, 55609, {"antwort_code": "A99", "free_texts": [("ACB", "Zu spät")]}, None),
])
def test_what_the_given_code_obliges_is_refused_naming_its_argument(request_pid, answer_pid, arguments, refused):
    received, sender, receiver = request_of(request_pid, ON)
    if refused:
        with pytest.raises(ValueError, match=refused):
            native.build_answer(received, answer_pid, on=ON, **arguments)
        return
    answer = native.build_answer(received, answer_pid, on=ON, **arguments)
    assert clean(answer, ON, receiver, sender)[0]
    for qualifier, value in arguments.get("process_dates", []):
        assert tagged(answer, f"DTM+{qualifier}") == [f"DTM+{qualifier}:{value.replace('+', '?+')}:303"]


# The code is the one completion picks for the answer without one.
@pytest.mark.parametrize(("request_pid", "answer_pid", "code", "filled"), [
    (55001, 55002, "A51", "RFF+Z60"),
    (55042, 55043, "E15", "RFF+Z50"),
])
def test_a_value_the_column_asks_for_whatever_the_code_is_not_the_codes(request_pid, answer_pid, code, filled):
    received, _, _ = request_of(request_pid, ON)
    bare = native.build_answer(received, answer_pid, on=ON)
    assert tagged(bare, filled), "completion's value, which no argument gives"
    assert native.build_answer(received, answer_pid, on=ON, antwort_code=code) == bare


@pytest.mark.parametrize(("arguments", "refused"), [
    ({}, r'^process_dates: antwort_code "Z01" obliges DTM\+471 in the answer'),
    ({"process_dates": [("471", "202611302300+00")]}, None),
])
def test_the_changed_end_a_code_asks_for_is_never_the_requests_own(arguments, refused):
    """Without the code the column would take an Ende instead, so the request's Ende zum nächstmöglichen
    Termin is no answer to a Zustimmung mit Terminänderung."""
    received, _, _ = request_of(55039, ON)
    received = with_count(received.replace(b"DTM+93:202609302200?+00:303'", b"DTM+471:202610312300?+00:303'"))
    if refused:
        with pytest.raises(ValueError, match=refused):
            native.build_answer(received, 55040, on=ON, antwort_code="Z01", **arguments)
        return
    answer = native.build_answer(received, 55040, on=ON, antwort_code="Z01", **arguments)
    assert tagged(answer, "DTM+471") == ["DTM+471:202611302300?+00:303"]


def without_malo(pid):
    received, _, _ = request_of(pid, ON)
    return with_count(re.sub(rb"LOC\+Z16\+\d+'", b"", received))


@pytest.mark.parametrize(("received", "answer_pid"), [
    (lambda: request_of(55001, ON, (T("VG1", transaktionsgrund_ergaenzung="ZAP", locations=[("malo", MALO)]),))[0],
     55002),
    (lambda: without_malo(55042), 55043),
])
@pytest.mark.parametrize(("arguments", "named"), [
    ({"free_texts": [("ZZZ", "x")]}, "free_texts[0]"),
    ({"process_dates": [("Z99", "202610012200+00")]}, "process_dates[0]"),
    ({"antwort_code": "Q9Q"}, "antwort_code"),
    ({}, 'received: message 0, Vorgang "VG1": the answer must carry a Lokation the request does not name'),
])
def test_a_faulty_argument_beside_a_missing_lokation_is_named(received, answer_pid, arguments, named):
    with pytest.raises(ValueError) as refused:
        native.build_answer(received(), answer_pid, on=ON, **arguments)
    assert str(refused.value).startswith(named), str(refused.value)


NO_PERIOD = r'^process_dates\[Z01\] is "{}", which is no period: it is not written as ZZRB, two digits, then the ' \
            r"unit T, W or M \(days, weeks, months\) and the end M, Q, H, J, T or R \(month, quarter, half year, " \
            r"year, the Termin, rolling\), such as 03MQ$"


@pytest.mark.parametrize(("dates", "expected"), [
    ([("Z01", "03MT")], "DTM+Z01:03MT:Z01"),
    ([("Z01", "03MT"), ("Z10", "202610312300+00")], "DTM+Z10:202610312300?+00:303"),
    ([("Z01", "3M")], NO_PERIOD.format("3M")),
    ([("Z01", "03mt")], NO_PERIOD.format("03mt")),
    ([("Z01", "03MT"), ("Z10", "11-01")], r'^process_dates\[Z10\] is "11-01", which is no date: it is not written '
                                          r"as MMDD, nor as CCYYMMDD or CCYYMMDDHHMM, with an optional zone such as "
                                          r"\+00$"),
    ([("Z01", "03MT"), ("Z10", "20261332")], r'^process_dates\[Z10\] is "20261332", which is no date: it names a '
                                             r"month, day"),
])
def test_a_process_date_is_taken_in_a_form_its_place_takes(dates, expected):
    received, sender, receiver = request_of(55016, ON)
    if expected.startswith("DTM"):
        answer = native.build_answer(received, 55018, on=ON, antwort_code="A06", process_dates=dates)
        assert expected in tagged(answer, expected.split(":")[0]), tagged(answer, "DTM")
        assert clean(answer, ON, receiver, sender)[0]
        return
    with pytest.raises(ValueError, match=expected):
        native.build_answer(received, 55018, on=ON, antwort_code="A06", process_dates=dates)


# An empty value has a refusal of its own.
@pytest.mark.parametrize(("period", "fits"), [case for case in PERIODS if case[0]])
def test_a_period_is_taken_only_with_a_unit_and_an_end(period, fits):
    received, sender, receiver = request_of(55016, ON)
    build = functools.partial(native.build_answer, received, 55018, on=ON, antwort_code="A06",
                              process_dates=[("Z01", period)])
    if not fits:
        with pytest.raises(ValueError, match=NO_PERIOD.format(period)):
            build()
        return
    answer = build()
    assert tagged(answer, "DTM+Z01") == [f"DTM+Z01:{period}:Z01"]
    assert clean(answer, ON, receiver, sender)[0]


OBLIGES = re.compile(r"obliges .+ in the answer, which no argument gives; give (?:it|them) as (\w+)=\[(.+)\]$")
# A value of each form an obligation refusal names; a time is the start of a day in Germany, 06:00 for gas.
FILLED = {"CCYYMMDD": "20261101", "MMDD": "1101", "CCYY": "2026", "…": "Erläuterung"}


def filled(form, gas):
    """The value of a placeholder; a form that is a value itself, as a period is, is given as it stands."""
    if form == "CCYYMMDDHHMM+00":
        return "202611010500+00" if gas else "202610312300+00"
    return FILLED.get(form, form)


def as_advised(received, answer_pid, on, gas, **arguments):
    """The answer built as each obligation refusal advises; the first refusal of another kind is raised."""
    for followed in range(4):
        try:
            return native.build_answer(received, answer_pid, on=on, **arguments)
        except ValueError as refused:
            message = str(refused)
            if followed and not OBLIGES.search(message):
                pytest.fail(f"{arguments} as advised, refused: {message}")
            if not OBLIGES.search(message):
                raise
        argument, places = OBLIGES.search(message).groups()
        given = [(qualifier, filled(form, gas)) for qualifier, form in re.findall(r'\("(\w+)", "([^"]+)"\)', places)]
        assert given, message
        arguments[argument] = arguments.get(argument, []) + given
    pytest.fail(f"{arguments} as advised, still refused: {message}")


@pytest.mark.parametrize(("on", "request_pid", "answer_pid", "kind"), utilmd_records())
def test_what_a_code_obliges_given_as_advised_gives_a_clean_answer(on, request_pid, answer_pid, kind):
    received, sender, receiver = request_of(request_pid, on)
    try:
        bare = native.build_answer(received, answer_pid, on=on)
    except ValueError:
        return  # test_answer_carried judges what refuses the bare answer
    _, tree = antwort_of(bare)
    for code in codes_of_kind(tree, kind)[:CODES_PER_ANSWER]:
        try:
            answer = as_advised(received, answer_pid, on, request_pid < 50000, antwort_code=code, antwort_ebd=tree)
        except ValueError as refused:
            assert str(refused).startswith(("antwort_code:", "antwort_ebd:", NOT_NAMED)), str(refused)
            continue
        valid, errors = clean(answer, on, receiver, sender)
        assert valid, (code, errors)




def own_dates(message):
    """The DTM segments a message's first Vorgang opens with."""
    found = segments(message)
    start = next(at for at, segment in enumerate(found) if segment.startswith("IDE+")) + 1
    return list(itertools.takewhile(lambda segment: segment.startswith("DTM+"), found[start:]))


@functools.cache
def bare_answer(on, request_pid, answer_pid):
    """The request and the answer without a code to it; no answer where it is refused."""
    received, sender, receiver = request_of(request_pid, on)
    try:
        return received, sender, receiver, native.build_answer(received, answer_pid, on=on)
    except ValueError:
        return received, sender, receiver, None


@functools.cache
def answer_date_qualifiers():
    """The qualifiers of the format-303 dates of their own that bare answers hold, but the confirmed 92 and 93."""
    found = set()
    for record in utilmd_records():
        answer = bare_answer(*record.values[:3])[3]
        for dtm in own_dates(answer) if answer else []:
            if dtm.endswith(":303"):
                found.add(dtm.split(":")[0].removeprefix("DTM+"))
    return sorted(found - {"92", "93"})


def carrying(received, dtm):
    """The request with the segment `dtm` after the dates its Vorgang opens with."""
    end = received.index(b"'", received.index(b"IDE+")) + 1
    while received.startswith(b"DTM+", end):
        end = received.index(b"'", end) + 1
    return with_count(received[:end] + dtm.encode() + b"'" + received[end:])


def of_kind(kind):
    """The codes of the cluster `kind` in any tree, for an answer whose list the catalogue lacks."""
    codes = [code.code for tree in native.entscheidungsbaeume() for code in native.antwort_codes(tree)
             if code.cluster == kind]
    return list(dict.fromkeys(codes))


def carried_back(received, answer_pid, on, dtm):
    """Whether the request gives `dtm` beside no other of its qualifier, validates, and its bare answer carries it."""
    qualifier = dtm.split(":")[0]
    if [date for date in own_dates(received) if date.startswith(f"{qualifier}:")] != [dtm]:
        return False
    if not native.validate_edifact(received, on).is_valid:
        return False
    try:
        return dtm in own_dates(native.build_answer(received, answer_pid, on=on))
    except ValueError:
        return False


NAMED = re.compile(r'antwort_code "\w+" obliges (.+) in the answer')


@pytest.mark.parametrize(("on", "request_pid", "answer_pid", "kind"), utilmd_records())
def test_a_date_the_request_gives_is_never_the_codes_obligation(on, request_pid, answer_pid, kind):
    received, sender, receiver, bare = bare_answer(on, request_pid, answer_pid)
    if bare is None:
        return
    _, tree = antwort_of(bare)
    for qualifier in answer_date_qualifiers():
        dtm = f"DTM+{qualifier}:{filled('CCYYMMDDHHMM+00', request_pid < 50000).replace('+', '?+')}:303"
        asked = carrying(received, dtm)
        if not carried_back(asked, answer_pid, on, dtm):
            continue
        for code in (codes_of_kind(tree, kind) or of_kind(kind))[:CODES_PER_ANSWER]:
            try:
                answer = native.build_answer(asked, answer_pid, on=on, antwort_code=code)
            except ValueError as refused:
                named = NAMED.search(str(refused))
                assert not named or f"DTM+{qualifier}" not in named.group(1).split(" and "), str(refused)
                continue
            assert dtm in own_dates(answer)
            assert clean(answer, on, receiver, sender)[0], (code, dtm)


def test_the_requests_date_beside_e15_is_carried_not_refused():
    on = "2026-10-01"
    received, sender, receiver = request_of(44007, on)
    dtm = "DTM+159:202612310500?+00:303"
    asked = carrying(received, dtm)
    assert carried_back(asked, 44008, on, dtm)
    answer = native.build_answer(asked, 44008, on=on, antwort_code="E15")
    assert dtm in own_dates(answer)
    assert clean(answer, on, receiver, sender)[0]



TREE = r'^antwort_ebd is "{}", an Entscheidungsbaum \(AntwortCode\.tree\), where the answer names the Codeliste of ' \
       r"its code: give AntwortCode\.wire_codeliste, {}$"


@pytest.mark.parametrize(("request_pid", "answer_pid", "code", "ebd", "refused"), [
    (55039, 55040, "E15", "E_0200", TREE.format("E_0200", '"S_0090" for "E15"')),
    (55168, 55170, "E17", "E_0240", TREE.format("E_0240", '"S_0064" for "E17"')),
    (55039, 55040, "Q9Q", "E_0200", TREE.format("E_0200", "one of S_0090, S_0054")),
    (55039, 55040, "E15", "S_0090", None),
    # A GPKE tree is its codes' own Codeliste.
    (55001, 55002, "A51", "E_0623", None),
])
def test_a_trees_name_as_antwort_ebd_is_refused_naming_its_codeliste(request_pid, answer_pid, code, ebd, refused):
    received, _, _ = request_of(request_pid, ON)
    if refused:
        with pytest.raises(ValueError, match=refused):
            native.build_answer(received, answer_pid, on=ON, antwort_code=code, antwort_ebd=ebd)
        return
    answer = native.build_answer(received, answer_pid, on=ON, antwort_code=code, antwort_ebd=ebd)
    assert tagged(answer, "STS+E01") == [f"STS+E01++{code}:{ebd}"]


SENDER, RECEIVER = "9900000000003", "9900000000010"


# An EBD the column does not know is the fault of the argument that gives it, not of the code beside it.
@pytest.mark.parametrize(("build", "named"), [
    (lambda ebd: native.build_answer(request_of(55001, "2026-10-01")[0], 55002, on="2026-10-01", antwort_code="A58",
                                     antwort_ebd=ebd), "antwort_ebd"),
    (lambda ebd: native.build_utilmd(55002, SENDER, RECEIVER, on="2026-10-01",
                                     transactions=[T("VG1", antwort_code="A58", antwort_ebd=ebd)]),
     "transactions[0].antwort_ebd"),
    (lambda ebd: native.build_ordrsp(19011, SENDER, RECEIVER, on="2026-10-01", antwort_code="A11", antwort_ebd=ebd),
     "antwort_ebd"),
], ids=["build_answer", "build_utilmd", "build_ordrsp"])
def test_an_unknown_antwort_ebd_is_refused_naming_it(build, named):
    with pytest.raises(ValueError, match=rf'^{re.escape(named)}: the column of .* is "E_9999"'):
        build("E_9999")
