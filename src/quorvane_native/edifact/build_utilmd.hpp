// build_utilmd: one UTILMD message from its Vorgänge, completed to its AHB column.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/input_classes.hpp"
#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_utilmd(py::Args args);

// A call of build_utilmd made here rather than from Python, checked as the module's own call is:
// for advice that must build as it is written.
struct UtilmdCall {
  std::uint32_t pruefidentifikator = 0;
  std::string_view sender;
  std::string_view receiver;
  std::optional<std::string> on;
  std::optional<std::string> release;
  std::optional<std::string> message_ref;
  std::optional<std::string> document_date;
  std::optional<std::string> document_code;
  std::vector<UtilmdTransaction> transactions;
};
py::Result build_utilmd_as_called(UtilmdCall call);

}  // namespace quorvane_native::edifact
