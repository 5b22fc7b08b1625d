#include "edifact/envelope/error_sink.hpp"

#include <limits>

#include "support/decimal.hpp"

namespace edifact::envelope {

std::string ErrorSink::required(const model::Segment& segment, std::size_t element_index,
                                std::size_t component_index) {
  auto text = segment.required_component(element_index, component_index);
  if (!text) {
    push(std::move(text).error());
    return {};
  }
  return std::string(*text);
}

std::uint32_t ErrorSink::required_count(const model::Segment& segment, std::size_t element_index,
                                        std::size_t component_index) {
  const std::string text = required(segment, element_index, component_index);
  if (text.empty()) return 0;  // reported as missing
  const std::optional<std::uint32_t> count = read_count(text);
  if (count) return *count;
  push(EdifactError::invalid_text(segment.span().start));
  return 0;
}

std::uint32_t ErrorSink::clamped_count(std::uint64_t count) {
  constexpr std::uint64_t largest = std::numeric_limits<std::uint32_t>::max();
  if (count <= largest) return static_cast<std::uint32_t>(count);
  push(EdifactError::count_overflow(count));
  return static_cast<std::uint32_t>(largest);
}

std::optional<std::uint32_t> read_count(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  return support::parse_decimal<std::uint32_t>(text);
}

std::string_view component_text(const model::Segment& segment, std::size_t element_index,
                                std::size_t component_index) {
  if (element_index >= segment.elements().size()) return {};
  const model::ComponentList& components = segment.elements()[element_index].components();
  if (component_index >= components.size()) return {};
  return components[component_index].text;
}

std::optional<std::string> optional_text(const model::Segment& segment, std::size_t element_index,
                                         std::size_t component_index) {
  const std::string_view text = component_text(segment, element_index, component_index);
  if (text.empty()) return std::nullopt;
  return std::string(text);
}

bool indicator(const model::Segment& segment, std::size_t element_index,
               std::size_t component_index) {
  return component_text(segment, element_index, component_index) == "1";
}

}  // namespace edifact::envelope
