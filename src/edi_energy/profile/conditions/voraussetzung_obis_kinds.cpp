// Kinds of OBIS codes that a text names by their Werteart, where the groups of the code say it:
// an electricity register (D group 8) is a Zählerstand.
#include <array>
#include <utility>

#include "edi_energy/profile/conditions/voraussetzung_reading.hpp"

namespace edi_energy::profile::conditions::reading {

std::string with_obis_kinds_as_patterns(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kinds{{
      {"eine OBIS-Kennzahl der Werteart \"Z\u00E4hlerstand\" im PIA+5", "das PIA+5+1-b?:c.8.e"},
  }};
  std::string spelled(text);
  for (const auto& [phrase, pattern] : kinds) {
    if (const std::size_t at = spelled.find(phrase); at != std::string::npos) spelled.replace(at, phrase.size(), pattern);
  }
  return spelled;
}

}  // namespace edi_energy::profile::conditions::reading
