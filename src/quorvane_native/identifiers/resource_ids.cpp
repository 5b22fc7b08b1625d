// The Codetyp-prefixed resource identifiers, chosen by kind name ("nelo", "cr", "paket", …).
#include <fmt/format.h>

#include <string>
#include <vector>

#include "quorvane_native/identifiers/checked_text.hpp"
#include "quorvane_native/identifiers/functions.hpp"
#include "quorvane_native/identifiers/value_err.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "rubo4e/identifiers/resource_id_kind.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::identifiers {

namespace ascii_ids = rubo4e::identifiers::ascii_ids;
using ascii_ids::ResourceIdKind;
using ascii_ids::ResourceIdKindEntry;

namespace {

std::vector<std::string> kind_names() {
  std::vector<std::string> names;
  for (const ResourceIdKindEntry& entry : ascii_ids::resource_id_kinds) names.emplace_back(entry.name);
  return names;
}

// The kind whose Codetyp prefix applies; an unknown kind is the caller's mistake, not an invalid ID.
py::Expected<ResourceIdKind> ascii_kind_prefix(const std::string& kind) {
  if (auto found = ascii_ids::resource_id_kind_from_name(kind)) return *found;
  return py::value_error(fmt::format("unknown resource-ID kind {} — expected one of {}", support::debug_quote(kind),
                                     support::debug_quote(kind_names())));
}

}  // namespace

py::Result resource_id_from_base(py::Args args) {
  auto kind_name = py::to_str(args[0]);
  if (!kind_name) return py::propagate(kind_name);
  auto base = py::to_str(args[1]);
  if (!base) return py::propagate(base);
  auto kind = ascii_kind_prefix(*kind_name);
  if (!kind) return py::propagate(kind);
  auto identifier = ascii_ids::resource_id_from_base(*kind, *base);
  if (!identifier) return value_err(identifier.error());
  return py::str(*identifier);
}

py::Result resource_id_is_valid(py::Args args) {
  auto kind_name = py::to_str(args[0]);
  if (!kind_name) return py::propagate(kind_name);
  auto value = checked_text(args[1]);
  if (!value) return py::propagate(value);
  auto kind = ascii_kind_prefix(*kind_name);
  if (!kind) return py::propagate(kind);
  return py::boolean(*value && ascii_ids::validate_resource_id(*kind, **value).has_value());
}

py::Result resource_id_kinds(py::Args) {
  return py::list(ascii_ids::resource_id_kinds,
                  [](const ResourceIdKindEntry& entry) { return py::tuple(py::str(entry.name), py::str(entry.codetyp)); });
}

}  // namespace quorvane_native::identifiers
