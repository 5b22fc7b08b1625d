"""Releases, format versions and Prüfidentifikatoren over the built-in profiles, checked against a
reading of the profile documents themselves; the fixed answer-PID table; the error texts."""

import datetime
import inspect
import json
import pathlib
import subprocess
import sys
import textwrap
from collections import namedtuple

import pytest

import quorvane._native as native

PROFILES = pathlib.Path(__file__).resolve().parents[2] / "profiles"
MESSAGE_TYPES = ["UTILMD", "MSCONS", "APERAK", "CONTRL", "INVOIC", "REMADV", "ORDERS", "IFTSTA", "INSRPT",
                 "REQOTE", "PARTIN", "ORDCHG", "ORDRSP", "QUOTES", "COMDIS", "PRICAT", "UTILTS"]
BANDS = {
    "UTILMD": [range(44000, 45000), range(55000, 56000)], "MSCONS": [range(13000, 14000)],
    "APERAK": [range(29000, 30000)], "INVOIC": [range(31000, 32000)], "REMADV": [range(33000, 34000)],
    "ORDERS": [range(17000, 18000)], "IFTSTA": [range(21000, 22000)], "INSRPT": [range(23000, 24000)],
    "REQOTE": [range(35000, 36000)], "PARTIN": [range(37000, 38000)], "ORDCHG": [range(39000, 40000)],
    "ORDRSP": [range(19000, 20000)], "QUOTES": [range(15000, 16000)], "COMDIS": [range(29000, 30000)],
    "PRICAT": [range(27000, 28000)], "UTILTS": [range(25000, 26000)], "CONTRL": [],
}
TRACK_PREFIX = {"STROM": "S", "GAS": "G"}

Document = namedtuple("Document", "name message_type release valid_from pids")


def read_documents():
    """One entry per MIG/AHB pair, in the name order in which the profiles are registered."""
    documents = []
    for mig_path in sorted(PROFILES.glob("*.mig.json")):
        name = mig_path.name.removesuffix(".mig.json")
        mig = json.loads(mig_path.read_text(encoding="utf-8"))
        ahb = json.loads((PROFILES / f"{name}.ahb.json").read_text(encoding="utf-8"))
        pids = {case["pid"] for case in ahb["anwendungsfaelle"] if case.get("pid") is not None}
        documents.append(Document(name, mig["message_type"], mig["release"], mig["valid_from"], pids))
    return documents


DOCUMENTS = read_documents()


def of_type(message_type, sparte=None):
    documents = [document for document in DOCUMENTS if document.message_type == message_type]
    if sparte is not None and message_type == "UTILMD":
        documents = [document for document in documents if document.release.startswith(TRACK_PREFIX[sparte])]
    return documents


def in_force(message_type, on, sparte=None):
    """Latest start not after `on`; then the greater release text; then the later registered."""
    started = [(document.valid_from, document.release, position, document)
               for position, document in enumerate(of_type(message_type, sparte)) if document.valid_from <= on]
    return max(started)[-1] if started else None


def carried(message_type, on=None, sparte=None):
    if on is None:
        return set().union(*(document.pids for document in of_type(message_type)))
    document = in_force(message_type, on, sparte)
    return document.pids if document else set()


def day_before(iso_date):
    return (datetime.date.fromisoformat(iso_date) - datetime.timedelta(days=1)).isoformat()


BOUNDARY_DATES = sorted({day for document in DOCUMENTS for day in (document.valid_from, day_before(document.valid_from))}
                        | {"2030-01-01"})


def test_documents_are_the_built_in_catalogue():
    assert len(DOCUMENTS) == 32
    assert {document.message_type for document in DOCUMENTS} == set(MESSAGE_TYPES)


def test_format_versions_are_the_distinct_first_days():
    expected = sorted({"FV" + document.valid_from for document in DOCUMENTS})
    assert native.format_versions() == expected
    assert expected[0] == "FV2025-04-01" and expected[-1] == "FV2026-10-01"


