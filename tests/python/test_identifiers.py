"""The identifier functions: known identifiers, completion, the error texts and argument checks."""

import inspect

import pytest

import quorvane._native as native

SIGNATURES = {
    "malo_is_valid": "(value)", "malo_check_digit": "(base)", "malo_from_base": "(base)", "melo_is_valid": "(value)",
    "mp_id_is_valid": "(value)", "mp_id_check_digit_schemes": "(value)", "mp_id_from_base": "(base, scheme='bdew')",
    "mp_id_authority": "(value)", "mp_id_unb_qualifier": "(value)", "eic_from_prefix": "(prefix)",
    "eic_is_valid": "(value)", "eic_type_char": "(value)", "bilanzkreis_from_prefix": "(prefix)",
    "bilanzkreis_is_valid": "(value)", "bilanzierungsgebiet_from_prefix": "(prefix)",
    "bilanzierungsgebiet_is_valid": "(value)", "resource_id_from_base": "(kind, base)",
    "resource_id_is_valid": "(kind, value)", "resource_id_kinds": "()",
}
EIC_CHARACTERS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-"


def test_signatures_and_docstrings():
    assert {name: str(inspect.signature(getattr(native, name))) for name in SIGNATURES} == SIGNATURES
    assert all(getattr(native, name).__doc__ and not getattr(native, name).__doc__.startswith(name) for name in SIGNATURES)


@pytest.mark.parametrize("malo", ["41373559241", "51238696781"])  # published examples
def test_known_malo_ids_validate_and_complete_from_their_base(malo):
    assert native.malo_is_valid(malo) is True
    digit = native.malo_check_digit(malo[:10])
    assert type(digit) is int and str(digit) == malo[-1]
    assert native.malo_from_base(malo[:10]) == malo


@pytest.mark.parametrize(("eic", "object_type"), [("10YDE-VE-------2", "Y"), ("10Y1001A1001A82H", "Y"),
                                                  ("11XDE-TEST-BK-A", "X")])
def test_eic_completion_and_balancing_types(eic, object_type):
    prefix = eic[:15]
    eic = native.eic_from_prefix(prefix)
    assert native.eic_is_valid(eic) and native.eic_type_char(eic) == object_type
    assert native.bilanzkreis_is_valid(eic) is (object_type == "X")
    assert native.bilanzierungsgebiet_is_valid(eic) is (object_type == "Y")
    complete = native.bilanzkreis_from_prefix if object_type == "X" else native.bilanzierungsgebiet_from_prefix
    assert complete(prefix) == eic


