"""build_answer names no Lokation ID but its request's own and those the caller names in `references`: where
completion wrote a sample ID, the request's ID of that shape stands, and an answer that needs a Lokation nobody names
is refused with the build_answer call that names it and the build_utilmd call that writes it, each of which, followed
as written, gives a clean answer naming no Lokation but the request's and those the caller adds."""

import ast
import re
from types import SimpleNamespace

import pytest

import quorvane._native as native
from answer_support import segments, tagged
from test_answer_carried import NOT_NAMED, antwort_of, clean, held_values, request_of

T = native.UtilmdTransaction
MALO, MELO = "50605869880", "DE0032106765712000000000000000037"
ROUTE = re.compile(r"build_utilmd\((\d+), the request's recipient, its sender((?:, \w+=\"[^\"]*\")*), "
                   r"transactions=(\[UtilmdTransaction\(.*\)\])\), in place of each \.\.\. in turn (.*?)"
                   r"(?: \(its? (?:dates )?leaves? out .*)?$")
ANSWER_ROUTE = re.compile(r"build such an answer with (build_answer\(received, .*?\)), in place of each \.\.\. in turn (.*?); "
                          r"or with build_utilmd\(")
# An ID of each form that no request here names and no sample is.
OWN = {"Marktlokations-ID": native.malo_from_base("7123456789"), "Zählpunktbezeichnung": "DE0032106765712000000000000000045",
       "Netzlokations-ID": native.resource_id_from_base("nelo", "E712345678"),
       "SR-ID": native.resource_id_from_base("sr", "C712345678"), "TR-ID": native.resource_id_from_base("tr", "D712345678")}


def is_lokation_id(value):
    return bool(re.fullmatch(r"\d{11}|[A-Z]{2}[0-9A-Z]{31}|[ECD][0-9A-Z]{10,13}", value))


def lokation_ids(message):
    """The Lokation IDs a message names: in its LOCs, its references and its STS+Z35."""
    found = []
    for segment in segments(message):
        if segment.startswith("LOC+"):
            found.append(segment.split("+")[2].split(":")[0])
        elif segment.startswith("RFF+") and not segment.startswith(("RFF+TN:", "RFF+Z13:")):
            found.append(segment.partition(":")[2])
        elif segment.startswith("STS+Z35+"):
            found += re.split(r"[+:]", segment)
    return {value for value in found if is_lokation_id(value)}


@pytest.mark.parametrize("on", ["2025-10-01", "2026-10-01"])
def test_a_third_partys_refusal_names_the_requests_marktlokation(on):
    received, sender, receiver = request_of(55077, on, (T("VG1", locations=[("malo", MALO)]),))
    answer = native.build_answer(received, 55080, on=on, antwort_code="A57", antwort_ebd="E_0623")
    assert tagged(answer, "RFF+Z18") == [f"RFF+Z18:{MALO}"]
    assert [sts.split(":")[-1] for sts in tagged(answer, "STS+Z35")] == [MALO]
    assert clean(answer, on, receiver, sender)[0]


def filled(values, forms, ids=None):
    """The pairs with each `...` replaced by the next of `ids`, else by an ID of the next form the refusal names,
    and the IDs put in."""
    added = []
    for at, (qualifier, value) in enumerate(values):
        if value is ...:
            form = next(forms)
            added.append(next(ids) if ids else OWN[form])
            values[at] = (qualifier, added[-1])
    return added


def forms_of(lacking):
    return iter(re.findall(r"the [^,]+?'s ([^,\s]+)", lacking))


def followed(refusal, sender, receiver, ids=None):
    """The answer build_utilmd writes as the refusal's call says, with its own keyword arguments and one
    transaction a Vorgang; the IDs put in place of its `...` (`ids` in turn where given); each transaction's
    fields."""
    match = ROUTE.search(refusal)
    assert match, refusal
    given = {keyword.arg: ast.literal_eval(keyword.value)
             for keyword in ast.parse(f"f(x{match[2]})", mode="eval").body.keywords}
    forms, ids = forms_of(match[4]), iter(ids) if ids else None
    transactions, each, added = [], [], []
    for call in ast.parse(match[3], mode="eval").body.elts:
        fields = {keyword.arg: ast.literal_eval(keyword.value) for keyword in call.keywords}
        added += filled(fields["locations"], forms, ids)
        transactions.append(T(ast.literal_eval(call.args[0]), **fields))
        each.append(fields)
    assert next(forms, None) is None
    answer = native.build_utilmd(int(match[1]), receiver, sender, transactions=transactions, **given)
    return answer, added, each


