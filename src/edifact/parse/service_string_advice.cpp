#include "edifact/parse/service_string_advice.hpp"

#include <array>

namespace edifact::tokenizer {
namespace {

bool is_usable_separator(char character) {
  const auto byte = static_cast<unsigned char>(character);
  const bool printable = byte >= 0x21 && byte <= 0x7E;
  const bool digit = byte >= '0' && byte <= '9';
  const bool letter = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
  return printable && !digit && !letter;
}

// The UNB's first element (syntax identifier:version) declares version 4. Read with the default
// separators and no release character: this runs before any advice is known.
bool declares_syntax_version_4(std::string_view rest) {
  constexpr std::string_view unb = "UNB+";
  if (!rest.starts_with(unb) || rest.size() <= unb.size()) return false;
  std::string_view element = rest.substr(unb.size());
  element = element.substr(0, element.find_first_of("'+"));
  const std::size_t first_colon = element.find(':');
  if (first_colon == std::string_view::npos) return false;
  std::string_view version = element.substr(first_colon + 1);
  version = version.substr(0, version.find(':'));
  return version == "4";
}

}  // namespace

std::size_t skip_bom_and_whitespace(std::string_view input, std::size_t from) {
  if (from <= input.size() && input.substr(from).starts_with(BYTE_ORDER_MARK)) {
    from += BYTE_ORDER_MARK.size();
  }
  while (from < input.size() && is_segment_whitespace(input[from])) ++from;
  return from;
}

InputStart input_start(std::string_view input) {
  InputStart start;
  start.first_segment = skip_bom_and_whitespace(input, 0);
  const std::string_view rest = input.substr(start.first_segment);
  if (rest.size() >= UNA_LENGTH && rest.starts_with("UNA")) {
    start.una = ServiceStringAdvice::from_una_characters(rest.substr(3, 6));
    start.first_segment += UNA_LENGTH;
    while (start.first_segment < input.size() && is_segment_whitespace(input[start.first_segment])) {
      ++start.first_segment;
    }
  }
  return start;
}

ServiceStringAdvice ServiceStringAdvice::from_una_characters(std::string_view six_characters) {
  // Wire order: component, element, decimal mark, release, repetition, terminator.
  return {
      .element_separator = six_characters[1],
      .component_separator = six_characters[0],
      .release_character = six_characters[3],
      .decimal_mark = six_characters[2],
      .repetition_separator = six_characters[4],
      .segment_terminator = six_characters[5],
  };
}

ServiceStringAdvice ServiceStringAdvice::from_bytes_unchecked(std::string_view input) {
  const InputStart start = input_start(input);
  if (start.una) return *start.una;
  return declares_syntax_version_4(input.substr(start.first_segment)) ? SYNTAX_VERSION_4 : DEFAULT;
}

Result<void> ServiceStringAdvice::validate() const {
  const auto decimal = static_cast<unsigned char>(decimal_mark);
  if (decimal < 0x20 || decimal > 0x7E) {
    return std::unexpected(EdifactError::invalid_service_string_advice());
  }
  std::array<char, 5> separators{element_separator, component_separator, release_character,
                                 segment_terminator, repetition_separator};
  const std::size_t count = has_repetition_separator() ? 5 : 4;
  for (std::size_t i = 0; i < count; ++i) {
    if (!is_usable_separator(separators[i])) {
      return std::unexpected(EdifactError::invalid_service_string_advice());
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (separators[i] == separators[j]) {
        return std::unexpected(EdifactError::invalid_service_string_advice());
      }
    }
  }
  return {};
}

}  // namespace edifact::tokenizer
