"""The converters that turn the published tables into profile sources, on small made-up
tables: the mended expressions, the alignment of AHB lines onto a MIG tree, and the
derivation of a successor profile."""

import pathlib
import sys
from types import SimpleNamespace

import pytest

TOOLS = pathlib.Path(__file__).resolve().parents[2] / "tools"
sys.path[:0] = [str(TOOLS / "published"), str(TOOLS / "profiles"), str(TOOLS)]

from align import Flat, align  # noqa: E402
from expressions import cells  # noqa: E402
from mig_trees import add_absent  # noqa: E402
from aperak_draft import read_row  # noqa: E402
from convert_published import drop_unnamed  # noqa: E402
import published_source  # noqa: E402


@pytest.mark.parametrize(("expr", "expected"), [
    ("Muss", ["Muss"]),
    ("Muss [2]\r\nKann", ["Muss [2]", "Kann"]),
    ("S [22]\r\nM [23]", ["S [22]", "M [23]"]),
    ("X [1] ∧\r\n[2]", ["X [1] ∧ [2]"]),                      # a wrapped expression, not a second cell
    ("X ([1] ∨ [2])\r\n∧ [3]", ["X ([1] ∨ [2]) ∧ [3]"]),
    ("x [5]", ["X [5]"]),
    ("x", ["X"]),
    ("X [2080]]", ["X [2080]"]),
    ("X [92 ]", ["X [92]"]),
    ("X[28]", ["X [28]"]),
    ("Muss [533] ⊻  [534]", ["Muss [533] ⊻ [534]"]),
    ("X ([64] V [70]) V [71]", ["X ([64] ∨ [70]) ∨ [71]"]),
    ("Muss [56] ∧ [58] Soll [71]", ["Muss [56] ∧ [58]", "Soll [71]"]),
    ("", []),
    ("Kann [UB1]", ["Kann [UB1]"]),
    ("X [1P0..1]", ["X [1P0..1]"]),
])
def test_cells_mend_the_known_slips_and_keep_the_rest(expr, expected):
    assert cells(expr) == expected


def el(id_, status="M", codes=(), components=()):
    return {"id": id_, "name": "", "status": status, "format": "an..3", "codes": [[c, ""] for c in codes],
            "components": list(components)}


def seg(nr, tag, *elements, name=""):
    return {"kind": "S", "nr": nr, "tag": tag, "zaehler": "", "status": "M", "max": 1, "name": name,
            "elements": list(elements), "example": None}


def grp(group, *children, name=""):
    return {"kind": "G", "group": group, "zaehler": "", "status": "M", "max": 1, "name": name,
            "children": list(children)}


def tree():
    return [
        seg("00001", "UNH", el("0062")),
        grp("SG2", seg("00002", "NAD", el("3035", codes=["MS"]), el("C082", components=[el("3039"), el("3055")])),
            grp("SG3", seg("00003", "CTA", el("3139", codes=["IC"]))),
            seg("00004", "DTM", el("C507", components=[el("2005", codes=["92"]), el("2380")]))),
        grp("SG2", seg("00005", "NAD", el("3035", codes=["MR"]), el("C082", components=[el("3039"), el("3055")])),
            seg("00006", "FTX", el("4451", codes=["ACB"]),
                el("C108", components=[el("4440"), el("4440"), el("4440")]))),
        grp("SG4", seg("00007", "IDE", el("7495")), name="Vorgang A"),
        grp("SG4", seg("00008", "IDE", el("7495")), name="Vorgang B"),
    ]


def line(type_, sg="", seg_="", de="", code="", expr="", section=""):
    return {"type": type_, "sg": sg, "seg": seg_, "de": de, "code": code, "expr": expr, "section": section,
            "name": "", "i": 0}


def test_a_group_line_takes_the_variant_whose_trigger_carries_its_code():
    col = align(Flat(tree()), [
        line("segment_group", "SG2", expr="Muss"),
        line("segment", "SG2", "NAD", expr="Muss"),
        line("code", "SG2", "NAD", "3035", "MR", "X"),
        line("dataelement", "SG2", "NAD", "3039", expr="X [1]"),
    ])
    assert not col.missed
    assert [e[:3] for e in col.entries[:2]] == [("g", "SG2", "00005"), ("s", "00005", ["Muss"])]
    rules = [e[1] for e in col.entries if e[0] == "e"]
    assert [(r["nr"], r["de"], r["operands"]) for r in rules] == [
        ("00005", "3035", [["X", "MR"]]), ("00005", "3039", [["X [1]"]])]