def answered(refusal, received):
    """The answer build_answer builds as the refusal says, the IDs put in place of its `...`, and its arguments."""
    match = ANSWER_ROUTE.search(refusal)
    assert match, refusal
    call = ast.parse(match[1], mode="eval").body
    fields = {keyword.arg: ast.literal_eval(keyword.value) for keyword in call.keywords}
    forms = forms_of(match[2])
    added = filled(fields["references"], forms)
    assert next(forms, None) is None
    return native.build_answer(received, ast.literal_eval(call.args[1]), **fields), added, fields


# Requests whose answers need a Lokation they do not name: (request, answer, Vorgang, Gültigkeitsdatum).
ROUTES = [
    (55001, 55002, {"transaktionsgrund_ergaenzung": "ZAP", "locations": [("malo", MALO)]}, "2025-10-01"),
    (55042, 55043, {"locations": [("malo", MALO)]}, "2025-10-01"),
    (55042, 55043, {"transaktionsgrund": "E03", "locations": [("malo", MALO)]}, "2025-10-01"),
    (55042, 55043, {"locations": [("melo", MELO)]}, "2025-10-01"),
    (55077, 55078, {"locations": [("malo", MALO)]}, "2025-10-01"),
    (55077, 55078, {}, "2026-10-01"),
    (55600, 55603, {}, "2025-10-01"),
    (55600, 55603, {"locations": [("melo", MELO)]}, "2025-10-01"),
    (44001, 44002, {"locations": [("172", MALO)]}, "2026-10-01"),
]


def grund_of(message):
    return tagged(message, "STS+7+")[0].split("+")[3:5]


def request_dates(received):
    return {tuple(dtm[4:].split(":")[:2]) for dtm in tagged(received, "DTM+")}


@pytest.mark.parametrize(("request_pid", "answer_pid", "vorgang", "on"), ROUTES)
def test_the_lokation_refusal_followed_either_way_builds_a_clean_answer_with_the_requests_values(
        request_pid, answer_pid, vorgang, on):
    received, sender, receiver = request_of(request_pid, on, (T("VG1", **vorgang),))
    with pytest.raises(ValueError, match=f"^{NOT_NAMED}") as refused:
        native.build_answer(received, answer_pid, on=on)
    refusal = str(refused.value)
    built, added, (fields,) = followed(refusal, sender, receiver)
    assert clean(built, on, receiver, sender) == (True, [])
    assert lokation_ids(built) <= lokation_ids(received) | set(added), refusal
    # The advice says what the request said, and no date of completion's.
    assert grund_of(built)[0] == grund_of(received)[0]
    assert {(qualifier, value.replace("+", "?+")) for qualifier, value in fields["dates"]} <= request_dates(received)
    answer, named, _ = answered(refusal, received)
    assert clean(answer, on, receiver, sender) == (True, [])
    assert lokation_ids(answer) <= lokation_ids(received) | set(named), refusal
    # What the build_utilmd route keeps of the request, the build_answer route keeps too.
    kept = set(segments(built)) & set(segments(received))
    assert kept <= set(segments(answer)), kept - set(segments(answer))
    for value in named:
        assert any(value in segment for segment in tagged(answer, "LOC+"))