@pytest.mark.parametrize("message_type", MESSAGE_TYPES)
def test_releases_are_the_distinct_codes_of_the_type(message_type):
    codes = native.releases(message_type)
    assert len(codes) == len(set(codes))
    assert set(codes) == {document.release for document in of_type(message_type)}
    assert native.releases(message_type.lower()) == codes


@pytest.mark.parametrize(("message_type", "ordered"), [
    ("UTILMD", ["S2.1", "S2.2", "G1.1", "G1.2"]),  # the electricity form sorts before the gas form
    ("APERAK", ["2.1i", "2.2"]),
    ("REQOTE", ["1.3c"]),  # two profiles, one code
])
def test_releases_are_in_release_order(message_type, ordered):
    assert native.releases(message_type) == ordered


@pytest.mark.parametrize(("message_type", "on", "sparte", "expected"), [
    ("utilmd", "2026-10-01", "gas", "G1.2"),
    ("UTILMD", "2026-10-01", "STROM", "S2.2"),
    ("UTILMD", "2026-10-01", None, "S2.2"),  # both tracks start that day: the greater text wins
    ("UTILMD", "2026-05-01", None, "G1.1"),  # the newer gas profile wins without a Sparte
    ("UTILMD", "2026-05-01", "Strom", "S2.1"),
    ("UTILMD", "2025-09-30", None, None),
    ("MSCONS", "2026-10-01", "GAS", "2.5"),  # the Sparte is ignored outside UTILMD
    ("MSCONS", "2030-01-01", None, "2.5"),  # an ended validity does not stop the latest profile
    ("CONTRL", "2026-01-01", None, "2.0b"),
    ("UTILMD", "2026-W40-4", None, "S2.2"),  # any ISO 8601 date form
])
def test_release_for_examples(message_type, on, sparte, expected):
    assert native.release_for(message_type, on, sparte) == expected


@pytest.mark.parametrize("message_type", MESSAGE_TYPES)
@pytest.mark.parametrize("sparte", [None, "STROM", "GAS"])
def test_release_for_follows_the_documents_across_every_boundary(message_type, sparte):
    for on in BOUNDARY_DATES:
        document = in_force(message_type, on, sparte)
        assert native.release_for(message_type, on, sparte=sparte) == (document.release if document else None), on


@pytest.mark.parametrize("message_type", MESSAGE_TYPES)
def test_pruefidentifikatoren_are_the_carried_pids_of_the_bands(message_type):
    pids = native.pruefidentifikatoren(message_type)
    assert pids == sorted(pids)
    assert all(any(pid in band for band in BANDS[message_type]) for pid in pids)
    in_bands = {pid for pid in carried(message_type) if any(pid in band for band in BANDS[message_type])}
    assert set(pids) == in_bands


@pytest.mark.parametrize("message_type", ["UTILMD", "IFTSTA", "ORDERS", "APERAK"])
@pytest.mark.parametrize("sparte", [None, "STROM", "GAS"])
def test_pruefidentifikatoren_on_a_date_are_those_of_the_profile_in_force(message_type, sparte):
    allowed = BANDS[message_type]
    if message_type == "UTILMD" and sparte:
        allowed = [allowed[1] if sparte == "STROM" else allowed[0]]
    for on in BOUNDARY_DATES:
        expected = sorted(pid for pid in carried(message_type, on, sparte) if any(pid in band for band in allowed))
        assert native.pruefidentifikatoren(message_type, on, sparte) == expected, on


def test_pruefidentifikatoren_of_utilmd_per_sparte():
    strom = native.pruefidentifikatoren("UTILMD", sparte="STROM")
    gas = native.pruefidentifikatoren("UTILMD", sparte="gas")
    assert all(55000 <= pid <= 55999 for pid in strom) and 55001 in strom
    assert {55077, 55078, 55080} <= set(strom) and 55079 not in strom
    assert set(range(44001, 44022)) <= set(gas)
    assert all(44000 <= pid <= 44999 for pid in gas)
    assert native.pruefidentifikatoren("UTILMD") == gas + strom


