// Assembles tokens into segments with spans. Text is borrowed from the input; only values that
// hold release characters are copied into the segment's block. One builder serves every
// segment and the blocks come from the parser's arena, so segments cost no allocation of their
// own; they keep their chunks alive after the parser is gone.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/model/block_arena.hpp"
#include "edifact/model/segment_builder.hpp"
#include "edifact/parse/service_string_advice.hpp"
#include "edifact/parse/tokenizer.hpp"

namespace edifact::parser {

// Appends `raw` to `out` with each release character dropped and the byte after it kept
// literally. A release character with nothing after it fails at its offset, counted from
// `value_start`, the offset of the raw value in the input.
Result<void> resolve_release(std::string_view raw, char release_character,
                             std::size_t value_start, std::string& out);

class Parser {
 public:
  Parser(std::string_view input, std::size_t start, const tokenizer::ServiceStringAdvice& advice,
         std::size_t max_segment_length)
      : tokenizer_(input, start, advice, max_segment_length) {}

  // The next segment (borrowing from the input), an error, or nothing at the end.
  std::optional<Result<model::Segment>> next();
  // The same, with every text copied into the segment's block and every span moved by
  // `span_delta` (saturating), for input that is a piece of a larger whole. Error offsets stay
  // counted from the piece.
  std::optional<Result<model::Segment>> next_owned(std::size_t span_delta);

  // Starts over on other input, keeping the advice, the builder's capacity and the arena.
  void restart(std::string_view input, std::size_t start) { tokenizer_.restart(input, start); }
  const tokenizer::ServiceStringAdvice& advice() const { return tokenizer_.advice(); }

 private:
  // Reads one segment into the builder: nothing at the end, else success or an error.
  std::optional<Result<void>> gather();
  // A value with release characters: copied without them into the segment's block.
  Result<void> add_released(const tokenizer::Token& token);

  tokenizer::Tokenizer tokenizer_;
  model::SegmentBuilder builder_;
  model::BlockArena arena_;
  std::string released_;  // a value with its release characters removed
};

}  // namespace edifact::parser
