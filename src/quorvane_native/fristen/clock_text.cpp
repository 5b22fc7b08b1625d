#include "quorvane_native/fristen/clock_text.hpp"

#include <array>
#include <cstdint>
#include <optional>

#include <fmt/format.h>

namespace quorvane_native::fristen {
namespace {

// An unsigned 8-bit number: an optional "+", then digits only. A digit that overflows is reported
// before a later character that is no digit.
std::expected<std::uint8_t, std::string> read_piece(std::string_view piece) {
  if (piece.empty()) return std::unexpected("cannot parse integer from empty string");
  if (piece == "+" || piece == "-") return std::unexpected("invalid digit found in string");
  if (piece.front() == '+') piece.remove_prefix(1);
  unsigned value = 0;
  for (const char c : piece) {
    if (c < '0' || c > '9') return std::unexpected("invalid digit found in string");
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 255) return std::unexpected("number too large to fit in target type");
  }
  return static_cast<std::uint8_t>(value);
}

constexpr std::array<std::string_view, 3> piece_names{"hour", "minute", "second"};
constexpr std::array<unsigned, 3> piece_maxima{23, 59, 59};

}  // namespace

std::expected<zelk_fristen::ClockTime, std::string> parse_clock_text(std::string_view text) {
  std::array<std::uint8_t, 3> values{0, 0, 0};
  std::size_t count = 0;
  std::optional<std::string_view> rest = text;
  while (rest) {
    if (count == values.size()) return std::unexpected("too many components");
    const std::size_t colon = rest->find(':');
    const std::string_view piece = rest->substr(0, colon);
    rest = colon == std::string_view::npos ? std::nullopt : std::optional(rest->substr(colon + 1));
    const auto value = read_piece(piece);
    if (!value) return std::unexpected(value.error());
    values[count++] = *value;
  }
  if (count < 2) return std::unexpected(fmt::format("no {}", piece_names[count]));
  for (std::size_t index = 0; index < values.size(); ++index) {
    if (values[index] > piece_maxima[index]) {
      return std::unexpected(fmt::format("{} was not in range", piece_names[index]));
    }
  }
  return *zelk_fristen::ClockTime::from_hms(values[0], values[1], values[2]);
}

}  // namespace quorvane_native::fristen
