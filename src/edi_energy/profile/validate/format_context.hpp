// The conditions that stand beside a Formatbedingung, decided for the value of one segment.
#pragma once

#include <cstddef>
#include <string_view>

#include "edi_energy/profile/conditions/truth.hpp"
#include "edi_energy/profile/validate/ahb_run.hpp"

namespace edi_energy::profile::validate {

// The truth of `reference` (no Formatbedingung) for the value in message segment `segment`. A
// Voraussetzung about "demselben COM" is asked of that segment alone, since the group around it
// may hold several; any other in the scope as always. An evaluation error is Undecided.
conditions::Truth decide_beside_format(const AhbRun& run, std::string_view reference, std::size_t segment,
                                       structure::InstanceIndex scope);

}  // namespace edi_energy::profile::validate
