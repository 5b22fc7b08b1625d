// The exact parser: token by token, every check in the order the format asks for, every error
// at its exact offset. The fast parse (tape_parse.hpp) hands it whatever it cannot vouch for;
// the segment stream parses with it the segments that cross its buffer's end. Each segment
// becomes a document of its own; only values that held release characters are copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "edifact/error.hpp"
#include "edifact/model/document.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/parse/service_string_advice.hpp"
#include "edifact/parse/tokenizer.hpp"

namespace edifact::parser {

// Appends `raw` to `out` with each release character dropped and the byte after it kept
// literally. A release character with nothing after it fails at its offset, counted from
// `value_start`, the offset of the raw value in the input.
Result<void> resolve_release(std::string_view raw, char release_character,
                             std::size_t value_start, std::string& out);

// The service characters of `advice` as a document records them.
model::ParsedDelimiters parsed_delimiters(const tokenizer::ServiceStringAdvice& advice);

class Parser {
 public:
  Parser(std::string_view input, std::size_t start, const tokenizer::ServiceStringAdvice& advice,
         std::size_t max_segment_length)
      : tokenizer_(input, start, advice, max_segment_length), input_(input) {}

  // The next segment (borrowing from the input), an error, or nothing at the end.
  std::optional<Result<model::Segment>> next();
  // The same, with the segment's bytes copied into its document and every span moved by
  // `span_delta` (saturating), for input that is a piece of a larger whole. Error offsets stay
  // counted from the piece.
  std::optional<Result<model::Segment>> next_owned(std::size_t span_delta);

  // Starts over on other input, keeping the advice.
  void restart(std::string_view input, std::size_t start) {
    tokenizer_.restart(input, start);
    input_ = input;
  }
  const tokenizer::ServiceStringAdvice& advice() const { return tokenizer_.advice(); }

 private:
  // Reads one segment into `tape_`: nothing at the end, else success or an error.
  std::optional<Result<void>> gather();
  // A value with release characters, closed by cut `value`: its text without them goes to the tape.
  Result<void> add_released(const tokenizer::Token& token, std::uint32_t value);
  std::optional<Result<model::Segment>> emit(bool owned, std::size_t span_delta);

  tokenizer::Tokenizer tokenizer_;
  std::string_view input_;
  model::Tape tape_;
  std::size_t tag_start_ = 0;
  std::size_t segment_end_ = 0;
  std::string released_;  // a value with its release characters removed
};

}  // namespace edifact::parser
