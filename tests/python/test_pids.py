"""Releases and Prüfidentifikatoren against a reading of the profile documents; the answer-PID table."""

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
BANDS = {
    "UTILMD": [range(44000, 45000), range(55000, 56000)], "MSCONS": [range(13000, 14000)],
    "APERAK": [range(29000, 30000)], "INVOIC": [range(31000, 32000)], "REMADV": [range(33000, 34000)],
    "ORDERS": [range(17000, 18000)], "IFTSTA": [range(21000, 22000)], "INSRPT": [range(23000, 24000)],
    "REQOTE": [range(35000, 36000)], "PARTIN": [range(37000, 38000)], "ORDCHG": [range(39000, 40000)],
    "ORDRSP": [range(19000, 20000)], "QUOTES": [range(15000, 16000)], "COMDIS": [range(29000, 30000)],
    "PRICAT": [range(27000, 28000)], "UTILTS": [range(25000, 26000)], "CONTRL": [],
}
Document = namedtuple("Document", "message_type release valid_from pids")


def read_documents():
    """One entry per MIG/AHB pair, in the name order in which the profiles are registered."""
    documents = []
    for mig_path in sorted(PROFILES.glob("*.mig.json")):
        mig = json.loads(mig_path.read_text(encoding="utf-8"))
        ahb = json.loads(mig_path.with_name(mig_path.name.replace(".mig.", ".ahb.")).read_text(encoding="utf-8"))
        pids = {case["pid"] for case in ahb["anwendungsfaelle"] if case.get("pid") is not None}
        documents.append(Document(mig["message_type"], mig["release"], mig["valid_from"], pids))
    return documents


DOCUMENTS = read_documents()


def in_force(message_type, on, sparte=None):
    """Latest start not after `on`; then the greater release text; then the later registered."""
    track = {"STROM": "S", "GAS": "G"}.get(sparte, "") if message_type == "UTILMD" else ""
    started = [(document.valid_from, document.release, position, document) for position, document in enumerate(DOCUMENTS)
               if document.message_type == message_type and document.release.startswith(track) and document.valid_from <= on]
    return max(started)[-1] if started else None


def carried(message_type):
    return set().union(*(document.pids for document in DOCUMENTS if document.message_type == message_type))


def in_bands(pids, bands):
    return sorted(pid for pid in pids if any(pid in band for band in bands))


BOUNDARY_DATES = sorted({day for document in DOCUMENTS
                         for day in (document.valid_from, (datetime.date.fromisoformat(document.valid_from)
                                                           - datetime.timedelta(1)).isoformat())} | {"2030-01-01"})


def test_format_versions_and_releases_follow_the_documents():
    assert len(DOCUMENTS) == 32 and {document.message_type for document in DOCUMENTS} == set(BANDS)
    assert native.format_versions() == sorted({"FV" + document.valid_from for document in DOCUMENTS})
    assert native.format_versions()[0] == "FV2025-04-01"
    for message_type in BANDS:
        codes = native.releases(message_type)
        assert len(codes) == len(set(codes)) and native.releases(message_type.lower()) == codes
        assert set(codes) == {document.release for document in DOCUMENTS if document.message_type == message_type}
    # In release order: the electricity form sorts before the gas form.
    assert native.releases("UTILMD") == ["S2.1", "S2.2", "G1.1", "G1.2"]
    assert native.releases("APERAK") == ["2.1i", "2.2"]


@pytest.mark.parametrize(("message_type", "on", "sparte", "expected"), [
    ("utilmd", "2026-10-01", "gas", "G1.2"),
    ("UTILMD", "2026-05-01", "Strom", "S2.1"),
    ("MSCONS", "2030-01-01", "GAS", "2.5"),  # the Sparte is ignored outside UTILMD; an ended validity does not stop it
    ("UTILMD", "2026-W40-4", None, "S2.2"),  # any ISO 8601 date form
])
def test_release_for_examples(message_type, on, sparte, expected):
    assert native.release_for(message_type, on, sparte) == expected


