"""build_answer names no Lokation ID but its request's own: where completion wrote a sample ID, the request's ID of
that shape stands, and an answer that needs a Lokation the request does not name is refused with the build_utilmd
call that writes it, which, followed as written, gives a clean answer naming no Lokation but the request's and those
the caller adds."""

import ast
import re

import pytest

import quorvane._native as native
from answer_support import segments, tagged
from test_answer_carried import NOT_NAMED, clean, request_of

T = native.UtilmdTransaction
MALO, MELO = "50605869880", "DE0032106765712000000000000000037"
ROUTE = re.compile(r"build_utilmd\((\d+), the request's recipient, its sender, transactions=\[(UtilmdTransaction\(.*\))\]\), "
                   r"in place of each \.\.\. in turn (.*)$")
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


def followed(refusal, sender, receiver, on):
    """The answer build_utilmd writes as the refusal says, and the IDs put in place of its `...`."""
    match = ROUTE.search(refusal)
    assert match, refusal
    call = ast.parse(match[2], mode="eval").body
    fields = {keyword.arg: ast.literal_eval(keyword.value) for keyword in call.keywords}
    forms = iter(re.findall(r"the [^,]+?'s ([^,\s]+)", match[3]))
    added = []
    for at, (qualifier, value) in enumerate(fields["locations"]):
        if value is ...:
            added.append(OWN[next(forms)])
            fields["locations"][at] = (qualifier, added[-1])
    assert next(forms, None) is None, refusal
    answer = native.build_utilmd(int(match[1]), receiver, sender, on=on,
                                 transactions=[T(ast.literal_eval(call.args[0]), **fields)])
    return answer, added


# Requests whose answers need a Lokation they do not name: (request, answer, Vorgang, Gültigkeitsdatum).
ROUTES = [
    (55001, 55002, {"transaktionsgrund_ergaenzung": "ZAP", "locations": [("malo", MALO)]}, "2025-10-01"),
    (55042, 55043, {"locations": [("malo", MALO)]}, "2025-10-01"),
    (55042, 55043, {"locations": [("melo", MELO)]}, "2025-10-01"),
    (55077, 55078, {"locations": [("malo", MALO)]}, "2025-10-01"),
    (55077, 55078, {}, "2026-10-01"),
    (55600, 55603, {}, "2025-10-01"),
    (55600, 55603, {"locations": [("melo", MELO)]}, "2025-10-01"),
    (44001, 44002, {"locations": [("172", MALO)]}, "2026-10-01"),
]


@pytest.mark.parametrize(("request_pid", "answer_pid", "vorgang", "on"), ROUTES)
def test_the_lokation_refusal_followed_as_written_builds_a_clean_answer(request_pid, answer_pid, vorgang, on):
    received, sender, receiver = request_of(request_pid, on, (T("VG1", **vorgang),))
    with pytest.raises(ValueError, match=f"^{NOT_NAMED}") as refused:
        native.build_answer(received, answer_pid, on=on)
    answer, added = followed(str(refused.value), sender, receiver, on)
    assert clean(answer, on, receiver, sender) == (True, [])
    assert lokation_ids(answer) <= lokation_ids(received) | set(added), refused.value
