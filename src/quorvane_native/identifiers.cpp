#include "quorvane_native/identifiers.hpp"

#include "quorvane_native/identifiers/functions.hpp"
#include "quorvane_native/py/function.hpp"

namespace quorvane_native {

namespace {

namespace ids = identifiers;

constexpr py::Function functions[] = {
    {"malo_is_valid", "(value)",
     "Whether `value` is a valid Marktlokations-ID: 11 digits, the first 1-9, the last the BDEW check digit.",
     ids::malo_is_valid},
    {"malo_check_digit", "(base)",
     "The check digit (0-9) that completes a 10-digit MaLo-ID base.\n\n"
     "Raises ValueError when the base is not exactly 10 digits or begins with 0.",
     ids::malo_check_digit},
    {"malo_from_base", "(base)",
     "The 11-digit Marktlokations-ID made of a 10-digit base and its check digit.\n\n"
     "Raises ValueError when the base is not exactly 10 digits or begins with 0.",
     ids::malo_from_base},
    {"melo_is_valid", "(value)",
     "Whether `value` is a valid Zählpunktbezeichnung (Messlokations-ID): 33 characters, an upper-case "
     "country code followed by 31 letters or digits.\n\n"
     "A MeLo carries no check digit, so there is no function that completes one.",
     ids::melo_is_valid},
    {"mp_id_is_valid", "(value)",
     "Whether `value` is structurally a Marktpartner-ID: exactly 13 decimal digits.\n\n"
     "No check digit is tested: the prefix does not tell whether the BDEW or the GS1 procedure "
     "applies. Use mp_id_check_digit_schemes to learn which procedures a value satisfies.",
     ids::mp_id_is_valid},
    {"mp_id_check_digit_schemes", "(value)",
     "The check-digit procedures that `value` satisfies: \"bdew\" first, then \"gln\".\n\n"
     "An empty list when the value is not 13 digits or satisfies neither; never raises for a bad value.",
     ids::mp_id_check_digit_schemes},
    {"mp_id_from_base", "(base, scheme=\"bdew\")",
     "The 13-digit Marktpartner-ID made of a 12-digit base and its check digit.\n\n"
     "`scheme` is \"bdew\" (also spelt \"dvgw\") for the BDEW numeric procedure or \"gln\" for the "
     "GS1 (EAN-13) procedure. Raises ValueError for another scheme or a rejected base.",
     ids::mp_id_from_base},
    {"mp_id_authority", "(value)",
     "The body that issued a Marktpartner-ID: \"BDEW\" (prefix 99), \"DVGW\" (prefix 98) or \"GS1 GLN\".\n\n"
     "Raises ValueError when the value is not 13 digits.",
     ids::mp_id_authority},
    {"mp_id_unb_qualifier", "(value)",
     "The UNB partner-ID code qualifier of a Marktpartner-ID: \"500\" (BDEW), \"502\" (DVGW) or \"14\" (GS1).\n\n"
     "Raises ValueError when the value is not 13 digits.",
     ids::mp_id_unb_qualifier},
    {"eic_from_prefix", "(prefix)",
     "The 16-character EIC made of a 15-character prefix and its check character.\n\n"
     "Raises ValueError when the prefix is not 15 ASCII characters, names no object type at position 3, "
     "or its check character would be \"-\" (no EIC may end in one).",
     ids::eic_from_prefix},
    {"eic_is_valid", "(value)",
     "Whether `value` is a valid EIC: 16 characters of 0-9, A-Z and \"-\", an object-type letter at "
     "position 3 and the ENTSO-E check character at the end.",
     ids::eic_is_valid},
    {"eic_type_char", "(value)",
     "The object-type letter of a valid EIC, its third character (\"X\" for a party, \"Y\" for an area).\n\n"
     "Raises ValueError when the value is not a valid EIC.",
     ids::eic_type_char},
    {"bilanzkreis_from_prefix", "(prefix)",
     "The Bilanzkreis-ID made of a 15-character EIC prefix and its check character.\n\n"
     "A Bilanzkreis is an EIC of object type \"X\" (party) at position 3; raises ValueError otherwise "
     "or when the prefix is rejected.",
     ids::bilanzkreis_from_prefix},
    {"bilanzkreis_is_valid", "(value)",
     "Whether `value` is a valid EIC of object type \"X\" (party), as a Bilanzkreis-ID is.",
     ids::bilanzkreis_is_valid},
    {"bilanzierungsgebiet_from_prefix", "(prefix)",
     "The Bilanzierungsgebiet-ID made of a 15-character EIC prefix and its check character.\n\n"
     "A Bilanzierungsgebiet is an EIC of object type \"Y\" (area) at position 3; raises ValueError "
     "otherwise or when the prefix is rejected.",
     ids::bilanzierungsgebiet_from_prefix},
    {"bilanzierungsgebiet_is_valid", "(value)",
     "Whether `value` is a valid EIC of object type \"Y\" (area), as a Bilanzierungsgebiet-ID is.",
     ids::bilanzierungsgebiet_is_valid},
    {"resource_id_from_base", "(kind, base)",
     "The 11-character resource ID of `kind` made of a 10-character base and its check digit.\n\n"
     "The base starts with the kind's Codetyp prefix (see resource_id_kinds) and continues with A-Z "
     "or 0-9. Raises ValueError for an unknown kind or a rejected base.",
     ids::resource_id_from_base},
    {"resource_id_is_valid", "(kind, value)",
     "Whether `value` is a valid resource ID of `kind`.\n\n"
     "An unknown kind raises ValueError rather than answering False.",
     ids::resource_id_is_valid},
    {"resource_id_kinds", "()",
     "The resource-ID kinds as (kind, Codetyp prefix) pairs, in the order they are listed to users.",
     ids::resource_id_kinds},
};

}  // namespace

int register_identifiers(PyObject* module) { return py::add_functions<functions>(module); }

}  // namespace quorvane_native
