#include "edifact/de/message_window.hpp"

#include <utility>

#include "edifact/validator/unh.hpp"

namespace edifact::de {
namespace {

// A window treats an empty component as absent.
std::optional<std::string_view> non_empty(std::optional<std::string_view> text) {
  if (!text || text->empty()) return std::nullopt;
  return text;
}

}  // namespace

MessageWindow MessageWindow::from_segments(std::vector<model::Segment> segments) {
  MessageWindow window{std::move(segments), std::nullopt, std::nullopt};
  if (window.segments.empty()) return window;
  const model::Segment& header = window.segments.front();
  if (header.tag() != "UNH") return window;
  // Views taken after the move into the window: the texts live in the input buffer or in the
  // element's shared storage, neither of which moves with the list.
  window.message_type = non_empty(
      validator::message_identifier_component(header, validator::MESSAGE_TYPE_COMPONENT));
  window.association_code = non_empty(
      validator::message_identifier_component(header, validator::ASSOCIATION_CODE_COMPONENT));
  return window;
}

MessageWindows::MessageWindows(std::vector<model::Segment> segments)
    : segments_(std::move(segments)) {}

std::optional<Result<MessageWindow>> MessageWindows::next() {
  if (ended_) return std::nullopt;
  while (position_ < segments_.size()) {
    model::Segment& segment = segments_[position_++];
    const bool is_header = segment.tag() == "UNH";
    const bool is_trailer = segment.tag() == "UNT";
    if (!message_open_) {
      if (!is_header) continue;
      message_open_ = true;
      open_message_.push_back(std::move(segment));
      continue;
    }
    if (is_header) {
      ended_ = true;
      open_message_.clear();
      return Result<MessageWindow>(std::unexpected(
          EdifactError::segment_not_allowed("UNH", std::string(error::ENVELOPE_MESSAGE_TYPE),
                                            segment.span())));
    }
    open_message_.push_back(std::move(segment));
    if (is_trailer) {
      message_open_ = false;
      return Result<MessageWindow>(MessageWindow::from_segments(std::exchange(open_message_, {})));
    }
  }
  ended_ = true;
  if (message_open_) {
    const std::size_t end_offset = open_message_.back().span().end;
    open_message_.clear();
    return Result<MessageWindow>(std::unexpected(EdifactError::unexpected_eof(end_offset)));
  }
  return std::nullopt;
}

}  // namespace edifact::de
