#include "edifact/parser.hpp"

#include <cstring>
#include <iterator>
#include <memory>

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

Result<void> Parser::add_component(const Token& token) {
  if (!token.has_release) {
    components_.push_back({token.text, token.span});
    return {};
  }
  const char release_character = tokenizer_.advice().release_character;
  const std::size_t offset = owned_text_.size();
  if (auto resolved = resolve_release(token.text, release_character, token.span.start, owned_text_);
      !resolved) {
    return resolved;
  }
  const std::string_view text = std::string_view(owned_text_).substr(offset);
  // Only an unchecked override can make the release character a non-ASCII byte; dropping it
  // could then split a character.
  if (static_cast<unsigned char>(release_character) >= 0x80 && !tokenizer::is_valid_utf8(text)) {
    return std::unexpected(EdifactError::invalid_text(token.span.start));
  }
  owned_components_.push_back({components_.size(), offset, text.size()});
  components_.push_back({{}, token.span});
  return {};
}

void Parser::clear_scratch() {
  pending_.clear();
  components_.clear();
  repetition_breaks_.clear();
  owned_text_.clear();
  owned_components_.clear();
}

void Parser::build_element(model::Element& element, std::size_t index) {
  const PendingElement& pending = pending_[index];
  const bool last = index + 1 == pending_.size();
  const std::size_t end_component = last ? components_.size() : pending_[index + 1].first_component;
  const std::size_t end_break = last ? repetition_breaks_.size() : pending_[index + 1].first_break;
  const std::size_t end_owned = last ? owned_components_.size() : pending_[index + 1].first_owned;
  const model::Component* components = components_.data();

  const std::size_t first_end =
      pending.first_break < end_break ? repetition_breaks_[pending.first_break] : end_component;
  element.components.assign(components + pending.first_component, components + first_end);
  if (pending.first_break < end_break) {
    element.repetitions.reserve(end_break - pending.first_break);
    for (std::size_t b = pending.first_break; b < end_break; ++b) {
      const std::size_t repetition_end = b + 1 < end_break ? repetition_breaks_[b + 1] : end_component;
      element.repetitions.emplace_back(components + repetition_breaks_[b], components + repetition_end);
    }
  }
  element.span = {pending.start, components_[end_component - 1].span.end};
  if (pending.first_owned == end_owned) return;

  // The element's released texts lie one after another in `owned_text_`.
  const OwnedText& first = owned_components_[pending.first_owned];
  const OwnedText& final = owned_components_[end_owned - 1];
  auto storage = std::make_shared<const std::string>(
      owned_text_, first.offset, final.offset + final.length - first.offset);
  for (std::size_t o = pending.first_owned; o < end_owned; ++o) {
    const OwnedText& owned = owned_components_[o];
    const std::string_view text(storage->data() + owned.offset - first.offset, owned.length);
    // Find the component's list: the first repetition, or the one whose break precedes it.
    std::size_t b = pending.first_break;
    while (b < end_break && repetition_breaks_[b] <= owned.component) ++b;
    if (b == pending.first_break) {
      element.components[owned.component - pending.first_component].text = text;
    } else {
      const std::size_t repetition = b - 1 - pending.first_break;
      element.repetitions[repetition][owned.component - repetition_breaks_[b - 1]].text = text;
    }
  }
  element.storage = std::move(storage);
}

std::vector<model::Element> Parser::build_elements() {
  std::vector<model::Element> elements(pending_.size());
  for (std::size_t i = 0; i < pending_.size(); ++i) build_element(elements[i], i);
  return elements;
}

std::optional<Result<model::Segment>> Parser::next() {
  Token tag;
  for (;;) {
    auto token = tokenizer_.next();
    if (!token) return std::nullopt;
    if (!token->has_value()) return std::unexpected(std::move(token->error()));
    const Token& found = **token;
    if (found.kind == Token::Kind::Tag) {
      tag = found;
      break;
    }
    if (found.kind != Token::Kind::SegmentEnd) {
      return std::unexpected(EdifactError::data_before_tag(found.span.start));
    }
  }

  clear_scratch();
  const auto fail = [&](EdifactError error) -> std::optional<Result<model::Segment>> {
    clear_scratch();
    return std::unexpected(std::move(error));
  };
  const auto start_element = [&](std::size_t offset) {
    pending_.push_back({offset, components_.size(), repetition_breaks_.size(), owned_components_.size()});
  };
  for (;;) {
    auto token = tokenizer_.next();
    if (!token) {
      const std::size_t end = components_.empty() ? tag.span.end : components_.back().span.end;
      return fail(EdifactError::unexpected_eof(end));
    }
    if (!token->has_value()) return fail(std::move(token->error()));
    const Token& found = **token;
    switch (found.kind) {
      case Token::Kind::ElementValue:
        start_element(found.span.start);
        break;
      case Token::Kind::ComponentValue:
        if (pending_.empty()) start_element(found.span.start);
        break;
      case Token::Kind::RepetitionValue:
        if (pending_.empty()) return fail(EdifactError::data_before_tag(found.span.start));
        repetition_breaks_.push_back(components_.size());
        break;
      case Token::Kind::SegmentEnd:
        return model::Segment(tag.text, build_elements(), {tag.span.start, found.span.end}, tag.span);
      case Token::Kind::Tag:
        throw support::InternalFault("the tokenizer yielded a tag inside a segment");
    }
    if (auto added = add_component(found); !added) return fail(std::move(added.error()));
  }
}

}  // namespace edifact::parser