@pytest.mark.parametrize(
    ("function", "arguments", "expected"),
    [
        (native.malo_is_valid, ("41373559242",), False),
        (native.malo_is_valid, ("4137355924١",), False),
        (native.melo_is_valid, ("DE000123456789012345678901234567a",), True),
        (native.melo_is_valid, ("AT00000000000000000000000000000ZZ",), True),
        (native.melo_is_valid, ("de0001234567890123456789012345678",), False),
        (native.melo_is_valid, ("DE00012345678901234567890123456-8",), False),
        (native.mp_id_is_valid, ("9900357000004",), True),  # structure only
        (native.mp_id_is_valid, ("990035700000X",), False),
        (native.mp_id_check_digit_schemes, ("9900357000003",), ["bdew"]),
        (native.mp_id_check_digit_schemes, ("9900357000009",), ["gln"]),
        (native.mp_id_check_digit_schemes, ("4000001000005",), ["bdew", "gln"]),
        (native.mp_id_check_digit_schemes, ("9900357000004",), []),
        (native.mp_id_from_base, ("990035700000",), "9900357000003"),
        (native.mp_id_from_base, ("990035700000", "dvgw"), "9900357000003"),
        (native.mp_id_from_base, ("990035700000", "gln"), "9900357000009"),
        # Only the prefix decides, not which check digit holds.
        (native.mp_id_authority, ("9900357000009",), "BDEW"),
        (native.mp_id_authority, ("9800000000001",), "DVGW"),
        (native.mp_id_authority, ("4000001000005",), "GS1 GLN"),
        (native.mp_id_unb_qualifier, ("9800000000001",), "502"),
        (native.mp_id_unb_qualifier, ("8999999999999",), "14"),
        (native.eic_is_valid, ("10YDE-VE-------3",), False),
        (native.bilanzkreis_is_valid, ("10yDE-VE-------2",), False),
        (native.bilanzierungsgebiet_is_valid, ("10YDE-VE------é2",), False),
        (native.resource_id_kinds, (), [("nelo", "E"), ("nebe", "F"), ("cr", "A"), ("sg", "B"), ("sr", "C"),
                                        ("tr", "D"), ("paket", "P9")]),
        (native.resource_id_from_base, ("nelo", "E123456789"), "E1234567891"),
        (native.resource_id_from_base, ("sr", "C12345678Z"), "C12345678Z1"),
        (native.resource_id_from_base, ("paket", "P900000001"), "P9000000010"),
        (native.resource_id_is_valid, ("paket", "P9000000010"), True),
        (native.resource_id_is_valid, ("tr", "P9000000010"), False),
        (native.resource_id_is_valid, ("nelo", "e1234567891"), False),
        (native.resource_id_is_valid, ("cr", "É123456789"), False),
    ],
)
def test_results(function, arguments, expected):
    assert function(*arguments) == expected
    assert type(function(*arguments)) is type(expected)


UNKNOWN_KIND = 'unknown resource-ID kind {} — expected one of ["nelo", "nebe", "cr", "sg", "sr", "tr", "paket"]'


@pytest.mark.parametrize(
    ("function", "arguments", "message"),
    [
        (native.malo_check_digit, ("413735592",), "invalid length: expected exactly 10, got 9"),
        (native.malo_from_base, ("0137355924",), "invalid format: first digit (Vergabestelle) must be 1-9, got '0'"),
        (native.malo_check_digit, ("41373A5924",), "invalid character 'A' at position 5"),
        # Lengths count UTF-8 bytes: "é" takes two, so this base has the right length.
        (native.malo_from_base, ("41373559é",), "invalid character 'é' at position 8"),
        (native.mp_id_from_base, ("99003570000", "bdew"), "invalid length: expected exactly 12, got 11"),
        (native.mp_id_from_base, ("99003570000X", "gln"), 'a GLN base is exactly 12 digits, got "99003570000X"'),
        (native.mp_id_from_base, ("9900357000٠٠", "gln"), 'a GLN base is exactly 12 digits, got "9900357000٠٠"'),
        (native.mp_id_from_base, ("990035700000", "BDEW"), 'unknown check-digit scheme "BDEW" — expected "bdew" or "gln"'),
        (native.mp_id_from_base, ("x", "ean"), 'unknown check-digit scheme "ean" — expected "bdew" or "gln"'),
        (native.mp_id_authority, ("990035700000",), "invalid length: expected exactly 13, got 12"),
        (native.mp_id_unb_qualifier, ("99003570000-3",), "invalid character '-' at position 11"),
        (native.eic_from_prefix, ("10YDE-VE------",), "invalid length: expected exactly 15, got 14"),
        (native.eic_from_prefix, ("10YDE-VE-----é",), "invalid format: EIC prefix must contain only ASCII characters"),
        (native.eic_from_prefix, ("10QDE-VE-------",),
         "invalid format: position 3 must be a valid EIC object-type character (A/T/V/W/X/Y/Z)"),
        (native.eic_from_prefix, ("10YDE-VE------_",), "invalid character '_' at position 14"),
        (native.eic_type_char, ("10YDE-VE-------3",), "invalid checksum"),
        (native.eic_type_char, ("10YDE-VE-------",), "invalid length: expected exactly 16, got 15"),
        (native.eic_type_char, ("10YDE-VE-----ä-2",), "invalid format: EIC code must contain only ASCII characters"),
        (native.bilanzkreis_from_prefix, ("10YDE-VE-------",),
         "invalid format: BilanzkreisId requires EIC object type 'X' (Party) at position 3, found 'Y' (Area or Domain)"),
        (native.bilanzierungsgebiet_from_prefix, ("11XDE-TEST-BK-A",),
         "invalid format: BilanzierungsgebietId requires EIC object type 'Y' (Area or Domain) at position 3, "
         "found 'X' (Party)"),
        (native.resource_id_from_base, ("NELO", "E123456789"), UNKNOWN_KIND.format('"NELO"')),
        (native.resource_id_is_valid, (" nelo", "E1234567891"), UNKNOWN_KIND.format('" nelo"')),
        (native.resource_id_from_base, ("nelo", "F123456789"),
         'invalid format: identifier must start with Codetyp "E", got "F"'),
        (native.resource_id_from_base, ("paket", "P123456789"),
         'invalid format: identifier must start with Codetyp "P9", got "P1"'),
        (native.resource_id_from_base, ("cr", "A12345678a"), "invalid character 'a' at position 9"),
        (native.resource_id_from_base, ("sg", "B12345678"), "invalid length: expected exactly 10, got 9"),
    ],
)
def test_value_errors(function, arguments, message):
    with pytest.raises(ValueError) as raised:
        function(*arguments)
    assert str(raised.value) == message


