#include "quorvane_native/edifact/platform.hpp"

namespace quorvane_native::edifact::platform {

// Never destroyed: users may reach it from other objects' destructors at exit.
support::Lazy<edi_energy::platform::Platform>& PLATFORM = *new support::Lazy<edi_energy::platform::Platform>(
    [] { return edi_energy::platform::Platform::with_all_profiles(); }, support::OnLoaderFailure::Retry);

}  // namespace quorvane_native::edifact::platform
