// Fuzzes the fast parse against the exact parser: any bytes, any service characters (checked
// or not), any segment length limit, every scan kernel the CPU has. Both must yield the same
// segments, texts, spans and structure, and the same first error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/parse/exact_parser.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/parse/tape_scan.hpp"

namespace {

using edifact::ParserConfig;
using edifact::model::ComponentList;
using edifact::model::Segment;
using edifact::tokenizer::ServiceStringAdvice;
using edifact::tokenizer::scan::Kernel;

void require(bool holds) {
  if (!holds) std::abort();
}

void add(std::string& out, std::size_t number) {
  out += std::to_string(number);
  out += ',';
}

std::string render(const Segment& segment) {
  std::string out(segment.tag());
  add(out, segment.span().start);
  add(out, segment.span().end);
  add(out, segment.tag_span().start);
  const auto list = [&](ComponentList components) {
    for (const auto component : components) {
      out += '<';
      out += component.text;
      out += '>';
      add(out, component.span.start);
      add(out, component.span.end);
    }
  };
  for (const auto element : segment.elements()) {
    out += '+';
    add(out, element.span().start);
    add(out, element.span().end);
    list(element.components());
    for (const auto repetition : element.repetitions()) {
      out += '*';
      list(repetition);
    }
  }
  return out;
}

std::vector<std::string> fast(std::string_view input, const ParserConfig& config, Kernel kernel) {
  std::vector<std::string> out;
  auto iterator = edifact::from_bytes_with_config(input, config, kernel);
  while (auto item = iterator.next()) out.push_back(*item ? render(**item) : "!" + item->error().message());
  return out;
}

std::vector<std::string> exact(std::string_view input, const ParserConfig& config) {
  const ServiceStringAdvice read = ServiceStringAdvice::from_bytes_unchecked(input);
  if (auto valid = read.validate(); !valid) return {"!" + valid.error().message()};
  std::size_t start = edifact::tokenizer::skip_bom_and_whitespace(input, 0);
  if (input.size() - start >= edifact::tokenizer::UNA_LENGTH && input.substr(start).starts_with("UNA")) {
    start += edifact::tokenizer::UNA_LENGTH;
  }
  edifact::parser::Parser parser(input, start, config.service_string_advice.value_or(read), config.max_segment_length);
  std::vector<std::string> out;
  while (auto item = parser.next()) {
    out.push_back(*item ? render(**item) : "!" + item->error().message());
    if (!*item) break;
  }
  return out;
}

constexpr std::size_t MAX_SEGMENT_LENGTHS[8] = {0, 3, 4, 9, 33, 64, 200, 65536};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t settings = data[0];
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  ParserConfig config;
  config.max_segment_length = MAX_SEGMENT_LENGTHS[settings & 0x07];
  if ((settings & 0x08) && input.size() >= 6) {
    config.service_string_advice = ServiceStringAdvice::from_una_characters(input.substr(0, 6));
    input.remove_prefix(6);
  }
  const std::vector<std::string> expected = exact(input, config);
  for (Kernel kernel : {Kernel::Portable, Kernel::Sse2, Kernel::Avx2}) {
    if (edifact::tokenizer::scan::kernel_available(kernel)) require(fast(input, config, kernel) == expected);
  }
  return 0;
}