def test_the_refusal_passes_on_the_callers_own_arguments():
    received, sender, receiver = request_of(55042, "2025-10-01", (T("VG1", locations=[("malo", MALO)]),))
    answer = native.build_answer(received, 55043, on="2025-10-01", references=[("Z19", MELO)])
    code, tree = antwort_of(answer)
    given = {"on": "2025-10-01", "antwort_code": code, "antwort_ebd": tree, "message_ref": "M7"}
    with pytest.raises(ValueError, match=f"^{NOT_NAMED}") as refused:
        native.build_answer(received, 55043, **given)
    refusal = str(refused.value)
    answer, _, fields = answered(refusal, received)
    assert {key: fields[key] for key in given} == given
    built, _, (fields,) = followed(refusal, sender, receiver)
    assert (fields["antwort_code"], fields["antwort_ebd"]) == (code, tree)
    assert antwort_of(answer) == antwort_of(built) == (code, tree)


# A 55001 registering for a term: STS+7 with its befristet part, and the Ende zum it gives, neither of which a
# UtilmdTransaction can say, so build_utilmd refuses the DTM+93 it has no STS for.
BEFRISTET = [("STS+7++E01+ZAP'", "STS+7++E01+ZAP+E03'"),
             ("DTM+92:202609302200?+00:303'", "DTM+92:202609302200?+00:303'DTM+93:202612312300?+00:303'")]
ENDE = ("93", "202612312300+00")


@pytest.mark.parametrize("befristet", [False, True], ids=["as built", "befristet"])
@pytest.mark.parametrize("given", [{}, {"references": [("TN", "OWN1")], "message_ref": "M7",
                                        "document_date": "20251002"}], ids=["bare", "the caller's own"])
def test_the_build_utilmd_route_builds_as_written_with_the_callers_arguments(befristet, given):
    received, sender, receiver = request_of(55001, "2025-10-01", (T("VG1", transaktionsgrund_ergaenzung="ZAP",
                                                                     locations=[("malo", MALO)]),))
    text = received.decode()
    for plain, edited in BEFRISTET if befristet else ():
        text = text.replace(plain, edited)
    received = re.sub(r"UNT\+\d+", f"UNT+{len(segments(text[text.index('UNH'):text.index('UNZ')]))}", text).encode()
    with pytest.raises(ValueError, match=f"^{NOT_NAMED}") as refused:
        native.build_answer(received, 55002, on="2025-10-01", **given)
    refusal = str(refused.value)
    built, _, (fields,) = followed(refusal, sender, receiver)
    assert clean(built, "2025-10-01", receiver, sender) == (True, [])
    assert [reference for reference in fields["references"] if reference[0] == "TN"] == [
        ("TN", "OWN1" if given else "VG1")]
    assert all(f"{name}={value!r}".replace("'", '"') in refusal for name, value in given.items() if name != "references")
    # The Ende zum the route cannot give is left out and named; the build_answer route confirms it.
    assert (ENDE in fields["dates"], 'it leaves out dates ("93", "202612312300+00") of Vorgang "VG1"' in refusal) == (
        False, befristet)
    answer, _, _ = answered(refusal, received)
    assert ("DTM+93:202612312300?+00:303" in tagged(answer, "DTM+93")) == befristet


@pytest.mark.parametrize("on", ["2025-10-01", "2026-10-01"])
def test_the_advice_keeps_the_callers_own_references(on):
    received, sender, receiver = request_of(55042, on, (T("VG1", locations=[("malo", MALO)]),))
    with pytest.raises(ValueError, match=f"^{NOT_NAMED}") as refused:
        native.build_answer(received, 55043, on=on, references=[("TN", "OWN1")])
    answer, _, fields = answered(str(refused.value), received)
    assert fields["references"][0] == ("TN", "OWN1")
    assert clean(answer, on, receiver, sender) == (True, [])
    assert tagged(answer, "RFF+TN") == ["RFF+TN:OWN1"]


def advised(refusal):
    """The keyword arguments of the refusal's build_answer call and of each UtilmdTransaction of its build_utilmd
    call, the call's `...` left as they are."""
    call = ast.parse(ANSWER_ROUTE.search(refusal)[1], mode="eval").body
    transactions = ast.parse(ROUTE.search(refusal)[3], mode="eval").body.elts
    return [{keyword.arg: ast.literal_eval(keyword.value) for keyword in each.keywords}
            for each in [call, *transactions]]


