// Reads NUL-terminated condition texts from stdin and writes one JSON line per text: whether it
// is written as a precondition, its Voraussetzung reading and its Wiederholbarkeit segment.
// With --catalogue it reads no input and writes one line per Voraussetzung of every built-in
// profile instead, as the profile itself reads it (patterns placed on its MIG):
//     {"profile": "UTILMD_FV20251001", "nr": "114", "voraussetzung": ...}
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
using conditions::SegmentPattern;
using conditions::Voraussetzung;

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out += fmt::format("\\u{:04x}", static_cast<unsigned>(c));
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string quoted_or_null(const std::optional<std::string>& text) { return text ? quoted(*text) : "null"; }

// [tag, [[alternatives or null per component] per element]]
std::string pattern_json(const SegmentPattern& pattern) {
  std::string out = "[" + quoted(pattern.tag) + ", [";
  for (std::size_t i = 0; i < pattern.elements.size(); ++i) {
    out += i ? ", [" : "[";
    for (std::size_t j = 0; j < pattern.elements[i].size(); ++j) {
      if (j) out += ", ";
      if (!pattern.elements[i][j]) {
        out += "null";
        continue;
      }
      out += "[";
      for (std::size_t k = 0; k < pattern.elements[i][j]->size(); ++k) out += (k ? ", " : "") + quoted((*pattern.elements[i][j])[k]);
      out += "]";
    }
    out += "]";
  }
  return out + "]]";
}

// Fields that most readings leave at their defaults, written only when set: the reach when it
// is every instance of the group, and the segments named beside the one asked about.
std::string extras(const Voraussetzung& reading, const std::vector<SegmentPattern>& companions) {
  std::string out;
  if (reading.reach == conditions::Reach::Anywhere) out += R"(, "reach": "anywhere")";
  std::string listed;
  for (const auto& pattern : companions) listed += ", " + pattern_json(pattern);
  if (!listed.empty()) out += R"(, "companions": [)" + listed.substr(2) + "]";
  return out;
}

std::string json(const Voraussetzung& reading) {
  if (const auto* present = std::get_if<Voraussetzung::Present>(&reading.shape)) {
    std::string chain;
    for (const auto& pattern : present->chain) chain += (chain.empty() ? "" : ", ") + pattern_json(pattern);
    return fmt::format(R"({{"kind": "Present", "chain": [{}], "group": {}, "any": {}, "negated": {}{}}})", chain,
                       quoted_or_null(present->group), present->any, present->negated,
                       extras(reading, present->companions));
  }
  if (const auto* value = std::get_if<Voraussetzung::DeValue>(&reading.shape)) {
    std::string values;
    for (const auto& v : value->values) values += (values.empty() ? "" : ", ") + quoted(v);
    const std::string qualified =
        value->pattern.elements.empty() ? "" : R"(, "pattern": )" + pattern_json(value->pattern);
    return fmt::format(
        R"({{"kind": "DeValue", "tag": {}, "de": {}, "values": [{}], "group": {}, "negated": {}, "suffix": {}{}{}}})",
        quoted(value->tag), quoted(value->de), values, quoted_or_null(value->group), value->negated, value->suffix,
        qualified, extras(reading, value->companions));
  }
  if (const auto* shape = std::get_if<Voraussetzung::DeShape>(&reading.shape)) {
    const std::string check = shape->check.kind == conditions::ShapeCheck::Kind::Filled   ? quoted("filled")
                              : shape->check.kind == conditions::ShapeCheck::Kind::Length ? std::to_string(shape->check.length)
                                                                                          : quoted(shape->check.formatbedingung);
    return fmt::format(R"({{"kind": "DeShape", "check": {}, "pattern": {}, "de": {}, "group": {}, "negated": {}{}}})",
                       check, pattern_json(shape->pattern), quoted(shape->de), quoted_or_null(shape->group),
                       shape->negated, extras(reading, shape->companions));
  }
  const auto& count = std::get<Voraussetzung::Count>(reading.shape);
  const std::string at_most = count.at_most ? fmt::format(R"(, "at_most": {})", *count.at_most) : "";
  return fmt::format(R"({{"kind": "Count", "pattern": {}, "group": {}, "more_than": {}{}{}}})",
                     pattern_json(count.pattern), quoted_or_null(count.group), count.more_than, at_most,
                     extras(reading, {}));
}

int catalogue_readings() {
  std::vector<const edi_energy::profile::Profile*> profiles;
  edi_energy::register_profiles(profiles);
  const auto pairs = edi_energy::catalogue::builtin_pairs();
  for (std::size_t i = 0; i < profiles.size() && i < pairs.size(); ++i) {
    for (const auto& [number, read] : profiles[i]->read_conditions()) {
      if (!read.precondition) continue;
      fmt::print(R"({{"profile": {}, "nr": {}, "voraussetzung": {}}})"
                 "\n",
                 quoted(pairs[i].name), quoted(number), read.voraussetzung ? json(*read.voraussetzung) : "null");
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string_view(argv[1]) == "--catalogue") return catalogue_readings();
  std::string text;
  while (std::getline(std::cin, text, '\0')) {
    const auto reading = Voraussetzung::parse(text);
    const auto pro = conditions::ProSegment::parse(text);
    fmt::print(R"({{"precondition": {}, "voraussetzung": {}, "pro_segment": {}}})"
               "\n",
               conditions::is_precondition(text), reading ? json(*reading) : "null",
               pro ? pattern_json(pro->pattern) : "null");
  }
  return 0;
}
