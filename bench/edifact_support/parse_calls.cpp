#include "parse_calls.hpp"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "edifact/parse/segment_stream.hpp"
#include "edifact/write/writer.hpp"

namespace bench::calls {
namespace {

[[noreturn]] void fail(const edifact::EdifactError& error) {
  std::fprintf(stderr, "benchmark input does not parse: %s\n", error.message().c_str());
  std::abort();
}

}  // namespace

Parsed parse_slice(std::string_view input) {
  Parsed parsed;
  parsed.slice = edifact::parse_all(input, {});
  if (parsed.slice.error()) fail(*parsed.slice.error());
  return parsed;
}

Parsed parse_stream(std::string_view input) {
  edifact::parser::OwnedSegmentStream stream(
      std::make_unique<edifact::parser::MemoryByteSource>(input), {});
  Parsed parsed;
  while (auto item = stream.next()) {
    if (!*item) fail(item->error());
    parsed.streamed.push_back(std::move(**item));
  }
  return parsed;
}

std::vector<edifact::model::Segment> segments_of(const Parsed& parsed) {
  std::vector<edifact::model::Segment> segments(parsed.streamed);
  segments.reserve(segments.size() + parsed.slice.size());
  parsed.slice.for_each([&](const edifact::model::Segment& segment) { segments.push_back(segment); });
  return segments;
}

std::string write_segments(std::span<const edifact::model::Segment> segments) {
  auto bytes = edifact::segments_to_bytes(segments);
  if (!bytes) fail(bytes.error());
  return std::move(*bytes);
}

std::string write_segments(const Parsed& parsed) { return write_segments(segments_of(parsed)); }

std::size_t segment_count(const Parsed& parsed) { return parsed.slice.size() + parsed.streamed.size(); }

}  // namespace bench::calls
