// Finding the repertoire that an interchange's UNB declares, before anything is decoded.
#include <algorithm>

#include "edifact/charset/charset.hpp"
#include "edifact/parse/service_string_advice.hpp"
#include "support/utf8.hpp"

namespace edifact::charset {

Result<std::optional<Charset>> sniff_charset(std::string_view input) {
  using tokenizer::ServiceStringAdvice;
  const ServiceStringAdvice advice = ServiceStringAdvice::from_bytes_unchecked(input);
  if (auto valid = advice.validate(); !valid) return std::unexpected(std::move(valid.error()));

  // Where the tokenizer will find the first segment, also behind a byte-order mark or
  // whitespace: a UNB missed here would leave its repertoire undecoded.
  const std::size_t offset = tokenizer::input_start(input).first_segment;
  const std::string_view rest = input.substr(offset);
  if (rest.size() < 4 || !rest.starts_with("UNB") || rest[3] != advice.element_separator) {
    return std::nullopt;
  }
  const std::size_t identifier_start = offset + 4;
  const std::string_view after_tag = input.substr(identifier_start);
  const char stops[] = {advice.component_separator, advice.element_separator,
                        advice.segment_terminator};
  const std::size_t identifier_length =
      std::min(after_tag.find_first_of(std::string_view(stops, std::size(stops))), after_tag.size());
  const std::string_view identifier = after_tag.substr(0, identifier_length);

  if (!support::utf8::is_valid(identifier)) {
    return std::unexpected(EdifactError::invalid_text(identifier_start));
  }
  if (identifier.empty()) return std::nullopt;
  return from_syntax_identifier(identifier);
}

}  // namespace edifact::charset
