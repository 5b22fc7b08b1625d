#include "edifact/parse/exact_parser.hpp"

#include <cstring>

#include "support/internal_fault.hpp"

namespace edifact::parser {

using tokenizer::Token;

Result<void> resolve_release(std::string_view raw, char release_character,
                             std::size_t value_start, std::string& out) {
  std::size_t at = 0;
  while (at < raw.size()) {
    const void* found = std::memchr(raw.data() + at, release_character, raw.size() - at);
    if (found == nullptr) {
      out.append(raw.substr(at));
      break;
    }
    const auto release_at = static_cast<std::size_t>(static_cast<const char*>(found) - raw.data());
    out.append(raw.substr(at, release_at - at));
    if (release_at + 1 >= raw.size()) {
      return std::unexpected(EdifactError::dangling_release(value_start + raw.size() - 1));
    }
    out.push_back(raw[release_at + 1]);
    at = release_at + 2;
  }
  return {};
}

Result<void> Parser::add_released(const Token& token) {
  const char release_character = tokenizer_.advice().release_character;
  released_.clear();
  if (auto resolved = resolve_release(token.text, release_character, token.span.start, released_);
      !resolved) {
    return resolved;
  }
  // Only an unchecked override can make the release character a non-ASCII byte; dropping it
  // could then split a character.
  if (static_cast<unsigned char>(release_character) >= 0x80 && !tokenizer::is_valid_utf8(released_)) {
    return std::unexpected(EdifactError::invalid_text(token.span.start));
  }
  builder_.component_owned(released_, token.span);
  return {};
}

std::optional<Result<void>> Parser::gather() {
  using Step = tokenizer::Tokenizer::Step;
  Token tag;
  for (;;) {
    const Step step = tokenizer_.step(tag);
    if (step == Step::End) return std::nullopt;
    if (step == Step::Failed) return std::unexpected(tokenizer_.take_error());
    if (tag.kind == Token::Kind::Tag) break;
    if (tag.kind != Token::Kind::SegmentEnd) {
      return std::unexpected(EdifactError::data_before_tag(tag.span.start));
    }
  }

  builder_.reset(tag.text, {}, tag.span);
  bool element_open = false;
  std::size_t value_end = tag.span.end;  // end of the last value read
  const auto start_element = [&](std::size_t offset) {
    if (element_open) builder_.set_element_end(value_end);
    builder_.element({offset, offset});
    element_open = true;
  };
  Token found;
  for (;;) {
    const Step step = tokenizer_.step(found);
    if (step == Step::End) return std::unexpected(EdifactError::unexpected_eof(value_end));
    if (step == Step::Failed) return std::unexpected(tokenizer_.take_error());
    switch (found.kind) {
      case Token::Kind::ElementValue:
        start_element(found.span.start);
        break;
      case Token::Kind::ComponentValue:
        if (!element_open) start_element(found.span.start);
        break;
      case Token::Kind::RepetitionValue:
        if (!element_open) return std::unexpected(EdifactError::data_before_tag(found.span.start));
        builder_.repetition();
        break;
      case Token::Kind::SegmentEnd:
        if (element_open) builder_.set_element_end(value_end);
        builder_.set_span({tag.span.start, found.span.end});
        return Result<void>{};
      case Token::Kind::Tag:
        throw support::InternalFault("the tokenizer yielded a tag inside a segment");
    }
    if (!found.has_release) {
      builder_.component(found.text, found.span);
    } else if (auto added = add_released(found); !added) {
      return added;
    }
    value_end = found.span.end;
  }
}

std::optional<Result<model::Segment>> Parser::next() {
  auto gathered = gather();
  if (!gathered) return std::nullopt;
  if (!*gathered) return std::unexpected(std::move(gathered->error()));
  return builder_.build(&arena_);
}

std::optional<Result<model::Segment>> Parser::next_owned(std::size_t span_delta) {
  auto gathered = gather();
  if (!gathered) return std::nullopt;
  if (!*gathered) return std::unexpected(std::move(gathered->error()));
  if (span_delta != 0) builder_.shift_spans(span_delta);
  return builder_.build_owned(&arena_);
}

}  // namespace edifact::parser
