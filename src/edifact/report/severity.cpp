#include "edifact/report/severity.hpp"

#include <array>
#include <cstddef>

#include "support/internal_fault.hpp"

namespace edifact::report {
namespace {

constexpr std::array<std::string_view, 4> severity_texts{"critical", "error", "warning", "info"};

constexpr std::array<std::string_view, 7> layer_texts{
    "parse", "directory", "mig", "ahb", "semantic", "custom", "unvalidated",
};

struct RuleIdPattern {
  std::string_view text;
  bool whole_id;  // the id must equal the text rather than begin with it
  ValidationLayer layer;
};

constexpr std::array<RuleIdPattern, 7> rule_id_patterns{{
    {"PARSE-", false, ValidationLayer::Parse},
    {"DIR-", false, ValidationLayer::Directory},
    {"MIG-", false, ValidationLayer::Mig},
    {"AHB-", false, ValidationLayer::Ahb},
    {"SEM-", false, ValidationLayer::Semantic},
    {"CUSTOM-", false, ValidationLayer::Custom},
    {"UNKNOWN-MSG-TYPE", true, ValidationLayer::Unvalidated},
}};

template <std::size_t Count>
std::string_view text_at(const std::array<std::string_view, Count>& texts, std::size_t index) {
  if (index >= Count) throw support::InternalFault("enumerator without a text form");
  return texts[index];
}

}  // namespace

std::string_view text_form(Severity severity) {
  return text_at(severity_texts, static_cast<std::size_t>(severity));
}

std::string_view text_form(ValidationLayer layer) {
  return text_at(layer_texts, static_cast<std::size_t>(layer));
}

std::optional<ValidationLayer> layer_of_rule_id(std::string_view rule_id) {
  for (const RuleIdPattern& pattern : rule_id_patterns) {
    const bool matches =
        pattern.whole_id ? rule_id == pattern.text : rule_id.starts_with(pattern.text);
    if (matches) return pattern.layer;
  }
  return std::nullopt;
}

}  // namespace edifact::report
