#include "zelk/events/matcher.hpp"

#include <cstddef>
#include <optional>

#include "support/utf8.hpp"

namespace zelk_events {
namespace {

struct Character {
  char32_t value;
  std::size_t length;
};

// A byte that does not start well-formed UTF-8 counts as one character of its own, with a value
// outside the Unicode range so that it equals only the same stray byte.
Character character_at(std::string_view text, std::size_t offset) {
  if (std::optional<support::utf8::Decoded> decoded = support::utf8::decode(text.substr(offset))) {
    return {decoded->scalar, decoded->length};
  }
  return {static_cast<char32_t>(0x110000 + static_cast<unsigned char>(text[offset])), 1};
}

struct Star {
  std::size_t pattern_offset;
  std::size_t text_offset;
};

}  // namespace

bool matches(std::string_view pattern, std::string_view event_type) {
  if (pattern == "*") return true;

  std::size_t text = 0;
  std::size_t at = 0;
  std::optional<Star> last_star;
  while (text < event_type.size()) {
    const Character text_character = character_at(event_type, text);
    if (at < pattern.size()) {
      const Character pattern_character = character_at(pattern, at);
      // Tested before the star rule: a "*" facing a "*" in the event type is taken literally.
      if (pattern_character.value == U'?' || pattern_character.value == text_character.value) {
        text += text_character.length;
        at += pattern_character.length;
        continue;
      }
      if (pattern_character.value == U'*') {
        last_star = Star{at, text};
        at += pattern_character.length;
        continue;
      }
    }
    if (!last_star) return false;
    last_star->text_offset += character_at(event_type, last_star->text_offset).length;
    text = last_star->text_offset;
    at = last_star->pattern_offset + 1;
  }
  while (at < pattern.size() && pattern[at] == '*') ++at;
  return at == pattern.size();
}

}  // namespace zelk_events