def test_same_id_elements_of_one_segment_get_their_occurrence_in_order():
    col = align(Flat(tree()), [
        line("segment_group", "SG2", expr="Muss"),
        line("segment", "SG2", "NAD", expr="Muss"),
        line("code", "SG2", "NAD", "3035", "MR", "X"),
        line("segment", "SG2", "FTX", expr="Kann"),
        line("code", "SG2", "FTX", "4451", "ACB", "X"),
        line("dataelement", "SG2", "FTX", "4440", expr="X"),
        line("dataelement", "SG2", "FTX", "4440", expr="X [5]"),
    ])
    rules = [e[1] for e in col.entries if e[0] == "e" and e[1]["de"] == "4440"]
    assert [(r["nr"], r["occurrence"], r["operands"]) for r in rules] == [
        ("00006", 0, [["X"]]), ("00006", 1, [["X [5]"]])]


def sts_tree(listed):
    # STS with DE 9013 three times, as in the UTILMD Transaktionsgrund: each occurrence has its
    # own code list in a published MIG, none where the codes come from the AHB lines only
    def reason(codes):
        return el("C556", components=[el("9013", codes=codes if listed else ())])
    return [seg("00001", "STS", el("C601", components=[el("9015", codes=["7"] if listed else ())]),
                reason(["E01", "E03"]), reason(["ZW4", "ZAP"]), reason(["E01", "E03"]))]


@pytest.mark.parametrize("listed", [True, False])
def test_repeated_data_elements_take_the_occurrence_that_lists_the_code_or_the_next_on_a_repeat(listed):
    col = align(Flat(sts_tree(listed)), [
        line("segment", "", "STS", expr="Muss"),
        line("code", "", "STS", "9015", "7", "X"),
        line("code", "", "STS", "9013", "E01", "X"),
        line("code", "", "STS", "9013", "E03", "X"),
        line("code", "", "STS", "9013", "ZW4", "X"),
        line("code", "", "STS", "9013", "ZAP", "X"),
        line("code", "", "STS", "9013", "E01", "S [9P0..1]"),
    ])
    rules = [(e[1]["occurrence"], [code for _, code in e[1]["operands"]])
             for e in col.entries if e[0] == "e" and e[1]["de"] == "9013"]
    if listed:
        assert rules == [(0, ["E01", "E03"]), (1, ["ZW4", "ZAP"]), (2, ["E01"])]
    else:
        # without code lists only a repeated code tells that a further occurrence begins
        assert rules == [(0, ["E01", "E03", "ZW4", "ZAP"]), (1, ["E01"])]


def test_codes_of_one_element_collect_in_one_rule_and_each_cell_is_an_operand():
    col = align(Flat(tree()), [
        line("segment_group", "SG2", expr="Muss"),
        line("segment", "SG2", "NAD", expr="Muss"),
        line("code", "SG2", "NAD", "3035", "MS", "X"),
        line("code", "SG2", "NAD", "3055", "9", "X"),
        line("code", "SG2", "NAD", "3055", "293", "X [2]\r\nX [3]"),
    ])
    rule = [e[1] for e in col.entries if e[0] == "e" and e[1]["de"] == "3055"]
    assert len(rule) == 1 and rule[0]["operands"] == [["X", "9"], ["X [2]", "293"], ["X [3]", "293"]]


def test_a_segment_of_the_group_after_its_nested_group_closes_the_nested_one():
    col = align(Flat(tree()), [
        line("segment_group", "SG2", expr="Muss"),
        line("segment", "SG2", "NAD", expr="Muss"),
        line("segment_group", "SG3", expr="Kann"),
        line("segment", "SG3", "CTA", expr="Muss"),
        line("segment", "SG2", "DTM", expr="Soll"),
        line("code", "SG2", "DTM", "2005", "92", "X"),
    ])
    assert not col.missed
    assert [e[1] for e in col.entries if e[0] in ("g", "s")] == ["SG2", "00002", "SG3", "00003", "00004"]


def test_without_codes_the_name_tells_group_variants_apart():
    col = align(Flat(tree()), [
        line("segment_group", "SG4", expr="Muss", section="Vorgang B"),
        line("segment", "SG4", "IDE", expr="Muss", section="Vorgang B"),
    ])
    assert col.entries[0][:3] == ("g", "SG4", "00008") and col.entries[1][1] == "00008"


