#include "edi_energy/pid_scan.hpp"

#include "support/decimal.hpp"

namespace edi_energy::pid_scan {

namespace {

std::optional<std::uint32_t> five_digit(std::optional<std::uint32_t> number) {
  if (number && *number >= 10000 && *number <= 99999) return number;
  return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> read_number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  return support::parse_decimal<std::uint32_t>(text);
}

std::optional<std::uint32_t> from_rff_z13(std::span<const edifact::model::Segment> segments) {
  for (const auto& segment : segments) {
    if (segment.tag() != "RFF") continue;
    const auto elements = segment.elements();
    if (elements.empty()) continue;
    const auto components = elements[0].components();
    if (components.size() < 2 || components.text(0) != "Z13") continue;
    if (auto pid = five_digit(read_number(components.text(1)))) return pid;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> from_bgm(std::span<const edifact::model::Segment> segments) {
  for (const auto& segment : segments) {
    if (segment.tag() != "BGM") continue;
    const auto elements = segment.elements();
    if (elements.size() < 2 || elements[1].components().empty()) return std::nullopt;
    return five_digit(read_number(elements[1].components().text(0)));
  }
  return std::nullopt;
}

}  // namespace edi_energy::pid_scan
