// Whether a reading accounts for every word of its text. The readers find a pattern and the
// words they know; what they pass over may narrow the condition ("der Code 9991000002933",
// "eine OBIS-Kennzahl für Wirkarbeit", "in Anfrage (REQOTE) vorhanden war"), and a reading
// without it would hold where the text does not.
#include <algorithm>
#include <array>
#include <string>
#include <unordered_set>
#include <variant>

#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/conditions/voraussetzung_reading.hpp"
#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions::reading {
namespace {

namespace ut = unicode_text;

template <std::size_t N>
bool one_of(std::string_view word, const std::array<std::string_view, N>& choices) {
  return std::find(choices.begin(), choices.end(), word) != choices.end();
}

// Articles, prepositions and the words that say where or that something is.
constexpr std::array<std::string_view, 40> plain_words{
    "wenn",      "in",        "im",        "innerhalb", "ist",     "sind",      "vorhanden", "das",
    "der",       "die",       "dem",       "den",       "des",     "ein",       "eine",      "einem",
    "einer",     "eines",     "einen",     "diese",     "dieser",  "diesem",    "dieses",    "selben",
    "derselben", "demselben", "dieselbe",  "desselben", "mit",     "und",       "nachricht", "segment",
    "sg",        "wert",      "werte",     "code",      "codes",   "einmal",    "/",         "angabe"};
constexpr std::array<std::string_view, 6> denials{"nicht", "kein", "keine", "keinen", "keinem", "keiner"};
constexpr std::array<std::string_view, 8> count_words{"zwei",    "drei",    "vier",    "f\u00FCnf",
                                                      "zweimal", "dreimal", "viermal", "f\u00FCnfmal"};
constexpr std::array<std::string_view, 8> object_words{"id",           "angegeben",   "marktlokation", "messlokation",
                                                       "netzlokation", "steuerbare",  "steuerbaren",   "ressource"};
constexpr std::array<std::string_view, 4> relations{"=", "\u2260", "<>", "!="};
constexpr std::array<std::string_view, 8> articles{"ein", "eine", "einer", "einem", "der", "die", "das", "den"};

// The word without the punctuation and quotation marks around it, and without a name in brackets
// that it opens.
std::string_view core_of(std::string_view word) {
  word = word.substr(0, std::min(word.find('('), word.size()));
  static constexpr std::array<std::string_view, 4> quotes{"\"", "\u201E", "\u201C", "\u201D"};
  for (bool trimmed = true; trimmed && !word.empty();) {
    trimmed = false;
    if (std::string_view(",.;:!?)").find(word.back()) != std::string_view::npos) {
      word.remove_suffix(1);
      trimmed = true;
    }
    for (std::string_view mark : quotes) {
      if (word.starts_with(mark)) word.remove_prefix(mark.size()), trimmed = true;
      if (word.ends_with(mark)) word.remove_suffix(mark.size()), trimmed = true;
    }
  }
  return word;
}

// What a reading holds, gathered once.
struct Held {
  std::vector<const SegmentPattern*> patterns;
  std::unordered_set<std::string> values;
  std::string tag;  // a data element's segment
  std::string de;
  std::optional<std::string> group;
  bool negated = false;
  bool any = false;
  bool value = false;
  bool suffix = false;
  bool count = false;
  bool more_than = false;
  ShapeCheck::Kind check = ShapeCheck::Kind::Filled;
  bool shape = false;
};

Held held_by(const Voraussetzung& reading) {
  Held held;
  const auto add = [&](const std::vector<SegmentPattern>& patterns) {
    for (const SegmentPattern& pattern : patterns) held.patterns.push_back(&pattern);
  };
  std::visit(
      [&]<typename Shape>(const Shape& shape) {
        held.group = shape.group;
        if constexpr (std::is_same_v<Shape, Voraussetzung::Present>) {
          add(shape.chain);
          add(shape.companions);
          held.values.insert(shape.codes.begin(), shape.codes.end());
          held.negated = shape.negated;
          held.any = shape.any;
        } else if constexpr (std::is_same_v<Shape, Voraussetzung::DeValue>) {
          held.patterns.push_back(&shape.pattern);
          add(shape.companions);
          held.values.insert(shape.values.begin(), shape.values.end());
          held.tag = shape.tag;
          held.de = shape.de;
          held.negated = shape.negated;
          held.value = true;
          held.suffix = shape.suffix;
        } else if constexpr (std::is_same_v<Shape, Voraussetzung::DeShape>) {
          held.patterns.push_back(&shape.pattern);
          add(shape.companions);
          held.tag = shape.pattern.tag;
          held.de = shape.de;
          held.negated = shape.negated;
          held.shape = true;
          held.check = shape.check.kind;
          if (shape.check.kind == ShapeCheck::Kind::Length) held.values.insert(std::to_string(shape.check.length));
        } else {
          held.patterns.push_back(&shape.pattern);
          held.count = true;
          held.more_than = !shape.at_most.has_value();
        }
      },
      reading.shape);
  return held;
}

// A word whose meaning the reading carries, or one that narrows nothing.
bool plain_or_carried(std::string_view lowered, const Held& held, bool negative_relation) {
  if (one_of(lowered, denials)) return held.negated || negative_relation;
  if (lowered == "oder") return held.any || held.value;
  if (lowered == "mehr" || lowered == "als") return held.count && held.more_than;
  if (one_of(lowered, count_words)) return held.count;
  if (lowered == "vorgang") return held.group == "SG4";
  if (lowered == "genau") return held.shape && held.check == ShapeCheck::Kind::Length;
  if (lowered == "stellen") return (held.shape && held.check == ShapeCheck::Kind::Length) || held.suffix;
  if (lowered == "letzten" || lowered == "beiden" || lowered == "bei") return held.suffix;
  if (one_of(lowered, object_words)) return held.shape && held.check == ShapeCheck::Kind::Formatbedingung;
  if (lowered == "dann") return false;  // a consequence follows, which no reading checks
  return one_of(lowered, plain_words);
}

bool held_pattern(const Held& held, const SegmentPattern& pattern) {
  return std::ranges::any_of(held.patterns, [&](const SegmentPattern* p) { return *p == pattern; });
}

// Every "/"-separated piece is a value the reading compares with.
bool held_values(std::string_view core, const Held& held) {
  bool any = false;
  for (std::size_t start = 0; start <= core.size();) {
    const std::size_t slash = std::min(core.find('/', start), core.size());
    std::string_view piece = core.substr(start, slash - start);
    while (piece.starts_with('-')) piece.remove_prefix(1);
    while (piece.ends_with('-')) piece.remove_suffix(1);
    if (!piece.empty()) {
      if (!held.values.contains(std::string(piece))) return false;
      any = true;
    }
    start = slash + 1;
  }
  return any;
}

}  // namespace