def test_lines_the_tree_cannot_take_are_reported_not_dropped_silently():
    col = align(Flat(tree()), [
        line("segment", "", "BGM", expr="Muss"),
        line("dataelement", "", "BGM", "1004", expr="X"),
        line("segment", "", "UNH", expr="Muss"),
        line("dataelement", "", "UNH", "9999", expr="X"),
    ])
    assert [(m["seg"], m["de"]) for m in col.missed] == [("BGM", ""), ("BGM", "1004"), ("UNH", "9999")]
    assert [a[0] for a in col.absent] == ["S"]


def aligned_with_additions(roots, lines):
    """Aligns, adds what the structure lacks, and aligns again, as the converter does."""
    for _ in range(4):
        col = align(Flat(roots), lines)
        if not col.absent:
            return col
        add_absent(roots, col.absent, None, "", 100)
    return col


def test_a_group_that_one_variant_of_its_parent_lacks_is_copied_into_it():
    roots = [grp("SG4", seg("00001", "NAD", el("3035", codes=["Z01"])),
                 grp("SG7", seg("00002", "CTA", el("3139")), seg("00003", "COM", el("3148"))), name="A"),
             grp("SG4", seg("00004", "NAD", el("3035", codes=["Z02"])), name="B")]
    col = aligned_with_additions(roots, [
        line("segment_group", "SG4", expr="Muss", section="B"),
        line("segment", "SG4", "NAD", expr="Muss"),
        line("code", "SG4", "NAD", "3035", "Z02", "X"),
        line("segment_group", "SG7", expr="Kann", section="Kontakt"),
        line("segment", "SG7", "CTA", expr="Muss"),
        line("dataelement", "SG7", "CTA", "3139", expr="X"),
    ])
    copy = roots[1]["children"][1]
    assert copy["group"] == "SG7" and copy["name"] == "Kontakt" and copy is not roots[0]["children"][1]
    assert [n["nr"] for n in copy["children"]] == ["00100", "00101"]
    assert [e[1] for e in col.entries if e[0] in ("g", "s")] == ["SG4", "00004", "SG7", "00100"]


def test_a_second_qualifier_variant_in_one_group_gets_a_node_of_its_own():
    roots = [grp("SG27", seg("00001", "LIN", el("1082")), seg("00002", "PIA", el("4347"), el("7140")))]
    col = aligned_with_additions(roots, [
        line("segment_group", "SG27", expr="Muss"),
        line("segment", "SG27", "LIN", expr="Muss"),
        line("segment", "SG27", "PIA", expr="Muss"),
        line("code", "SG27", "PIA", "4347", "5", "X"),
        line("dataelement", "SG27", "PIA", "7140", expr="X [59]"),
        line("segment", "SG27", "PIA", expr="Kann"),
        line("code", "SG27", "PIA", "4347", "Z02", "X"),
        line("dataelement", "SG27", "PIA", "7140", expr="X"),
    ])
    assert [n["nr"] for n in roots[0]["children"]] == ["00001", "00002", "00100"]
    assert [n["status"] for n in roots[0]["children"][1:]] == ["M", "D"]  # the variant is not required
    rules = [(e[1]["nr"], e[1]["de"], e[1]["operands"]) for e in col.entries if e[0] == "e"]
    assert rules == [("00002", "4347", [["X", "5"]]), ("00002", "7140", [["X [59]"]]),
                     ("00100", "4347", [["X", "Z02"]]), ("00100", "7140", [["X"]])]


def fill(leaf, code, _name):
    if not any(c[0] == code for c in leaf["codes"]):
        leaf["codes"].append([code, ""])


def test_a_code_list_still_growing_does_not_send_a_later_column_to_a_code_less_sibling():
    """Code lists that the columns fill as they are aligned (a structure table) lack the
    Prüfidentifikatoren of the columns still to come: the qualifier and then the name decide."""
    rff = lambda nr, name: grp("SG1", seg(nr, "RFF", el("C506", components=[el("1153"), el("1154")]),  # noqa: E731
                                           name=name), name=name)
    roots = [rff("00001", "Vorangegangene Nachricht"), rff("00002", "Prüfidentifikator")]
    flat = Flat(roots)

    def column(pid):
        return [line("segment_group", "SG1", expr="Muss", section="Prüfidentifikator"),
                line("segment", "SG1", "RFF", expr="Muss", section="Prüfidentifikator"),
                line("code", "SG1", "RFF", "1153", "Z13", "X"),
                line("code", "SG1", "RFF", "1154", pid, "X")]
    for pid in ("19001", "19002"):
        col = align(flat, column(pid), fill, None)
        assert [e[1] for e in col.entries if e[0] == "s"] == ["00002"]
    assert roots[0]["children"][0]["elements"][0]["components"][0]["codes"] == []


