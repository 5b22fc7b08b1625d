// Whether a status cell of the column demands something without depending on the message.
#pragma once

#include <string_view>

#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/profile.hpp"

namespace edi_energy::profile::skeleton {

bool is_mandatory_level(conditions::StatusLevel level);

// A status with level Muss, X or M whose condition (if any) is not Undecided without a message.
bool demands(const Profile& profile, const conditions::Status& status);

// `demands` of the parsed cell; false for a cell that does not parse.
bool demands(const Profile& profile, std::string_view cell);

// A cell with level Muss, X or M whose condition is not False without a message: it demands the
// value in some message.
bool may_demand(const Profile& profile, std::string_view cell);

}  // namespace edi_energy::profile::skeleton
