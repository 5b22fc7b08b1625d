// Identifier shapes through the market identifier rules.
#include <algorithm>
#include <array>

#include <fmt/format.h>

#include "edi_energy/profile/formatbedingung/checks.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"
#include "rubo4e/identifiers/checksum.hpp"
#include "rubo4e/identifiers/zaehlpunkt.hpp"

namespace edi_energy::profile::formatbedingung {
namespace {

namespace checksum = rubo4e::identifiers::checksum;

using Outcome = std::expected<void, rubo4e::error::IdentifierError>;

Outcome check(std::string_view value, IdShape shape) {
  switch (shape) {
    case IdShape::Marktlokation: return checksum::validate_numeric_id(value, 11, 1);
    case IdShape::Zaehlpunkt: return rubo4e::identifiers::zaehlpunkt::validate_zaehlpunktbezeichnung(value);
    case IdShape::TrId: return checksum::validate_ascii_id(value, "D");
    case IdShape::Netzlokation: return checksum::validate_ascii_id(value, "E");
    case IdShape::SrId: return checksum::validate_ascii_id(value, "C");
  }
  return {};
}

// Indexed by IdShape.
constexpr std::array<std::string_view, 5> labels{"a Marktlokations-ID", "a Z\u00E4hlpunktbezeichnung", "a TR-ID",
                                                 "a Netzlokations-ID", "an SR-ID"};

}  // namespace

Verdict id_shape(std::string_view value, IdShape shape) {
  const Outcome outcome = check(value, shape);
  if (outcome) return Verdict::holds();
  return Verdict::violated(
      fmt::format("is not {}: {}", labels[static_cast<std::size_t>(shape)], outcome.error().message()));
}

bool misses_only_check_character(std::string_view id, std::string_view value) {
  struct Entry {
    std::string_view id;
    IdShape shape;
  };
  static constexpr std::array<Entry, 7> entries{{{"950", IdShape::Marktlokation},
                                                 {"951", IdShape::Zaehlpunkt},
                                                 {"953", IdShape::Marktlokation},
                                                 {"953", IdShape::Zaehlpunkt},
                                                 {"922", IdShape::TrId},
                                                 {"960", IdShape::Netzlokation},
                                                 {"961", IdShape::SrId}}};
  return std::ranges::any_of(entries, [&](const Entry& entry) {
    if (entry.id != id) return false;
    const Outcome outcome = check(value, entry.shape);
    return !outcome && outcome.error().kind == rubo4e::error::IdentifierError::Kind::InvalidChecksum;
  });
}

}  // namespace edi_energy::profile::formatbedingung
