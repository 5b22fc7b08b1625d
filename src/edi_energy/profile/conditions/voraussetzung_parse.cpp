// Reading a Voraussetzung text, tried in order: a data element compared with values
// ("BGM DE1001 = Z70"), the shape of a data element ("DE3225 … die ID einer Marktlokation
// angegeben ist", "genau 11 Stellen"), then presence, absence and counts of segments.
#include <algorithm>
#include <array>

#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/conditions/voraussetzung_reading.hpp"
#include "edi_energy/profile/unicode_text.hpp"
#include "support/decimal.hpp"

namespace edi_energy::profile::conditions {
namespace {

namespace ut = unicode_text;
using reading::Words;

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::optional<std::size_t> first_de_token(const Words& words) {
  const auto found = std::find_if(words.begin(), words.end(), is_de_token);
  if (found == words.end()) return std::nullopt;
  return static_cast<std::size_t>(found - words.begin());
}

std::string join(const Words& words, std::size_t from, std::string_view separator) {
  std::string joined;
  for (std::size_t i = from; i < words.size(); ++i) {
    if (i > from) joined += separator;
    joined += words[i];
  }
  return joined;
}

// "DE1001 = Z70", "DE3055 ≠ 293/332".
std::optional<Voraussetzung> read_relation(const Words& words, const std::vector<char>& described) {
  const std::optional<std::size_t> de = first_de_token(words);
  if (!de || *de + 2 >= words.size()) return std::nullopt;
  static constexpr std::array<std::string_view, 4> relations{"=", "\u2260", "<>", "!="};
  const std::string_view relation = words[*de + 1];
  if (std::find(relations.begin(), relations.end(), relation) == relations.end()) return std::nullopt;
  std::string value_text(words[*de + 2]);
  for (std::size_t next = *de + 3; value_text.ends_with('/'); ++next) {
    if (next >= words.size()) return std::nullopt;
    value_text += words[next];
  }
  std::vector<std::string> values;
  std::string_view rest = trim_quotes(strip_trailing(value_text));
  for (;;) {
    const std::size_t slash = rest.find('/');
    const std::string_view piece = rest.substr(0, std::min(slash, rest.size()));
    const bool code_chars =
        std::all_of(piece.begin(), piece.end(), [](char c) { return ut::is_ascii_alnum(c) || c == '_'; });
    if (piece.empty() || !code_chars) return std::nullopt;
    values.emplace_back(piece);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  const std::optional<reading::Located> located = reading::locate_pattern(words);
  const std::optional<std::size_t> holder = reading::holder_of(words, described, *de);
  if (!located || !holder) return std::nullopt;
  std::optional<SegmentPattern> pattern = SegmentPattern::parse(strip_trailing(words[*holder]));
  auto companions = reading::companions_of(words, described, *holder);
  if (!pattern || !companions) return std::nullopt;
  const bool says_absent = contains(ut::to_lower(join(words, *de + 2, " ")), "nicht vorhanden");
  const bool negated = (relation != "=") != says_absent;
  std::string tag = pattern->tag;
  return Voraussetzung{Voraussetzung::DeValue{std::move(tag), std::string(words[*de].substr(2)), std::move(values),
                                              located->group, negated, false, std::move(*pattern),
                                              std::move(*companions)},
                       located->reach};
}

std::optional<ShapeCheck> shape_check(const std::vector<std::string>& lowered) {
  const auto at = [&](std::size_t i) -> std::string_view {
    return i < lowered.size() ? lowered[i] : std::string_view{};
  };
  const auto genau = std::find(lowered.begin(), lowered.end(), "genau");
  if (genau != lowered.end()) {
    const std::size_t i = static_cast<std::size_t>(genau - lowered.begin());
    std::string_view count = at(i + 1);
    if (count.starts_with('+')) count.remove_prefix(1);
    const std::optional<std::size_t> length = support::parse_decimal<std::size_t>(count);
    if (!length || !at(i + 2).starts_with("stellen")) return std::nullopt;
    return ShapeCheck{ShapeCheck::Kind::Length, {}, *length};
  }
  std::size_t angegeben = 0;
  while (angegeben < lowered.size() && !(lowered[angegeben] == "angegeben" && at(angegeben + 1).starts_with("ist"))) {
    ++angegeben;
  }
  if (angegeben == lowered.size()) return std::nullopt;
  const auto id = std::find(lowered.begin(), lowered.end(), "id");
  const std::size_t id_index = static_cast<std::size_t>(id - lowered.begin());
  if (id == lowered.end() || id_index >= angegeben || (at(id_index + 1) != "der" && at(id_index + 1) != "einer")) {
    return std::nullopt;
  }
  std::string object;
  for (std::size_t i = id_index + 2; i < angegeben; ++i) {
    if (!object.empty()) object += ' ';
    object += lowered[i];
  }
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> objects{{
      {"marktlokation", "950"},
      {"messlokation", "951"},
      {"netzlokation", "960"},
      {"steuerbare ressource", "961"},
      {"steuerbaren ressource", "961"},
  }};
  for (const auto& [name, number] : objects) {
    if (object == name) return ShapeCheck{ShapeCheck::Kind::Formatbedingung, std::string(number), 0};
  }
  return std::nullopt;
}

std::optional<Voraussetzung> read_shape(const Words& words, const std::vector<char>& described) {
  std::vector<std::string> lowered;
  lowered.reserve(words.size());
  for (std::string_view word : words) lowered.push_back(ut::to_lower(word));
  std::optional<ShapeCheck> check = shape_check(lowered);
  if (!check) return std::nullopt;
  const std::optional<reading::Located> located = reading::locate_pattern(words);
  const std::optional<std::size_t> de = first_de_token(words);
  if (!located || !de) return std::nullopt;
  const std::optional<std::size_t> holder = reading::holder_of(words, described, *de);
  if (!holder) return std::nullopt;
  std::optional<SegmentPattern> pattern = SegmentPattern::parse(strip_trailing(words[*holder]));
  auto companions = reading::companions_of(words, described, *holder);
  if (!pattern || !companions) return std::nullopt;
  return Voraussetzung{Voraussetzung::DeShape{std::move(*check), std::move(*pattern), std::string(words[*de].substr(2)),
                                              located->group, false, std::move(*companions)},
                       located->reach};
}

std::optional<std::size_t> count_word(std::string_view word) {
  static constexpr std::array<std::pair<std::string_view, std::size_t>, 9> counts{{
      {"zwei", 2},
      {"drei", 3},
      {"vier", 4},
      {"f\u00FCnf", 5},
      {"einmal", 1},
      {"zweimal", 2},
      {"dreimal", 3},
      {"viermal", 4},
      {"f\u00FCnfmal", 5},
  }};
  for (const auto& [name, count] : counts) {
    if (word == name) return count;
  }
  return std::nullopt;
}

// "zweimal vorhanden" … "fünfmal vorhanden": exactly that often.
std::optional<std::size_t> times_present(const std::string& lowered) {
  const Words words = ut::split_white(lowered);
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    if (!words[i + 1].starts_with("vorhanden") || !words[i].ends_with("mal")) continue;
    const std::optional<std::size_t> count = count_word(words[i]);
    if (count && *count > 1) return count;
  }
  return std::nullopt;
}

std::optional<Voraussetzung> read_presence(const Words& words, const std::vector<char>& described,
                                           const std::string& lowered) {
  if (!contains(lowered, "vorhanden")) return std::nullopt;
  static constexpr std::array<std::string_view, 6> negating_phrases{
      " nicht vorhanden", " in keinem ", " in keiner ", " in keinen ", " keiner der ", " keines der "};
  static constexpr std::array<std::string_view, 4> negating_second_words{"nicht", "kein", "keine", "keinen"};
  bool negated = std::any_of(negating_phrases.begin(), negating_phrases.end(),
                             [&](std::string_view phrase) { return contains(lowered, phrase); });
  if (!negated && words.size() >= 2) {
    const std::string second = ut::to_lower(words[1]);
    negated = std::find(negating_second_words.begin(), negating_second_words.end(), second) !=
              negating_second_words.end();
  }
  const std::optional<reading::Located> located = reading::locate_pattern(words);
  if (!located || names_a_relation(lowered)) return std::nullopt;
  const std::optional<std::size_t> de = first_de_token(words);
  const std::optional<std::size_t> holder = de ? reading::holder_of(words, described, *de) : std::nullopt;
  if (de && !holder) return std::nullopt;
  const std::size_t holder_index = holder.value_or(0);
  if (de) {
    auto value = reading::parse_element_value(words, described, lowered, *de, holder_index, located->group, negated);
    if (value) {
      auto companions = reading::companions_of(words, described, holder_index);
      if (!companions) return std::nullopt;
      value->companions = std::move(*companions);
      return Voraussetzung{std::move(*value), located->reach};
    }
  }
  reading::Chain chain = reading::segment_chain(words, located->index);
  if (chain.patterns.empty()) return std::nullopt;
  // "im Vorgang": the transaction around the row, whatever group the segments stand in.
  const bool in_vorgang = contains(lowered, " im vorgang ");
  std::optional<std::string> group = in_vorgang ? std::optional<std::string>("SG4") : located->group;
  const Reach reach = in_vorgang ? Reach::Around : located->reach;
  if (const std::size_t more = lowered.find("mehr als "); more != std::string::npos) {
    const Words after = ut::split_white(std::string_view(lowered).substr(more + 9));
    const std::optional<std::size_t> count = after.empty() ? std::nullopt : count_word(after.front());
    if (!count || chain.patterns.size() != 1) return std::nullopt;
    return Voraussetzung{Voraussetzung::Count{std::move(chain.patterns.front()), std::move(group), *count, std::nullopt},
                         reach};
  }
  if (const std::optional<std::size_t> times = times_present(lowered)) {
    if (chain.patterns.size() != 1) return std::nullopt;
    return Voraussetzung{Voraussetzung::Count{std::move(chain.patterns.front()), std::move(group), *times - 1, *times},
                         reach};
  }
  if (contains(lowered, "mal vorhanden") && !contains(lowered, "einmal vorhanden")) return std::nullopt;
  if (!de) {
    // "… CAV+ZH9 (Code der Produkteigenschaft) der Code 9991000002933": a value of the last
    // segment, in the data element the MIG leaves open for it.
    return Voraussetzung{Voraussetzung::Present{std::move(chain.patterns), std::move(group), chain.any, negated,
                                                std::move(chain.companions),
                                                reading::codes_after(words, described, located->index)},
                         reach};
  }
  std::optional<SegmentPattern> pattern = SegmentPattern::parse(strip_trailing(words[holder_index]));
  auto companions = reading::companions_of(words, described, holder_index);
  if (!pattern || !companions) return std::nullopt;
  return Voraussetzung{Voraussetzung::DeShape{ShapeCheck{ShapeCheck::Kind::Filled, {}, 0}, std::move(*pattern),
                                              std::string(words[*de].substr(2)), std::move(group), negated,
                                              std::move(*companions)},
                       reach};
}

}  // namespace

std::optional<Voraussetzung> Voraussetzung::parse(std::string_view text) {
  const std::string repaired = reading::with_obis_kinds_as_patterns(reading::with_obis_colons_released(
      reading::without_placeholder_notes(reading::repair_wrapped_patterns(text))));
  const std::string_view trimmed = ut::trim_white(reading::condition_part(repaired));
  const std::string lowered = ut::to_lower(trimmed);
  if (!lowered.starts_with("wenn ")) return std::nullopt;
  Words words;
  for (std::string_view word : ut::split_white(trimmed)) {
    for (std::string_view token : space_out_equals(word)) words.push_back(token);
  }
  const std::vector<char> described = described_words(words);
  std::optional<Voraussetzung> reading = read_relation(words, described);
  if (!reading) reading = read_shape(words, described);
  if (!reading) reading = read_presence(words, described, lowered);
  // A text read only in part says more than the reading: unknown, not wider.
  if (!reading || !reading::wholly_read(words, described, *reading)) return std::nullopt;
  return reading;
}

}  // namespace edi_energy::profile::conditions
