// The caller's settings for a parse: optional input limits, the most bytes of one segment, and
// an optional service string advice that replaces the one read from the input.
#pragma once

#include <cstddef>
#include <optional>

#include "edifact/parse/service_string_advice.hpp"

namespace edifact {

struct ParserConfig {
  static constexpr std::size_t DEFAULT_MAX_SEGMENT_LENGTH = 65536;

  std::optional<std::size_t> max_segments;     // the most segments that may be yielded
  std::optional<std::size_t> max_input_bytes;  // no segment may end beyond this offset
  std::optional<std::size_t> max_messages;     // the most UNH..UNT messages before another UNH
  std::size_t max_segment_length = DEFAULT_MAX_SEGMENT_LENGTH;  // bytes before the terminator
  // Used in place of the advice read from the input; never checked. A UNA in the input is
  // still read and checked, then ignored.
  std::optional<tokenizer::ServiceStringAdvice> service_string_advice;
};

}  // namespace edifact
