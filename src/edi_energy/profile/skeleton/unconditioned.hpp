// Judges a condition reference without a message: Neutral when nothing in it depends on the
// message, Undecided when it does. Never True or False, never an error.
#pragma once

#include <string_view>

#include "edi_energy/profile/conditions/truth.hpp"
#include "edi_energy/profile/profile.hpp"

namespace edi_energy::profile::skeleton {

conditions::Truth unconditioned_truth(const Profile& profile, std::string_view reference);

// The condition callback over `profile`; the profile must outlive it.
inline auto unconditioned(const Profile& profile) {
  return [&profile](std::string_view reference) -> conditions::TruthResult {
    return unconditioned_truth(profile, reference);
  };
}

}  // namespace edi_energy::profile::skeleton
