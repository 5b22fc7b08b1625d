// Parsing a byte slice in place: segments borrow their text from the slice, under the limits of
// a `ParserConfig`. The whole slice is parsed up front into one document (tape_parse.hpp), and
// whatever the fast parse left over is parsed by the exact parser as the iterator reaches it.
// The iterator stops for good at its first error.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/model/segment_cursor.hpp"
#include "edifact/model/segment_range.hpp"
#include "edifact/parse/exact_parser.hpp"
#include "edifact/parse/limit_account.hpp"
#include "edifact/parse/parser_config.hpp"
#include "edifact/parse/tape_scan.hpp"

namespace edifact {

class ParsedSegments;

class FromBytesIter {
 public:
  // The next segment (valid while the input lives), an error, or nothing at the end. After an
  // error every call yields nothing.
  std::optional<Result<model::Segment>> next() {
    // Vouched segments under no limit need no check: the common case, kept inline.
    if (unlimited_ && !fast_.done()) [[likely]] return fast_.next();
    return next_checked();
  }

 private:
  friend FromBytesIter from_bytes_with_config(std::string_view input, ParserConfig config,
                                              tokenizer::scan::Kernel kernel);
  friend ParsedSegments parse_all(std::string_view input, ParserConfig config, tokenizer::scan::Kernel kernel);
  FromBytesIter(std::string_view input, ParserConfig config, tokenizer::ServiceStringAdvice advice,
                std::optional<EdifactError> pending)
      : input_(input),
        config_(std::move(config)),
        advice_(advice),
        pending_(std::move(pending)),
        finished_(pending_.has_value()),
        unlimited_(!config_.max_segments && !config_.max_messages && !config_.max_input_bytes) {}
  std::optional<Result<model::Segment>> next_checked();
  std::optional<Result<model::Segment>> checked(Result<model::Segment> item);

  std::string_view input_;
  ParserConfig config_;
  tokenizer::ServiceStringAdvice advice_;
  std::optional<EdifactError> pending_;
  bool finished_;
  bool unlimited_;
  model::SegmentCursor fast_;  // what the fast parse vouched for
  std::optional<std::size_t> resume_at_;  // where the exact parser takes over
  std::optional<parser::Parser> exact_;
  parser::LimitAccount limits_;
};

// Reads the service string advice (a UNA, else the defaults), then parses from the first byte
// after the byte-order mark, whitespace and UNA. Never fails itself: a UNA that fails its check
// is the iterator's first item. `kernel` chooses the scan; the default is the fastest there is.
FromBytesIter from_bytes_with_config(std::string_view input, ParserConfig config,
                                     tokenizer::scan::Kernel kernel = tokenizer::scan::best_kernel());

// Everything `from_bytes_with_config` yields, gathered at once: the segments (valid while the
// input lives) and the error that ended them, if one did. The segments the fast parse vouched
// for stay in its document, with no handle per segment, so this holds less than a vector of
// the same segments and costs less to build.
class ParsedSegments {
 public:
  std::size_t size() const { return fast_.size() + rest_.size(); }
  bool empty() const { return size() == 0; }
  // A handle of its own on segment `index` (< `size()`).
  model::Segment operator[](std::size_t index) const {
    return index < fast_.size() ? fast_[index] : rest_[index - fast_.size()];
  }
  model::IndexIterator<ParsedSegments, model::Segment> begin() const { return {this, 0}; }
  model::IndexIterator<ParsedSegments, model::Segment> end() const { return {this, size()}; }
  // Calls `visit(const model::Segment&)` on each segment in order; the cheapest way through.
  template <class Visit>
  void for_each(Visit&& visit) const {
    fast_.for_each(visit);
    for (const model::Segment& segment : rest_) visit(segment);
  }
  const std::optional<EdifactError>& error() const { return error_; }

 private:
  friend ParsedSegments parse_all(std::string_view input, ParserConfig config, tokenizer::scan::Kernel kernel);
  model::SegmentRange fast_;
  std::vector<model::Segment> rest_;  // what the exact parser or the limit checks yielded
  std::optional<EdifactError> error_;
};

ParsedSegments parse_all(std::string_view input, ParserConfig config,
                         tokenizer::scan::Kernel kernel = tokenizer::scan::best_kernel());

}  // namespace edifact
