"""The identifier functions: known identifiers, completion, the error texts and argument checks."""

import inspect

import pytest

import quorvane._native as native

# Published identifiers: MaLo-IDs from the BDEW examples, EICs of the German control areas and
# bidding zone.
KNOWN_MALO_IDS = ["41373559241", "51238696781"]
KNOWN_AREA_EICS = [
    "10YDE-VE-------2",
    "10YDE-RWENET---I",
    "10YDE-EON------1",
    "10YDE-ENBW-----N",
    "10YCB-GERMANY--8",
    "10Y1001A1001A82H",
]
KIND_NAMES = ["nelo", "nebe", "cr", "sg", "sr", "tr", "paket"]


SIGNATURES = {
    "malo_is_valid": "(value)",
    "malo_check_digit": "(base)",
    "malo_from_base": "(base)",
    "melo_is_valid": "(value)",
    "mp_id_is_valid": "(value)",
    "mp_id_check_digit_schemes": "(value)",
    "mp_id_from_base": "(base, scheme='bdew')",
    "mp_id_authority": "(value)",
    "mp_id_unb_qualifier": "(value)",
    "eic_from_prefix": "(prefix)",
    "eic_is_valid": "(value)",
    "eic_type_char": "(value)",
    "bilanzkreis_from_prefix": "(prefix)",
    "bilanzkreis_is_valid": "(value)",
    "bilanzierungsgebiet_from_prefix": "(prefix)",
    "bilanzierungsgebiet_is_valid": "(value)",
    "resource_id_from_base": "(kind, base)",
    "resource_id_is_valid": "(kind, value)",
    "resource_id_kinds": "()",
}


@pytest.mark.parametrize(("name", "signature"), SIGNATURES.items())
def test_signature_and_docstring(name, signature):
    function = getattr(native, name)
    assert str(inspect.signature(function)) == signature
    assert function.__doc__ and not function.__doc__.startswith(name)


# --- MaLo and MeLo ------------------------------------------------------------------------------


@pytest.mark.parametrize("malo", KNOWN_MALO_IDS)
def test_known_malo_ids_validate_and_complete_from_their_base(malo):
    base = malo[:10]
    assert native.malo_is_valid(malo) is True
    digit = native.malo_check_digit(base)
    assert type(digit) is int and str(digit) == malo[-1]
    assert native.malo_from_base(base) == malo


@pytest.mark.parametrize(
    "value",
    ["41373559242", "4137355924", "413735592411", "", "0137355924X", "01373559241", "4137355924١", " 41373559241"],
)
def test_malo_is_valid_answers_false_for_any_rejection(value):
    assert native.malo_is_valid(value) is False


@pytest.mark.parametrize("function", [native.malo_check_digit, native.malo_from_base])
@pytest.mark.parametrize(
    ("base", "message"),
    [
        ("413735592", "invalid length: expected exactly 10, got 9"),
        ("41373559241", "invalid length: expected exactly 10, got 11"),
        ("0137355924", "invalid format: first digit (Vergabestelle) must be 1-9, got '0'"),
        ("41373A5924", "invalid character 'A' at position 5"),
        # Lengths count UTF-8 bytes: "é" takes two, so this base has the right length.
        ("41373559é", "invalid character 'é' at position 8"),
    ],
)
def test_malo_completion_refuses_bad_bases(function, base, message):
    with pytest.raises(ValueError) as raised:
        function(base)
    assert str(raised.value) == message


@pytest.mark.parametrize(
    ("value", "valid"),
    [
        ("DE0001234567890123456789012345678", True),
        ("DE000123456789012345678901234567a", True),
        ("AT00000000000000000000000000000ZZ", True),
        ("de0001234567890123456789012345678", False),
        ("D10001234567890123456789012345678", False),
        ("DE000123456789012345678901234567", False),
        ("DE00012345678901234567890123456789", False),
        ("DE00012345678901234567890123456-8", False),
        ("DE00012345678901234567890123456ä", False),
    ],
)
def test_melo_is_valid(value, valid):
    assert native.melo_is_valid(value) is valid


