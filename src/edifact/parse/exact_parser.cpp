#include "edifact/parse/exact_parser.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "support/internal_fault.hpp"

namespace edifact::parser {
namespace {

// Takes a segment's cuts in order into a tape's arrays, or, once a long segment proves dense,
// into the narrow form, so that the arrays of a dense segment never grow whole.
class CutCollector {
 public:
  // No more than `most` cuts will come; the narrow form is sized for that many, within reason
  // (a byte-slice parse may give all its input as the bound), and trimmed once full.
  CutCollector(model::Tape& tape, std::size_t most) : tape_(tape), most_(std::min(most, MOST_RESERVED)) {}

  std::uint32_t count() const { return count_; }
  void add(std::uint32_t offset, bool opens_element) {
    if (narrow_) [[unlikely]] {
      narrow_->add(offset, opens_element);
    } else {
      if (opens_element) tape_.elements.push_back(count_);
      tape_.cuts.push_back(offset);
    }
    ++count_;
    elements_ += opens_element ? 1 : 0;
    if (!narrow_ && count_ % CHECK_EVERY == 0 && model::Tape::dense(count_, elements_, std::size_t{offset} + 1)) {
      to_narrow();
    }
  }
  // Leaves the cuts in the tape with its one segment.
  void finish() {
    if (narrow_) tape_.narrow = std::make_shared<const model::NarrowTape>(std::move(*narrow_).finish());
    tape_.segments = {{0, 0}, {count_, elements_}};
  }

 private:
  static constexpr std::uint32_t CHECK_EVERY = 1024;
  // Enough for the longest segment the platform takes, decoded.
  static constexpr std::size_t MOST_RESERVED = std::size_t{1} << 18;

  void to_narrow() {
    narrow_.emplace(most_, most_);
    narrow_->add_all(tape_.cuts, tape_.elements);
    model::UnzeroedVector<std::uint32_t>().swap(tape_.cuts);
    model::UnzeroedVector<std::uint32_t>().swap(tape_.elements);
  }

  model::Tape& tape_;
  std::size_t most_;
  std::optional<model::NarrowTapeBuilder> narrow_;
  std::uint32_t count_ = 0;
  std::uint32_t elements_ = 0;
};

}  // namespace

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

Result<void> Parser::add_released(const Token& token, std::uint32_t value) {
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
  tape_.released.resize(value / 64 + 1);
  tape_.released[value / 64] |= std::uint64_t{1} << (value % 64);
  tape_.unescaped.append(released_);
  tape_.unescaped_ends.push_back(static_cast<std::uint32_t>(tape_.unescaped.size()));
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

  tape_ = model::Tape{};
  tag_start_ = tag.span.start;
  const tokenizer::ServiceStringAdvice& advice = tokenizer_.advice();
  tape_.repetition_separator = advice.repetition_separator;
  tape_.parsed_with = parsed_delimiters(advice);
  bool element_open = false;
  bool opens_element = false;  // the next cut opens an element
  CutCollector cuts(tape_, tokenizer_.window_end() - tag_start_);
  std::size_t value_end = tag.span.end;  // end of the last value read
  // Cuts count from the tag; a segment beyond what a document can address is refused.
  const auto cut = [&](std::size_t separator) -> Result<void> {
    if (separator - tag_start_ > model::Document::MOST_BYTES) {
      return std::unexpected(EdifactError::segment_too_long(tag_start_, model::Document::MOST_BYTES));
    }
    cuts.add(static_cast<std::uint32_t>(separator - tag_start_), std::exchange(opens_element, false));
    return {};
  };
  const auto start_element = [&] {
    opens_element = true;
    element_open = true;
  };
  Token found;
  for (;;) {
    const Step step = tokenizer_.step(found);
    if (step == Step::End) return std::unexpected(EdifactError::unexpected_eof(value_end));
    if (step == Step::Failed) return std::unexpected(tokenizer_.take_error());
    switch (found.kind) {
      case Token::Kind::ElementValue:
        start_element();
        break;
      case Token::Kind::ComponentValue:
        if (!element_open) start_element();
        break;
      case Token::Kind::RepetitionValue:
        if (!element_open) return std::unexpected(EdifactError::data_before_tag(found.span.start));
        tape_.has_repetitions = true;
        break;
      case Token::Kind::SegmentEnd:
        if (auto done = cut(found.span.start); !done) return done;
        segment_end_ = found.span.end;
        cuts.finish();
        tape_.rank_released();
        return Result<void>{};
      case Token::Kind::Tag:
        throw support::InternalFault("the tokenizer yielded a tag inside a segment");
    }
    // Every value follows the one separator that opens it.
    if (auto done = cut(found.span.start - 1); !done) return done;
    if (found.has_release) {
      // The value is closed by the cut after the one just taken.
      if (auto added = add_released(found, cuts.count()); !added) return added;
    }
    value_end = found.span.end;
  }
}

std::optional<Result<model::Segment>> Parser::emit(bool owned, std::size_t span_delta) {
  auto gathered = gather();
  if (!gathered) return std::nullopt;
  if (!*gathered) return std::unexpected(std::move(gathered->error()));
  const std::string_view bytes = input_.substr(tag_start_, segment_end_ - tag_start_);
  tape_.bytes = bytes;
  // Before the copy, so that the arrays are gone by the time it is made.
  tape_.choose_form();
  if (owned) tape_.hold(std::string(bytes));
  tape_.base = model::saturating_add(tag_start_, span_delta);
  auto* document = new model::Document(std::move(tape_));
  model::Segment segment(document, 0);
  document->release();
  return segment;
}

model::ParsedDelimiters parsed_delimiters(const tokenizer::ServiceStringAdvice& advice) {
  const model::ParsedDelimiters parsed{
      advice.element_separator, advice.component_separator,
      advice.has_repetition_separator() ? advice.repetition_separator : '\0', advice.segment_terminator,
      advice.release_character};
  const std::string used = {parsed.element, parsed.component, parsed.terminator, parsed.release,
                            parsed.repetition};
  const std::size_t count = parsed.repetition != 0 ? 5 : 4;
  for (std::size_t i = 0; i < count; ++i) {
    if (used[i] == 0 || used.find(used[i], i + 1) < count) return {};
  }
  return parsed;
}

std::optional<Result<model::Segment>> Parser::next() { return emit(false, 0); }

std::optional<Result<model::Segment>> Parser::next_owned(std::size_t span_delta) { return emit(true, span_delta); }

}  // namespace edifact::parser