def test_prefix_whose_check_character_would_be_dash_raises():
    prefixes = ["11XDE-TEST-BK-" + last for last in EIC_CHARACTERS]
    prefix = next(prefix for prefix in prefixes if not any(native.eic_is_valid(prefix + c) for c in EIC_CHARACTERS))
    for function in (native.eic_from_prefix, native.bilanzkreis_from_prefix):
        with pytest.raises(ValueError, match="^invalid checksum$"):
            function(prefix)


@pytest.mark.parametrize(("name", "index"), [(name, index) for name, signature in SIGNATURES.items() if signature != "()"
                                             for index in range(signature.count(",") + 1)])
def test_non_str_arguments_raise_type_error_naming_the_parameter(name, index):
    parameters = list(inspect.signature(getattr(native, name)).parameters)
    # An unknown kind elsewhere: every argument's type is checked before the kind is looked up.
    arguments = [{"kind": "NELO", "scheme": "bdew"}.get(parameter, "x") for parameter in parameters]
    arguments[index] = wrong = [5, None, b"41373559241"][(len(name) + index) % 3]
    with pytest.raises(TypeError) as raised:
        getattr(native, name)(*arguments)
    assert str(raised.value) == f"argument '{parameters[index]}': '{type(wrong).__name__}' object cannot be converted to 'str'"


LONE_SURROGATES = ["\ud800", "4137355924\udc00", "10YDE-VE-------\udfff"]


@pytest.mark.parametrize("value", LONE_SURROGATES)
@pytest.mark.parametrize(("check", "no"), [
    (native.malo_is_valid, False), (native.melo_is_valid, False), (native.mp_id_is_valid, False),
    (native.eic_is_valid, False), (native.bilanzkreis_is_valid, False), (native.bilanzierungsgebiet_is_valid, False),
    (lambda value: native.resource_id_is_valid("nelo", value), False), (native.mp_id_check_digit_schemes, []),
])
def test_checks_answer_no_for_a_text_without_utf8_form(check, no, value):
    assert check(value) == no


@pytest.mark.parametrize(("call", "argument"), [
    (lambda: native.malo_from_base("\ud800"), "base"),
    (lambda: native.mp_id_from_base("990000000000", scheme="gln\udc00"), "scheme"),
    (lambda: native.resource_id_is_valid("nelo\ud800", "x"), "kind"),  # an unknown kind is no bad value
])
def test_other_identifier_functions_name_the_argument_of_a_lone_surrogate(call, argument):
    with pytest.raises(UnicodeEncodeError) as raised:
        call()
    assert str(raised.value).endswith(f"surrogates not allowed in argument '{argument}'")