def test_release_and_pruefidentifikatoren_follow_the_documents_across_every_boundary():
    for message_type, bands in BANDS.items():
        assert native.pruefidentifikatoren(message_type) == in_bands(carried(message_type), bands)
        for sparte in (None, "STROM", "GAS"):
            allowed = [bands[sparte == "STROM"]] if message_type == "UTILMD" and sparte else bands
            for on in BOUNDARY_DATES:
                document = in_force(message_type, on, sparte)
                assert native.release_for(message_type, on, sparte=sparte) == (document and document.release), on
                if message_type == "UTILMD" and not sparte:
                    # Each band from its own track's profile: the newest profile alone hides a track.
                    expected = [pid for track, band in zip(("GAS", "STROM"), bands)
                                for pid in in_bands(getattr(in_force(message_type, on, track), "pids", set()), [band])]
                else:
                    expected = in_bands(document.pids if document else set(), allowed)
                assert native.pruefidentifikatoren(message_type, on, sparte) == expected, (message_type, on, sparte)


@pytest.mark.parametrize("on", ["2026-04-01", "2026-05-01", "2026-09-30"])
def test_utilmd_without_sparte_keeps_electricity_while_the_gas_release_is_newer(on):
    strom = native.pruefidentifikatoren("UTILMD", on, "STROM")
    gas = native.pruefidentifikatoren("UTILMD", on, "GAS")
    assert 55001 in strom and 44001 in gas
    assert native.pruefidentifikatoren("UTILMD", on) == gas + strom
    assert all(native.pid_has_ahb_rules("UTILMD", pid, on=on) for pid in gas + strom)
    # release_for keeps the date-only answer: there the Sparte decides the track.
    assert native.release_for("UTILMD", on) == "G1.1"


def test_pruefidentifikatoren_per_band():
    strom = native.pruefidentifikatoren("UTILMD", sparte="STROM")
    gas = native.pruefidentifikatoren("UTILMD", sparte="gas")
    assert 55001 in strom and 44001 in gas
    assert native.pruefidentifikatoren("UTILMD") == gas + strom
    assert native.pruefidentifikatoren("APERAK") == native.pruefidentifikatoren("COMDIS") == [29001, 29002]
    assert native.pruefidentifikatoren("CONTRL") == []


