// Cuts EDIFACT text into tags, raw values and segment ends under a service string advice. Values
// keep their release characters; the parser removes them. The scanning loops live here, inline,
// because they are the hot path of every parse.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/parse/service_string_advice.hpp"

namespace edifact::tokenizer {

// What a byte means to the scanners. Every kind from `ElementSeparator` on ends a value.
enum class ByteClass : std::uint8_t {
  Plain,
  NonAscii,
  Release,
  RepetitionSeparator,
  ComponentSeparator,
  ElementSeparator,
  SegmentTerminator,
};

// One table lookup per byte instead of a chain of comparisons. Should two service characters
// coincide (possible only with an unchecked override), the terminator wins over the element
// separator, that over the component and repetition separators, and any separator over the
// release character.
class ByteClasses {
 public:
  explicit ByteClasses(const ServiceStringAdvice& advice);

  ByteClass operator[](char byte) const { return table_[static_cast<unsigned char>(byte)]; }
  static bool ends_value(ByteClass kind) { return kind >= ByteClass::RepetitionSeparator; }
  static bool ends_tag(ByteClass kind) {
    return kind == ByteClass::ElementSeparator || kind == ByteClass::SegmentTerminator;
  }

 private:
  std::array<ByteClass, 256> table_{};
};

struct Token {
  enum class Kind : std::uint8_t { Tag, ElementValue, ComponentValue, RepetitionValue, SegmentEnd };

  Kind kind = Kind::SegmentEnd;
  std::string_view text;  // raw bytes, release characters still in them; empty for `SegmentEnd`
  model::Span span;
  bool has_release = false;  // the raw text holds at least one release character
};

inline std::size_t saturating_add(std::size_t a, std::size_t b) {
  return b > std::numeric_limits<std::size_t>::max() - a ? std::numeric_limits<std::size_t>::max()
                                                         : a + b;
}

class Tokenizer {
 public:
  // What `step` found.
  enum class Step : std::uint8_t { Token, End, Failed };

  // Starts at `position` outside a segment; offsets in tokens and errors are offsets in `input`.
  Tokenizer(std::string_view input, std::size_t position, const ServiceStringAdvice& advice,
            std::size_t max_segment_length)
      : input_(input),
        position_(position),
        max_segment_length_(max_segment_length),
        advice_(advice),
        classes_(advice) {}

  // The next token, an error, or nothing at the end of the input.
  std::optional<Result<Token>> next();
  // The same for the parser's loop, without building a result per token: fills `token`, or
  // reports the end, or a failure whose error `take_error` then hands over.
  Step step(Token& token);
  EdifactError take_error();

  // One raw value from the current position, just after its separator.
  Result<Token> read_value(Token::Kind kind);

  std::size_t position() const { return position_; }
  const ServiceStringAdvice& advice() const { return advice_; }

  // Starts over on other input with the same advice and limit.
  void restart(std::string_view input, std::size_t position) {
    input_ = input;
    position_ = position;
    segment_start_ = 0;
    in_segment_ = false;
  }

  // A segment may span at most `max_segment_length` bytes before its terminator; scans look one
  // byte further so that an overlong segment is noticed.
  std::size_t window_end() const {
    return std::min(input_.size(), saturating_add(segment_start_, saturating_add(max_segment_length_, 1)));
  }

 private:
  Step step_tag(Token& token);
  Step step_value(Token::Kind kind, Token& token);
  // Errors are rare: kept out of the scanning loops.
  [[gnu::cold, gnu::noinline]] Step fail(EdifactError error);