# --- Marktpartner-ID ----------------------------------------------------------------------------


@pytest.mark.parametrize(
    ("value", "valid"),
    [("9900357000003", True), ("9900357000009", True), ("0000000000000", True), ("990035700000", False),
     ("99003570000031", False), ("990035700000A", False), ("99003570000 3", False), ("", False)],
)
def test_mp_id_is_valid_tests_structure_only(value, valid):
    assert native.mp_id_is_valid(value) is valid


@pytest.mark.parametrize(
    ("value", "schemes"),
    [
        ("9900357000003", ["bdew"]),
        ("9900357000009", ["gln"]),
        ("4000001000005", ["bdew", "gln"]),
        ("9900357000004", []),
        ("990035700000", []),
        ("990035700000X", []),
    ],
)
def test_mp_id_check_digit_schemes(value, schemes):
    assert native.mp_id_check_digit_schemes(value) == schemes


@pytest.mark.parametrize(
    ("base", "scheme", "expected"),
    [
        ("990035700000", "bdew", "9900357000003"),
        ("990035700000", "dvgw", "9900357000003"),
        ("990035700000", "gln", "9900357000009"),
        ("012345678901", "bdew", None),
        ("012345678901", "gln", None),
    ],
)
def test_mp_id_from_base_completes_under_its_scheme(base, scheme, expected):
    completed = native.mp_id_from_base(base, scheme=scheme)
    assert completed[:12] == base
    if expected is not None:
        assert completed == expected
    wanted = "gln" if scheme == "gln" else "bdew"
    assert wanted in native.mp_id_check_digit_schemes(completed)


def test_mp_id_from_base_defaults_to_bdew():
    assert native.mp_id_from_base("980123456789") == native.mp_id_from_base("980123456789", "bdew")


@pytest.mark.parametrize(
    ("base", "scheme", "message"),
    [
        ("99003570000", "bdew", "invalid length: expected exactly 12, got 11"),
        ("99003570000X", "dvgw", "invalid character 'X' at position 11"),
        ("99003570000", "gln", 'a GLN base is exactly 12 digits, got "99003570000"'),
        ("99003570000X", "gln", 'a GLN base is exactly 12 digits, got "99003570000X"'),
        ("9900357000٠٠", "gln", 'a GLN base is exactly 12 digits, got "9900357000٠٠"'),
        ("990035700000", "BDEW", 'unknown check-digit scheme "BDEW" — expected "bdew" or "gln"'),
        ("990035700000", "", 'unknown check-digit scheme "" — expected "bdew" or "gln"'),
        # The scheme is judged before the base.
        ("x", "ean", 'unknown check-digit scheme "ean" — expected "bdew" or "gln"'),
    ],
)
def test_mp_id_from_base_errors(base, scheme, message):
    with pytest.raises(ValueError) as raised:
        native.mp_id_from_base(base, scheme)
    assert str(raised.value) == message


@pytest.mark.parametrize(
    ("value", "authority", "qualifier"),
    [
        ("9900357000003", "BDEW", "500"),
        ("9800000000001", "DVGW", "502"),
        ("4000001000005", "GS1 GLN", "14"),
        # Only the prefix decides, not which check digit holds.
        ("9900357000009", "BDEW", "500"),
        ("8999999999999", "GS1 GLN", "14"),
    ],
)
def test_mp_id_authority_and_unb_qualifier(value, authority, qualifier):
    assert native.mp_id_authority(value) == authority
    assert native.mp_id_unb_qualifier(value) == qualifier


@pytest.mark.parametrize("function", [native.mp_id_authority, native.mp_id_unb_qualifier])
@pytest.mark.parametrize(
    ("value", "message"),
    [
        ("990035700000", "invalid length: expected exactly 13, got 12"),
        ("99003570000-3", "invalid character '-' at position 11"),
    ],
)
def test_mp_id_authority_and_unb_qualifier_refuse_invalid_ids(function, value, message):
    with pytest.raises(ValueError) as raised:
        function(value)
    assert str(raised.value) == message


