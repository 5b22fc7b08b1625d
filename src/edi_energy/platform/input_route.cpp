#include "edi_energy/platform/input_route.hpp"

#include "edifact/parse/service_string_advice.hpp"

namespace edi_energy::platform {
namespace {

using edifact::tokenizer::ServiceStringAdvice;
using edifact::tokenizer::UNA_LENGTH;

bool is_leading_space(char c) { return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }

std::size_t skip_leading_space(std::string_view input, std::size_t from) {
  while (from < input.size() && is_leading_space(input[from])) ++from;
  return from;
}

struct Start {
  ServiceStringAdvice advice;
  std::size_t first_segment = 0;  // offset of the first segment after any UNA
};

Start start_of(std::string_view input) {
  Start start;
  // Editors that save as UTF-8 put a byte-order mark first; the tokenizer steps over it too.
  const std::size_t after_mark = input.starts_with(edifact::tokenizer::BYTE_ORDER_MARK)
                                     ? edifact::tokenizer::BYTE_ORDER_MARK.size()
                                     : 0;
  std::size_t position = skip_leading_space(input, after_mark);
  if (input.substr(position, 3) == "UNA" && input.size() - position >= UNA_LENGTH) {
    start.advice = ServiceStringAdvice::from_una_characters(input.substr(position + 3, 6));
    position = skip_leading_space(input, position + UNA_LENGTH);
  }
  start.first_segment = position;
  return start;
}

}  // namespace

bool is_interchange(std::string_view input) {
  const Start start = start_of(input);
  return input.substr(start.first_segment, 3) == "UNB";
}

std::size_t count_message_headers(std::string_view input) {
  const Start start = start_of(input);
  const ServiceStringAdvice& advice = start.advice;
  std::size_t count = 0;
  std::size_t position = start.first_segment;
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
