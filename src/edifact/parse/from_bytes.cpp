#include "edifact/parse/from_bytes.hpp"

#include <utility>

#include "edifact/parse/tape_parse.hpp"

namespace edifact {

FromBytesIter from_bytes_with_config(std::string_view input, ParserConfig config, tokenizer::scan::Kernel kernel) {
  using tokenizer::ServiceStringAdvice;
  const ServiceStringAdvice read = ServiceStringAdvice::from_bytes_unchecked(input);
  if (auto valid = read.validate(); !valid) {
    return FromBytesIter(input, std::move(config), read, std::move(valid.error()));
  }
  const ServiceStringAdvice advice = config.service_string_advice.value_or(read);
  std::size_t start = tokenizer::skip_bom_and_whitespace(input, 0);
  if (input.size() - start >= tokenizer::UNA_LENGTH && input.substr(start).starts_with("UNA")) {
    start += tokenizer::UNA_LENGTH;
  }
  const std::size_t max_segment_length = config.max_segment_length;
  FromBytesIter iterator(input, std::move(config), advice, std::nullopt);
  const parser::TapeParse parsed = parser::parse_tape(input, start, advice, max_segment_length, kernel);
  iterator.fast_ = model::SegmentCursor(parsed.document);
  iterator.resume_at_ = parsed.resume_at;
  return iterator;
}

ParsedSegments parse_all(std::string_view input, ParserConfig config, tokenizer::scan::Kernel kernel) {
  FromBytesIter iterator = from_bytes_with_config(input, std::move(config), kernel);
  ParsedSegments parsed;
  // Under a limit every segment is counted one by one, as the iterator does.
  if (iterator.unlimited_ && !iterator.pending_) parsed.fast_ = std::move(iterator.fast_).rest();
  while (auto item = iterator.next()) {
    if (!*item) {
      parsed.error_ = std::move(item->error());
      break;
    }
    parsed.rest_.push_back(std::move(**item));
  }
  return parsed;
}

std::optional<Result<model::Segment>> FromBytesIter::next_checked() {
  if (pending_) {
    EdifactError error = std::move(*pending_);
    pending_.reset();
    return std::unexpected(std::move(error));
  }
  if (finished_) return std::nullopt;
  if (!fast_.done()) return checked(fast_.next());
  if (resume_at_) {
    exact_.emplace(input_, *resume_at_, advice_, config_.max_segment_length);
    resume_at_.reset();
  }
  if (!exact_) return std::nullopt;
  auto item = exact_->next();
  if (!item) return std::nullopt;
  return checked(std::move(*item));
}

std::optional<Result<model::Segment>> FromBytesIter::checked(Result<model::Segment> item) {
  if (!item) {
    finished_ = true;
    return item;
  }
  if (unlimited_) return item;
  const model::Segment& segment = *item;
  if (auto allowed = limits_.check(config_, segment.tag(), segment.span().end); !allowed) {
    finished_ = true;
    return std::unexpected(std::move(allowed.error()));
  }
  limits_.account(segment.tag());
  return item;
}

}  // namespace edifact
