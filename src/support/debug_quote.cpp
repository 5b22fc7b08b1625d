#include "support/debug_quote.hpp"

#include <fmt/format.h>

#include "support/unicode_class.hpp"
#include "support/utf8.hpp"

namespace support {
namespace {

// Whether an ASCII byte stands for itself inside double quotes.
bool is_plain_ascii(unsigned char byte) { return byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\'; }

// A combining mark is escaped wherever it stands: raw, it would fuse with the quote or the
// character before it and hide what the text holds.
bool is_shown_escaped(char32_t c) { return !unicode::is_printable(c) || unicode::is_grapheme_extend(c); }

// `encoded` is c's UTF-8 form when the caller has it at hand. Python reads no \u{hex}, and reads
// \0 before a digit as another character.
void append_escaped(std::string& out, char32_t c, char quote, std::string_view encoded = {}, bool python = false) {
  switch (c) {
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    case '\n': out += "\\n"; return;
    case '\0': out += python ? "\\x00" : "\\0"; return;
    case '\\': out += "\\\\"; return;
    default: break;
  }
  if (c == static_cast<char32_t>(quote)) {
    out.push_back('\\');
    out.push_back(quote);
  } else if (is_shown_escaped(c)) {
    const auto code = static_cast<std::uint32_t>(c);
    if (!python) {
      fmt::format_to(std::back_inserter(out), "\\u{{{:x}}}", code);
    } else if (code < 0x100) {
      fmt::format_to(std::back_inserter(out), "\\x{:02x}", code);
    } else if (code < 0x10000) {
      fmt::format_to(std::back_inserter(out), "\\u{:04x}", code);
    } else {
      fmt::format_to(std::back_inserter(out), "\\U{:08x}", code);
    }
  } else if (!encoded.empty()) {
    out += encoded;
  } else {
    utf8::append(out, c);
  }
}

std::string quoted(std::string_view text, bool python) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  std::size_t offset = 0;
  while (offset < text.size()) {
    std::size_t plain_end = offset;
    while (plain_end < text.size() && is_plain_ascii(static_cast<unsigned char>(text[plain_end]))) ++plain_end;
    out.append(text, offset, plain_end - offset);
    offset = plain_end;
    if (offset == text.size()) break;
    if (auto decoded = utf8::decode(text.substr(offset))) {
      append_escaped(out, decoded->scalar, '"', text.substr(offset, decoded->length), python);
      offset += decoded->length;
    } else {
      // Not UTF-8: show the raw byte the way a lossy decode would.
      out += "\xEF\xBF\xBD";
      ++offset;
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace

std::string debug_quote(std::string_view text) { return quoted(text, false); }

std::string python_quote(std::string_view text) { return quoted(text, true); }

std::string debug_quote(char32_t character) {
  std::string out = "'";
  append_escaped(out, character, '\'');
  out.push_back('\'');
  return out;
}

std::string debug_quote(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i) out += ", ";
    out += debug_quote(std::string_view(texts[i]));
  }
  out.push_back(']');
  return out;
}

std::string debug_option(std::optional<std::uint32_t> value) {
  return value ? fmt::format("Some({})", *value) : std::string("None");
}

}  // namespace support
