// The built-in profile catalogue: the MIG/AHB document pairs compiled into the library and one
// lazily built static per pair. `register_profiles` is the way in for the rest of the system.
#pragma once

#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "edi_energy/profile/json.hpp"
#include "edi_energy/profile/profile.hpp"
#include "support/lazy.hpp"

namespace edi_energy {

// Both texts are followed in memory by the JSON reader's padding, so they are read in place.
struct ProfileDocumentPair {
  std::string_view name;          // "MSCONS_FV20260401", the name of the pair's static
  std::string_view failure_text;  // "the committed profile mscons/fv20260401 loads"
  profile::json::PaddedText mig;
  profile::json::PaddedText ahb;
};

// Statics in the order in which they are registered (byte order of their names).
using ProfileCatalogue = std::span<support::Lazy<profile::Profile>* const>;

// Appends one reference per built-in profile, in name order, building every profile not yet
// built first. References stay valid until the process ends. A pair that does not load is a
// fault of the build (support::InternalFault); its static stays poisoned.
void register_profiles(std::vector<const profile::Profile*>& profiles);

namespace catalogue {

// Reads and compiles the pair, or faults with its failure text and the error's debug form.
std::function<profile::Profile()> loader(const ProfileDocumentPair& pair);

// Builds the statics in order, stopping at the first that faults, and appends them.
void register_catalogue(ProfileCatalogue catalogue, std::vector<const profile::Profile*>& profiles);

// Generated from profiles/ at build time, both in name order.
std::span<const ProfileDocumentPair> builtin_pairs();
ProfileCatalogue builtin_catalogue();

}  // namespace catalogue

}  // namespace edi_energy
