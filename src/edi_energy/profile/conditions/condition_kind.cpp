#include "edi_energy/profile/conditions/condition_kind.hpp"

#include "support/decimal.hpp"

namespace edi_energy::profile::conditions {

std::optional<std::uint32_t> reference_number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  return support::parse_decimal<std::uint32_t>(text);
}

ConditionKind kind_of(std::string_view reference) {
  if (reference.empty()) return ConditionKind::Other;
  if (reference.size() >= 2 && reference.starts_with("UB")) return ConditionKind::Unterbedingung;
  if (reference.find('P') != std::string_view::npos) return ConditionKind::Paket;
  const std::optional<std::uint32_t> number = reference_number(reference);
  if (!number) return ConditionKind::Other;
  if (*number >= 1 && *number <= 499) return ConditionKind::Voraussetzung;
  if (*number >= 500 && *number <= 899) return ConditionKind::Hinweis;
  if (*number >= 900 && *number <= 999) return ConditionKind::Formatbedingung;
  if (*number >= 2000 && *number <= 2499) return ConditionKind::Wiederholbarkeit;
  return ConditionKind::Other;
}

}  // namespace edi_energy::profile::conditions