def test_aperak_and_comdis_walk_the_same_band():
    assert native.pruefidentifikatoren("APERAK") == native.pruefidentifikatoren("COMDIS") == [29001, 29002]
    assert native.pruefidentifikatoren("CONTRL") == []


@pytest.mark.parametrize(("message_type", "pid", "on", "sparte", "expected"), [
    ("UTILMD", 55693, None, None, True),
    ("UTILMD", 55693, "2026-05-01", "STROM", False),  # only the 2026-10-01 release carries it
    ("UTILMD", 55693, "2026-10-01", "STROM", True),
    ("UTILMD", 55693, "2026-10-01", "GAS", False),
    ("UTILMD", 55001, "2026-05-01", None, False),  # the gas profile is in force
    ("UTILMD", 44182, "2026-10-01", None, False),  # S2.2 is in force, not G1.2
    ("UTILMD", 44182, "2026-10-01", "GAS", True),
    ("IFTSTA", 21015, None, None, True),
    ("IFTSTA", 21015, "2026-10-01", None, False),
    ("MSCONS", 55001, None, None, False),
    ("UTILMD", 55001, None, "Wasser", True),  # without a date the Sparte is not read
    ("UTILMD", 9999, "2026-10-01", "Wasser", False),  # out of range before anything else
])
def test_pid_has_ahb_rules(message_type, pid, on, sparte, expected):
    assert native.pid_has_ahb_rules(message_type, pid, on=on, sparte=sparte) is expected


def test_message_types_of_every_carried_pid():
    for pid in sorted(set().union(*(document.pids for document in DOCUMENTS))):
        expected = sorted({document.message_type for document in DOCUMENTS if pid in document.pids})
        assert native.message_types_of(pid) == expected, pid


@pytest.mark.parametrize(("pid", "expected"), [(29001, ["APERAK", "COMDIS"]), (5, []), (44000, []), (99999, [])])
def test_message_types_of_examples(pid, expected):
    assert native.message_types_of(pid) == expected


def test_pid_carrying_message_types():
    types = native.pid_carrying_message_types()
    assert types == sorted(set(MESSAGE_TYPES) - {"CONTRL"})
    assert native.pid_carrying_message_types() is not types


ANSWER_PIDS = {
    44001: (44002, 44003), 44004: (44005, 44006), 44007: (44008, 44009), 44010: (44011, 44012),
    44013: (44014, 44015), 44016: (44017, 44018), 44020: (44021, None), 55001: (55002, 55003),
    55004: (55005, 55006), 55016: (55017, 55018), 55077: (55078, 55080),
}


@pytest.mark.parametrize("anfrage", [*ANSWER_PIDS, 44019, 44021, 55079, 0, 2**32 - 1])
def test_answer_pid_table(anfrage):
    bestaetigung, ablehnung = ANSWER_PIDS.get(anfrage, (None, None))
    assert native.bestaetigung_pid(anfrage) == bestaetigung
    assert native.ablehnung_pid(anfrage) == ablehnung
    assert native.answer_pids(anfrage) == ((bestaetigung, ablehnung) if ablehnung else None)


@pytest.mark.parametrize("anfrage", ANSWER_PIDS)
def test_answer_pids_are_carried_by_utilmd(anfrage):
    carried_by_utilmd = carried("UTILMD")
    answers = [pid for pid in (native.bestaetigung_pid(anfrage), native.ablehnung_pid(anfrage)) if pid]
    assert {anfrage, *answers} <= carried_by_utilmd


SPARTE = 'sparte must be "STROM" or "GAS", got {}'


