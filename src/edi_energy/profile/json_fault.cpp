#include "edi_energy/profile/json_fault.hpp"

#include <algorithm>
#include <utility>

#include <fmt/format.h>

namespace edi_energy::profile::json {

TextPosition position_after(std::string_view document, std::size_t consumed) {
  const std::string_view read = document.substr(0, std::min(consumed, document.size()));
  const auto line_breaks = static_cast<std::size_t>(std::ranges::count(read, '\n'));
  const std::size_t last_break = read.rfind('\n');
  const std::size_t line_start = last_break == std::string_view::npos ? 0 : last_break + 1;
  return TextPosition{line_breaks + 1, read.size() - line_start};
}

std::string JsonFault::text() const {
  if (!position) return message;
  return fmt::format("{} at line {} column {}", message, position->line, position->column);
}

JsonFault JsonFault::at(std::string message, std::string_view document, std::size_t consumed) {
  return JsonFault{std::move(message), position_after(document, consumed)};
}

}  // namespace edi_energy::profile::json
