#include "quorvane_native/edifact/transaktionsgrund_codes.hpp"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "edi_energy/profile/skeleton/mandatory.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::profile::model::ElementRule;

// DE 9013 stands three times in STS+7: the Grund, its Ergänzung, the befristet part.
constexpr std::uint8_t GRUND = 0;
constexpr std::uint8_t ERGAENZUNG = 1;
constexpr std::uint8_t BEFRISTUNG = 2;
// Where admitted, the Ergänzung callers have always had: "verbrauchende Marktlokation".
constexpr std::string_view DEFAULT_ERGAENZUNG = "ZW4";

// DE 9015 stands in STS alone; the rule that names its code 7 is the column's STS+7.
std::optional<std::string_view> sts7_nr(const ColumnRef& column) {
  for (const ElementRule& rule : column.anwendungsfall->elements) {
    if (rule.de != "9015") continue;
    if (std::ranges::any_of(rule.operands, [](const auto& operand) { return operand.code == "7"; })) return rule.nr;
  }
  return std::nullopt;
}

const ElementRule* status_reason(const ColumnRef& column, std::uint8_t occurrence) {
  const auto nr = sts7_nr(column);
  if (!nr) return nullptr;
  const auto rule = std::ranges::find_if(column.anwendungsfall->elements, [&](const ElementRule& candidate) {
    return candidate.nr == *nr && candidate.de == "9013" && candidate.occurrence == occurrence;
  });
  return rule == column.anwendungsfall->elements.end() ? nullptr : &*rule;
}

// The first code of the rule that completion writes unasked: one the column demands without a
// message. A code only some message demands (a Paket, a condition on other data) is left to
// completion, which writes it where the message does demand it.
std::optional<std::string> demanded_code(const ColumnRef& column, const ElementRule* rule) {
  if (rule == nullptr) return std::nullopt;
  for (const auto& operand : rule->operands) {
    if (operand.code && edi_energy::profile::skeleton::demands(*column.profile, operand.operand)) {
      return *operand.code;
    }
  }
  return std::nullopt;
}

bool names_code(const ElementRule* rule, std::string_view code) {
  if (rule == nullptr) return true;
  const auto coded = [](const auto& operand) { return operand.code.has_value(); };
  return std::ranges::none_of(rule->operands, coded) ||
         std::ranges::any_of(rule->operands, [&](const auto& operand) { return operand.code == code; });
}

}  // namespace

bool column_names_grund(const ColumnRef& column, std::string_view code) {
  return names_code(status_reason(column, GRUND), code);
}

bool column_names_ergaenzung(const ColumnRef& column, std::string_view code) {
  return names_code(status_reason(column, ERGAENZUNG), code);
}

bool column_names_befristung(const ColumnRef& column, std::string_view code) {
  const ElementRule* rule = status_reason(column, BEFRISTUNG);
  return rule != nullptr && names_code(rule, code);
}

bool column_takes_transaktionsgrund(const ColumnRef& column) { return sts7_nr(column).has_value(); }

std::optional<std::string> column_transaktionsgrund(const ColumnRef& column) {
  return demanded_code(column, status_reason(column, GRUND));
}

std::vector<std::string> column_transaktionsgruende(const ColumnRef& column) {
  std::vector<std::string> codes;
  if (auto demanded = column_transaktionsgrund(column)) codes.push_back(std::move(*demanded));
  if (const ElementRule* rule = status_reason(column, GRUND)) {
    for (const auto& operand : rule->operands) {
      if (operand.code && std::ranges::find(codes, *operand.code) == codes.end()) codes.push_back(*operand.code);
    }
  }
  return codes;
}

std::optional<std::string> column_ergaenzung(const ColumnRef& column) {
  const ElementRule* rule = status_reason(column, ERGAENZUNG);
  if (rule != nullptr &&
      std::ranges::any_of(rule->operands, [](const auto& operand) { return operand.code == DEFAULT_ERGAENZUNG; })) {
    return std::string(DEFAULT_ERGAENZUNG);
  }
  return demanded_code(column, rule);
}

}  // namespace quorvane_native::edifact
