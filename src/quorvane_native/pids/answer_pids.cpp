#include <cstdint>
#include <optional>

#include "quorvane_native/pids/functions.hpp"
#include "quorvane_native/pids/tables.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::pids {
namespace {

py::Expected<const AnswerPids*> row_of(py::Arg anfrage) {
  auto pid = py::to_u32(anfrage);
  if (!pid) return py::propagate(pid);
  return answer_pids_of(*pid);
}

py::Result pid_or_none(std::optional<std::uint32_t> pid) { return py::optional(pid, py::integer_of<std::uint32_t>); }

}  // namespace

py::Result answer_pids(py::Args args) {
  auto row = row_of(args[0]);
  if (!row) return py::propagate(row);
  // Only a complete pair: a request that cannot be rejected has no pair to offer.
  if (*row == nullptr || !(*row)->ablehnung) return py::none();
  return py::tuple(py::integer_of((*row)->bestaetigung), py::integer_of(*(*row)->ablehnung));
}

py::Result bestaetigung_pid(py::Args args) {
  auto row = row_of(args[0]);
  if (!row) return py::propagate(row);
  return pid_or_none(*row == nullptr ? std::nullopt : std::optional((*row)->bestaetigung));
}

py::Result ablehnung_pid(py::Args args) {
  auto row = row_of(args[0]);
  if (!row) return py::propagate(row);
  return pid_or_none(*row == nullptr ? std::nullopt : (*row)->ablehnung);
}

}  // namespace quorvane_native::pids
