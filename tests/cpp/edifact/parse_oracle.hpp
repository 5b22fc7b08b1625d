// The fast parse held against the exact parser, shared by the unit tests and the fuzz target:
// both render everything a caller can observe of a parse as text and compare the lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "edifact/parse/exact_parser.hpp"
#include "edifact/parse/from_bytes.hpp"
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
  }
  return {};
}

}  // namespace edifact_oracle