  std::string_view input_;
  std::size_t position_;
  std::size_t max_segment_length_;
  std::size_t segment_start_ = 0;
  ServiceStringAdvice advice_;
  ByteClasses classes_;
  bool in_segment_ = false;
  std::optional<EdifactError> error_;  // the failure `step` last reported
};

// Field by field: a token built whole and copied is read back with wide loads that straddle
// the narrow stores just made, which stalls the parser's loop.
[[gnu::always_inline]] inline void fill(Token& token, Token::Kind kind, std::string_view text, model::Span span,
                                        bool has_release) {
  token.kind = kind;
  token.text = text;
  token.span = span;
  token.has_release = has_release;
}

// Error builders kept out of line: they are cold and allocate.
EdifactError invalid_tag_error(std::string_view tag);
bool is_valid_utf8(std::string_view text);

[[gnu::always_inline]] inline Tokenizer::Step Tokenizer::step(Token& token) {
  if (position_ >= input_.size()) return Step::End;
  if (!in_segment_) {
    while (position_ < input_.size() && is_segment_whitespace(input_[position_])) ++position_;
    if (position_ >= input_.size()) return Step::End;
    return step_tag(token);
  }
  const std::size_t at = position_;
  const char byte = input_[at];
  switch (classes_[byte]) {
    case ByteClass::SegmentTerminator:
      ++position_;
      in_segment_ = false;
      fill(token, Token::Kind::SegmentEnd, {}, {at, at + 1}, false);
      return Step::Token;
    case ByteClass::ElementSeparator:
      ++position_;
      return step_value(Token::Kind::ElementValue, token);
    case ByteClass::ComponentSeparator:
      ++position_;
      return step_value(Token::Kind::ComponentValue, token);
    case ByteClass::RepetitionSeparator:
      ++position_;
      return step_value(Token::Kind::RepetitionValue, token);
    default:
      ++position_;
      in_segment_ = false;
      return fail(EdifactError::invalid_delimiter(static_cast<std::uint8_t>(byte), at));
  }
}

[[gnu::always_inline]] inline Tokenizer::Step Tokenizer::step_tag(Token& token) {
  const std::size_t start = position_;
  segment_start_ = start;
  const std::size_t end_of_window = window_end();
  std::size_t tag_end = start;
  while (tag_end < end_of_window && !ByteClasses::ends_tag(classes_[input_[tag_end]])) ++tag_end;
  if (tag_end == start) {
    ++position_;
    return fail(EdifactError::invalid_delimiter(static_cast<std::uint8_t>(input_[start]), start));
  }
  if (tag_end - start > max_segment_length_) {
    return fail(EdifactError::segment_too_long(start, max_segment_length_));
  }
  position_ = tag_end;
  const std::string_view tag = input_.substr(start, tag_end - start);
  const auto is_capital = [](char c) { return c >= 'A' && c <= 'Z'; };
  if (tag.size() != 3 || !is_capital(tag[0]) || !is_capital(tag[1]) || !is_capital(tag[2])) {
    return fail(invalid_tag_error(tag));
  }
  in_segment_ = true;
  fill(token, Token::Kind::Tag, tag, {start, tag_end}, false);
  return Step::Token;
}

[[gnu::always_inline]] inline Tokenizer::Step Tokenizer::step_value(Token::Kind kind, Token& token) {
  const std::size_t start = position_;
  const std::size_t end_of_window = window_end();
  const char* const data = input_.data();
  std::size_t at = start;
  bool has_release = false;
  bool non_ascii = false;
  while (at < end_of_window) {
    const ByteClass kind_of_byte = classes_[data[at]];
    if (kind_of_byte == ByteClass::Plain) {
      ++at;
      continue;
    }
    if (ByteClasses::ends_value(kind_of_byte)) break;
    if (kind_of_byte == ByteClass::Release) {
      if (at + 1 >= input_.size()) return fail(EdifactError::dangling_release(at));
      has_release = true;
      non_ascii |= static_cast<unsigned char>(data[at + 1]) >= 0x80;
      at += 2;
      continue;
    }
    non_ascii = true;
    ++at;
  }
  // A release character in the window's last byte steps over its end.
  at = std::min(at, end_of_window);
  position_ = at;
  if (at - segment_start_ > max_segment_length_) {
    return fail(EdifactError::segment_too_long(segment_start_, max_segment_length_));
  }
  const std::string_view text = input_.substr(start, at - start);
  if (non_ascii && !is_valid_utf8(text)) return fail(EdifactError::invalid_text(start));
  fill(token, kind, text, {start, at}, has_release);
  return Step::Token;
}

inline std::optional<Result<Token>> Tokenizer::next() {
  Token token;
  switch (step(token)) {
    case Step::Token: return token;
    case Step::End: return std::nullopt;
    case Step::Failed: break;
  }
  return std::unexpected(take_error());
}

inline Result<Token> Tokenizer::read_value(Token::Kind kind) {
  Token token;
  if (step_value(kind, token) == Step::Failed) return std::unexpected(take_error());
  return token;
}

}  // namespace edifact::tokenizer
