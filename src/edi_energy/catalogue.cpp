#include "edi_energy/catalogue.hpp"

#include <fmt/format.h>

#include "support/internal_fault.hpp"

namespace edi_energy {

namespace catalogue {

std::function<profile::Profile()> loader(const ProfileDocumentPair& pair) {
  return [&pair]() -> profile::Profile {
    auto built = profile::Profile::from_json(pair.mig, pair.ahb);
    if (!built) throw support::InternalFault(fmt::format("{}: {}", pair.failure_text, built.error().debug_form()));
    return std::move(*built);
  };
}

void register_catalogue(ProfileCatalogue catalogue, std::vector<const profile::Profile*>& profiles) {
  profiles.reserve(profiles.size() + catalogue.size());
  for (support::Lazy<profile::Profile>* entry : catalogue) profiles.push_back(&entry->get());
}

}  // namespace catalogue

void register_profiles(std::vector<const profile::Profile*>& profiles) {
  catalogue::register_catalogue(catalogue::builtin_catalogue(), profiles);
}

}  // namespace edi_energy