def said(value):
    """The values a keyword argument holds, of a pair its second, a date escaped as a request writes it."""
    if isinstance(value, tuple):
        return said(value[1])
    if isinstance(value, list):
        return [each for item in value for each in said(item)]
    if isinstance(value, str):
        return [value.replace("+", "?+")] if re.fullmatch(r"\d{12}\+\d\d", value) else [value]
    return []


@pytest.mark.parametrize("given", [{"process_dates": [("92", "202609302200+00")]},
                                   {"process_dates": [("92", "202609302200+00")], "antwort_code": "A51"}],
                         ids=["the Beginn alone", "with an Antwortcode"])
@pytest.mark.parametrize("locations", [[], [("melo", MELO)]], ids=["no Lokation", "a Messlokation"])
@pytest.mark.parametrize("ergaenzung", ["", "+ZW4"], ids=["no Ergänzung", "one 55002 does not name"])
@pytest.mark.parametrize("on", ["2025-10-01", "2026-10-01"])
def test_the_advice_names_only_what_the_request_and_the_caller_said(on, ergaenzung, locations, given):
    # Completion writes a Transaktionsgrund-Ergänzung in the 55002 that the 55051 does not give, or gives one the
    # 55002 does not name; the Beginn the 55002 confirms the 55051 does not give either.
    received, _, _ = request_of(55051, on, (T("VG1", locations=locations),))
    assert b"STS+7++E01'" in received
    received = received.replace(b"STS+7++E01'", f"STS+7++E01{ergaenzung}'".encode())
    with pytest.raises(ValueError, match=r'^received: message 0, Vorgang "VG1": the answer must confirm DTM\+92'):
        native.build_answer(received, 55002, on=on)
    with pytest.raises(ValueError, match=f"^{NOT_NAMED}") as refused:
        native.build_answer(received, 55002, on=on, **given)
    fields = advised(str(refused.value))
    assert all("transaktionsgrund_ergaenzung" not in each for each in fields), str(refused.value)
    caller = set(said(list(given.values()))) | {on}
    for each in fields:
        assert set(said(list(each.values()))) <= held_values(received) | caller, each


# A 44001 as other systems send it: its own Bilanzkreis, Kunde and dates where completion writes samples.
VENDOR_44001 = [("DTM+92:202609300400?+00:303", "DTM+92:202405010400?+00:303"), ("DTM+Z20:2026:802", "DTM+Z20:12:802"),
                ("CCI+Z19++X", "CCI+Z19++11Y0-0000-0076-N"), ("CAV+Z74:::Z08", "CAV+Z74:::Z09"),
                ("Mustermann:::::Z01", "Schmidt:Anna::::Z01"), ("Musterstr. 1+Berlin", "Hauptstr. 7+Hamburg")]


def vendor_44001(*added):
    received, sender, receiver = request_of(44001, "2026-10-01", (T("VG1", locations=[("172", MALO)]),))
    text = received.decode()
    for sample, own in VENDOR_44001:
        assert sample in text
        text = text.replace(sample, own)
    for after, segment in added:
        text = text.replace(f"{after}'", f"{after}'{segment}'", 1)
    count = len(segments(text[text.index("UNH"):text.index("UNZ")]))
    text = re.sub(r"UNT\+\d+", f"UNT+{count}", text)
    return SimpleNamespace(received=text.encode(), sender=sender, receiver=receiver,
                           kept=[own.split("+")[0] if "+" not in own[4:] else own for _, own in VENDOR_44001])


def own_values(answer):
    text = answer.decode()
    return [own for _, own in VENDOR_44001 if own not in text]


def test_a_44002_to_another_systems_44001_keeps_every_request_value_beside_the_given_messlokation():
    request = vendor_44001()
    answer = native.build_answer(request.received, 44002, on="2026-10-01", references=[("Z19", MELO)])
    assert clean(answer, "2026-10-01", request.receiver, request.sender) == (True, [])
    assert own_values(answer) == []
    assert tagged(answer, "LOC+172+") == [f"LOC+172+{MALO}", f"LOC+172+{MELO}"]
    assert set(tagged(answer, "RFF+Z19:")) == {f"RFF+Z19:{MELO}"}
    assert lokation_ids(answer) == {MALO, MELO}


