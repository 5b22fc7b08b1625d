#include "edi_energy/profile/skeleton/mandatory.hpp"

#include "edi_energy/profile/skeleton/unconditioned.hpp"

namespace edi_energy::profile::skeleton {

bool is_mandatory_level(conditions::StatusLevel level) {
  using conditions::StatusLevel;
  return level == StatusLevel::Muss || level == StatusLevel::X || level == StatusLevel::M;
}

bool demands(const Profile& profile, const conditions::Status& status) {
  if (!is_mandatory_level(status.level)) return false;
  if (!status.condition) return true;
  const auto callback = unconditioned(profile);
  const auto truth = status.condition->eval(callback);
  return truth && *truth != conditions::Truth::Undecided;
}

bool demands(const Profile& profile, std::string_view cell) {
  const auto status = conditions::Status::parse(cell);
  return status && demands(profile, *status);
}

bool may_demand(const Profile& profile, std::string_view cell) {
  const auto status = conditions::Status::parse(cell);
  if (!status || !is_mandatory_level(status->level)) return false;
  if (!status->condition) return true;
  const auto truth = status->condition->eval(unconditioned(profile));
  return truth && *truth != conditions::Truth::False;
}

}  // namespace edi_energy::profile::skeleton
