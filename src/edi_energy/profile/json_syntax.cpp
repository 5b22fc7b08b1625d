#include "edi_energy/profile/json_syntax.hpp"

#include <optional>
#include <string>

#include "support/utf8.hpp"

namespace edi_energy::profile::json {

namespace {

constexpr bool is_digit(char character) { return character >= '0' && character <= '9'; }

constexpr bool is_hex_digit(char character) {
  return is_digit(character) || (character >= 'a' && character <= 'f') ||
         (character >= 'A' && character <= 'F');
}

constexpr std::string_view escapable = "\"\\/bfnrtu";

// A recursive-descent check that stops at the first fault. Faults noticed on looking at a byte
// count that byte as read; faults at the end count every byte.
class SyntaxCheck {
 public:
  explicit SyntaxCheck(std::string_view document) : document_(document) {}

  std::optional<JsonFault> run() {
    if (!value(0)) return fault_;
    skip_whitespace();
    if (index_ < document_.size()) return fault_at_peek("trailing characters");
    return std::nullopt;
  }

 private:
  std::string_view document_;
  std::size_t index_ = 0;
  std::optional<JsonFault> fault_;

  bool at_end() const { return index_ >= document_.size(); }
  char peek() const { return document_[index_]; }

  void skip_whitespace() {
    while (!at_end() && is_json_whitespace(peek())) ++index_;
  }

  bool fail(std::string message, std::size_t consumed) {
    fault_ = JsonFault::at(std::move(message), document_, consumed);
    return false;
  }
  // The fault of the byte under the cursor, or of the end.
  bool fault_at_peek_bool(std::string message) {
    return fail(std::move(message), at_end() ? document_.size() : index_ + 1);
  }
  std::optional<JsonFault> fault_at_peek(std::string message) {
    fault_at_peek_bool(std::move(message));
    return fault_;
  }

  bool value(std::size_t depth) {
    skip_whitespace();
    if (at_end()) return fault_at_peek_bool("EOF while parsing a value");
    switch (peek()) {
      case '{': return object(depth + 1);
      case '[': return array(depth + 1);
      case '"': return string();
      case 't': return ident("true");
      case 'f': return ident("false");
      case 'n': return ident("null");
      default:
        if (peek() == '-' || is_digit(peek())) return number();
        return fault_at_peek_bool("expected value");
    }
  }

  bool object(std::size_t depth) {
    if (depth >= nesting_budget) return fault_at_peek_bool("recursion limit exceeded");
    ++index_;
    skip_whitespace();
    if (at_end()) return fault_at_peek_bool("EOF while parsing an object");
    if (peek() == '}') {
      ++index_;
      return true;
    }
    while (true) {
      if (at_end()) return fault_at_peek_bool("EOF while parsing a value");
      if (peek() != '"') return fault_at_peek_bool("key must be a string");
      if (!string()) return false;
      skip_whitespace();
      if (at_end()) return fault_at_peek_bool("EOF while parsing an object");
      if (peek() != ':') return fault_at_peek_bool("expected `:`");
      ++index_;
      if (!value(depth)) return false;
      skip_whitespace();
      if (at_end()) return fault_at_peek_bool("EOF while parsing an object");
      if (peek() == '}') {
        ++index_;
        return true;
      }
      if (peek() != ',') return fault_at_peek_bool("expected `,` or `}`");
      ++index_;
      skip_whitespace();
      if (!at_end() && peek() == '}') return fault_at_peek_bool("trailing comma");
    }
  }

  bool array(std::size_t depth) {
    if (depth >= nesting_budget) return fault_at_peek_bool("recursion limit exceeded");
    ++index_;
    skip_whitespace();
    if (at_end()) return fault_at_peek_bool("EOF while parsing a list");
    if (peek() == ']') {
      ++index_;
      return true;
    }
    while (true) {
      if (!value(depth)) return false;
      skip_whitespace();
      if (at_end()) return fault_at_peek_bool("EOF while parsing a list");
      if (peek() == ']') {
        ++index_;
        return true;
      }
      if (peek() != ',') return fault_at_peek_bool("expected `,` or `]`");
      ++index_;
      skip_whitespace();
      if (!at_end() && peek() == ']') return fault_at_peek_bool("trailing comma");
    }
  }

