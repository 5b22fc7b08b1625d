"""build_utilmd: Vorgänge handed to the UTILMD builder, the column's decisions, completion and read-back."""

import re

import pytest

import quorvane._native as native
from edifact_segments import split, tagged

MS, MR = "9900357000004", "4012345000023"
GAS_MS, GAS_MR = "9800000000008", "9812345000007"  # DVGW IDs, which the gas columns admit
MALO = "51238696781"
T = native.UtilmdTransaction


def build(transactions=(), **kwargs):
    kwargs.setdefault("release", "S9.9")  # no profile: the builder's bytes as written
    kwargs.setdefault("document_date", "20260401")
    return native.build_utilmd(kwargs.pop("pid", 55001), kwargs.pop("sender", MS), kwargs.pop("receiver", MR),
                               transactions=transactions, **kwargs)


def test_uncompleted_message_byte_for_byte():
    vorgang = T("V+1", transaktionsgrund="E01", antwort_code="A01", antwort_ebd="E_0624",
                dates=[("92", "202604010000+00")], references=[("Z47", "R:1")],
                locations=[("malo", MALO), ("melo", "DE0001")], customers=[("UD", "9812345000007")],
                free_texts=[("ACB", "Grüße: a+b?'")], antwort_dritter="A50", bilanzkreis="11XDE-BKTEST-X")
    built = build([vorgang], message_ref="M1", document_code="E03", references=[("ACW", "X+1")])
    assert built == (
        "UNH+M1+UTILMD:D:11A:UN:S9.9'BGM+E03+M1'DTM+137:202604010000?+00:303'RFF+ACW:X?+1'"
        "NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'"
        "IDE+24+V?+1'DTM+92:202604010000?+00:303'STS+7++E01+ZW4'STS+E01++A01:E_0624'STS+Z35++A50:E_0624'"
        "FTX+ACB+++Grüße?: a?+b???''LOC+Z16+51238696781'LOC+Z17+DE0001'RFF+Z13:55001'RFF+Z47:R?:1'"
        "SEQ+Z79+1'PIA+5+9991000002082:Z11'CCI+Z66'CAV+ZV4:::11XDE-BKTEST-X'SEQ+ZH0+1'CCI+Z65+++Z01'"
        "NAD+UD+9812345000007::332'UNT+24+M1'").encode()


def sts7(built):
    return [s[2:] for s in tagged(split(built), "STS", "7")]


@pytest.mark.parametrize(
    "grund, ergaenzung, expected",
    [("E01", None, [[[""], ["E01"], ["ZW4"]]]), ("E01", "ZW5", [[[""], ["E01"], ["ZW5"]]]), (None, None, [])],
)
def test_transaktionsgrund_and_its_ergaenzung(grund, ergaenzung, expected):
    assert sts7(build([T("V1", transaktionsgrund=grund, transaktionsgrund_ergaenzung=ergaenzung)])) == expected


@pytest.mark.parametrize(
    "release, typ, qualifier",
    [("G9.9", "malo", "172"), ("G9.9", "Marktlokation", "172"), ("G9.9", "Z16", "172"), ("G9.9", "melo", "Z17"),
     ("G9.9", "tranche", "Z21"), ("S9.9", "malo", "Z16"), ("S9.9", "MALO", "Z16"), ("S9.9", "172", "172"),
     ("X1", "Z22", "Z22")],
)
def test_location_qualifier_by_track(release, typ, qualifier):
    built = build([T("V1", locations=[(typ, "ID1")])], release=release)
    assert [s[1:] for s in tagged(split(built), "LOC")] == [[[qualifier], ["ID1"]]]


def sts_e01(built):
    return [s[3] for s in tagged(split(built), "STS", "E01")]


def column_without_sts_1131():
    """An answer Prüfidentifikator of S2.1 whose column has no STS DE 1131, found through the builds."""
    for pid in native.pruefidentifikatoren("UTILMD", "2026-01-01", "STROM"):
        try:
            built = build([T("V1", antwort_code="A01", antwort_ebd="E_0624")], pid=pid, release="S2.1")
        except ValueError:  # a column without an answer status, or one that refuses the code
            continue
        if all(len(c) == 1 for c in sts_e01(built)):
            return pid
    return None


@pytest.mark.parametrize(
    "code, ebd, expected",
    [("A01", "E_0624", [["A01", "E_0624"]]), ("A01", None, [["A01"]]), (None, "E_0624", [])],
)
def test_antwort_status_without_a_column(code, ebd, expected):
    assert sts_e01(build([T("V1", antwort_code=code, antwort_ebd=ebd)])) == expected


