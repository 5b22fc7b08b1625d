"""A date an Antwortcode obliges the answer to carry is taken from the request where the request carries it: no
refusal asks the caller for it then."""

import re

import pytest

import quorvane._native as native
from answer_support import tagged
from test_answer_carried import antwort_of, clean, codes_of_kind, request_for, request_of, utilmd_records
from test_answer_edited_requests import ON, errors_of, key, listed, placed, pool, rebuilt, vorgang

OBLIGES = re.compile(r'^process_dates: antwort_code "([^"]+)" obliges (DTM\+\w+(?: and DTM\+\w+)*) in the answer')
# Forms a request may give an obliged date in, the one its column takes being tried first to last.
FORMS = ("{}:202612310500?+00:303", "{}:20261231:102")
# Dates a Vorgang may carry that our builder writes in no message of its own.
FURTHER_DATES = ("154", "159", "471", "Z01", "Z05", "Z07", "Z08", "Z10", "Z25", "Z26")
# The changed end a Zustimmung mit Terminänderung asks for, which the request's Ende of that qualifier is not.
NOT_THE_REQUESTS = {(55040, "Z01")}


def with_date(received, qualifier, on):
    """The request with DTM+qualifier among its Vorgang's dates, in the first form its column takes there; None
    where it takes none."""
    found = listed(received)
    ide, end = vorgang(found)
    dates = tuple(key(segment) for segment in found[ide:end] if segment.startswith("DTM+"))
    for form in FORMS:
        result = placed(found, (None, (form.format(f"DTM+{qualifier}"),), dates, ()), lambda t: errors_of(t, on))
        if result and not result[1]:
            return rebuilt(result[0])
    return None


# The same instant in another zone, which the request's column does not take, is the obliged date all the same.
@pytest.mark.parametrize("written", ["202612310500?+00", "202612310600?+01"])
def test_a_date_the_code_obliges_that_the_request_carries_stands_in_the_answer(written):
    received, sender, receiver = request_of(44007, ON)
    dtm93 = next(segment for segment in tagged(received, "DTM+93:"))
    received = received.replace(f"{dtm93}'".encode(), f"{dtm93}'DTM+159:{written}:303'".encode())
    received = rebuilt(listed(received))
    assert native.validate_edifact(received, ON).is_valid or not written.endswith("+00")
    answer = native.build_answer(received, 44008, on=ON, antwort_code="E15")
    assert clean(answer, ON, receiver, sender) == (True, [])
    assert tagged(answer, "DTM+159") == ["DTM+159:202612310500?+00:303"]


def obliging_records():
    return [record for record in utilmd_records() if record.values[0] == ON]


def codes_of(tree, kind):
    """The codes of the kind the tree publishes; every code the catalogue knows where it does not carry the tree."""
    return codes_of_kind(tree, kind) or sorted({code.code for name in native.entscheidungsbaeume()
                                                for code in native.antwort_codes(name)})


@pytest.mark.parametrize(("on", "request_pid", "answer_pid", "kind"), obliging_records())
def test_no_code_asks_for_a_date_the_request_carries(on, request_pid, answer_pid, kind):
    built = request_for(request_pid, answer_pid, on)
    if built is None:
        pytest.skip("the request's column takes no Vorgang our builder writes")
    received = built[0]
    try:
        tree = antwort_of(native.build_answer(received, answer_pid, on=on))[1]
    except ValueError:
        pytest.skip("the request is refused with the answer's own code")  # the answer sweep judges that
    held = {key(segment) for segment in listed(received) if segment.startswith("DTM+")}
    # The request with a further date of its own, for each its column takes.
    dated = [(qualifier, with_date(received, qualifier, on)) for qualifier in dates_of("GAS" if request_pid < 50000
                                                                                      else "STROM")
             if f"DTM+{qualifier}" not in held]
    asked = []
    for code in codes_of(tree, kind):
        if (answer_pid, code) in NOT_THE_REQUESTS:
            continue
        obliged = obliges(received, answer_pid, on, code, tree)
        carrying = received
        for qualifier in obliged:
            carrying = carrying and with_date(carrying, qualifier, on)
        tried = [(obliged, carrying)] if obliged else []
        tried += [((qualifier,), request) for qualifier, request in dated if request]
        for carried, request in tried:
            named = request and set(carried) & set(obliges(request, answer_pid, on, code, tree))
            if named:
                asked.append(f"{code}: DTM+{sorted(named)[0]} the request carries")
    assert not asked, asked


def dates_of(sparte):
    """The qualifiers of the Vorgang's dates our builder writes in some message of the Sparte and of further ones,
    the process dates aside."""
    return sorted({key(unit[0]).removeprefix("DTM+") for head, unit, _, _ in pool(ON, sparte)
                   if head is None and unit[0].startswith("DTM+")}.union(FURTHER_DATES) - {"92", "93"})


def obliges(received, answer_pid, on, code, tree):
    """The qualifiers of the dates the code obliges and build_answer asks the caller for."""
    try:
        native.build_answer(received, answer_pid, on=on, antwort_code=code, antwort_ebd=tree)
        return []
    except ValueError as refused:
        obliged = OBLIGES.match(str(refused))
        return re.findall(r"DTM\+(\w+)", obliged[2]) if obliged else []
