// ENTSO-E EIC codes, and the two EIC object types of balancing: Bilanzkreis and Bilanzierungsgebiet.
#include "quorvane_native/identifiers/checked_text.hpp"
#include "quorvane_native/identifiers/functions.hpp"
#include "quorvane_native/identifiers/value_err.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "rubo4e/identifiers/bilanzkreis_id.hpp"
#include "rubo4e/identifiers/eic_code.hpp"

namespace quorvane_native::identifiers {

namespace eic = rubo4e::identifiers::eic_code;
using rubo4e::identifiers::bilanzkreis_id::BilanzierungsgebietId;
using rubo4e::identifiers::bilanzkreis_id::BilanzkreisId;

namespace {

template <class Code>
py::Result complete_prefix(py::Args args) {
  auto prefix = py::to_str(args[0]);
  if (!prefix) return py::propagate(prefix);
  auto code = Code::from_prefix(*prefix);
  if (!code) return value_err(code.error());
  return py::str(code->as_str());
}

template <class Code>
py::Result is_valid(py::Args args) {
  auto value = checked_text(args[0]);
  if (!value) return py::propagate(value);
  return py::boolean(*value && Code::validate(**value).has_value());
}

}  // namespace

py::Result eic_from_prefix(py::Args args) {
  auto prefix = py::to_str(args[0]);
  if (!prefix) return py::propagate(prefix);
  auto code = eic::EicCode::new_from_prefix(*prefix);
  if (!code) return value_err(code.error());
  return py::str(code->as_str());
}

py::Result eic_is_valid(py::Args args) {
  auto value = checked_text(args[0]);
  if (!value) return py::propagate(value);
  return py::boolean(*value && eic::validate(**value).has_value());
}

py::Result eic_type_char(py::Args args) {
  auto value = py::to_str(args[0]);
  if (!value) return py::propagate(value);
  auto object_type = eic::object_type_of(*value);
  if (!object_type) return value_err(object_type.error());
  return py::str(std::string_view(&*object_type, 1));
}

py::Result bilanzkreis_from_prefix(py::Args args) { return complete_prefix<BilanzkreisId>(args); }
py::Result bilanzkreis_is_valid(py::Args args) { return is_valid<BilanzkreisId>(args); }
py::Result bilanzierungsgebiet_from_prefix(py::Args args) { return complete_prefix<BilanzierungsgebietId>(args); }
py::Result bilanzierungsgebiet_is_valid(py::Args args) { return is_valid<BilanzierungsgebietId>(args); }

}  // namespace quorvane_native::identifiers
