#include "edifact/de/message_window.hpp"

#include <utility>

namespace edifact::de {
namespace {

constexpr std::size_t message_identifier_element = 1;
constexpr std::size_t message_type_component = 0;
constexpr std::size_t association_code_component = 4;

std::optional<std::string_view> non_empty_component(const model::ComponentList& components,
                                                    std::size_t index) {
  if (index >= components.size() || components[index].text.empty()) return std::nullopt;
  return components[index].text;
}

}  // namespace

MessageWindow MessageWindow::from_segments(std::vector<model::Segment> segments) {
  MessageWindow window{std::move(segments), std::nullopt, std::nullopt};
  if (window.segments.empty()) return window;
  const model::Segment& header = window.segments.front();
  if (header.tag() != "UNH" || header.elements().size() <= message_identifier_element) {
    return window;
  }
  const model::ComponentList& identifier =
      header.elements()[message_identifier_element].components();
  window.message_type = non_empty_component(identifier, message_type_component);
  window.association_code = non_empty_component(identifier, association_code_component);
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
          EdifactError::segment_not_allowed("UNH", "ENVELOPE", segment.span())));
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
