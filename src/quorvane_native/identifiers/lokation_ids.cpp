// Marktlokations-ID and Zählpunktbezeichnung (MeLo).
#include "quorvane_native/identifiers/checked_text.hpp"
#include "quorvane_native/identifiers/functions.hpp"
#include "quorvane_native/identifiers/value_err.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "rubo4e/identifiers/malo_id.hpp"
#include "rubo4e/identifiers/zaehlpunkt.hpp"

namespace quorvane_native::identifiers {

namespace malo = rubo4e::identifiers::malo_id;
namespace zaehlpunkt = rubo4e::identifiers::zaehlpunkt;

py::Result malo_is_valid(py::Args args) {
  auto value = checked_text(args[0]);
  if (!value) return py::propagate(value);
  return py::boolean(*value && malo::validate(**value).has_value());
}

py::Result malo_check_digit(py::Args args) {
  auto base = py::to_str(args[0]);
  if (!base) return py::propagate(base);
  auto digit = malo::check_digit(*base);
  if (!digit) return value_err(digit.error());
  return py::integer_of(*digit);
}

py::Result malo_from_base(py::Args args) {
  auto base = py::to_str(args[0]);
  if (!base) return py::propagate(base);
  auto identifier = malo::from_base(*base);
  if (!identifier) return value_err(identifier.error());
  return py::str(*identifier);
}

py::Result melo_is_valid(py::Args args) {
  auto value = checked_text(args[0]);
  if (!value) return py::propagate(value);
  return py::boolean(*value && zaehlpunkt::validate_zaehlpunktbezeichnung(**value).has_value());
}

}  // namespace quorvane_native::identifiers