def test_antwort_ebd_dropped_where_the_column_does_not_list_it():
    pid = column_without_sts_1131()
    # Where no such column takes the code at all, the build is refused by name instead.
    pid = 55001 if pid is None else pid
    try:
        built = build([T("V1", antwort_code="A01", antwort_ebd="E_0624")], pid=pid, release="S2.1")
    except ValueError as refused:
        # A column without an answer status refuses the code itself.
        assert str(refused).startswith(f"transactions[0].antwort_code: the column of UTILMD {pid} (S2.1) ")
        return
    assert sts_e01(built) and all(c[0] == "A01" and len(c) == 1 for c in sts_e01(built))


def test_bilanzkreis_becomes_the_produktpaket():
    segments = split(build([T("V1", bilanzkreis="11XDE-BK")]))
    assert tagged(segments, "SEQ", "Z79") == [["SEQ", ["Z79"], ["1"]]]
    assert tagged(segments, "PIA")[0][2] == ["9991000002082", "Z11"]
    assert tagged(segments, "CAV", "ZV4")[0][1][-1] == "11XDE-BK"


@pytest.mark.parametrize("on", ["2025-10-01", "2026-10-01"])
def test_completion_refuses_to_drop_a_segment_the_column_cannot_place(on):
    with pytest.raises(ValueError) as raised:
        native.build_utilmd(55001, MS, MR, on=on, sparte="STROM", transactions=[T("V1", references=[("Z47", "1")])])
    assert str(raised.value).startswith("transactions[0].references[0]: the column of UTILMD 55001 (")
    assert str(raised.value).endswith(" — segment RFF (message segment 7) fits no place of the Nachrichtenstruktur; "
                                      "the message cannot be completed without dropping it")


def test_document_date_wins_and_on_is_not_parsed_with_a_release():
    built = build(on="not a date", document_date="20251231", sparte="WASSER")
    assert tagged(split(built), "DTM", "137")[0][1][1] == "202512310000+00"


EM_DASH = ("free_texts[ACB] contains '—' (U+2014) at character 6, which the              interchange charset cannot "
           "carry: a BDEW interchange declares              UNB+UNOC:3, i.e. ISO 8859-1. German prose taken from a "
           "BDEW document              often needs rewriting for the wire — the em-dash, the typographic              "
           "quotes and the ellipsis are all outside it.")
UNKNOWN_LOC = ("unknown Lokationstyp \"z16\" — expected a LOC DE 3227 code (Z15…Z22, or 172 for a gas Meldepunkt) "
               "or one of malo, melo, nelo, tranche, tr, sr, ruhende_malo, mabis")


@pytest.mark.parametrize(
    "call, error, text",
    [
        (lambda: native.build_utilmd(55001, MS, MR), ValueError,
         "pass either release= or on= — a UTILMD message has no default release, and guessing one produces "
         "findings that describe the mismatch rather than the message"),
        (lambda: native.build_utilmd(55001, MS, MR, on="2026-04-01", sparte="WASSER"), ValueError,
         'sparte must be "STROM" or "GAS", got "WASSER"'),
        (lambda: native.build_utilmd(9999, MS, MR, on="2026-04-01"), ValueError,
         "invalid Pruefidentifikator 9999: must be a 5-digit code in the range 10000–99999"),
        (lambda: native.build_utilmd(-1, MS, MR, on="2026-04-01"), OverflowError, "argument 'pruefidentifikator': out of range"),
        (lambda: native.build_utilmd(55001, MS, MR, release="S2.1", on="2026-4-1"), ValueError,
         'invalid ISO 8601 date "2026-4-1"'),
        (lambda: build(references=[("ACW", "1", "2")]), ValueError,
         "argument 'references': expected tuple of length 2, but got tuple of length 3"),
        (lambda: build(references="ACW"), TypeError, "argument 'references': Can't extract `str` to `Vec`"),
        (lambda: build(transactions=["V1"]), TypeError, "argument 'transactions'"),
        (lambda: build(transactions="V1"), TypeError, "argument 'transactions': Can't extract `str` to `Vec`"),
        (lambda: build(message_ref=None), TypeError, "argument 'message_ref'"),
        (lambda: build([T("V1", locations=[("z16", "1")])]), ValueError, UNKNOWN_LOC),
        (lambda: build([T("V1", free_texts=[("ACB", "Grüße — x")])]), ValueError, EM_DASH),
        # the first offending item in build order: the second Vorgang's location before its free text
        (lambda: build([T("V1"), T("V2", free_texts=[("ACB", "—")], locations=[("z16", "1")])]), ValueError,
         UNKNOWN_LOC),
    ],
)
def test_refusals(call, error, text):
    with pytest.raises(error) as raised:
        call()
    assert str(raised.value).startswith(text)


