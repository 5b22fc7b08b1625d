"""Completed identifiers validate; a substituted character is caught exactly as far as its scheme can."""

import string

from hypothesis import given
from hypothesis import strategies as st

import quorvane._native as native

DIGITS = string.digits
UPPER_ALPHANUMERICS = string.digits + string.ascii_uppercase
EIC_CHARACTERS = UPPER_ALPHANUMERICS + "-"


def fixed_text(alphabet, length):
    return st.text(alphabet=alphabet, min_size=length, max_size=length)


def substitutions(identifier, positions, alphabet):
    for position in positions:
        for replacement in alphabet:
            if replacement != identifier[position]:
                yield position, replacement, identifier[:position] + replacement + identifier[position + 1 :]


# The BDEW numeric scheme weighs the digits 1, 2, 1, 2, … from the left and adds the doubled
# values without their cross sum: a change by 5 at a doubled position keeps the sum modulo 10.
def bdew_misses(identifier, position, replacement):
    return position % 2 == 1 and position < len(identifier) - 1 and abs(int(replacement) - int(identifier[position])) == 5


@given(st.sampled_from("123456789"), fixed_text(DIGITS, 9))
def test_malo_completion_and_substitutions(first, rest):
    base = first + rest
    malo = native.malo_from_base(base)
    assert malo == base + str(native.malo_check_digit(base)) and native.malo_is_valid(malo)
    for position, replacement, changed in substitutions(malo, range(11), DIGITS):
        missed = bdew_misses(malo, position, replacement) and not (position == 0 and replacement == "0")
        assert native.malo_is_valid(changed) == missed, changed
        if position < 10 and changed[0] != "0":
            # The same statement from the completing side: the check digit moves with the base.
            assert (native.malo_check_digit(changed[:10]) != int(malo[10])) != missed, changed


# GS1 weights 1 and 3 are both prime to 10: every single substitution breaks the check digit.
@given(fixed_text(DIGITS, 12))
def test_marktpartner_ids_complete_and_catch_substitutions(base):
    bdew, gln = native.mp_id_from_base(base), native.mp_id_from_base(base, scheme="gln")
    assert native.mp_id_from_base(base, scheme="dvgw") == bdew and bdew[:12] == gln[:12] == base
    assert native.mp_id_is_valid(bdew) and "bdew" in native.mp_id_check_digit_schemes(bdew)
    assert "gln" in native.mp_id_check_digit_schemes(gln)
    for position, replacement, changed in substitutions(bdew, range(13), DIGITS):
        assert ("bdew" in native.mp_id_check_digit_schemes(changed)) == bdew_misses(bdew, position, replacement), changed
    for _, _, changed in substitutions(gln, range(13), DIGITS):
        assert native.mp_id_is_valid(changed) and "gln" not in native.mp_id_check_digit_schemes(changed), changed


@given(st.text(max_size=16))
def test_mp_id_is_valid_is_exactly_thirteen_ascii_digits(value):
    expected = len(value) == 13 and all(character in DIGITS for character in value)
    assert native.mp_id_is_valid(value) is expected
    assert expected or native.mp_id_check_digit_schemes(value) == []


# Modulo the prime 37 a prefix has exactly one check character; when it would be "-", no EIC
# completes the prefix at all. Every substitution in a completed EIC is caught.
@given(fixed_text(EIC_CHARACTERS, 2), st.sampled_from("ATVWXYZ"), fixed_text(EIC_CHARACTERS, 12))
def test_eic_completion_substitutions_and_object_types(head, object_type, tail):
    prefix = head + object_type + tail
    valid_completions = [prefix + last for last in EIC_CHARACTERS if native.eic_is_valid(prefix + last)]
    try:
        eic = native.eic_from_prefix(prefix)
    except ValueError as refused:
        assert str(refused) == "invalid checksum" and valid_completions == []
        return
    assert valid_completions == [eic] and eic[-1] != "-" and native.eic_type_char(eic) == object_type
    for _, _, changed in substitutions(eic, range(16), EIC_CHARACTERS):
        assert not native.eic_is_valid(changed), changed
    assert native.bilanzkreis_is_valid(eic) == (object_type == "X")
    assert native.bilanzierungsgebiet_is_valid(eic) == (object_type == "Y")
    if object_type in "XY":
        complete = native.bilanzkreis_from_prefix if object_type == "X" else native.bilanzierungsgebiet_from_prefix
        assert complete(prefix) == eic


def codetyp_value(character):
    return int(character) if character in DIGITS else ord(character)


# The Codetyp scheme weighs the characters 1, 2, 1, 2, … counting letters by their character
# code: a substitution goes unnoticed exactly when the weighted difference is a multiple of 10.
def codetyp_misses(identifier, position, replacement):
    weight = 1 if position % 2 == 0 else 2
    return weight * (codetyp_value(replacement) - codetyp_value(identifier[position])) % 10 == 0


@given(st.sampled_from(native.resource_id_kinds()), fixed_text(UPPER_ALPHANUMERICS, 9))
def test_resource_ids_complete_for_their_kind_and_catch_substitutions(kind_and_prefix, body):
    kind, prefix = kind_and_prefix
    base = prefix + body[: 10 - len(prefix)]
    identifier = native.resource_id_from_base(kind, base)
    assert identifier[:10] == base and identifier[10] in DIGITS
    for other, _ in native.resource_id_kinds():
        assert native.resource_id_is_valid(other, identifier) == (other == kind)
    for position, replacement, changed in substitutions(identifier, range(len(prefix), 10), UPPER_ALPHANUMERICS):
        assert native.resource_id_is_valid(kind, changed) == codetyp_misses(identifier, position, replacement), changed
    for _, _, changed in [*substitutions(identifier, [10], DIGITS),
                          *substitutions(identifier, range(len(prefix)), UPPER_ALPHANUMERICS)]:
        assert not native.resource_id_is_valid(kind, changed), changed
