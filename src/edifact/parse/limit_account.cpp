#include "edifact/parse/limit_account.hpp"

namespace edifact::parser {

Result<void> LimitAccount::check(const ParserConfig& config, std::string_view tag,
                                 std::size_t span_end) const {
  if (config.max_segments && segments_yielded_ >= *config.max_segments) {
    return std::unexpected(EdifactError::limit_exceeded("max_segments", *config.max_segments));
  }
  if (config.max_messages && tag == "UNH" && messages_completed_ >= *config.max_messages) {
    return std::unexpected(EdifactError::limit_exceeded("max_messages", *config.max_messages));
  }
  if (config.max_input_bytes && span_end > *config.max_input_bytes) {
    return std::unexpected(EdifactError::limit_exceeded("max_input_bytes", *config.max_input_bytes));
  }
  return {};
}

void LimitAccount::account(std::string_view tag) {
  ++segments_yielded_;
  if (tag == "UNT" && message_open_) {
    ++messages_completed_;
    message_open_ = false;
  } else if (tag == "UNH") {
    message_open_ = true;
  }
}

}  // namespace edifact::parser
