// The input limits of a parse, checked segment by segment in the same way by the byte-slice
// iterator and the segment stream: segment count, completed messages, input bytes.
#pragma once

#include <cstddef>
#include <string_view>

#include "edifact/error.hpp"
#include "edifact/parse/parser_config.hpp"

namespace edifact::parser {

class LimitAccount {
 public:
  // Whether the segment with this tag, ending at `span_end`, may still be yielded.
  Result<void> check(const ParserConfig& config, std::string_view tag, std::size_t span_end) const;
  // Counts one yielded segment; a UNT closes an open message, a UNH opens one.
  void account(std::string_view tag);

 private:
  std::size_t segments_yielded_ = 0;
  std::size_t messages_completed_ = 0;
  bool message_open_ = false;
};

}  // namespace edifact::parser
