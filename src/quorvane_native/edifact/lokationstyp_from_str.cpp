#include <array>
#include <string>

#include <fmt/format.h>

#include "quorvane_native/edifact/input_classes.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {
namespace {

using edi_energy::lokationstyp::Lokationstyp;

struct Name {
  std::string_view name;
  Lokationstyp typ;
};

constexpr std::array<Name, 15> names{{
    {"mabis", Lokationstyp::MabisZaehlpunkt},
    {"mabis_zaehlpunkt", Lokationstyp::MabisZaehlpunkt},
    {"malo", Lokationstyp::Marktlokation},
    {"marktlokation", Lokationstyp::Marktlokation},
    {"melo", Lokationstyp::Messlokation},
    {"messlokation", Lokationstyp::Messlokation},
    {"nelo", Lokationstyp::Netzlokation},
    {"netzlokation", Lokationstyp::Netzlokation},
    {"sr", Lokationstyp::SteuerbareRessource},
    {"steuerbare_ressource", Lokationstyp::SteuerbareRessource},
    {"tr", Lokationstyp::TechnischeRessource},
    {"technische_ressource", Lokationstyp::TechnischeRessource},
    {"tranche", Lokationstyp::Tranche},
    {"ruhende_malo", Lokationstyp::RuhendeMarktlokation},
    {"ruhende_marktlokation", Lokationstyp::RuhendeMarktlokation},
}};

}  // namespace

py::Expected<Lokationstyp> lokationstyp_from_str(std::string_view text) {
  if (auto typ = edi_energy::lokationstyp::from_qualifier_code(text)) return *typ;
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  for (const Name& entry : names) {
    if (entry.name == lowered) return entry.typ;
  }
  return py::value_error(fmt::format("unknown Lokationstyp {} — expected a LOC DE 3227 code (Z15…Z22, or 172 for a gas Meldepunkt) or one of "
                                     "malo, melo, nelo, tranche, tr, sr, ruhende_malo, mabis",
                                     support::debug_quote(lowered)));
}

}  // namespace quorvane_native::edifact
