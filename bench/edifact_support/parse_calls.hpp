// Every call the EDIFACT benchmarks make into the library, in one place, so that a change of
// the parse API means editing this pair of files only. The inputs are valid: any error aborts.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/parse/from_bytes.hpp"

namespace bench::calls {

// What one parse holds on to; freeing it is timed on its own. The slice parse keeps its
// segments in the parse's own document, the stream hands out owned segments one at a time
// and its caller keeps them in a vector.
struct Parsed {
  edifact::ParsedSegments slice;
  std::vector<edifact::model::Segment> streamed;

  void swap(Parsed& other) noexcept {
    std::swap(slice, other.slice);
    std::swap(streamed, other.streamed);
  }
};

// The byte-slice parse: segments borrow their texts from `input`.
Parsed parse_slice(std::string_view input);

// The segment stream over the same bytes in memory: owned segments.
Parsed parse_stream(std::string_view input);

// The segments of a parse, one handle each, for the writer.
std::vector<edifact::model::Segment> segments_of(const Parsed& parsed);

// The segments written back with the default service characters, escaping included.
std::string write_segments(std::span<const edifact::model::Segment> segments);
std::string write_segments(const Parsed& parsed);

std::size_t segment_count(const Parsed& parsed);

}  // namespace bench::calls