bool wholly_read(const Words& words, const std::vector<char>& described, const Voraussetzung& reading) {
  const Held held = held_by(reading);
  const bool negative_relation = std::ranges::any_of(
      words, [](std::string_view word) { return word == "\u2260" || word == "<>" || word == "!="; });
  std::optional<std::size_t> last_plain;  // the last word not in brackets
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (described[i]) continue;
    const std::optional<std::size_t> before = last_plain;
    last_plain = i;
    const std::string_view core = core_of(words[i]);
    if (core.empty()) continue;
    const std::string lowered = ut::to_lower(core);
    if (plain_or_carried(lowered, held, negative_relation)) continue;
    if (group_name(strip_group_punctuation(core))) continue;
    if (is_de_token(core)) {
      if (core.substr(2) != held.de) return false;
      continue;
    }
    if (one_of(core, relations)) {
      if (!held.value) return false;
      continue;
    }
    if (is_segment_token(core)) {
      const bool bare = core.find('+') == std::string_view::npos;
      if (const auto patterns = patterns_of_word(words, i);
          patterns && std::ranges::all_of(*patterns, [&](const SegmentPattern& p) { return held_pattern(held, p); })) {
        // "CAV E06": the code in the next word belongs to the pattern.
        if (bare && i + 1 < words.size() && patterns->size() == 1 && !patterns->front().elements.empty()) ++i;
        continue;
      }
      // "derselben SG27 LIN": the tag names the group's instance.
      if (bare && before && group_name(strip_group_punctuation(words[*before]))) continue;
      if (bare && core == held.tag) continue;
      // "IMD+C in diesem IMD": the segment the pattern names.
      if (bare && std::ranges::any_of(held.patterns, [&](const SegmentPattern* p) { return p->tag == core; })) continue;
    }
    if (held_values(core, held)) continue;
    // "mit einer Artikel-ID im DE7140": the data element's name.
    const bool names_the_element = before && one_of(ut::to_lower(words[*before]), articles) && i + 2 < words.size() &&
                                   one_of(ut::to_lower(words[i + 1]), std::array<std::string_view, 2>{"im", "in"}) &&
                                   is_de_token(words[i + 2]) && words[i + 2].substr(2) == held.de;
    if (names_the_element) continue;
    // "der Code der Produkteigenschaft 9991000002420": the kind of code the value is.
    const auto plain_before = [&](std::size_t at) {
      while (at > 0 && described[at - 1]) --at;
      return at;
    };
    const std::size_t article = before ? *before : 0;
    const std::size_t code = before ? plain_before(article) : 0;
    const bool names_the_code = before && code > 0 && !held.values.empty() && ut::is_ascii_upper(core.front()) &&
                                one_of(ut::to_lower(words[article]), std::array<std::string_view, 2>{"der", "des"}) &&
                                one_of(ut::to_lower(words[code - 1]), std::array<std::string_view, 2>{"code", "codes"});
    if (names_the_code) continue;
    return false;
  }
  return true;
}

}  // namespace edi_energy::profile::conditions::reading
