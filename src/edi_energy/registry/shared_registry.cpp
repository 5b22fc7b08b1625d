#include "edi_energy/registry/shared_registry.hpp"

#include <utility>
#include <vector>

#include "edi_energy/catalogue.hpp"

namespace edi_energy::registry {
namespace {

std::shared_ptr<const ReleaseRegistry> build_over_catalogue() {
  std::vector<const profile::Profile*> profiles;
  register_profiles(profiles);
  return std::make_shared<const ReleaseRegistry>(ReleaseRegistry::create(std::move(profiles)));
}

}  // namespace

// Never freed, like the profiles it points into.
support::Lazy<std::shared_ptr<const ReleaseRegistry>>& REGISTRY =
    *new support::Lazy<std::shared_ptr<const ReleaseRegistry>>(build_over_catalogue, support::OnLoaderFailure::Retry);

}  // namespace edi_energy::registry