# The gas Vorgang carries no Transaktionsgrund: the Ergänzung written by default, ZW4, is an
# electricity code that the gas columns do not admit.
ROUND_TRIPS = [(55001, on, "STROM", MS, MR) for on in ("2025-10-01", "2026-01-01", "2026-04-01", "2026-10-01")] + \
    [(44003, on, "GAS", GAS_MS, GAS_MR) for on in ("2026-04-01", "2026-10-01")]


@pytest.mark.parametrize("pid, on, sparte, sender, receiver", ROUND_TRIPS)
def test_round_trip_validates_and_reads_back(pid, on, sparte, sender, receiver):
    malo = native.malo_from_base("5123869678")
    grund = "E01" if sparte == "STROM" else None
    # The Übergabe begins with the Berlin day, as the column's day-boundary Formatbedingung asks.
    start = native.berlin_day_bounds(on)[0]
    day_start = start[:4] + start[5:7] + start[8:10] + start[11:13] + start[14:16]
    dates = [("92", day_start)] if sparte == "STROM" else []  # gas reads DTM+92 as the Übergabe
    vorgang = T("VG-1", transaktionsgrund=grund, dates=dates, locations=[("malo", malo)])
    built = native.build_utilmd(pid, sender, receiver, on=on, sparte=sparte, transactions=[vorgang])
    assert split(built)[0][2][-1] == native.release_for("UTILMD", on, sparte)
    report = native.validate_edifact(native.build_interchange(sender, receiver, "DAR1", [built], on=on), on)
    (message,) = report.messages
    assert (message.is_valid, message.rules_applied) == (True, True), [f.message for f in message.errors]
    assert message.pruefidentifikator == pid
    (read,) = message.vorgaenge
    assert read.vorgangsnummer == "VG-1"
    assert grund is None or read.transaktionsgrund == grund
    assert (("172" if sparte == "GAS" else "Z16"), malo) in read.locations


# -- properties -----------------------------------------------------------------------------------

from hypothesis import HealthCheck, given, settings, strategies as st  # noqa: E402

LATIN1 = st.text(alphabet="aZ09 .-_/+:?'äöüßÄé\u00a0", max_size=40)
ANY_TEXT = st.text(alphabet="aZ09 +:?'äß€—\u2028", max_size=30)
QUALIFIER = st.sampled_from(["Z47", "AVE", "Z19", "ACW", "", "Z+1", "Z'?"])
PROPERTY = settings(max_examples=150, deadline=None, suppress_health_check=[HealthCheck.too_slow])


def vorgaenge_read_back(built):
    """Per IDE: its number, the LOC ids, the RFF pairs but the added Z13, the FTX pairs, the NAD pairs."""
    found = []
    for segment in split(built):
        tag = segment[0]
        if tag == "IDE":
            found.append({"nr": segment[2][0], "loc": [], "rff": [], "ftx": [], "nad": []})
        elif not found or tag not in ("LOC", "RFF", "FTX", "NAD"):
            continue
        elif tag == "LOC":
            found[-1]["loc"].append(segment[2][0])
        elif tag == "RFF" and segment[1][0] != "Z13":
            found[-1]["rff"].append((segment[1][0], segment[1][1] if len(segment[1]) > 1 else ""))
        elif tag == "FTX":
            found[-1]["ftx"].append((segment[1][0], ":".join(segment[4])))
        elif tag == "NAD":
            found[-1]["nad"].append((segment[1][0], segment[2][0]))
    return found


def transactions_of(number, qualifier=QUALIFIER, most_references=3):
    return st.lists(st.builds(
        T, number,
        references=st.lists(st.tuples(qualifier, ANY_TEXT), max_size=most_references),
        locations=st.lists(st.tuples(st.sampled_from(["malo", "melo", "Z18", "tr"]), ANY_TEXT), max_size=3),
        customers=st.lists(st.tuples(st.sampled_from(["UD", "Z09"]), ANY_TEXT), max_size=2),
        free_texts=st.lists(st.tuples(st.sampled_from(["ACB", "Z01"]), LATIN1), max_size=3)), max_size=4)


