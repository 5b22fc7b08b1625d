// The fast parse held against the exact parser, shared by the unit tests and the fuzz target:
// both render everything a caller can observe of a parse as text and compare the lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <array>
#include <optional>

#include "edifact/model/owned_element.hpp"
#include "edifact/parse/exact_parser.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/parse/tape_parse.hpp"
#include "edifact/parse/tape_scan.hpp"

namespace edifact_oracle {

// Tag, spans, texts and structure of one segment.
inline std::string render(const edifact::model::Segment& segment) {
  std::string text = std::string(segment.tag()) + "@" + std::to_string(segment.span().start) + "-" +
                     std::to_string(segment.span().end) + "/" + std::to_string(segment.tag_span().start);
  const auto list = [&](edifact::model::ComponentList components) {
    for (std::size_t index = 0; index < components.size(); ++index) {
      text += index > 0 ? ":" : "";
      text += "<" + std::string(components[index].text) + ">" + std::to_string(components[index].span.start) + "-" +
              std::to_string(components[index].span.end);
    }
  };
  for (const edifact::model::Element element : segment.elements()) {
    text += "+" + std::to_string(element.span().start) + "-" + std::to_string(element.span().end) + "=";
    list(element.components());
    for (const edifact::model::ComponentList repetition : element.repetitions()) {
      text += "*";
      list(repetition);
    }
  }
  return text;
}

inline std::string render(const edifact::EdifactError& error) { return "error: " + error.message(); }

// What the byte-slice iterator yields with the given scan kernel.
inline std::vector<std::string> fast(std::string_view input, const edifact::ParserConfig& config,
                                     edifact::tokenizer::scan::Kernel kernel) {
  std::vector<std::string> out;
  auto iterator = edifact::from_bytes_with_config(input, config, kernel);
  while (auto item = iterator.next()) out.push_back(*item ? render(**item) : render(item->error()));
  return out;
}

// What the same parse gathered at once holds.
inline std::vector<std::string> gathered(std::string_view input, const edifact::ParserConfig& config,
                                         edifact::tokenizer::scan::Kernel kernel) {
  const edifact::ParsedSegments parsed = edifact::parse_all(input, config, kernel);
  std::vector<std::string> out;
  parsed.for_each([&](const edifact::model::Segment& segment) { out.push_back(render(segment)); });
  if (parsed.error()) out.push_back(render(*parsed.error()));
  return out;
}

// The oracle: the exact parser alone, from where the slice parse starts.
inline std::vector<std::string> exact(std::string_view input, const edifact::ParserConfig& config) {
  using edifact::tokenizer::ServiceStringAdvice;
  const ServiceStringAdvice read = ServiceStringAdvice::from_bytes_unchecked(input);
  if (auto valid = read.validate(); !valid) return {render(valid.error())};
  std::size_t start = edifact::tokenizer::skip_bom_and_whitespace(input, 0);
  if (input.size() - start >= edifact::tokenizer::UNA_LENGTH && input.substr(start).starts_with("UNA")) {
    start += edifact::tokenizer::UNA_LENGTH;
  }
  edifact::parser::Parser parser(input, start, config.service_string_advice.value_or(read), config.max_segment_length);
  std::vector<std::string> out;
  while (auto item = parser.next()) {
    if (!*item) {
      out.push_back(render(item->error()));
      break;
    }
    out.push_back(render(**item));
  }
  return out;
}

// Where the slice parse starts and with which service characters; nothing when they are refused.
inline std::optional<std::pair<std::size_t, edifact::tokenizer::ServiceStringAdvice>> slice_start(
    std::string_view input, const edifact::ParserConfig& config) {
  using edifact::tokenizer::ServiceStringAdvice;
  const ServiceStringAdvice read = ServiceStringAdvice::from_bytes_unchecked(input);
  if (!read.validate()) return std::nullopt;
  std::size_t start = edifact::tokenizer::skip_bom_and_whitespace(input, 0);
  if (input.size() - start >= edifact::tokenizer::UNA_LENGTH && input.substr(start).starts_with("UNA")) {
    start += edifact::tokenizer::UNA_LENGTH;
  }
  return std::pair(start, config.service_string_advice.value_or(read));
}

// What a writer with the usual delimiters makes of a segment: its parsed bytes or nothing,
// through the shortcut and (with a further special byte) through the walk over its cuts.
inline std::string render_verbatim(const edifact::model::Segment& segment) {
  std::array<bool, 256> special{};
  for (const char byte : std::string_view("+:*'?#")) special[static_cast<unsigned char>(byte)] = true;
  std::string text;
  for (const char also : {'\0', '#'}) {
    const auto written = segment.verbatim({'+', ':', '*', '\'', &special, '?', also});
    text += written ? "=" + std::string(*written) : "-";
  }
  return text;
}

// A segment as `render` shows it, with what a writer reserves and writes for it, and the same
// segment moved to documents of its own, shifted, counted in characters and rebuilt.
inline std::string render_copies(const edifact::model::Segment& segment) {
  using edifact::model::Segment;
  std::string text = render(segment) + " bound " + std::to_string(segment.size_bound()) + render_verbatim(segment);
  text += " owned " + render(Segment(segment).into_owned());
  text += " shifted " + render(Segment(segment).offset(3));
  text += " counted " + render(Segment(segment).counted_in_characters(5));
  const Segment rebuilt = segment.with_element(1, edifact::model::OwnedElement({"w"}));
  text += " rebuilt " + render(rebuilt);
  return text;
}

// Every segment of `tape`, put in a document of its own.
inline std::vector<std::string> render_tape(edifact::model::Tape tape) {
  auto* document = new edifact::model::Document(std::move(tape));
  std::vector<std::string> out;
  for (std::uint32_t index = 0; index < document->segment_count(); ++index) {
    out.push_back(render_copies(edifact::model::Segment(document, index)));
  }
  document->release();
  return out;
}

// The fast parse's document read in its narrow form and in its arrays, whole and cut down to
// its first half: the two must show the same.
inline std::string form_disagreement(std::string_view input, const edifact::ParserConfig& config,
                                     edifact::tokenizer::scan::Kernel kernel) {
  const auto start = slice_start(input, config);
  if (!start) return {};
  const edifact::parser::TapeParse parsed =
      edifact::parser::parse_tape(input, start->first, start->second, config.max_segment_length, kernel);
  edifact::model::Tape narrow = *parsed.document;
  const std::size_t half = parsed.document->segment_count() / 2;
  parsed.document->release();
  narrow.to_narrow();
  edifact::model::Tape wide = narrow;
  wide.widen();
  if (render_tape(narrow) != render_tape(wide)) return "the narrow form reads otherwise";
  narrow.keep_segments(half);
  wide.keep_segments(half);
  if (render_tape(narrow) != render_tape(wide)) return "the narrow form cut down reads otherwise";
  return {};
}

// The kernels this CPU runs.
inline std::vector<edifact::tokenizer::scan::Kernel> kernels() {
  using edifact::tokenizer::scan::Kernel;
  std::vector<Kernel> available;
  for (Kernel kernel : {Kernel::Portable, Kernel::Sse2, Kernel::Avx2}) {
    if (edifact::tokenizer::scan::kernel_available(kernel)) available.push_back(kernel);
  }
  return available;
}

// The first way the fast parse differs from the exact one on `input`, or nothing.
inline std::string first_disagreement(std::string_view input, const edifact::ParserConfig& config) {
  const std::vector<std::string> expected = exact(input, config);
  for (const auto kernel : kernels()) {
    const std::string which = "kernel " + std::to_string(static_cast<int>(kernel));
    if (fast(input, config, kernel) != expected) return which + ": the iterator differs";
    if (gathered(input, config, kernel) != expected) return which + ": the gathered parse differs";
    if (const std::string forms = form_disagreement(input, config, kernel); !forms.empty()) return which + ": " + forms;
  }
  return {};
}

}  // namespace edifact_oracle
