// Helpers for the tests over the content of the built-in profiles: lookups in the compiled
// documents, and a structural reader of AHB condition expressions and condition texts that
// checks what they name against the AHB and the MIG.
#pragma once

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <expected>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/profile.hpp"

namespace builtin_content {

using edi_energy::profile::Profile;
namespace model = edi_energy::profile::model;

using NamedProfile = std::pair<std::string_view, const Profile*>;

inline const std::vector<NamedProfile>& builtin_profiles() {
  static const std::vector<NamedProfile> named = [] {
    std::vector<const Profile*> profiles;
    edi_energy::register_profiles(profiles);
    std::vector<NamedProfile> out;
    const auto pairs = edi_energy::catalogue::builtin_pairs();
    for (std::size_t index = 0; index < pairs.size(); ++index) out.emplace_back(pairs[index].name, profiles.at(index));
    return out;
  }();
  return named;
}

inline const Profile& profile_named(std::string_view name) {
  for (const auto& [candidate, profile] : builtin_profiles()) {
    if (candidate == name) return *profile;
  }
  throw std::out_of_range(std::string(name));
}

// A segment of the MIG with the names of the groups around it, outermost first.
struct PlacedSegment {
  const model::SegmentNode* segment;
  std::vector<std::string_view> groups;
};

inline std::vector<PlacedSegment> mig_segments(const model::MigProfile& mig) {
  std::vector<PlacedSegment> out;
  std::vector<std::string_view> groups;
  const std::function<void(const std::vector<model::Node>&)> walk = [&](const std::vector<model::Node>& nodes) {
    for (const model::Node& node : nodes) {
      if (const model::GroupNode* group = node.group()) {
        groups.push_back(group->group);
        walk(group->children);
        groups.pop_back();
      } else {
        out.push_back({node.segment(), groups});
      }
    }
  };
  walk(mig.structure);
  return out;
}

inline std::vector<const model::GroupNode*> mig_groups(const model::MigProfile& mig, std::string_view name) {
  std::vector<const model::GroupNode*> out;
  const std::function<void(const std::vector<model::Node>&)> walk = [&](const std::vector<model::Node>& nodes) {
    for (const model::Node& node : nodes) {
      if (const model::GroupNode* group = node.group()) {
        if (group->group == name) out.push_back(group);
        walk(group->children);
      }
    }
  };
  walk(mig.structure);
  return out;
}

// The MIG element at a position of the segment: component `component` of data element
// `element` (a simple data element is its own component 0).
inline const model::Element* element_at(const model::SegmentNode& segment, std::size_t element, std::size_t component) {
  if (element >= segment.elements.size()) return nullptr;
  const model::Element& outer = segment.elements[element];
  if (outer.components.empty()) return component == 0 ? &outer : nullptr;
  return component < outer.components.size() ? &outer.components[component] : nullptr;
}

inline const model::Element* data_element(const model::SegmentNode& segment, std::string_view id) {
  for (const model::Element& element : segment.elements) {
    if (element.id == id) return &element;
    for (const model::Element& component : element.components) {
      if (component.id == id) return &component;
    }
  }
  return nullptr;
}

inline std::vector<std::string_view> codes_of(const model::SegmentNode& segment, std::string_view id) {
  std::vector<std::string_view> out;
  if (const model::Element* element = data_element(segment, id)) {
    for (const model::Code& code : element->codes) out.push_back(code.code);
  }
  return out;
}

inline const model::ElementRule* rule_for(const model::Anwendungsfall& anwendungsfall, std::string_view nr,
                                          std::string_view de) {
  auto found = std::ranges::find_if(anwendungsfall.elements,
                                    [&](const model::ElementRule& rule) { return rule.nr == nr && rule.de == de; });
  return found == anwendungsfall.elements.end() ? nullptr : &*found;
}

// The code that the column prescribes for BGM DE 1001, read the way the builders read it.
inline std::optional<std::string_view> column_bgm_code(const Profile& profile, std::uint32_t pid) {
  const model::Anwendungsfall* anwendungsfall = profile.anwendungsfall(pid);
  if (anwendungsfall == nullptr) return std::nullopt;
  for (const auto& node : profile.structure().nodes) {
    const auto* segment = node.segment();
    if (segment == nullptr || segment->tag != "BGM") continue;
    const model::ElementRule* rule = rule_for(*anwendungsfall, segment->nr, "1001");
    if (rule == nullptr) return std::nullopt;
    for (const model::Operand& operand : rule->operands) {
      if (operand.code) return *operand.code;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

// Whether the column requires segment `nr` without condition: its row and the rows of all
// groups around it say exactly "Muss".
inline bool unconditionally_required(const Profile& profile, const model::Anwendungsfall& anwendungsfall,
                                     std::string_view nr) {
  const auto& structure = profile.structure();
  const auto found = structure.nr_index.find(nr);
  if (found == structure.nr_index.end()) return false;
  const auto is_muss = [](const std::vector<std::string>* cells) {
    return cells != nullptr && *cells == std::vector<std::string>{"Muss"};
  };
  if (!is_muss(anwendungsfall.segment_status(nr))) return false;
  for (auto parent = structure.nodes[found->second].parent; parent; parent = structure.nodes[*parent].parent) {
    const auto& group = structure.nodes[*parent];
    const auto& trigger = structure.nodes[group.children.front()].segment()->nr;
    const auto row = std::ranges::find_if(anwendungsfall.rows, [&](const model::Row& candidate) {
      return candidate.group == group.group()->group && candidate.before == trigger;
    });
    if (row == anwendungsfall.rows.end() || !is_muss(&row->status)) return false;
  }
  return true;
}

// ---- condition expressions ------------------------------------------------------------------

inline constexpr std::array<std::string_view, 7> status_words{"Muss", "Soll", "Kann", "X", "M", "S", "K"};

// The Formatbedingungen that the format checks know.
inline constexpr std::array<std::string_view, 53> known_formatbedingungen{
    "902", "903", "904", "905", "906", "907", "908", "909", "910", "912", "913", "914", "915", "917",
    "918", "922", "925", "926", "927", "929", "930", "931", "932", "933", "934", "935", "937", "938",
    "939", "940", "942", "943", "946", "947", "948", "949", "950", "951", "953", "955", "957", "959",
    "960", "961", "962", "963", "964", "965", "968", "969", "UB1", "UB2", "UB3"};

inline bool is_known_formatbedingung(std::string_view reference) {
  return std::ranges::find(known_formatbedingungen, reference) != known_formatbedingungen.end();
}

enum class Token : std::uint8_t { reference, open, close, operation };

// The references of an expression in the order written, or what keeps it from parsing.
inline std::expected<std::vector<std::string>, std::string> expression_references(std::string_view text) {
  constexpr std::array<std::string_view, 3> operators{"\u2227", "\u2228", "\u22BB"};
  std::vector<Token> tokens;
  std::vector<std::string> references;
  for (std::size_t at = 0; at < text.size();) {
    const std::string_view rest = text.substr(at);
    if (rest.front() == ' ' || rest.front() == '\t' || rest.starts_with("\u00A0")) {
      at += rest.front() == ' ' || rest.front() == '\t' ? 1 : 2;
    } else if (rest.front() == '(' || rest.front() == ')') {
      tokens.push_back(rest.front() == '(' ? Token::open : Token::close);
      ++at;
    } else if (rest.front() == '[') {
      const std::size_t end = rest.find(']');
      if (end == std::string_view::npos) return std::unexpected("unterminated reference");
      if (rest.substr(1, end - 1).find_first_not_of(' ') == std::string_view::npos) {
        return std::unexpected("empty reference");
      }
      references.emplace_back(rest.substr(1, end - 1));
      tokens.push_back(Token::reference);
      at += end + 1;
    } else if (auto op = std::ranges::find_if(operators, [&](std::string_view o) { return rest.starts_with(o); });
               op != operators.end()) {
      tokens.push_back(Token::operation);
      at += op->size();
    } else {
      return std::unexpected("unexpected character at byte " + std::to_string(at));
    }
  }
  if (tokens.empty()) return std::unexpected("empty expression");
  // chain := juxtaposition { operator juxtaposition }; juxtaposition := atom { atom };
  // atom := reference | "(" chain ")"
  std::size_t cursor = 0;
  std::string fault;
  const std::function<bool()> chain = [&]() -> bool {
    const auto atom = [&]() -> bool {
      if (cursor == tokens.size() || tokens[cursor] == Token::operation || tokens[cursor] == Token::close) {
        fault = "operand expected";
        return false;
      }
      if (tokens[cursor++] == Token::reference) return true;
      if (!chain()) return false;
      if (cursor == tokens.size() || tokens[cursor] != Token::close) {
        fault = "unbalanced parenthesis";
        return false;
      }
      ++cursor;
      return true;
    };
    const auto juxtaposition = [&]() -> bool {
      if (!atom()) return false;
      while (cursor < tokens.size() && (tokens[cursor] == Token::reference || tokens[cursor] == Token::open)) {
        if (!atom()) return false;
      }
      return true;
    };
    if (!juxtaposition()) return false;
    while (cursor < tokens.size() && tokens[cursor] == Token::operation) {
      ++cursor;
      if (!juxtaposition()) return false;
    }
    return true;
  };
  if (!chain()) return std::unexpected(fault);
  if (cursor != tokens.size()) return std::unexpected("unbalanced parenthesis");
  return references;
}

// A status cell: a status word, then optionally an expression.
inline std::expected<std::vector<std::string>, std::string> status_references(std::string_view cell) {
  const std::size_t first = cell.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::unexpected("empty status cell");
  const std::size_t word_end = std::min(cell.find(' ', first), cell.size());
  if (std::ranges::find(status_words, cell.substr(first, word_end - first)) == status_words.end()) {
    return std::unexpected("no status word");
  }
  const std::string_view rest = cell.substr(word_end);
  if (rest.find_first_not_of(' ') == std::string_view::npos) return std::vector<std::string>{};
  return expression_references(rest);
}

inline std::optional<std::uint32_t> decimal(std::string_view text) {
  if (text.empty() || text.size() > 9 || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (const char digit : text) value = value * 10 + static_cast<std::uint32_t>(digit - '0');
  return value;
}

// Why a reference does not name something the AHB defines, or nothing when it does.
inline std::optional<std::string> reference_fault(const model::AhbProfile& ahb, std::string_view reference) {
  if (reference.starts_with("UB")) {
    if (is_known_formatbedingung(reference)) return std::nullopt;
    return "unknown Unterbedingung";
  }
  if (const std::size_t p = reference.find('P'); p != std::string_view::npos) {
    const std::string_view range = reference.substr(p + 1);
    const std::size_t dots = range.find("..");
    const bool range_reads = range.empty() || (dots != std::string_view::npos && decimal(range.substr(0, dots)) &&
                                               (range.substr(dots + 2) == "n" || decimal(range.substr(dots + 2))));
    if (p == 0 || !decimal(reference.substr(0, p)) || !range_reads) return "not a Paket reference";
    if (!ahb.packages.contains(reference.substr(0, p + 1))) return "Paket not defined";
    return std::nullopt;
  }
  const auto number = decimal(reference);
  if (!number) return "not a condition number";
  if (*number >= 900 && *number <= 999 && !is_known_formatbedingung(reference)) return "unknown Formatbedingung";
  const bool numbered_kind =
      (*number >= 1 && *number <= 999) || (*number >= 2000 && *number <= 2499);
  if (!numbered_kind) return "number of no condition kind";
  if (!ahb.conditions.contains(reference)) return "condition not defined";
  return std::nullopt;
}

// ---- condition texts ------------------------------------------------------------------------

inline bool is_upper(char c) { return c >= 'A' && c <= 'Z'; }

inline std::string_view stripped(std::string_view word) {
  while (!word.empty() && std::string_view(",.;)").find(word.back()) != std::string_view::npos) word.remove_suffix(1);
  return word;
}

inline bool is_group_name(std::string_view word) {
  return word.size() > 2 && word.starts_with("SG") && decimal(word.substr(2)).has_value();
}

inline bool is_segment_token(std::string_view word) {
  return word.size() >= 3 && is_upper(word[0]) && is_upper(word[1]) && is_upper(word[2]) &&
         (word.size() == 3 || word[3] == '+');
}

inline bool is_de_token(std::string_view word) { return word.size() == 6 && word.starts_with("DE") && decimal(word.substr(2)); }

// Splits at `separator` unless the release character "?" stands before it.
inline std::vector<std::string> split_unescaped(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  std::string piece;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '?' && at + 1 < text.size()) {
      piece += text[at + 1] == separator ? std::string(1, separator) : text.substr(at, 2);
      ++at;
    } else if (text[at] == separator) {
      pieces.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += text[at];
    }
  }
  pieces.push_back(std::move(piece));
  return pieces;
}

inline std::vector<std::string> split_words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : text) {
    if (c == ' ') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// Rejoins segment patterns that a line wrap split after "+", "-", "/" or ":".
inline std::string joined_patterns(std::string_view text) {
  std::string out;
  bool in_pattern = false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == ' ' && in_pattern) {
      const char next = at + 1 < text.size() ? text[at + 1] : ' ';
      const bool continues = std::string_view("+-/:").find(out.back()) != std::string_view::npos &&
                             (next == '?' || std::isalnum(static_cast<unsigned char>(next)) != 0);
      if (continues) continue;
      in_pattern = false;
    }
    out += c;
    if (c == '+' && out.size() >= 4 && is_upper(out[out.size() - 2]) && is_upper(out[out.size() - 3]) &&
        is_upper(out[out.size() - 4])) {
      in_pattern = true;
    }
  }
  return out;
}

// Whether the MIG has, for every position the pattern constrains and every code it admits
// there, a segment of the pattern's tag (inside a group named `scope` when one is given) with
// that position and, where the MIG lists codes there, that code.
inline bool mig_admits(const std::vector<PlacedSegment>& segments, std::string_view pattern,
                       std::optional<std::string_view> scope) {
  const std::string_view tag = pattern.substr(0, 3);
  const auto admits = [&](std::size_t element, std::size_t component, std::string_view wanted) {
    return std::ranges::any_of(segments, [&](const PlacedSegment& placed) {
      if (placed.segment->tag != tag) return false;
      if (scope && std::ranges::find(placed.groups, *scope) == placed.groups.end()) return false;
      const model::Element* position = element_at(*placed.segment, element, component);
      return position != nullptr &&
             (position->codes.empty() ||
              std::ranges::any_of(position->codes, [&](const model::Code& code) { return code.code == wanted; }));
    });
  };
  const auto elements = split_unescaped(pattern.size() > 4 ? pattern.substr(4) : std::string_view{}, '+');
  for (std::size_t element = 0; element < elements.size(); ++element) {
    const auto components = split_unescaped(elements[element], ':');
    for (std::size_t component = 0; component < components.size(); ++component) {
      const std::string& alternatives = components[component];
      if (alternatives.empty() || alternatives == "XXX" || alternatives == "xxx") continue;
      for (const std::string& alternative : split_unescaped(alternatives, '/')) {
        if (!admits(element, component, alternative)) return false;
      }
    }
  }
  return std::ranges::any_of(segments, [&](const PlacedSegment& placed) {
    return placed.segment->tag == tag && (!scope || std::ranges::find(placed.groups, *scope) != placed.groups.end());
  });
}

inline bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Why a condition text does not read in the shape its number calls for, or what it names
// that the MIG lacks; nothing when it reads.
inline std::optional<std::string> condition_text_fault(const model::MigProfile& mig, std::string_view number,
                                                       std::string_view text) {
  const auto value = decimal(number);
  if (!value) return "condition key is not a number";
  if (*value >= 500 && *value <= 899) {
    return text.starts_with("Hinweis:") ? std::nullopt : std::optional<std::string>("Hinweis without \"Hinweis:\"");
  }
  if (*value >= 900 && *value <= 999) {
    if (!is_known_formatbedingung(number)) return "unknown Formatbedingung";
    return text.starts_with("Format:") ? std::nullopt : std::optional<std::string>("Format without \"Format:\"");
  }
  const bool repetition = *value >= 2000 && *value <= 2499;
  if (!repetition && (*value < 1 || *value > 499)) return "number of no condition kind";
  if (!repetition && !text.starts_with("Wenn ") && !text.starts_with("wenn ")) return "Voraussetzung without \"Wenn\"";
  if (repetition && !contains(text, "je SG") && !contains(text, "für jede")) return "Wiederholbarkeit without its scope";

  const auto segments = mig_segments(mig);
  const auto words = split_words(joined_patterns(text));
  std::optional<std::string_view> scope;
  std::string_view last_segment;
  bool named_segment = false;
  for (std::size_t index = 1; index < words.size(); ++index) {
    const std::string_view word = stripped(words[index]);
    if (is_group_name(word)) {
      if (mig_groups(mig, word).empty()) return "names group " + std::string(word) + ", which the MIG lacks";
      scope = word;
    } else if (is_segment_token(word)) {
      if (!mig_admits(segments, word, scope)) {
        return "names " + std::string(word) + (scope ? " in " + std::string(*scope) : "") + ", which the MIG lacks";
      }
      last_segment = word.substr(0, 3);
      named_segment = true;
      scope.reset();
    } else if (is_de_token(word)) {
      const std::string_view de = word.substr(2);
      const auto carrier = std::ranges::find_if(segments, [&](const PlacedSegment& placed) {
        return placed.segment->tag == last_segment && data_element(*placed.segment, de) != nullptr;
      });
      if (carrier == segments.end()) return "names " + std::string(word) + ", which its segment lacks";
      const bool relation = index + 2 < words.size() && (words[index + 1] == "=" || words[index + 1] == "≠");
      if (relation) {
        const auto codes = codes_of(*carrier->segment, de);
        for (const std::string& wanted : split_unescaped(stripped(words[index + 2]), '/')) {
          if (!codes.empty() && std::ranges::find(codes, wanted) == codes.end()) {
            return "compares " + std::string(word) + " with " + wanted + ", which is not one of its codes";
          }
        }
      }
    }
  }
  if (!named_segment) return "names no segment";
  if (repetition) return std::nullopt;
  const bool shape = contains(text, "vorhanden") || contains(text, " genau ") || contains(text, " angegeben ist");
  return shape ? std::nullopt : std::optional<std::string>("reads as none of the precondition shapes");
}

}  // namespace builtin_content
