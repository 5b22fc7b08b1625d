#include "support/debug_quote.hpp"

#include <fmt/format.h>

#include "support/utf8.hpp"

namespace support {
namespace {

// Characters that are shown escaped although they are not control characters: format and
// separator characters that would be invisible or reorder the text around them.
bool is_invisible(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) || c == 0xFEFF;
}

void append_escaped(std::string& out, char32_t c, char quote) {
  switch (c) {
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    case '\n': out += "\\n"; return;
    case '\0': out += "\\0"; return;
    case '\\': out += "\\\\"; return;
    default: break;
  }
  if (c == static_cast<char32_t>(quote)) {
    out.push_back('\\');
    out.push_back(quote);
  } else if (is_invisible(c)) {
    fmt::format_to(std::back_inserter(out), "\\u{{{:x}}}", static_cast<std::uint32_t>(c));
  } else {
    utf8::append(out, c);
  }
}

}  // namespace

std::string debug_quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  std::size_t offset = 0;
  while (offset < text.size()) {
    if (auto decoded = utf8::decode(text.substr(offset))) {
      append_escaped(out, decoded->scalar, '"');
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
