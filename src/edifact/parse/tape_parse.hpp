// The fast parse of a whole byte slice into one document: the delimiter scan (tape_scan.hpp),
// which checks each segment as it finds it for what the exact parser would check (and, for
// input that is not all UTF-8, a walk that checks the text too). The check stops at the first
// segment it cannot vouch for (a bad tag, stray bytes between segments,
// an overlong segment, text that is not UTF-8, a missing terminator) and hands the rest of the
// input to the exact parser, which then yields the same segments or the same error as if it
// had parsed everything. Unusual service characters send the whole input there.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "edifact/model/document.hpp"
#include "edifact/parse/service_string_advice.hpp"
#include "edifact/parse/tape_scan.hpp"

namespace edifact::parser {

struct TapeParse {
  model::Document* document;  // the segments vouched for; the caller owns one reference
  // Where the exact parser must go on (outside a segment), when the walk stopped early.
  std::optional<std::size_t> resume_at;
};

// Parses `input[start..]`, borrowing `input`; spans count from `input[0]`.
TapeParse parse_tape(std::string_view input, std::size_t start, const tokenizer::ServiceStringAdvice& advice,
                     std::size_t max_segment_length,
                     tokenizer::scan::Kernel kernel = tokenizer::scan::best_kernel());

}  // namespace edifact::parser
