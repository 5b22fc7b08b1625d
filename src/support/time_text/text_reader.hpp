// A cursor over a date or time text for the hand-written grammars: fixed-width digit runs, single
// characters, and cheap copies to back out of an alternative that did not match.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace support::time_text {

class TextReader {
 public:
  explicit TextReader(std::string_view text) : text_(text) {}

  // Exactly `count` ASCII digits as a number; consumes nothing when they are not there.
  std::optional<unsigned> digits(std::size_t count) {
    if (text_.size() - at_ < count) return std::nullopt;
    unsigned value = 0;
    for (std::size_t index = 0; index < count; ++index) {
      const char c = text_[at_ + index];
      if (!is_digit(c)) return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    at_ += count;
    return value;
  }

  bool literal(char expected) {
    if (at_ == text_.size() || text_[at_] != expected) return false;
    ++at_;
    return true;
  }

  std::optional<char> any() {
    if (at_ == text_.size()) return std::nullopt;
    return text_[at_++];
  }

  std::optional<char> peek() const {
    if (at_ == text_.size()) return std::nullopt;
    return text_[at_];
  }

  bool next_is_digit() const { return at_ < text_.size() && is_digit(text_[at_]); }
  bool at_end() const { return at_ == text_.size(); }

 private:
  static constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace support::time_text
