// Fuzzes the byte-slice parse: any bytes under any settings (including unchecked service
// characters that coincide) must yield segments or one error, and every segment must point
// into the input exactly where its spans say.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "edifact/model/owned_element.hpp"
#include "edifact/model/segment_builder.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/write/writer.hpp"
#include "support/utf8.hpp"

namespace {

using edifact::ParserConfig;
using edifact::model::Segment;
using edifact::model::Span;

void require(bool holds) {
  if (!holds) std::abort();
}

constexpr std::array<std::size_t, 8> MAX_SEGMENT_LENGTHS{
    0, 3, 4, 9, 33, 200, 65536, std::numeric_limits<std::size_t>::max()};

bool inside(Span inner, Span outer) {
  return inner.start <= inner.end && outer.start <= inner.start && inner.end <= outer.end;
}

bool borrowed_from(std::string_view text, std::string_view input) {
  return text.data() >= input.data() && text.data() + text.size() <= input.data() + input.size();
}

void check_component(const edifact::model::Component& component, const edifact::model::Element& element,
                     std::string_view input) {
  require(inside(component.span, element.span()));
  require(support::utf8::is_valid(component.text));
  if (!component.text.empty() && borrowed_from(component.text, input)) {
    require(component.text == input.substr(component.span.start, component.span.length()));
  } else if (!component.text.empty()) {
    // A copy is made only where release characters were dropped.
    require(component.text.size() < component.span.length());
  }
}

void check_segment(const Segment& segment, std::string_view input, std::size_t previous_end) {
  require(previous_end <= segment.span().start);
  require(inside(segment.span(), {0, input.size()}));
  require(inside(segment.tag_span(), segment.span()) && segment.tag_span().length() == 3);
  require(segment.tag_span().start == segment.span().start);
  require(input.substr(segment.tag_span().start, 3) == segment.tag());
  for (char letter : segment.tag()) require(letter >= 'A' && letter <= 'Z');
  for (const auto element : segment.elements()) {
    require(inside(element.span(), segment.span()));
    require(!element.components().empty());
    for (const auto component : element.components()) check_component(component, element, input);
    for (const auto repetition : element.repetitions()) {
      require(!repetition.empty());
      for (const auto& component : repetition) check_component(component, element, input);
    }
  }
}

// Written with the default service characters and read back, the segment keeps its texts;
// repetitions cannot be written without a repetition separator. UNA and UNB are left out: read
// back first, a UNA is taken for service characters, and a UNB of syntax version 4 makes "*" a
// separator that the writer did not release.
void check_written(const Segment& segment) {
  if (segment.tag() == "UNA" || segment.tag() == "UNB") return;
  auto bytes = edifact::segments_to_bytes(std::span(&segment, 1));
  if (!bytes) return;
  auto again = edifact::from_bytes_with_config(*bytes, {});
  auto item = again.next();
  require(item && item->has_value() && !again.next());
  const Segment& back = **item;
  require(back.tag() == segment.tag() && back.elements().size() == segment.elements().size());
  for (std::size_t index = 0; index < back.elements().size(); ++index) {
    const auto written = segment.elements()[index].components();
    const auto read = back.elements()[index].components();
    require(read.size() == written.size());
    for (std::size_t component = 0; component < read.size(); ++component) {
      require(read.text(component) == written.text(component));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t settings = data[0];
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  ParserConfig config;
  config.max_segment_length = MAX_SEGMENT_LENGTHS[settings & 0x07];
  if ((settings & 0x08) && input.size() >= 6) {
    config.service_string_advice =
        edifact::tokenizer::ServiceStringAdvice::from_una_characters(input.substr(0, 6));
    input.remove_prefix(6);
  }
  if (settings & 0x10) config.max_segments = 5;
  if (settings & 0x20) config.max_messages = 1;
  if (settings & 0x40) config.max_input_bytes = input.size() / 2;

  auto iter = edifact::from_bytes_with_config(input, config);
  std::size_t previous_end = 0;
  std::size_t segments = 0;
  while (auto item = iter.next()) {
    if (!item->has_value()) {
      require(!item->error().message().empty());
      require(!iter.next().has_value());
      break;
    }
    Segment& segment = **item;
    check_segment(segment, input, previous_end);
    previous_end = segment.span().end;
    require(++segments <= input.size() / 4);
    const Segment copy = segment;
    require(Segment(std::move(segment)).into_owned() == copy);
    // Rebuilt from itself, the segment is the same; so is one with an element replaced by its own copy.
    require(edifact::model::SegmentBuilder(copy).build() == copy);
    if (!copy.elements().empty()) require(copy.with_element(0, copy.elements()[0].into_owned()) == copy);
    check_written(copy);
  }
  require(!iter.next().has_value());
  return 0;
}
