#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <cstdint>
#include <string_view>
#include <utility>

#include "edi_energy/agency_code.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"

namespace edi_energy::profile::skeleton {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view family_name = "Mustermann";

// No data element is longer; an exact length beyond it is a malformed format, and padding to it
// would only exhaust memory.
constexpr std::uint64_t longest_padding = 4096;

struct Sample {
  std::string_view id;
  std::string_view value;
};

// Data elements whose sample value depends on nothing but their id.
constexpr std::array fixed_samples{
    Sample{"0074", "0"},          Sample{"7402", "VORGANG0001"}, Sample{"0017", "260901"},
    Sample{"0019", "0000"},       Sample{"0062", "1"},           Sample{"0020", "1"},
    Sample{"1050", "1"},          Sample{"1082", "1"},           Sample{"1490", "1"},
    Sample{"1222", "1"},          Sample{"7110", "1"},           Sample{"1229", "1"},
    Sample{"1225", "1"},          Sample{"6060", "100"},         Sample{"6314", "100"},
    Sample{"6411", "KWH"},        Sample{"5004", "10.00"},       Sample{"5025", "10.00"},
    Sample{"5118", "10.00"},      Sample{"5482", "19.00"},       Sample{"5284", "19.00"},
    Sample{"3036", family_name},  Sample{"3412", family_name},   Sample{"3042", "Musterstr. 1"},
    Sample{"3164", "Berlin"},     Sample{"3251", "10115"},       Sample{"3207", "DE"},
    Sample{"3148", "0301234567"}, Sample{"4440", "Text"},        Sample{"4441", "Text"},
    Sample{"1131", "E_0001"},     Sample{"6063", "220"},         Sample{"1001", "E01"},
    Sample{"1373", "11"},
};

std::string_view location_id(std::string_view qualifier) {
  if (qualifier == "Z17" || qualifier == "172" || qualifier == "Z04") return "DE00056266802AO6G56M11SN51G21M24S";
  if (qualifier == "237" || qualifier == "Z15") return "11XBK-STD-----9";
  if (qualifier == "Z18") return "E0001234567890";
  if (qualifier == "Z19") return "C1234567890123";
  if (qualifier == "Z20") return "D0001234567890";
  return "51238696781";
}

std::string_view dtm_value(std::string_view format_code) {
  if (format_code == "303") return "202610010000+00";
  if (format_code == "304") return "20261001000000+00";
  if (format_code == "610") return "202610";
  if (format_code == "602" || format_code == "802") return "2026";
  if (format_code == "104") return "10011004";
  if (format_code == "106") return "1001";
  if (format_code == "203") return "202610010000";
  if (format_code == "204") return "20261001000000";
  if (format_code == "401") return "0000";
  if (format_code == "501" || format_code == "502") return "00000000";
  if (format_code == "718") return "2026100120261002";
  if (format_code == "719") return "202610010000202610020000";
  if (format_code == "Z01") return "03MQ";
  return "20261001";
}

std::string_view by_format(const std::optional<std::string>& format) {
  const std::string_view f = format ? std::string_view(*format) : std::string_view();
  if (f.starts_with('a') && (f == "a" || !f.starts_with("an"))) return "A";
  if (f.starts_with('n')) return "1";
  return "X";
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Length of the UTF-8 character starting with `lead` (1 for bytes that start none).
std::size_t utf8_width(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Byte offset after the first `count` characters of `text`, and the number of characters seen.
std::pair<std::size_t, std::size_t> leading_characters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  std::size_t seen = 0;
  while (at < text.size() && seen < count) {
    at = std::min(text.size(), at + utf8_width(static_cast<unsigned char>(text[at])));
    ++seen;
  }
  return {at, seen};
}

}  // namespace

std::string fit_mig_format(std::string value, const std::optional<std::string>& format) {
  if (!format) return value;
  const std::string_view f = *format;
  const bool numeric = f.starts_with('n');
  if (numeric && !std::ranges::all_of(value, is_digit)) {
    std::string digits;
    std::ranges::copy_if(value, std::back_inserter(digits), is_digit);
    value = digits.empty() ? "1" : std::move(digits);
  }
  std::string_view rest = f;
  while (!rest.empty() && ((rest.front() >= 'a' && rest.front() <= 'z') || (rest.front() >= 'A' && rest.front() <= 'Z'))) {
    rest.remove_prefix(1);
  }
  const bool bounded = rest.starts_with("..");
  if (bounded) rest.remove_prefix(2);
  if (rest.starts_with('+')) rest.remove_prefix(1);
  if (rest.empty() || !std::ranges::all_of(rest, is_digit)) return value;
  std::uint64_t length = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), length);
  if (error != std::errc() || end != rest.data() + rest.size()) return value;

  const auto [cut, characters] = leading_characters(value, length);
  if (cut < value.size()) {
    value.resize(cut);
  } else if (!bounded && characters < length && length <= longest_padding) {
    value.append(length - characters, numeric ? '0' : 'X');
  }
  return value;
}

