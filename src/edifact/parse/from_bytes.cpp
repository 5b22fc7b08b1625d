#include "edifact/parse/from_bytes.hpp"

namespace edifact {

FromBytesIter from_bytes_with_config(std::string_view input, ParserConfig config) {
  using tokenizer::ServiceStringAdvice;
  const ServiceStringAdvice read = ServiceStringAdvice::from_bytes_unchecked(input);
  if (auto valid = read.validate(); !valid) {
    parser::Parser nothing({}, 0, read, config.max_segment_length);
    return FromBytesIter(std::move(config), std::move(nothing), std::move(valid.error()));
  }
  const ServiceStringAdvice advice = config.service_string_advice.value_or(read);
  std::size_t start = tokenizer::skip_bom_and_whitespace(input, 0);
  if (input.size() - start >= tokenizer::UNA_LENGTH && input.substr(start).starts_with("UNA")) {
    start += tokenizer::UNA_LENGTH;
  }
  parser::Parser parser(input, start, advice, config.max_segment_length);
  return FromBytesIter(std::move(config), std::move(parser), std::nullopt);
}

std::optional<Result<model::Segment>> FromBytesIter::next() {
  if (pending_) {
    EdifactError error = std::move(*pending_);
    pending_.reset();
    return std::unexpected(std::move(error));
  }
  if (finished_) return std::nullopt;
  auto item = parser_.next();
  if (!item) return std::nullopt;
  if (!item->has_value()) {
    finished_ = true;
    return item;
  }
  const model::Segment& segment = **item;
  if (auto allowed = limits_.check(config_, segment.tag(), segment.span.end); !allowed) {
    finished_ = true;
    return std::unexpected(std::move(allowed.error()));
  }
  limits_.account(segment.tag());
  return item;
}

}  // namespace edifact
