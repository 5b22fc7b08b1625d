#include "edi_energy/agency_code.hpp"

namespace edi_energy::agency_code {

AgencyCode for_mp_id(std::string_view mp_id) {
  constexpr std::size_t numbered_id_length = 13;
  if (mp_id.size() != numbered_id_length || mp_id.starts_with("99")) return AgencyCode::Bdew;
  if (mp_id.starts_with("98")) return AgencyCode::Dvgw;
  return AgencyCode::Gs1;
}

}  // namespace edi_energy::agency_code
