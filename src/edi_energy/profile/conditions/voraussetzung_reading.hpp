// The inner steps of reading a Voraussetzung text, over its words (split at white space, each
// with "=" spaced out). Shared by the reader and its tests only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace edi_energy::profile::conditions::reading {

using Words = std::vector<std::string_view>;

// Joins segment patterns that a line wrap broke after "+", "-", "/" or ":" ("CAV+MIW/ MPW").
std::string repair_wrapped_patterns(std::string_view text);

// The text without the brackets that explain a pattern's placeholder letters ("PIA+5+7-b?:99.41.16
// (b=Kanal: Wert gemäß Codeliste …)"): the letter stands for any value, as placeholders do.
std::string without_placeholder_notes(std::string_view text);

// "Wenn …, dann …": the part before the consequence, which decides; the consequence is a note.
std::string_view condition_part(std::string_view text);

// "PIA+5+7-b:99.41.16": the colon inside an OBIS code gets its release character, so that the
// code stays one value.
std::string with_obis_colons_released(std::string_view text);

// "eine OBIS-Kennzahl der Werteart "Zählerstand" im PIA+5" as the pattern of those codes, where
// their groups say the kind; other kinds stay as written, and the text unread.
std::string with_obis_kinds_as_patterns(std::string_view text);

struct Located {
  std::size_t index = 0;              // of the pattern word
  std::optional<std::string> group;   // the scope group
  Reach reach = Reach::Anywhere;      // Around when the text points at the instance
};

// The word that names the segment, and the scope group the text names.
std::optional<Located> locate_pattern(const Words& words);

struct Chain {
  std::vector<SegmentPattern> patterns;  // empty when a piece did not parse
  // Patterns named right after "diese", "derselben", … that name the scope's instance
  // ("in derselben SG10 das CCI+Z17 im CAV+ZH1"): left out of the chain, but they must match
  // in the same instance.
  std::vector<SegmentPattern> companions;
  bool any = false;
};

// The patterns named from the located word on.
Chain segment_chain(const Words& words, std::size_t located);

// The patterns one word names ("CCI+Z66/CAV+ZH9" two, "CAV E06" with the next word one);
// nothing when a piece does not parse.
std::optional<std::vector<SegmentPattern>> patterns_of_word(const Words& words, std::size_t index);

// The word of the segment that holds the data element at `de_index`: the one the words after it
// name ("im DE4347 des PIA", "im DE3155 in demselben COM"), else the nearest before it.
std::optional<std::size_t> holder_of(const Words& words, const std::vector<char>& described, std::size_t de_index);

// The patterns of every segment word but the holder's, in order: they name the instance the
// holder stands in.
std::optional<std::vector<SegmentPattern>> companions_of(const Words& words, const std::vector<char>& described,
                                                         std::size_t holder);

// The values that the text lists for the data element at `de_index` (step of the presence
// reading), or nothing.
std::optional<Voraussetzung::DeValue> parse_element_value(const Words& words, const std::vector<char>& described,
                                                          std::string_view lowered, std::size_t de_index,
                                                          std::size_t holder, const std::optional<std::string>& group,
                                                          bool negated);

// The codes a text names after the word "Code" behind the word at `from` ("CCI+Z66/CAV+ZH9 …
// der Code 9991000002933"): values of a data element of the last segment it names.
std::vector<std::string> codes_after(const Words& words, const std::vector<char>& described, std::size_t from);

// Every word of the text outside names in brackets is accounted for by the reading: its
// segments, group, data element and values, or a word that narrows nothing ("wenn", "in",
// "vorhanden"), or one whose meaning the reading carries ("nicht", "oder", "genau").
bool wholly_read(const Words& words, const std::vector<char>& described, const Voraussetzung& reading);

}  // namespace edi_energy::profile::conditions::reading
