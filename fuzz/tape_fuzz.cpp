// Fuzzes the fast parse against the exact parser: any bytes, any service characters (checked
// or not), any segment length limit, every scan kernel the CPU has. Both must yield the same
// segments, texts, spans and structure, and the same first error, whether read one by one or
// gathered at once; the fast parse's document must read the same in its narrow form as in its
// arrays.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "parse_oracle.hpp"

namespace {

constexpr std::size_t MAX_SEGMENT_LENGTHS[8] = {0, 3, 4, 9, 33, 64, 200, 65536};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t settings = data[0];
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  edifact::ParserConfig config;
  config.max_segment_length = MAX_SEGMENT_LENGTHS[settings & 0x07];
  if ((settings & 0x08) && input.size() >= 6) {
    config.service_string_advice = edifact::tokenizer::ServiceStringAdvice::from_una_characters(input.substr(0, 6));
    input.remove_prefix(6);
  }
  if (!edifact_oracle::first_disagreement(input, config).empty()) std::abort();
  return 0;
}