def test_a_group_no_node_takes_by_qualifier_or_name_gets_a_node_of_its_own():
    rff = lambda nr, name: grp("SG1", seg(nr, "RFF", el("C506", components=[el("1153"), el("1154")]),  # noqa: E731
                                           name=name), name=name)
    roots = [rff("00001", "Referenz der Anfrage"), rff("00002", "Prüfidentifikator")]

    def group(section, qualifier):
        return [line("segment_group", "SG1", expr="Muss", section=section),
                line("segment", "SG1", "RFF", expr="Muss", section=section),
                line("code", "SG1", "RFF", "1153", qualifier, "X")]
    columns = [group("Referenz der Anfrage", "AAV") + group("Prüfidentifikator", "Z13"),
               group("Referenz der Anfrage", "AAV") + group("Referenz Nachrichtennummer", "ACW")
               + group("Prüfidentifikator", "Z13")]
    for _ in range(4):  # as the converter does: align, add what is absent, align again
        for n in Flat(roots).nodes:
            for e in n.get("elements", []):
                for leaf in e["components"] or [e]:
                    leaf["codes"] = []
        cols = [align(Flat(roots), c, fill, None) for c in columns]
        if not any(c.absent for c in cols):
            break
        add_absent(roots, [a for c in cols for a in c.absent], None, "", 100)
    roots = drop_unnamed(roots, {e[1] for c in cols for e in c.entries if e[0] == "s"})
    assert [(g["name"], g["status"], g["children"][0]["elements"][0]["components"][0]["codes"]) for g in roots] == [
        ("Referenz der Anfrage", "M", [["AAV", ""]]), ("Prüfidentifikator", "M", [["Z13", ""]]),
        ("Referenz Nachrichtennummer", "D", [["ACW", ""]])]


@pytest.mark.parametrize(("named", "kept"), [
    ({"00001", "00002", "00003"}, ["00001", "00002", "00003"]),
    ({"00001", "00003"}, ["00001", "00003"]),      # an unnamed segment inside a named group goes
    ({"00001"}, ["00001"]),                        # a group left without its trigger goes whole
    (set(), []),
])
def test_structure_nodes_that_no_column_names_are_dropped(named, kept):
    roots = [seg("00001", "DTM", el("2005", codes=["137"])),
             grp("SG1", seg("00002", "RFF", el("1153")), seg("00003", "DTM", el("2005")))]

    def numbers(nodes):
        return [x for n in nodes for x in (numbers(n["children"]) if n["kind"] == "G" else [n["nr"]])]
    assert numbers(drop_unnamed(roots, named)) == kept


SOURCE = {
    "structure": [["S", "00001", "UNH", "0010", "M", 1, "Kopf", [
        ["0062", "Referenz", "M", "an..14", [], []],
        ["S009", "Kennung", "M", None, [], [["0065", "Typ", "M", "an..6", [["UTILTS", ""]], []],
                                             ["0057", "Version", "R", "an..6", [["1.1e", "Version"]], []]]]],
        None]],
    "envelope": [],
    "anwendungsfaelle": [
        {"pid": 25001, "name": "Berechnungsformel", "communication": "NB an LF",
         "lines": [["s", "00001", ["Muss"]], ["e", "00001", "0057", 0, [["X", "1.1e"]]],
                   ["e", "00001", "0062", 0, [["X"]]]]},
        {"pid": 25004, "name": "Übersicht Zählzeitdefinitionen", "communication": "NB an LF",
         "lines": [["s", "00001", ["Kann"]]]},
    ],
    "conditions": {"1": "Wenn vorhanden"},
    "packages": {"1P": ""},
}


def derived(static, release, wanted, monkeypatch):
    monkeypatch.setattr(published_source, "load", lambda name: SOURCE)
    monkeypatch.setitem(published_source.DERIVED, static, "UTILTS_FV20250401")
    return published_source.build(SimpleNamespace(static=static, release=release, msg="UTILTS"), wanted)


