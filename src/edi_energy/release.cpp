#include "edi_energy/release.hpp"

#include <utility>

#include "support/decimal.hpp"
#include "support/diag.hpp"

namespace edi_energy::release {
namespace {

// A u32 in decimal, optionally preceded by one "+"; no "-", no empty text, no overflow.
std::optional<std::uint32_t> parse_number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  return support::parse_decimal<std::uint32_t>(text);
}

constexpr bool is_lower_letter(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool is_ascii_letter(char c) { return is_lower_letter(c) || (c >= 'A' && c <= 'Z'); }

// 1.2.3a
std::optional<ReleaseKind::ThreePart> parse_three_part(std::string_view text) {
  const auto first_dot = text.find('.');
  if (first_dot == std::string_view::npos || first_dot == 0) return std::nullopt;
  const auto second_dot = text.find('.', first_dot + 1);
  if (second_dot == std::string_view::npos || second_dot == first_dot + 1) return std::nullopt;
  const auto major = parse_number(text.substr(0, first_dot));
  const auto minor = parse_number(text.substr(first_dot + 1, second_dot - first_dot - 1));
  const auto tail = text.substr(second_dot + 1);
  if (!major || !minor || tail.empty() || !is_lower_letter(tail.back())) return std::nullopt;
  const auto patch = parse_number(tail.substr(0, tail.size() - 1));
  if (!patch) return std::nullopt;
  return ReleaseKind::ThreePart{*major, *minor, *patch, tail.back()};
}

// 2.4c
std::optional<ReleaseKind::TwoPart> parse_two_part(std::string_view text) {
  const auto dot = text.find('.');
  if (dot == std::string_view::npos || dot == 0 || text.find('.', dot + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  const auto major = parse_number(text.substr(0, dot));
  const auto after_dot = text.substr(dot + 1);
  if (!major || after_dot.size() < 2 || !is_lower_letter(after_dot.back())) return std::nullopt;
  const auto minor = parse_number(after_dot.substr(0, after_dot.size() - 1));
  if (!minor) return std::nullopt;
  return ReleaseKind::TwoPart{*major, *minor, after_dot.back()};
}

template <class Form>
std::optional<Form> parse_prefixed(std::string_view rest) {
  const auto parts = split_two_numeric_with_suffix(rest);
  if (!parts) return std::nullopt;
  return Form{parts->major, parts->minor, parts->suffix};
}

constexpr std::string_view opaque_warning =
    "unrecognised BDEW release code pattern — defaulting to Opaque track; update "
    "ReleaseKind::parse() if this is a new BDEW convention";

const std::shared_ptr<const std::string>& shared_empty_text() {
  static const auto empty = std::make_shared<const std::string>();
  return empty;
}

}  // namespace

std::optional<TwoNumericWithSuffix> split_two_numeric_with_suffix(std::string_view rest) {
  const auto dot = rest.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const auto major = parse_number(rest.substr(0, dot));
  if (!major) return std::nullopt;
  auto minor_text = rest.substr(dot + 1);
  std::size_t letter_count = 0;
  while (letter_count < minor_text.size() && is_ascii_letter(minor_text[minor_text.size() - 1 - letter_count])) {
    ++letter_count;
  }
  if (letter_count == minor_text.size() || letter_count > 1) return std::nullopt;
  std::optional<char> suffix;
  if (letter_count == 1) suffix = minor_text.back();
  minor_text.remove_suffix(letter_count);
  const auto minor = parse_number(minor_text);
  if (!minor) return std::nullopt;
  return TwoNumericWithSuffix{*major, *minor, suffix};
}

ReleaseKind ReleaseKind::parse(std::string_view text) {
  if (text.starts_with('G')) {
    if (auto gas = parse_prefixed<Gas>(text.substr(1))) return {*gas};
  } else if (text.starts_with('S')) {
    if (auto strom = parse_prefixed<Strom>(text.substr(1))) return {*strom};
  }
  if (auto three_part = parse_three_part(text)) return {*three_part};
  if (auto two_part = parse_two_part(text)) return {*two_part};
  return {Opaque{std::string(text)}};
}

ReleaseTrack ReleaseKind::track() const {
  struct TrackOf {
    ReleaseTrack operator()(const ThreePart&) const { return ReleaseTrack::ThreePart; }
    ReleaseTrack operator()(const TwoPart&) const { return ReleaseTrack::TwoPart; }
    ReleaseTrack operator()(const Strom&) const { return ReleaseTrack::Strom; }
    ReleaseTrack operator()(const Gas&) const { return ReleaseTrack::Gas; }
    ReleaseTrack operator()(const Opaque&) const { return ReleaseTrack::Opaque; }
  };
  return std::visit(TrackOf{}, form);
}

Release::Release() : text_(shared_empty_text()) {}
Release::Release(std::string_view text) : text_(std::make_shared<const std::string>(text)) {}
Release::Release(std::string text) : text_(std::make_shared<const std::string>(std::move(text))) {}

ReleaseKind Release::kind() const {
  auto kind = ReleaseKind::parse(text());
  // The field copies the text, so skip building the event when nobody listens.
  if (std::holds_alternative<ReleaseKind::Opaque>(kind.form) && support::diag::has_sink()) {
    support::diag::emit(support::diag::Level::Warn, "edi_energy::release", opaque_warning,
                        {{"release", std::string(text())}});
  }
  return kind;
}

std::strong_ordering Release::cmp(const Release& other) const {
  const auto own_kind = kind();
  const auto other_kind = other.kind();
  if (const auto by_kind = own_kind <=> other_kind; by_kind != 0) return by_kind;
  return text() <=> other.text();
}

}  // namespace edi_energy::release