std::string Generator::pid_text() const {
  return anwendungsfall_.pid ? std::to_string(*anwendungsfall_.pid) : std::string("00000");
}

std::string Generator::synthetic(const model::SegmentNode& node, const Leaf& leaf,
                                 std::span<const std::vector<std::string>> finished,
                                 std::span<const std::string> current) const {
  const std::string_view id = leaf.def->id;
  const std::string_view qualifier =
      !finished.empty() && !finished.front().empty() ? std::string_view(finished.front().front()) : std::string_view();
  std::string raw;
  if (id.size() != 4) {
    raw = by_format(leaf.def->format);
  } else if (const auto* sample = std::ranges::find(fixed_samples, id, &Sample::id); sample != fixed_samples.end()) {
    raw = sample->value;
  } else if (id == "1004") {
    raw = "DOK" + pid_text();
  } else if (id == "1154" || id == "1156") {
    // DE 1154 shares its composite with its qualifier.
    const std::string_view reference_qualifier =
        leaf.component > 0 && !current.empty() ? std::string_view(current.front()) : qualifier;
    if (auto named = id == "1154" ? lokation_reference(node, reference_qualifier) : std::nullopt) {
      raw = std::move(*named);
    } else {
      raw = qualifier == "Z13" ? pid_text() : "REF" + pid_text();
    }
  } else if (id == "3039") {
    raw = qualifier == "MS" ? parties_.sender : qualifier == "MR" ? parties_.receiver : std::string("9900357000004");
  } else if (id == "0004") {
    raw = parties_.sender;
  } else if (id == "0010") {
    raw = parties_.receiver;
  } else if (id == "3055") {
    const auto set = std::ranges::find_if(current, [](const std::string& text) { return !text.empty(); });
    raw = agency_code::code(agency_code::for_mp_id(set == current.end() ? std::string_view() : *set));
  } else if (id == "3225") {
    raw = location_id(qualifier);
  } else if (id == "2380") {
    const std::vector<Leaf> all = leaves(node);
    const auto format_leaf = std::ranges::find_if(all, [](const Leaf& l) { return l.def->id == "2379"; });
    std::string code = "303";
    if (format_leaf != all.end()) {
      if (auto first = first_code(anwendungsfall_.elements, node.nr)) {
        code = std::move(*first);
      } else if (!format_leaf->def->codes.empty()) {
        code = format_leaf->def->codes.front().code;
      }
    }
    raw = code.size() == 3 ? dtm_value(code) : "20261001";
  } else if (id == "7140") {
    raw = node.tag == "PIA" && profile_.mig().message_type == "MSCONS" ? "1-1:1.8.0" : "9991000002082";
  } else {
    raw = by_format(leaf.def->format);
  }
  return fit_mig_format(std::move(raw), leaf.def->format);
}

}  // namespace edi_energy::profile::skeleton