def test_a_derived_profile_carries_its_own_release_in_unh(monkeypatch):
    structure, _, afs, _, _ = derived("UTILTS_FV20261001", "1.2", [
        {"pid": 25001, "name": "Berechnungsformel", "communication": "NB an LF"}], monkeypatch)
    codes = structure[0]["elements"][1]["components"][1]["codes"]
    assert codes == [{"code": "1.2", "name": "Version"}]
    assert afs[0]["elements"][0]["operands"] == [{"operand": "X", "code": "1.2"}]
    # what is not the release stays, and empty fields stay out of the documents
    assert structure[0]["elements"][1]["components"][0]["codes"] == [{"code": "UTILTS"}]
    assert "occurrence" not in afs[0]["elements"][1] and "format" not in structure[0]["elements"][1]


def test_a_derived_pid_without_column_takes_the_column_of_its_namesake(monkeypatch):
    _, _, afs, _, _ = derived("UTILTS_FV20261001", "1.1e", [
        {"pid": 25011, "name": "Übersicht Zählzeitdefinition", "communication": ""}], monkeypatch)
    assert afs == [{"pid": 25011, "name": "Übersicht Zählzeitdefinition", "communication": "NB an LF",
                    "rows": [{"nr": "00001", "status": ["Kann"]}], "elements": []}]


@pytest.mark.parametrize(("name", "communication", "message_type", "expected"), [
    ("#nv# Nicht bila.rel. Änderung vom LF", "NB [Verteiler] an MSB", "UTILMD",
     ("Nicht bila.rel. Änderung vom LF", "NB [Verteiler] an MSB")),
    ("Anfrage nach Stornierung", "MSCONS-Nachrichten können von verschiedenen Marktrollen gesendet werden.", "UTILMD",
     ("Anfrage nach Stornierung", None)),
    ("Lastgang", "MSCONS-Nachrichten können von verschiedenen Marktrollen gesendet werden.", "MSCONS",
     ("Lastgang", "MSCONS-Nachrichten können von verschiedenen Marktrollen gesendet werden.")),
    ("", "", "UTILMD", ("", None)),
])
def test_names_and_directions_lose_the_extract_residue(name, communication, message_type, expected):
    assert (published_source._name(name), published_source._communication(communication, message_type)) == expected


# Rows of the draft APERAK table as its conversion split them: (cells, tokens, description,
# status of the Fehlermeldung, status of the Anerkennungsmeldung).
@pytest.mark.parametrize(("cells", "tokens", "desc", "statuses"), [
    (["UNH", "00001", "", "Muss", "Muss", "", ""], ["UNH", "00001"], "", ["Muss", "Muss"]),
    (["BGM", "1001", "312 Anerkennungsmeldung", "", "X", "", ""], ["BGM", "1001"], "312 Anerkennungsmeldung", ["", "X"]),
    (["", "", "313 Anwendungssystemfehlermeldung", "X", "", "", ""], [], "313 Anwendungssystemfehlermeldung", ["X", ""]),
    (["SG2", "", "", "Muss", "Muss", "", ""], ["SG2"], "", ["Muss", "Muss"]),
    (["SG2", "RFF", "1153", "ACE Nummer", "X", "X", ""], ["SG2", "RFF", "1153"], "ACE Nummer", ["X", "X"]),
    (["SG2", "", "Soll [6]", "Soll [16]", "[6] Wenn ..."], ["SG2"], "", ["Soll [6]", "Soll [16]"]),
    (["SG3 NAD 00008", "", "Muss", "Muss", ""], ["SG3", "NAD", "00008"], "", ["Muss", "Muss"]),
    (["", "332 DE, DVGW", "X", "", ""], [], "332 DE, DVGW", ["X", ""]),
    (["SG4", "ERC", "9321", "Z10", "ID unbekannt", "X [500]", "[500] Hinweis"], ["SG4", "ERC", "9321"],
     "Z10 ID unbekannt", ["X [500]", ""]),
    (["SG4", "FTX", "4451", "ABO", "Information über Abweichung", "X", ""], ["SG4", "FTX", "4451"],
     "ABO Information über Abweichung", ["X", ""]),
    (["SG4", "FTX", "00011", "", "Soll [2]", "[2] Wenn fehlerhafter Inhalt vorhanden.", ""],
     ["SG4", "FTX", "00011"], "", ["Soll [2]", ""]),
    (["SG5", "FTX", "00017", "", "", "Muss [5]", "", "[5] Wenn ..."], ["SG5", "FTX", "00017"], "", ["Muss [5]", ""]),
    (["SG5 RFF 1154", "", "", "X [20]", "[20] Wert ..."], ["SG5", "RFF", "1154"], "", ["X [20]", ""]),
    (["SG5 FTX 00014", "", "", "", "[5] Wenn ..."], ["SG5", "FTX", "00014"], "", ["", ""]),
])
def test_draft_rows_are_read_whichever_way_their_cells_were_split(cells, tokens, desc, statuses):
    row = read_row(cells)
    assert (row["tokens"], row["desc"], row["statuses"]) == (tokens, desc, statuses)


