#include "edi_energy/profile/model.hpp"

#include <algorithm>
#include <array>

namespace edi_energy::profile::model {

namespace {

constexpr std::size_t longest_code = 8;
// The MIGs list these as example codes ("Beispielcode"), never as values to send.
constexpr std::array<std::string_view, 2> placeholder_codes{"xxx", "xyz"};

constexpr bool is_code_character(char character) {
  return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z') ||
         (character >= '0' && character <= '9') || character == '.' || character == '_';
}

constexpr char ascii_lower(char character) {
  return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a') : character;
}

bool is_placeholder(std::string_view code) {
  return std::ranges::any_of(placeholder_codes, [code](std::string_view placeholder) {
    return std::ranges::equal(code, placeholder,
                              [](char a, char b) { return ascii_lower(a) == b; });
  });
}

bool is_listable_code(std::string_view code) {
  return code.size() <= longest_code && std::ranges::all_of(code, is_code_character) &&
         !is_placeholder(code);
}

}  // namespace

bool Element::is_code_list() const {
  return !codes.empty() &&
         std::ranges::all_of(codes, [](const Code& entry) { return is_listable_code(entry.code); });
}

const std::vector<std::string>* Anwendungsfall::segment_status(std::string_view nr) const {
  auto row = std::ranges::find_if(rows, [nr](const Row& candidate) { return candidate.nr == nr; });
  return row == rows.end() ? nullptr : &row->status;
}

}  // namespace edi_energy::profile::model