@pytest.mark.parametrize(("message_type", "pid", "on", "sparte", "expected"), [
    ("UTILMD", 55693, None, None, True),
    ("UTILMD", 55693, "2026-05-01", "STROM", False),  # only the 2026-10-01 release carries it
    ("UTILMD", 55693, "2026-10-01", "STROM", True),
    ("UTILMD", 55001, "2026-05-01", None, True),  # the pid names its track, whichever profile is newest
    ("UTILMD", 44001, "2026-05-01", None, True),
    ("UTILMD", 55001, "2026-05-01", "GAS", False),  # a Sparte given decides
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
    assert native.message_types_of(29001) == ["APERAK", "COMDIS"]
    assert native.message_types_of(5) == native.message_types_of(99999) == []
    assert native.pid_carrying_message_types() == sorted(set(BANDS) - {"CONTRL"})


ANSWER_PIDS = {
    44001: (44002, 44003), 44004: (44005, 44006), 44007: (44008, 44009), 44010: (44011, 44012),
    44013: (44014, 44015), 44016: (44017, 44018), 44020: (44021, None), 55001: (55002, 55003),
    55004: (55005, 55006), 55016: (55017, 55018), 55077: (55078, 55080),
}


@pytest.mark.parametrize("anfrage", [*ANSWER_PIDS, 44021, 55079, 0, 2**32 - 1])
def test_answer_pid_table(anfrage):
    bestaetigung, ablehnung = ANSWER_PIDS.get(anfrage, (None, None))
    assert native.bestaetigung_pid(anfrage) == bestaetigung
    assert native.ablehnung_pid(anfrage=anfrage) == ablehnung
    assert native.answer_pids(anfrage) == ((bestaetigung, ablehnung) if ablehnung else None)
    # Request and answers are Prüfidentifikatoren that the UTILMD profiles carry.
    assert anfrage not in ANSWER_PIDS or {anfrage, bestaetigung, ablehnung} - {None} <= carried("UTILMD")


SPARTE = 'sparte must be "STROM" or "GAS", got {}'
BAD_DATE = 'invalid ISO 8601 date "2026-02-30": day was not in range'


@pytest.mark.parametrize(("function", "args", "error", "message"), [
    (native.releases, ('ut"l\n',), ValueError, 'unknown EDIFACT message type "ut\\"l\\n"'),
    (native.release_for, ("MSCONS", "2026-10-01", "oel"), ValueError, SPARTE.format('"OEL"')),
    # Which check answers first: the type, then the date, then the Sparte ...
    (native.release_for, ("nope", "x", "Wasser"), ValueError, 'unknown EDIFACT message type "nope"'),
    (native.release_for, ("UTILMD", "2026-02-30", "Wasser"), ValueError, BAD_DATE),
    (native.pid_has_ahb_rules, ("UTILMD", 55001, "2026-02-30", "Wasser"), ValueError, BAD_DATE),
    # ... except in pruefidentifikatoren, which reads the Sparte before the date.
    (native.pruefidentifikatoren, ("UTILMD", "2026-02-30", "Wasser"), ValueError, SPARTE.format('"WASSER"')),
    (native.pid_has_ahb_rules, ("bad", 5), ValueError, 'unknown EDIFACT message type "bad"'),
    (native.release_for, ("UTILMD", None), TypeError, "argument 'on': 'NoneType' object cannot be converted to 'str'"),
    (native.pruefidentifikatoren, ("UTILMD", None, 1), TypeError,
     "argument 'sparte': 'int' object cannot be converted to 'str'"),
    (native.pid_has_ahb_rules, ("UTILMD", "55001"), TypeError,
     "argument 'pid': 'str' object cannot be interpreted as an integer"),
    (native.answer_pids, (1.0,), TypeError, "argument 'anfrage': 'float' object cannot be interpreted as an integer"),
    (native.message_types_of, (-1,), OverflowError, "argument 'pid': out of range integral type conversion attempted"),
])
def test_errors(function, args, error, message):
    with pytest.raises(error) as raised:
        function(*args)
    assert str(raised.value) == message


def test_signatures():
    signatures = {
        "release_for": "(message_type, on, sparte=None)", "format_versions": "()", "releases": "(message_type)",
        "pruefidentifikatoren": "(message_type, on=None, sparte=None)",
        "pid_has_ahb_rules": "(message_type, pid, on=None, sparte=None)", "message_types_of": "(pid)",
        "pid_carrying_message_types": "()", "answer_pids": "(anfrage)", "bestaetigung_pid": "(anfrage)",
        "ablehnung_pid": "(anfrage)",
    }
    assert {name: str(inspect.signature(getattr(native, name))) for name in signatures} == signatures
    assert all(getattr(native, name).__doc__ and not getattr(native, name).__doc__.startswith(name) for name in signatures)


def test_only_the_first_catalogue_call_builds_the_catalogue():
    """In a fresh interpreter the table-only functions leave the catalogue unbuilt, the first catalogue
    call builds it (resident memory grows by a third of the documents), and the next ones find it built."""
    documents_size = sum(path.stat().st_size for path in PROFILES.glob("*.json"))
    script = textwrap.dedent("""
        import os, quorvane._native as native
        resident = lambda: int(open("/proc/self/statm").read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
        native.pid_carrying_message_types(); native.answer_pids(55001); native.bestaetigung_pid(44020)
        before = resident(); native.releases("UTILMD"); built = resident()
        native.format_versions(); native.pruefidentifikatoren("UTILMD")
        print(built - before, resident() - built)
    """)
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, check=True)
    first_growth, second_growth = map(int, run.stdout.split())
    assert first_growth > documents_size // 3
    assert second_growth < documents_size // 10
