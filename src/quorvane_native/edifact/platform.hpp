// The platform object shared by validate_edifact and the answer builders: every built-in
// profile with a registry of its own, built on first use and never freed. A build that faults
// leaves the cell empty, so the next use tries (and faults) again.
#pragma once

#include "edi_energy/platform/platform.hpp"
#include "support/lazy.hpp"

namespace quorvane_native::edifact::platform {

extern support::Lazy<edi_energy::platform::Platform>& PLATFORM;

}  // namespace quorvane_native::edifact::platform