# --- EIC, Bilanzkreis, Bilanzierungsgebiet ------------------------------------------------------


@pytest.mark.parametrize("eic", KNOWN_AREA_EICS)
def test_known_area_eics(eic):
    assert native.eic_is_valid(eic) is True
    assert native.eic_from_prefix(eic[:15]) == eic
    assert native.eic_type_char(eic) == "Y"
    assert native.bilanzierungsgebiet_is_valid(eic) is True
    assert native.bilanzierungsgebiet_from_prefix(eic[:15]) == eic
    assert native.bilanzkreis_is_valid(eic) is False


def test_party_eic_is_a_bilanzkreis():
    eic = native.bilanzkreis_from_prefix("11XDE-TEST-BK-A")
    assert eic == native.eic_from_prefix("11XDE-TEST-BK-A")
    assert native.eic_type_char(eic) == "X"
    assert native.bilanzkreis_is_valid(eic) is True
    assert native.bilanzierungsgebiet_is_valid(eic) is False


@pytest.mark.parametrize(
    "value",
    ["10YDE-VE-------3", "10YDE-VE-------", "10YDE-VE-------22", "10QDE-VE-------2", "10yDE-VE-------2",
     "10YDE-VE_------2", "10YDE-VE------é2", ""],
)
def test_eic_is_valid_answers_false_for_any_rejection(value):
    assert native.eic_is_valid(value) is False
    assert native.bilanzkreis_is_valid(value) is False
    assert native.bilanzierungsgebiet_is_valid(value) is False


@pytest.mark.parametrize(
    ("function", "argument", "message"),
    [
        (native.eic_from_prefix, "10YDE-VE------", "invalid length: expected exactly 15, got 14"),
        (native.eic_from_prefix, "10YDE-VE-----é", "invalid format: EIC prefix must contain only ASCII characters"),
        (native.eic_from_prefix, "10QDE-VE-------",
         "invalid format: position 3 must be a valid EIC object-type character (A/T/V/W/X/Y/Z)"),
        (native.eic_from_prefix, "10YDE-VE------_", "invalid character '_' at position 14"),
        (native.eic_type_char, "10YDE-VE-------3", "invalid checksum"),
        (native.eic_type_char, "10YDE-VE-------", "invalid length: expected exactly 16, got 15"),
        (native.eic_type_char, "10YDE-VE-----ä-2", "invalid format: EIC code must contain only ASCII characters"),
        (native.bilanzkreis_from_prefix, "10YDE-VE-------",
         "invalid format: BilanzkreisId requires EIC object type 'X' (Party) at position 3, "
         "found 'Y' (Area or Domain)"),
        (native.bilanzierungsgebiet_from_prefix, "11XDE-TEST-BK-A",
         "invalid format: BilanzierungsgebietId requires EIC object type 'Y' (Area or Domain) at position 3, "
         "found 'X' (Party)"),
        (native.bilanzkreis_from_prefix, "11XDE-TEST-BK", "invalid length: expected exactly 15, got 13"),
    ],
)
def test_eic_errors(function, argument, message):
    with pytest.raises(ValueError) as raised:
        function(argument)
    assert str(raised.value) == message


def prefix_without_check_character():
    """A prefix whose check value is the one no EIC may end in, found among 37 neighbours."""
    for last in "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-":
        prefix = "11XDE-TEST-BK-" + last
        try:
            native.eic_from_prefix(prefix)
        except ValueError:
            return prefix
    raise AssertionError("every neighbour completed")


@pytest.mark.parametrize("function", [native.eic_from_prefix, native.bilanzkreis_from_prefix])
def test_prefix_whose_check_character_would_be_dash_raises(function):
    prefix = prefix_without_check_character()
    with pytest.raises(ValueError) as raised:
        function(prefix)
    assert str(raised.value) == "invalid checksum"
    assert not any(native.eic_is_valid(prefix + last) for last in "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-")


# --- resource IDs -------------------------------------------------------------------------------


