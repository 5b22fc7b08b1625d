"""Answer codes: the catalogue, lookups by tree, code and inbound PID, and the class AntwortCode."""

import collections
import inspect

import pytest

import quorvane._native as native

# Rows per tree as published; a row shifted into the wrong tree changes two of these counts.
TREE_SIZES = {
    "E_0622": 23, "E_0623": 9, "E_0607": 14, "E_0608": 20, "E_3005": 13, "E_3007": 11, "E_3019": 6,
    "E_0609": 18, "E_0624": 13, "E_0614": 16, "E_3001": 9, "E_3002": 7, "E_3020": 7, "E_0615": 6,
    "E_3008": 5, "E_0603": 2, "E_0604": 2, "E_0605": 2, "E_0606": 2, "E_0595": 17, "E_0406": 3,
    "E_0200": 8, "E_0201": 9, "E_0202": 4, "E_0240": 7, "E_0203": 3, "E_0204": 4, "E_0247": 3,
    "E_0233": 4, "E_0270": 24, "E_0273": 24, "E_0276": 25, "E_0277": 25, "E_0271": 1, "E_0274": 1,
    "E_0272": 8, "E_0275": 8, "E_0205": 6, "E_0206": 2, "E_0207": 10, "E_0208": 3, "E_0209": 3,
    "E_0278": 5, "E_0281": 7, "E_0279": 7, "E_0283": 7, "E_0286": 4, "E_0249": 2, "E_0250": 4,
    "E_0232": 1, "E_2000": 7, "E_2002": 8, "E_2003": 1, "E_2004": 3, "E_2005": 4, "E_2006": 7,
    "E_2007": 4, "E_2011": 3, "E_2014": 10, "E_2015": 10, "E_2016": 10, "E_2018": 3, "E_2019": 3,
    "E_0252": 6, "E_0256": 9, "E_0257": 4, "E_0254": 5, "E_0264": 22, "E_0265": 1, "E_0266": 23,
    "E_0267": 8, "E_0210": 31, "E_0243": 8, "E_0566": 31, "E_0567": 1, "E_0568": 32, "E_0569": 8,
}
TREES_WITHOUT_WIRE_LIST = {"E_3001", "E_3002", "E_3005", "E_3007", "E_3008", "E_3019", "E_3020"}
AGREEMENT = {"ZUSTIMMUNG": True, "ABLEHNUNG": False, "AENDERUNG_DER_DATEN": None, "KEINE_AENDERUNG_DER_DATEN": None}
ATTRIBUTES = ("code", "tree", "wire_codeliste", "cluster", "bedeutung", "braucht_bemerkung", "ist_zustimmung")


def attributes(code):
    return tuple(getattr(code, name) for name in ATTRIBUTES)


def test_catalogue():
    assert native.entscheidungsbaeume() == sorted(TREE_SIZES)
    catalogue = {tree: native.antwort_codes(tree) for tree in native.entscheidungsbaeume()}
    assert {tree: len(codes) for tree, codes in catalogue.items()} == TREE_SIZES
    rows = [code for codes in catalogue.values() for code in codes]
    assert collections.Counter(code.cluster for code in rows) == {
        "ZUSTIMMUNG": 80, "ABLEHNUNG": 589, "AENDERUNG_DER_DATEN": 5, "KEINE_AENDERUNG_DER_DATEN": 12,
    }
    assert sum(code.braucht_bemerkung for code in rows) == 127
    assert sum(code.wire_codeliste is None for code in rows) == 58
    for tree, codes in catalogue.items():
        assert len({code.code for code in codes}) == len(codes), tree
        assert tree not in TREES_WITHOUT_WIRE_LIST or {code.wire_codeliste for code in codes} == {None}
        for code in codes:
            assert code.tree == tree and code.bedeutung and code.ist_zustimmung is AGREEMENT[code.cluster]
            found = native.antwort_code(tree, code.code)
            assert found is not code and attributes(found) == attributes(code) and repr(found) == repr(code)


@pytest.mark.parametrize(
    ("tree", "code", "expected"),
    [
        ("E_0622", "A07", {"cluster": "ABLEHNUNG", "ist_zustimmung": False, "braucht_bemerkung": False,
                           "wire_codeliste": "E_0622",
                           "bedeutung": "Vorlauffrist wurde nicht eingehalten (Prüfschritt 15)"}),
        ("E_0595", "A02", {"cluster": "AENDERUNG_DER_DATEN", "ist_zustimmung": None, "wire_codeliste": "E_0595"}),
        ("E_2018", "28", {"braucht_bemerkung": True, "wire_codeliste": "G_0085",
                          "bedeutung": "Sonstiges — etwa: Originalrechnungsnummer nicht gefunden"}),
    ],
)
def test_published_codes(tree, code, expected):
    found = native.antwort_code(tree, code)
    assert (found.tree, found.code) == (tree, code)
    assert {name: getattr(found, name) for name in expected} == expected


