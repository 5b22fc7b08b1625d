// Every call the EDIFACT benchmarks make into the library, in one place, so that a change of
// the parse API means editing this pair of files only. The inputs are valid: any error aborts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"

namespace bench::calls {

// What one parse holds on to; freeing it is timed on its own.
using Parsed = std::vector<edifact::model::Segment>;

// The byte-slice parse: segments borrow their texts from `input`.
Parsed parse_slice(std::string_view input);

// The segment stream over the same bytes in memory: owned segments.
Parsed parse_stream(std::string_view input);

// The parsed segments written back with the default service characters, escaping included.
std::string write_segments(const Parsed& parsed);

std::size_t segment_count(const Parsed& parsed);

}  // namespace bench::calls
