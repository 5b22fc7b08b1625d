"""Answer codes (STS DE 9013, AJT DE 4465) against the Entscheidungsbaum named beside them:
completion's sample is a code the tree publishes, and validation refuses a code the tree does
not publish or one outside the cluster the column asks for."""

import pytest

import quorvane._native as native

SENDER, RECEIVER = "9900000000003", "9900000000010"
GS1_PARTIES = ("4012345000023", "4012345000016")
ON = "2026-10-01"


def wire_lists():
    """Wire code list -> (tree, its codes on that list), from the Python-visible catalogue."""
    lists = {}
    for tree in native.entscheidungsbaeume():
        for code in native.antwort_codes(tree):
            if code.wire_codeliste:
                lists.setdefault(code.wire_codeliste, (tree, set()))[1].add(code.code)
    return lists


WIRE_LISTS = wire_lists()


def codes_named_by(name):
    """The codes the tree (or wire list) `name` publishes; None when the catalogue lacks it."""
    if name in WIRE_LISTS:
        return WIRE_LISTS[name][1]
    try:
        return {code.code for code in native.antwort_codes(name)}
    except ValueError:
        return None


def build_with(message_type, pid, sender, receiver, answer):
    if message_type == "UTILMD":
        transaction = native.UtilmdTransaction("VG1", **answer)
        return native.build_utilmd(pid, sender, receiver, on=ON, transactions=[transaction])
    return native.build_ordrsp(pid, sender, receiver, on=ON, **answer)


def build(message_type, pid, **answer):
    try:
        return build_with(message_type, pid, SENDER, RECEIVER, answer)
    except ValueError as refused:
        # A column that takes parties of another kind of ID only.
        if not str(refused).startswith(("sender:", "receiver:")):
            raise
        return build_with(message_type, pid, *GS1_PARTIES, answer)


def answer_of(message):
    """(segment text, code, tree name or None) of the message's answer code."""
    for segment in message.decode("latin-1").split("'"):
        elements = segment.split("+")
        if segment.startswith("STS+E01+") and len(elements) > 3:
            parts = elements[3].split(":")
            return segment, parts[0], parts[1] if len(parts) > 1 and parts[1] else None
        if segment.startswith("AJT+"):
            return segment, elements[1], elements[2] if len(elements) > 2 and elements[2] else None
    return None


def findings(message):
    report = native.validate_edifact(native.build_interchange(SENDER, RECEIVER, "DAR1", [message], on=ON), ON)
    return report, {finding.rule_id for finding in report.findings}


BUILT = {}


def built(message_type, pid):
    if (message_type, pid) not in BUILT:
        BUILT[message_type, pid] = build(message_type, pid)
    return BUILT[message_type, pid]


def answer_columns():
    """The columns whose completed message carries an answer code (STS+E01, AJT)."""
    cases = [("UTILMD", pid) for pid in native.pruefidentifikatoren("UTILMD", ON, "STROM")]
    cases += [("ORDRSP", pid) for pid in native.pruefidentifikatoren("ORDRSP", ON, None)]
    return [case for case in cases if answer_of(built(*case))]


@pytest.mark.parametrize(("message_type", "pid"), answer_columns())
def test_sample_answer_is_published_by_the_tree_beside_it(message_type, pid):
    message = built(message_type, pid)
    answer = answer_of(message)
    _, code, tree = answer
    published = codes_named_by(tree) if tree else None
    if published is not None:
        assert code in published, answer
    elif code == "X":
        # Only where no tree the catalogue carries can be known does the placeholder stay.
        assert tree is None or codes_named_by(tree) is None
    else:
        assert any(code in codes_named_by(name) for name in native.entscheidungsbaeume()), answer


def test_most_answer_columns_get_a_published_sample():
    samples = [answer_of(built(*case)) for case in answer_columns()]
    placeholders = [answer for answer in samples if answer and answer[1] == "X"]
    published = [answer for answer in samples if answer and answer[1] != "X" and answer[2] and codes_named_by(answer[2])]
    assert len(published) >= 30 and all(codes_named_by(tree) is None for _, _, tree in placeholders if tree)


def replaced(message, segment, code, new):
    edited_segment = segment.replace(f"+{code}:", f"+{new}:", 1) if segment.startswith("STS") else segment.replace(
        f"AJT+{code}", f"AJT+{new}", 1)
    edited = message.replace(segment.encode("latin-1") + b"'", edited_segment.encode("latin-1") + b"'")
    assert edited != message
    return edited