# The code lists that WiM answers carry depend on the cluster; the other trees name themselves.
@pytest.mark.parametrize(
    ("tree", "agreement_list", "refusal_list"),
    [("E_0200", "S_0090", "S_0054"), ("E_0232", "S_0057", "S_0057"), ("E_2000", "G_0052", "G_0051"),
     ("E_2014", "G_0083", "G_0083"), ("E_0622", "E_0622", "E_0622")],
)
def test_wire_code_list_follows_tree_and_cluster(tree, agreement_list, refusal_list):
    expected = {"ZUSTIMMUNG": agreement_list, "ABLEHNUNG": refusal_list}
    assert all(code.wire_codeliste == expected[code.cluster] for code in native.antwort_codes(tree))


def test_repr_names_tree_code_cluster_and_wording():
    assert repr(native.antwort_code("E_0622", "A07")) == (
        "AntwortCode(E_0622 A07 [ABLEHNUNG] — Vorlauffrist wurde nicht eingehalten (Prüfschritt 15))")


@pytest.mark.parametrize(
    ("tree", "code"),
    [("e_0622", "A07"), ("E_0622 ", "A07"), ("E_0622", "a07"), ("E_0410", "A01"), ("E_0622", "Z66"), ("", "")],
)
def test_unknown_tree_or_code_gives_none(tree, code):
    assert native.antwort_code(tree, code) is None


@pytest.mark.parametrize(("tree", "quoted"), [("", '""'), ('E_04"10\n', '"E_04\\"10\\n"')])
def test_listing_an_unknown_tree_raises(tree, quoted):
    with pytest.raises(ValueError) as raised:
        native.antwort_codes(tree)
    assert str(raised.value) == (f"no Entscheidungsbaum {quoted} in the compiled catalogue — see "
                                 "entscheidungsbaeume() for the trees this build carries")


def test_codes_for_an_inbound_pid_are_those_of_the_tree_its_obligation_names():
    codes = native.antwort_codes_for_pid(trigger_pid=55001)
    assert [attributes(code) for code in codes] == [attributes(code) for code in native.antwort_codes("E_0622")]
    # 55109 names E_0410, which the catalogue does not carry; 12345 has no obligation.
    assert native.antwort_codes_for_pid(55109) == native.antwort_codes_for_pid(12345) == []
    assert native.antwort_codes_for_pid(2**32 - 1) == []
    for out_of_range in (-1, 2**32):
        with pytest.raises(OverflowError):
            native.antwort_codes_for_pid(out_of_range)


@pytest.mark.parametrize(
    ("call", "argument"),
    [(lambda: native.antwort_code(1, "A07"), "tree"), (lambda: native.antwort_code("E_0622", None), "code"),
     (lambda: native.antwort_codes(b"E_0622"), "tree"), (lambda: native.antwort_codes_for_pid("55001"), "trigger_pid")],
)
def test_wrong_argument_types_raise_type_error_naming_the_parameter(call, argument):
    with pytest.raises(TypeError, match=f"^argument '{argument}': "):
        call()


def test_signatures_and_keywords():
    functions = [native.entscheidungsbaeume, native.antwort_code, native.antwort_codes, native.antwort_codes_for_pid]
    assert [str(inspect.signature(function)) for function in functions] == ["()", "(tree, code)", "(tree)", "(trigger_pid)"]
    assert all(function.__doc__ for function in functions)
    assert native.antwort_code(code="A07", tree="E_0622").code == "A07"


# The class machinery itself is proven in test_binding; here what this class declares.
def test_antwort_code_class_has_no_constructor_and_read_only_attributes():
    cls, code = native.AntwortCode, native.antwort_code("E_0622", "A07")
    assert cls.__doc__ == "One published Antwortcode, resolved against the tree that publishes it."
    with pytest.raises(TypeError, match="^cannot create 'builtins.AntwortCode' instances$"):
        cls()
    for name in ATTRIBUTES:
        assert getattr(cls, name).__doc__
        with pytest.raises(AttributeError):
            setattr(code, name, getattr(code, name))
