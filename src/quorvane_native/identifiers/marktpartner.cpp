// Marktpartner-ID: structure, the two check-digit schemes, completion and the issuing body.
#include <fmt/format.h>

#include <vector>

#include "quorvane_native/identifiers/checked_text.hpp"
#include "quorvane_native/identifiers/functions.hpp"
#include "quorvane_native/identifiers/value_err.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "rubo4e/identifiers/marktpartner_id.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::identifiers {

namespace mp = rubo4e::identifiers::marktpartner_id;

namespace {

py::Result gln_from_base(const std::string& base) {
  auto id = mp::gln_from_base(base);
  if (id) return py::str(id->as_str());
  switch (id.error()) {
    case mp::GlnCompletionFailure::BaseNotTwelveDigits:
      return py::value_error(fmt::format("a GLN base is exactly 12 digits, got {}", support::debug_quote(base)));
    case mp::GlnCompletionFailure::NoCheckDigitCompletes: break;
  }
  return py::value_error(fmt::format("no GLN check digit completes {}", support::debug_quote(base)));
}

// The issuing body's entry for a valid ID, or the ValueError of an invalid one.
template <class Read>
py::Result read_vergabestelle(py::Args args, Read read) {
  auto value = py::to_str(args[0]);
  if (!value) return py::propagate(value);
  auto id = mp::MarktpartnerId::create(*value);
  if (!id) return value_err(id.error());
  return py::str(read(*id));
}

}  // namespace

py::Result mp_id_is_valid(py::Args args) {
  auto value = checked_text(args[0]);
  if (!value) return py::propagate(value);
  return py::boolean(*value && mp::MarktpartnerId::create(**value).has_value());
}

py::Result mp_id_check_digit_schemes(py::Args args) {
  auto value = checked_text(args[0]);
  if (!value) return py::propagate(value);
  const auto schemes = *value ? mp::check_digit_schemes(**value) : std::vector<mp::CheckDigitScheme>{};
  return py::list(schemes, [](mp::CheckDigitScheme scheme) { return py::str(mp::scheme_name(scheme)); });
}

py::Result mp_id_from_base(py::Args args) {
  auto base = py::to_str(args[0]);
  if (!base) return py::propagate(base);
  auto scheme_text = py::to_str(args[1]);
  if (!scheme_text) return py::propagate(scheme_text);
  const auto scheme = mp::scheme_from_name(*scheme_text);
  if (!scheme) {
    return py::value_error(fmt::format("unknown check-digit scheme {} — expected \"bdew\" or \"gln\"",
                                       support::debug_quote(*scheme_text)));
  }
  if (*scheme == mp::CheckDigitScheme::Gln) return gln_from_base(*base);
  auto id = mp::bdew_from_base(*base);
  if (!id) return value_err(id.error());
  return py::str(*id);
}

py::Result mp_id_authority(py::Args args) { return read_vergabestelle(args, mp::authority); }

py::Result mp_id_unb_qualifier(py::Args args) { return read_vergabestelle(args, mp::unb_qualifier); }

}  // namespace quorvane_native::identifiers
