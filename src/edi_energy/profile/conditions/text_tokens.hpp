// Small readers of the words of a condition text: data element tokens ("DE3225"), group names
// ("SG8", "S12"), segment tokens ("SEQ+Z01"), and the punctuation that sticks to words.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace edi_energy::profile::conditions {

// Removes ",", ".", ";" and ")" from the end, repeatedly.
std::string_view strip_trailing(std::string_view word);
// Removes ",", "." and ";" from the end, repeatedly (before reading a group name).
std::string_view strip_group_punctuation(std::string_view word);
// Removes the ASCII double quote and „ “ ” from both ends, repeatedly.
std::string_view trim_quotes(std::string_view text);

// "DE" and four ASCII digits.
bool is_de_token(std::string_view word);
// "SG12" or "S12" gives "SG12".
std::optional<std::string> group_name(std::string_view word);
// Three upper-case ASCII letters before the first "+", or the whole word when there is none.
bool is_segment_token(std::string_view word);

// Written as a precondition: begins with "wenn ", "falls " or "sofern " in any letter case.
bool is_precondition(std::string_view text);
// The lower-cased text relates segments to one another, which no reading here can check.
bool names_a_relation(std::string_view lowered);

// Per word, whether it stands inside a name in brackets that closes again ("(Status der
// Antwort)"): such words name what the text speaks of and narrow nothing. A word that opens the
// bracket after text of its own ("E03(Transaktionsgrund:") keeps that text; brackets that never
// close mark nothing, so the words after them are read as they stand.
std::vector<char> described_words(const std::vector<std::string_view>& words);

// "A=B" gives A, "=" and B; "=B" gives "=" and B; "<=5", "A==B" and "A=" stay whole.
std::vector<std::string_view> space_out_equals(std::string_view word);

}  // namespace edi_energy::profile::conditions
