#include "edi_energy/builders/agency.hpp"

#include "edi_energy/agency_code.hpp"

namespace edi_energy::builders {

using agency_code::AgencyCode;

std::string_view agency_for(AgencyKind kind, std::string_view party_id) {
  switch (kind) {
    case AgencyKind::Bdew: return agency_code::code(AgencyCode::Bdew);
    case AgencyKind::Gs1: return agency_code::code(AgencyCode::Gs1);
    case AgencyKind::Code305: return agency_code::code(AgencyCode::Etso);
    case AgencyKind::Dvgw: return agency_code::code(AgencyCode::Dvgw);
    case AgencyKind::Automatic: break;
  }
  // A byte outside the enumeration is taken as automatic rather than read out of range.
  return agency_code::code(agency_code::for_mp_id(party_id));
}

std::string_view unb_qualifier(std::string_view party_id) {
  // The same partition of IDs as the NAD agency: only the code list differs.
  switch (agency_code::for_mp_id(party_id)) {
    case AgencyCode::Dvgw: return "502";
    case AgencyCode::Gs1: return "14";
    case AgencyCode::Bdew:
    case AgencyCode::Etso: break;
  }
  return "500";
}

}  // namespace edi_energy::builders