def test_resource_id_kinds():
    kinds = native.resource_id_kinds()
    assert type(kinds) is list and all(type(kind) is tuple for kind in kinds)
    assert kinds == [("nelo", "E"), ("nebe", "F"), ("cr", "A"), ("sg", "B"), ("sr", "C"), ("tr", "D"), ("paket", "P9")]


@pytest.mark.parametrize(
    ("kind", "base", "expected"),
    [
        ("nelo", "E123456789", "E1234567891"),
        ("nebe", "F0000000AB", "F0000000AB3"),
        ("sr", "C12345678Z", "C12345678Z1"),
        ("tr", "D000000000", "D0000000002"),
        ("paket", "P900000001", "P9000000010"),
    ],
)
def test_resource_id_from_base(kind, base, expected):
    assert native.resource_id_from_base(kind, base) == expected
    assert native.resource_id_is_valid(kind, expected) is True
    others = [other for other in KIND_NAMES if other != kind]
    assert not any(native.resource_id_is_valid(other, expected) for other in others)


@pytest.mark.parametrize(
    ("kind", "value"),
    [("nelo", "E1234567892"), ("nelo", "E123456789"), ("nelo", "E12345678911"), ("nelo", "e1234567891"),
     ("nelo", "E12345678a1"), ("nelo", "E123456789X"), ("paket", "P1000000010"), ("cr", "É123456789")],
)
def test_resource_id_is_valid_answers_false_for_bad_values(kind, value):
    assert native.resource_id_is_valid(kind, value) is False


UNKNOWN_KIND = 'unknown resource-ID kind {} — expected one of ["nelo", "nebe", "cr", "sg", "sr", "tr", "paket"]'


@pytest.mark.parametrize(
    ("kind", "base", "message"),
    [
        ("NELO", "E123456789", UNKNOWN_KIND.format('"NELO"')),
        (" nelo", "E123456789", UNKNOWN_KIND.format('" nelo"')),
        ("", "E123456789", UNKNOWN_KIND.format('""')),
        ("nelo", "F123456789", 'invalid format: identifier must start with Codetyp "E", got "F"'),
        ("paket", "P123456789", 'invalid format: identifier must start with Codetyp "P9", got "P1"'),
        ("cr", "A12345678a", "invalid character 'a' at position 9"),
        ("sg", "B12345678", "invalid length: expected exactly 10, got 9"),
    ],
)
def test_resource_id_from_base_errors(kind, base, message):
    with pytest.raises(ValueError) as raised:
        native.resource_id_from_base(kind, base)
    assert str(raised.value) == message


def test_resource_id_is_valid_raises_for_an_unknown_kind():
    with pytest.raises(ValueError) as raised:
        native.resource_id_is_valid("NELO", "E1234567891")
    assert str(raised.value) == UNKNOWN_KIND.format('"NELO"')


# --- argument types -----------------------------------------------------------------------------


def call_arguments(name, wrong_index, wrong_value):
    parameters = list(inspect.signature(getattr(native, name)).parameters)
    good = {"kind": "nelo", "scheme": "bdew"}
    arguments = [good.get(parameter, "x") for parameter in parameters]
    arguments[wrong_index] = wrong_value
    return parameters[wrong_index], arguments


@pytest.mark.parametrize(
    ("name", "index"),
    [(name, index) for name, signature in SIGNATURES.items() for index in range(signature.count(",") + 1)
     if signature != "()"],
)
@pytest.mark.parametrize("wrong_value", [5, None, b"41373559241"])
def test_non_str_arguments_raise_type_error_naming_the_parameter(name, index, wrong_value):
    parameter, arguments = call_arguments(name, index, wrong_value)
    with pytest.raises(TypeError) as raised:
        getattr(native, name)(*arguments)
    assert str(raised.value) == (
        f"argument '{parameter}': '{type(wrong_value).__name__}' object cannot be converted to 'str'"
    )


def test_type_errors_come_before_the_kind_check():
    with pytest.raises(TypeError, match="argument 'value'"):
        native.resource_id_is_valid("NELO", 5)
