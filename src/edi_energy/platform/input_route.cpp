#include "edi_energy/platform/input_route.hpp"

#include "edifact/parse/service_string_advice.hpp"

namespace edi_energy::platform {
namespace {

using edifact::tokenizer::ServiceStringAdvice;

bool is_leading_space(char c) { return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }

std::size_t skip_leading_space(std::string_view input, std::size_t from) {
  while (from < input.size() && is_leading_space(input[from])) ++from;
  return from;
}

}  // namespace

bool is_interchange(std::string_view input) {
  // Read as the tokenizer and the repertoire sniff read it: the road must not depend on a
  // whitespace or byte-order mark that one of them skips and another does not.
  return input.substr(edifact::tokenizer::input_start(input).first_segment, 3) == "UNB";
}

std::size_t count_message_headers(std::string_view input) {
  const edifact::tokenizer::InputStart start = edifact::tokenizer::input_start(input);
  const ServiceStringAdvice advice = start.una.value_or(ServiceStringAdvice::DEFAULT);
  std::size_t count = 0;
  std::size_t position = skip_leading_space(input, start.first_segment);
  while (position < input.size()) {
    if (input.substr(position, 3) == "UNH" && position + 3 < input.size() &&
        input[position + 3] == advice.element_separator) {
      ++count;
    }
    // On to the byte after the segment's terminator, stepping over released bytes.
    while (position < input.size() && input[position] != advice.segment_terminator) {
      position += input[position] == advice.release_character ? 2 : 1;
    }
    position = skip_leading_space(input, position + 1);
  }
  return count;
}

}  // namespace edi_energy::platform
