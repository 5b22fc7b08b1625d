#include "edi_energy/lokationstyp.hpp"

namespace edi_energy::lokationstyp {

std::optional<Lokationstyp> from_qualifier_code(std::string_view code) {
  for (std::size_t index = 0; index < qualifier_codes.size(); ++index) {
    if (qualifier_codes[index] == code) return static_cast<Lokationstyp>(index);
  }
  return std::nullopt;
}

}  // namespace edi_energy::lokationstyp