transactions_strategy = transactions_of(ANY_TEXT)


@PROPERTY
@given(transactions=transactions_strategy, ref=ANY_TEXT)
def test_property_built_values_read_back(transactions, ref):
    built = build(transactions, message_ref=ref or "1")
    assert split(built)[0][1] == [ref or "1"]
    assert vorgaenge_read_back(built) == [
        {"nr": t.vorgangsnummer, "loc": [i for _, i in t.locations], "rff": t.references, "ftx": t.free_texts,
         "nad": t.customers} for t in transactions]


@PROPERTY
# Completion either keeps every Vorgang with what it was given or names the segment it cannot
# place; it never drops one. An empty value is refused by name rather than filled.
@given(transactions=transactions_of(ANY_TEXT.filter(bool)).filter(bool),
       on=st.sampled_from([on for pid, on, *_ in ROUND_TRIPS if pid == 55001]))
def test_property_completion_keeps_or_refuses(transactions, on):
    try:
        built = native.build_utilmd(55001, MS, MR, on=on, sparte="STROM", transactions=transactions)
    except ValueError as refused:
        # An empty value, or one the column does not admit, named by its path.
        assert re.match(r"transactions(\[\d+\](\.\w+(\[\d+\])?)?)?( [\w ]+ is empty: the column requires|: the column of )",
                        str(refused)), str(refused)
        return
    read = vorgaenge_read_back(built)
    assert [v["nr"] for v in read] == [t.vorgangsnummer for t in transactions]
    for given_, got in zip(transactions, read):
        assert all(i in got["loc"] for _, i in given_.locations if i)
        assert all(pair in got["ftx"] for pair in given_.free_texts if pair[1])


WILD = st.one_of(st.none(), st.text(max_size=300), st.integers(min_value=-2**70, max_value=2**70),
                 st.lists(st.one_of(st.text(max_size=5), st.tuples(st.text(max_size=5), st.text(max_size=5)),
                                    st.tuples(st.text(max_size=3))), max_size=3),
                 st.binary(max_size=5), st.just("x" * 70000))


@PROPERTY
@given(pid=st.one_of(st.integers(min_value=-10, max_value=2**40), WILD), sender=WILD, receiver=WILD,
       on=st.one_of(st.sampled_from(["2026-04-01", "2025-10-01"]), WILD),
       release=st.one_of(st.none(), st.sampled_from(["S2.1", "G1.2", "X"]), WILD),
       texts=st.lists(st.tuples(st.sampled_from(["ACB", "", "Z+"]), st.text(max_size=600)), max_size=3),
       references=WILD, transactions=st.one_of(WILD, transactions_strategy))
def test_property_any_argument_gives_bytes_or_a_clear_error(pid, sender, receiver, on, release, texts,
                                                            references, transactions):
    if isinstance(transactions, list) and transactions and isinstance(transactions[0], T):
        transactions[0].free_texts = texts
    try:
        built = native.build_utilmd(pid, sender, receiver, on=on, release=release, references=references,
                                    transactions=transactions)
    except (TypeError, ValueError, OverflowError):
        return
    except RuntimeError as refused:  # a segment the column has no place for
        assert str(refused).startswith("UTILMD completion failed: segment ")
        return
    assert built.startswith(b"UNH+") and built.endswith(b"'")


# -- the column's decisions -----------------------------------------------------------------------

import inspect  # noqa: E402


@pytest.mark.parametrize(("pid", "sender", "receiver", "release"),
                         [(55001, MS, MR, "S2.1"), (44003, GAS_MS, GAS_MR, "G1.1")])
def test_sparte_follows_the_pruefidentifikator(pid, sender, receiver, release):
    # On 2026-04-01 both tracks have a release in force; a date alone must not pick the wrong one.
    built = native.build_utilmd(pid, sender, receiver, on="2026-04-01", transactions=[T("VG1")])
    assert split(built)[0][2][-1] == release


@pytest.mark.parametrize(("kwargs", "code"), [({}, "E02"), ({"document_code": "E03"}, None),
                                              ({"release": "S9.9", "on": None}, "E01")])
