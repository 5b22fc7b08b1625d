// The process-wide release registry over the built-in catalogue, built on first use and never
// released. A build that faults leaves the cell empty; the next use tries (and faults) again.
#pragma once

#include <memory>

#include "edi_energy/registry/release_registry.hpp"
#include "support/lazy.hpp"

namespace edi_energy::registry {

// `REGISTRY.get()` builds it if needed; copy the pointer to hold a counted reference.
extern support::Lazy<std::shared_ptr<const ReleaseRegistry>>& REGISTRY;

}  // namespace edi_energy::registry
