"""Properties of the identifier functions over generated identifiers: every completed base
validates, and a single substituted character is caught exactly as far as its scheme can."""

import string

from hypothesis import given
from hypothesis import strategies as st

import quorvane._native as native

DIGITS = string.digits
UPPER_ALPHANUMERICS = string.digits + string.ascii_uppercase
EIC_CHARACTERS = UPPER_ALPHANUMERICS + "-"
EIC_OBJECT_TYPES = "ATVWXYZ"


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
def test_every_completed_malo_base_validates(first, rest):
    base = first + rest
    malo = native.malo_from_base(base)
    assert malo == base + str(native.malo_check_digit(base))
    assert native.malo_is_valid(malo)


@given(st.sampled_from("123456789"), fixed_text(DIGITS, 9))
def test_malo_substitutions_are_caught_unless_the_scheme_cannot_see_them(first, rest):
    malo = native.malo_from_base(first + rest)
    for position, replacement, changed in substitutions(malo, range(11), DIGITS):
        if position == 0 and replacement == "0":
            assert not native.malo_is_valid(changed)
            continue
        assert native.malo_is_valid(changed) == bdew_misses(malo, position, replacement), changed
        if position < 10:
            # The same statement from the completing side: the check digit moves with the base.
            moved = native.malo_check_digit(changed[:10]) != int(malo[10])
            assert moved != bdew_misses(malo, position, replacement), changed


@given(fixed_text(DIGITS, 12))
def test_bdew_marktpartner_ids_complete_and_catch_substitutions(base):
    mp_id = native.mp_id_from_base(base)
    assert native.mp_id_from_base(base, scheme="dvgw") == mp_id
    assert native.mp_id_is_valid(mp_id)
    assert "bdew" in native.mp_id_check_digit_schemes(mp_id)
    for position, replacement, changed in substitutions(mp_id, range(13), DIGITS):
        still_bdew = "bdew" in native.mp_id_check_digit_schemes(changed)
        assert still_bdew == bdew_misses(mp_id, position, replacement), changed


# GS1 weights 1 and 3 are both prime to 10: every single substitution breaks the check digit.
@given(fixed_text(DIGITS, 12))
def test_gln_marktpartner_ids_complete_and_catch_every_substitution(base):
    gln = native.mp_id_from_base(base, scheme="gln")
    assert gln[:12] == base
    assert "gln" in native.mp_id_check_digit_schemes(gln)
    for _, _, changed in substitutions(gln, range(13), DIGITS):
        assert "gln" not in native.mp_id_check_digit_schemes(changed), changed
        assert native.mp_id_is_valid(changed)


@given(st.text(max_size=16))
def test_mp_id_is_valid_is_exactly_thirteen_ascii_digits(value):
    expected = len(value) == 13 and all(character in DIGITS for character in value)
    assert native.mp_id_is_valid(value) is expected
    if not expected:
        assert native.mp_id_check_digit_schemes(value) == []


@st.composite
def eic_prefixes(draw):
    prefix = list(draw(fixed_text(EIC_CHARACTERS, 15)))
    prefix[2] = draw(st.sampled_from(EIC_OBJECT_TYPES))
    return "".join(prefix)


# Modulo the prime 37 a prefix has exactly one check character; when it would be "-", no EIC
# completes the prefix at all.
@given(eic_prefixes())
def test_eic_prefixes_have_at_most_one_completion(prefix):
    valid_completions = [prefix + last for last in EIC_CHARACTERS if native.eic_is_valid(prefix + last)]
    try:
        eic = native.eic_from_prefix(prefix)
    except ValueError as refused:
        assert str(refused) == "invalid checksum"
        assert valid_completions == []
        return
    assert valid_completions == [eic]
    assert eic[-1] != "-"
    assert native.eic_type_char(eic) == prefix[2]


@given(eic_prefixes())
def test_eic_substitutions_are_all_caught(prefix):
    try:
        eic = native.eic_from_prefix(prefix)
    except ValueError:
        return
    for _, _, changed in substitutions(eic, range(16), EIC_CHARACTERS):
        assert not native.eic_is_valid(changed), changed


@given(eic_prefixes())
def test_balancing_identifiers_are_eics_of_their_object_type(prefix):
    try:
        eic = native.eic_from_prefix(prefix)
    except ValueError:
        return
    for object_type, complete, is_valid, other_is_valid in [
        ("X", native.bilanzkreis_from_prefix, native.bilanzkreis_is_valid, native.bilanzierungsgebiet_is_valid),
        ("Y", native.bilanzierungsgebiet_from_prefix, native.bilanzierungsgebiet_is_valid, native.bilanzkreis_is_valid),
    ]:
        if prefix[2] == object_type:
            assert complete(prefix) == eic
            assert is_valid(eic) and not other_is_valid(eic)
        else:
            assert not is_valid(eic)


def codetyp_value(character):
    return int(character) if character in DIGITS else ord(character)


# The Codetyp scheme weighs the characters 1, 2, 1, 2, … counting letters by their character
# code: a substitution goes unnoticed exactly when the weighted difference is a multiple of 10.
def codetyp_misses(identifier, position, replacement):
    weight = 1 if position % 2 == 0 else 2
    return weight * (codetyp_value(replacement) - codetyp_value(identifier[position])) % 10 == 0


@st.composite
def resource_bases(draw):
    kind, prefix = draw(st.sampled_from(native.resource_id_kinds()))
    return kind, prefix, prefix + draw(fixed_text(UPPER_ALPHANUMERICS, 10 - len(prefix)))


@given(resource_bases())
def test_completed_resource_ids_validate_for_their_kind_only(kind_and_base):
    kind, _, base = kind_and_base
    identifier = native.resource_id_from_base(kind, base)
    assert identifier[:10] == base and identifier[10] in DIGITS
    for other, _ in native.resource_id_kinds():
        assert native.resource_id_is_valid(other, identifier) == (other == kind)


@given(resource_bases())
def test_resource_id_substitutions_are_caught_unless_the_scheme_cannot_see_them(kind_and_base):
    kind, prefix, base = kind_and_base
    identifier = native.resource_id_from_base(kind, base)
    for position, replacement, changed in substitutions(identifier, range(len(prefix), 10), UPPER_ALPHANUMERICS):
        assert native.resource_id_is_valid(kind, changed) == codetyp_misses(identifier, position, replacement), changed
    for _, _, changed in substitutions(identifier, [10], DIGITS):
        assert not native.resource_id_is_valid(kind, changed), changed
    for _, _, changed in substitutions(identifier, range(len(prefix)), UPPER_ALPHANUMERICS):
        assert not native.resource_id_is_valid(kind, changed), changed