def test_a_messlokation_the_request_names_in_a_reference_is_the_answers_own():
    request = vendor_44001(("NAD+Z05+++Schmidt:Anna::::Z01+Hauptstr. 7+Hamburg+++DE", f"RFF+Z19:{MELO}"))
    assert native.validate_edifact(request.received, "2026-10-01").is_valid
    answer = native.build_answer(request.received, 44002, on="2026-10-01")
    assert clean(answer, "2026-10-01", request.receiver, request.sender) == (True, [])
    assert own_values(answer) == []
    assert tagged(answer, "RFF+Z19:") and set(tagged(answer, "RFF+Z19:")) == {f"RFF+Z19:{MELO}"}
    assert lokation_ids(answer) == {MALO, MELO}


@pytest.mark.parametrize("own", [True, False], ids=["own IDs", "build_utilmd's samples"])
@pytest.mark.parametrize("on", ["2025-10-01", "2026-10-01"])
def test_a_tranche_the_request_names_only_in_a_reference_is_the_answers_own(on, own):
    received, sender, receiver = request_of(55168, on)
    # Completion's sample Tranche in the answer is the request's sample Marktlokation: the request's Marktlokation
    # is no Tranche of it all the same.
    tranche = native.malo_from_base("4123456789") if own else "41373559241"
    if own:
        received = received.replace(b"51238696781", MALO.encode()).replace(b"RFF+Z20:41373559241",
                                                                             f"RFF+Z20:{tranche}".encode())
    assert tagged(received, f"RFF+Z20:{tranche}") and not tagged(received, "LOC+Z21")
    assert native.validate_edifact(received, on).is_valid
    answer = native.build_answer(received, 55647, on=on)
    assert clean(answer, on, receiver, sender) == (True, [])
    assert tagged(answer, "LOC+Z21") == [f"LOC+Z21+{tranche}"]


# An Antwortcode that obliges dates, beside an answer that needs a Lokation nobody names: (answer, code, list, dates).
OBLIGING = [(55040, "Z01", "S_0090", [("471", "202610042200+00")]),
            (55041, "Z12", "S_0054", [("157", "202610042200+00"), ("Z01", "03MQ")])]


@pytest.mark.parametrize(("answer_pid", "code", "codeliste", "dates"), OBLIGING)
def test_what_the_code_obliges_is_asked_before_the_lokation_so_that_either_route_builds(answer_pid, code, codeliste,
                                                                                       dates):
    received, sender, receiver = request_of(55039, "2025-10-01", (T("VG1", locations=[("malo", MALO)]),))
    given = {"on": "2025-10-01", "antwort_code": code, "antwort_ebd": codeliste}
    with pytest.raises(ValueError, match=r"^process_dates: antwort_code "):
        native.build_answer(received, answer_pid, **given)
    with pytest.raises(ValueError, match=f"^{NOT_NAMED}") as refused:
        native.build_answer(received, answer_pid, process_dates=dates, **given)
    refusal = str(refused.value)
    answer, _, _ = answered(refusal, received)
    built, _, (fields,) = followed(refusal, sender, receiver)
    # build_utilmd's dates take no period: the advice says so rather than pass one it refuses.
    taken = [date for date in dates if date[0] != "Z01"]
    assert fields["dates"] == taken
    assert ('leave out DTM+Z01 "03MQ"' in refusal) == (taken != dates)
    for message, carried in ((answer, dates), (built, taken)):
        assert clean(message, "2025-10-01", receiver, sender) == (True, [])
        assert all(f"DTM+{qualifier}:{value.replace('+', '?+')}:" in message.decode() for qualifier, value in carried)


def test_a_given_lokation_the_column_refuses_names_its_reference():
    received, _, _ = request_of(55600, "2025-10-01")
    with pytest.raises(ValueError, match=r"^references\[0\]: .*invalid checksum"):
        native.build_answer(received, 55603, on="2025-10-01", references=[("Z18", MALO[:-1] + "1"), ("Z19", MELO)])