# Columns whose tree the catalogue carries, and for the cluster cases a code of the other cluster.
@pytest.mark.parametrize(("message_type", "pid", "nr", "tag", "de"), [
    ("UTILMD", 55002, "00037", "STS", "9013"),
    ("UTILMD", 55003, "00037", "STS", "9013"),
    ("UTILMD", 55040, "00037", "STS", "9013"),
    ("UTILMD", 55604, "00037", "STS", "9013"),
    ("ORDRSP", 19011, "00013", "AJT", "4465"),
    ("ORDRSP", 19014, "00013", "AJT", "4465"),
    ("ORDRSP", 19133, "00013", "AJT", "4465"),
])
@pytest.mark.parametrize("new", ["Q9Q", "X"])
def test_a_code_the_tree_does_not_publish_is_an_error(message_type, pid, nr, tag, de, new):
    message = built(message_type, pid)
    segment, code, _ = answer_of(message)
    assert findings(message)[0].is_valid
    report, rule_ids = findings(replaced(message, segment, code, new))
    assert f"AHB-{pid}-{nr}-{tag}-{de}-EBD" in rule_ids, sorted(rule_ids)
    assert not report.is_valid


@pytest.mark.parametrize(("message_type", "pid", "other"), [
    ("UTILMD", 55002, "A50"),   # Zustimmung asked, E_0623 A50 is an Ablehnung
    ("UTILMD", 55003, None),    # every E_0622 code is an Ablehnung: nothing to swap in
    ("UTILMD", 55005, "A01"),   # Zustimmung asked
    ("UTILMD", 55604, "A09"),   # Ablehnung asked, A09 is a Zustimmung of E_0608
    ("UTILMD", 55040, "E11"),   # S_0090 is E_0200's list of Zustimmungen
    ("ORDRSP", 19011, "A01"),
    ("ORDRSP", 19012, "A11"),
    ("ORDRSP", 19013, "A01"),
])
def test_a_code_of_the_other_cluster_is_an_error(message_type, pid, other):
    message = built(message_type, pid)
    segment, code, _ = answer_of(message)
    if other is None:
        assert findings(message)[0].is_valid
        return
    report, rule_ids = findings(replaced(message, segment, code, other))
    assert any(rule_id.endswith("-CLUSTER") for rule_id in rule_ids), sorted(rule_ids)
    assert not report.is_valid


@pytest.mark.parametrize(("message_type", "pid", "given", "valid"), [
    ("UTILMD", 55002, {"antwort_code": "A58", "antwort_ebd": "E_0623"}, True),
    ("ORDRSP", 19011, {"antwort_code": "A11", "antwort_ebd": "E_0256"}, True),
])
def test_a_given_code_is_written_as_given(message_type, pid, given, valid):
    message = build(message_type, pid, **given)
    _, code, tree = answer_of(message)
    assert code == given["antwort_code"]
    assert tree == given.get("antwort_ebd", tree)
    report, rule_ids = findings(message)
    assert report.is_valid == valid, sorted(rule_ids)


@pytest.mark.parametrize(("message_type", "pid", "given", "argument", "finding"), [
    ("UTILMD", 55002, {"antwort_code": "Q9Q", "antwort_ebd": "E_0623"}, "transactions[0].antwort_code",
     '"Q9Q", which Entscheidungsbaum E_0623 does not publish'),
    ("UTILMD", 55002, {"antwort_code": "A50"}, "transactions[0].antwort_code",
     '"A50", of cluster Ablehnung in Entscheidungsbaum E_0623; the Prüfschablone of 55002 asks for cluster Zustimmung'),
    # The code cannot be left out without its tree, so the code the column rejects is named.
    ("ORDRSP", 19011, {"antwort_code": "A05", "antwort_ebd": "E_0256"}, "antwort_code", '"A05"'),
])
def test_a_given_code_the_column_rejects_is_refused_by_name(message_type, pid, given, argument, finding):
    with pytest.raises(ValueError) as refused:
        build(message_type, pid, **given)
    assert str(refused.value).startswith(f"{argument}: the column of {message_type} {pid}"), str(refused.value)
    assert finding in str(refused.value)
