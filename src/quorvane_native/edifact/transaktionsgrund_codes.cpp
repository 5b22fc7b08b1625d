#include "quorvane_native/edifact/transaktionsgrund_codes.hpp"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "edi_energy/profile/skeleton/mandatory.hpp"
#include "quorvane_native/edifact/column_places.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::profile::model::ElementRule;

// DE 9013 stands twice in STS+7: the Grund first, then its Ergänzung.
constexpr std::uint8_t GRUND = 0;
constexpr std::uint8_t ERGAENZUNG = 1;
// Where admitted, the Ergänzung callers have always had: "verbrauchende Marktlokation".
constexpr std::string_view DEFAULT_ERGAENZUNG = "ZW4";

std::optional<std::string_view> sts7_nr(const ColumnRef& column) {
  for (NodeIndex sts : used_segments(column, "STS")) {
    const auto nr = nr_of(column, sts);
    const auto qualifiers = column_codes(column, nr, "9015").codes;
    if (std::ranges::find(qualifiers, "7") != qualifiers.end()) return nr;
  }
  return std::nullopt;
}

// The codes of the rule that completion writes unasked: those the column demands without a
// message. A code that only some message demands (a Paket, a condition on other data) is left to
// completion, which writes it where the message does demand it.
std::vector<std::string> demanded_codes(const ColumnRef& column, std::string_view nr, std::uint8_t occurrence) {
  const auto rule = std::ranges::find_if(column.anwendungsfall->elements, [&](const ElementRule& candidate) {
    return candidate.nr == nr && candidate.de == "9013" && candidate.occurrence == occurrence;
  });
  std::vector<std::string> codes;
  if (rule == column.anwendungsfall->elements.end()) return codes;
  for (const auto& operand : rule->operands) {
    if (operand.code && edi_energy::profile::skeleton::demands(*column.profile, operand.operand)) {
      codes.push_back(*operand.code);
    }
  }
  return codes;
}

std::optional<std::string> first_code(const ColumnRef& column, std::uint8_t occurrence) {
  const auto nr = sts7_nr(column);
  if (!nr) return std::nullopt;
  auto codes = demanded_codes(column, *nr, occurrence);
  if (codes.empty()) return std::nullopt;
  if (occurrence == ERGAENZUNG && std::ranges::find(codes, DEFAULT_ERGAENZUNG) != codes.end()) {
    return std::string(DEFAULT_ERGAENZUNG);
  }
  return std::move(codes.front());
}

}  // namespace

std::optional<std::string> column_transaktionsgrund(const ColumnRef& column) { return first_code(column, GRUND); }

std::optional<std::string> column_ergaenzung(const ColumnRef& column) { return first_code(column, ERGAENZUNG); }

}  // namespace quorvane_native::edifact
