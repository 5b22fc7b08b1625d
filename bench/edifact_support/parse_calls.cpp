#include "parse_calls.hpp"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "edifact/parse/from_bytes.hpp"
#include "edifact/parse/segment_stream.hpp"
#include "edifact/write/writer.hpp"

namespace bench::calls {
namespace {

[[noreturn]] void fail(const edifact::EdifactError& error) {
  std::fprintf(stderr, "benchmark input does not parse: %s\n", error.message().c_str());
  std::abort();
}

template <typename Iterator>
Parsed collect(Iterator& iterator) {
  Parsed segments;
  while (auto item = iterator.next()) {
    if (!*item) fail(item->error());
    segments.push_back(std::move(**item));
  }
  return segments;
}

}  // namespace

Parsed parse_slice(std::string_view input) {
  auto iterator = edifact::from_bytes_with_config(input, {});
  return collect(iterator);
}

Parsed parse_stream(std::string_view input) {
  edifact::parser::OwnedSegmentStream stream(
      std::make_unique<edifact::parser::MemoryByteSource>(input), {});
  return collect(stream);
}

std::string write_segments(const Parsed& parsed) {
  auto bytes = edifact::segments_to_bytes(parsed);
  if (!bytes) fail(bytes.error());
  return std::move(*bytes);
}

std::size_t segment_count(const Parsed& parsed) { return parsed.size(); }

}  // namespace bench::calls