@pytest.mark.parametrize(("function", "args", "error", "message"), [
    (native.releases, ("UTILMDX",), ValueError, 'unknown EDIFACT message type "UTILMDX"'),
    (native.releases, ('ut"l\n',), ValueError, 'unknown EDIFACT message type "ut\\"l\\n"'),
    (native.releases, ("ütilmd",), ValueError, 'unknown EDIFACT message type "ütilmd"'),
    (native.release_for, ("UTILMD", "2026-10-01", "Wasser"), ValueError, SPARTE.format('"WASSER"')),
    (native.release_for, ("MSCONS", "2026-10-01", "oel"), ValueError, SPARTE.format('"OEL"')),
    (native.release_for, ("nope", "x", "Wasser"), ValueError, 'unknown EDIFACT message type "nope"'),
    (native.release_for, ("UTILMD", "2026-02-30", "Wasser"), ValueError,
     'invalid ISO 8601 date "2026-02-30": day was not in range'),
    (native.pruefidentifikatoren, ("UTILMD", "2026-02-30", "Wasser"), ValueError, SPARTE.format('"WASSER"')),
    (native.pid_has_ahb_rules, ("UTILMD", 55001, "2026-02-30", "Wasser"), ValueError,
     'invalid ISO 8601 date "2026-02-30": day was not in range'),
    (native.pid_has_ahb_rules, ("UTILMD", 55001, "2026-10-01", "Wasser"), ValueError, SPARTE.format('"WASSER"')),
    (native.pid_has_ahb_rules, ("bad", 5), ValueError, 'unknown EDIFACT message type "bad"'),
    (native.release_for, ("UTILMD", None), TypeError,
     "argument 'on': 'NoneType' object cannot be converted to 'str'"),
    (native.pruefidentifikatoren, ("UTILMD", None, 1), TypeError,
     "argument 'sparte': 'int' object cannot be converted to 'str'"),
    (native.pid_has_ahb_rules, ("UTILMD", "55001"), TypeError,
     "argument 'pid': 'str' object cannot be interpreted as an integer"),
    (native.answer_pids, (1.0,), TypeError, "argument 'anfrage': 'float' object cannot be interpreted as an integer"),
    (native.message_types_of, (-1,), OverflowError, "out of range integral type conversion attempted"),
])
def test_errors(function, args, error, message):
    with pytest.raises(error) as raised:
        function(*args)
    assert str(raised.value) == message


@pytest.mark.parametrize(("name", "signature"), [
    ("release_for", "(message_type, on, sparte=None)"),
    ("format_versions", "()"),
    ("releases", "(message_type)"),
    ("pruefidentifikatoren", "(message_type, on=None, sparte=None)"),
    ("pid_has_ahb_rules", "(message_type, pid, on=None, sparte=None)"),
    ("message_types_of", "(pid)"),
    ("pid_carrying_message_types", "()"),
    ("answer_pids", "(anfrage)"),
    ("bestaetigung_pid", "(anfrage)"),
    ("ablehnung_pid", "(anfrage)"),
])
def test_signatures(name, signature):
    function = getattr(native, name)
    assert str(inspect.signature(function)) == signature
    assert function.__doc__ and not function.__doc__.startswith(name)


def test_only_the_first_catalogue_call_builds_the_catalogue():
    """In a fresh interpreter: importing and the table-only functions leave the catalogue unbuilt,
    the first catalogue call builds it (resident memory grows by more than a third of the documents),
    and the second call finds it built."""
    documents_size = sum(path.stat().st_size for path in PROFILES.glob("*.json"))
    script = textwrap.dedent("""
        import os
        def resident():
            return int(open("/proc/self/statm").read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
        import quorvane._native as native
        native.pid_carrying_message_types(); native.answer_pids(55001); native.bestaetigung_pid(44020)
        before = resident()
        native.releases("UTILMD")
        built = resident()
        native.format_versions(); native.pruefidentifikatoren("UTILMD")
        print(built - before, resident() - built)
    """)
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, check=True)
    first_growth, second_growth = map(int, run.stdout.split())
    assert first_growth > documents_size // 3
    assert second_growth < documents_size // 10
