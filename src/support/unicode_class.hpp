// Unicode classes of single characters: the two that decide how a character is shown in a quoted
// display, and lower case. From tables generated out of the Unicode data
// (tools/gen_unicode_classes.py).
#pragma once

namespace support::unicode {

// Not a control, format, surrogate, private-use, unassigned or separator character (the ASCII
// space excepted), nor beyond U+10FFFF: something a reader sees as itself.
bool is_printable(char32_t c);

// Attaches to the character before it (Grapheme_Extend: combining and enclosing marks and a few
// others).
bool is_grapheme_extend(char32_t c);

// The Lowercase property (a-z, ß, é, and the lower-case letters of every script).
bool is_lowercase(char32_t c);

}  // namespace support::unicode