  bool ident(std::string_view word) {
    for (char expected : word) {
      if (at_end()) return fault_at_peek_bool("EOF while parsing a value");
      const bool matches = peek() == expected;
      ++index_;
      if (!matches) return fail("expected ident", index_);
    }
    return true;
  }

  bool digits() {
    if (at_end() || !is_digit(peek())) return fault_at_peek_bool("invalid number");
    while (!at_end() && is_digit(peek())) ++index_;
    return true;
  }

  bool number() {
    if (peek() == '-') ++index_;
    if (at_end() || !is_digit(peek())) return fault_at_peek_bool("invalid number");
    if (peek() == '0') {
      ++index_;
      if (!at_end() && is_digit(peek())) return fault_at_peek_bool("invalid number");
    } else if (!digits()) {
      return false;
    }
    if (!at_end() && peek() == '.') {
      ++index_;
      if (!digits()) return false;
    }
    if (!at_end() && (peek() == 'e' || peek() == 'E')) {
      ++index_;
      if (!at_end() && (peek() == '+' || peek() == '-')) ++index_;
      if (!digits()) return false;
    }
    return true;
  }

  // Four hex digits after "\u"; the cursor ends after them.
  std::optional<unsigned> hex_escape() {
    unsigned code_unit = 0;
    for (int digit = 0; digit < 4; ++digit) {
      if (at_end()) {
        fail("EOF while parsing a string", document_.size());
        return std::nullopt;
      }
      const char character = peek();
      ++index_;
      if (!is_hex_digit(character)) {
        fail("invalid escape", index_);
        return std::nullopt;
      }
      const unsigned value = is_digit(character)               ? unsigned(character - '0')
                             : (character >= 'a' && character <= 'f') ? unsigned(character - 'a' + 10)
                                                                      : unsigned(character - 'A' + 10);
      code_unit = code_unit * 16 + value;
    }
    return code_unit;
  }

  bool escape() {
    if (at_end()) return fail("EOF while parsing a string", document_.size());
    const char kind = peek();
    ++index_;
    if (escapable.find(kind) == std::string_view::npos) return fail("invalid escape", index_);
    if (kind != 'u') return true;
    const auto unit = hex_escape();
    if (!unit) return false;
    if (*unit >= 0xDC00 && *unit <= 0xDFFF) return fail("invalid unicode code point", index_);
    if (*unit < 0xD800 || *unit > 0xDBFF) return true;
    // A leading surrogate must be followed by an escaped trailing one.
    if (document_.substr(index_, 2) != "\\u") return fail("lone leading surrogate in hex escape", index_);
    index_ += 2;
    const auto trailing = hex_escape();
    if (!trailing) return false;
    if (*trailing < 0xDC00 || *trailing > 0xDFFF) return fail("lone leading surrogate in hex escape", index_);
    return true;
  }

  bool string() {
    ++index_;
    while (true) {
      if (at_end()) return fail("EOF while parsing a string", document_.size());
      const auto byte = static_cast<unsigned char>(peek());
      if (byte == '"') {
        ++index_;
        return true;
      }
      if (byte == '\\') {
        ++index_;
        if (!escape()) return false;
      } else if (byte < 0x20) {
        ++index_;
        return fail("control character (\\u0000-\\u001F) found while parsing a string", index_);
      } else if (byte < 0x80) {
        ++index_;
      } else {
        const auto decoded = support::utf8::decode(document_.substr(index_));
        if (!decoded) return fail("invalid unicode code point", index_ + 1);
        index_ += decoded->length;
      }
    }
  }
};

}  // namespace

std::optional<JsonFault> first_syntax_fault(std::string_view document) {
  return SyntaxCheck(document).run();
}

}  // namespace edi_energy::profile::json