def test_document_code_from_the_column_unless_given(kwargs, code):
    if code is None:
        # A code the column does not admit is given, never replaced: the build is refused.
        with pytest.raises(ValueError, match=r"^document_code: the column of UTILMD 55004 .* admits E02$"):
            native.build_utilmd(55004, MS, MR, **{"on": "2026-04-01", **kwargs})
        return
    built = native.build_utilmd(55004, MS, MR, **{"on": "2026-04-01", **kwargs})
    assert split(built)[1][1] == [code]
    assert "document_code=None" in str(inspect.signature(native.build_utilmd))


def test_vorgang_without_a_place_for_the_pid_reference():
    # 55065 carries its Prüfidentifikator in the list's SG4 only; a Vorgang has no RFF+Z13.
    built = native.build_utilmd(55065, MS, MR, on="2026-04-01", transactions=[T("VG1")])
    segments = split(built)
    vorgang = [s[0] for s in segments].index("IDE", [s[0] for s in segments].index("IDE") + 1)
    assert all(s[:2] != ["RFF", ["Z13", "55065"]] for s in segments[vorgang:])
    report = native.validate_edifact(native.build_interchange(MS, MR, "DAR1", [built], on="2026-04-01"), "2026-04-01")
    assert report.is_valid, [f.rule_id for m in report.messages for f in m.findings]


@pytest.mark.parametrize(("kwargs", "argument"), [({"transactions": [T("VG1"), T("")]}, "transactions[1].vorgangsnummer"),
                                                  ({"message_ref": ""}, "message_ref"),
                                                  ({"document_code": ""}, "document_code")])
def test_empty_required_value_is_refused(kwargs, argument):
    with pytest.raises(ValueError) as raised:
        native.build_utilmd(55001, MS, MR, on="2026-04-01", **kwargs)
    assert str(raised.value).startswith(f"{argument} is empty: ")


@pytest.mark.parametrize("meldepunkte", [(MALO, "DE0032106765712000000000000000037"),
                                         ("DE0032106765712000000000000000037", MALO)])
def test_a_reference_to_a_lokation_names_the_vorgangs_own_of_its_kind(meldepunkte):
    built = native.build_utilmd(44013, GAS_MS, GAS_MR, on="2026-10-01",
                                transactions=[T("VG1", locations=[("172", meldepunkt) for meldepunkt in meldepunkte])])
    references = {(rff[1][0], rff[1][1]) for rff in tagged(split(built), "RFF") if rff[1][0] in ("Z18", "Z19")}
    assert references == {("Z19", "DE0032106765712000000000000000037"), ("Z18", MALO)}


def vorgaenge_of(built):
    """Each Vorgang's segments: its IDE up to the next IDE or the UNT."""
    found, vorgaenge = split(built), []
    for segment in found:
        if segment[0] == "IDE":
            vorgaenge.append([])
        if vorgaenge and segment[0] != "UNT":
            vorgaenge[-1].append(segment)
    return vorgaenge


MELO = "DE0032106765712000000000000000037"


# Vorgänge naming Lokationen of different kinds, or none, beside which completion's samples go or stay otherwise.
@pytest.mark.parametrize(("pid", "parties", "on", "lokationen"), [
    (55168, (MS, MR), "2025-10-01", [[("malo", MALO)], [], [("melo", MELO)], [("malo", MALO), ("melo", MELO)]]),
    (55043, (MS, MR), "2025-10-01", [[("melo", MELO)], [("malo", MALO), ("melo", MELO)], [], [("malo", MALO)]]),
    (55169, (MS, MR), "2026-10-01", [[], [("malo", MALO)], [("malo", MALO), ("melo", MELO)], [("melo", MELO)]]),
    (55002, (MS, MR), "2025-10-01", [[("malo", MALO)], [], [("malo", MALO)]]),
    (55078, (MS, MR), "2025-10-01", [[("melo", MELO)], [("malo", MALO)], []]),
    (55603, (MS, MR), "2026-10-01", [[], [("malo", MALO), ("melo", MELO)], [("malo", MALO)]]),
    (44002, (GAS_MS, GAS_MR), "2026-10-01", [[("172", MALO)], [], [("172", MELO)]]),
])
def test_each_vorgang_keeps_of_completions_sample_lokationen_what_it_keeps_alone(pid, parties, on, lokationen):
    vorgaenge = [T(f"VG{n}", locations=named) for n, named in enumerate(lokationen)]

    def built(transactions):
        return native.build_utilmd(pid, *parties, on=on, transactions=transactions)

    assert vorgaenge_of(built(vorgaenge)) == [vorgaenge_of(built([vorgang]))[0] for vorgang in vorgaenge]