def test_a_draft_row_without_structure_names_a_section_and_may_end_in_its_group():
    assert read_row(["Referenzdatum", "", ""]) == {"section": "Referenzdatum", "tokens": []}
    assert read_row(["Fehlerbeschreibung SG5", "", ""]) == {"section": "Fehlerbeschreibung", "tokens": ["SG5"]}


def rff_z13(nr, pids):
    return ["S", nr, "RFF", "0100", "M", 1, "Prüfidentifikator", [
        ["C506", "Referenz", "M", None, [], [["1153", "Qualifier", "M", "an..3", [["Z13", ""]], []],
                                             ["1154", "Prüfidentifikator", "R", "an..70",
                                              [[str(p), ""] for p in pids], []]]]], None]


def z13_lines(nr, *pids):
    return [["s", nr, ["Muss"]], ["e", nr, "1153", 0, [["X", "Z13"]]]] + [["e", nr, "1154", 0, [["X", str(p)]]]
                                                                          for p in pids]


Z13_SOURCE = {
    "structure": [rff_z13("00001", [25001, 25009])],
    "envelope": [],
    "anwendungsfaelle": [
        {"pid": 25001, "name": "Berechnungsformel", "communication": "", "lines": z13_lines("00001", 25001)},
        {"pid": 25005, "name": "Ablehnung", "communication": "", "lines": z13_lines("00001")},
    ],
    "conditions": {}, "packages": {},
}


@pytest.mark.parametrize(("static", "wanted", "expected_codes", "expected_rules"), [
    # published: the column that lacks its DE 1154 line gets it, the MIG's list the code in order
    ("UTILTS_FV20250401", [], ["25001", "25005", "25009"], {25001: ["25001"], 25005: ["25005"]}),
    # derived from a namesake: the copied column names its own Prüfidentifikator, not the namesake's;
    # 25009, which the derived AHB no longer carries, leaves the MIG's list
    ("UTILTS_FV20261001", [{"pid": 25001, "name": "Berechnungsformel", "communication": ""},
                           {"pid": 25011, "name": "Berechnungsformel", "communication": ""}],
     ["25001", "25011"], {25001: ["25001"], 25011: ["25011"]}),
])
def test_rff_z13_names_the_own_pruefidentifikator_of_every_column(monkeypatch, static, wanted, expected_codes,
                                                                  expected_rules):
    monkeypatch.setattr(published_source, "load", lambda name: Z13_SOURCE)
    monkeypatch.setitem(published_source.DERIVED, "UTILTS_FV20261001", "UTILTS_FV20250401")
    structure, _, afs, _, _ = published_source.build(SimpleNamespace(static=static, release="1.1e", msg="UTILTS"),
                                                     wanted)
    assert [c["code"] for c in structure[0]["elements"][0]["components"][1]["codes"]] == expected_codes
    assert {af["pid"]: [op["code"] for r in af["elements"] if r["de"] == "1154" for op in r["operands"]]
            for af in afs} == expected_rules
    # the added line follows the qualifier's
    assert all([r["de"] for r in af["elements"]] == ["1153", "1154"] for af in afs)
    # the source itself is left as it was
    assert Z13_SOURCE["structure"][0][7][0][5][1][4] == [["25001", ""], ["25009", ""]]


def test_a_derived_group_variant_that_names_only_dropped_pids_leaves_the_mig(monkeypatch):
    source = dict(Z13_SOURCE, structure=[["G", "SG1", "0010", "D", 1, "Eigene", [rff_z13("00001", [25001])]],
                                         ["G", "SG1", "0010", "D", 1, "Fremde", [rff_z13("00002", [25009])]]])
    monkeypatch.setattr(published_source, "load", lambda name: source)
    monkeypatch.setitem(published_source.DERIVED, "UTILTS_FV20261001", "UTILTS_FV20250401")
    structure, _, _, _, _ = published_source.build(
        SimpleNamespace(static="UTILTS_FV20261001", release="1.1e", msg="UTILTS"),
        [{"pid": 25001, "name": "Berechnungsformel", "communication": ""}])
    assert [group["name"] for group in structure] == ["Eigene"]
