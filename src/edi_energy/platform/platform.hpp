// The entry object that turns received bytes into typed messages: a whole interchange, or one
// bare message, over a release registry of all built-in profiles. Read-only once built.
#pragma once

#include <memory>
#include <string_view>

#include "edi_energy/any_message.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/interchange.hpp"
#include "edi_energy/registry/release_registry.hpp"

namespace edi_energy::platform {

class Platform {
 public:
  explicit Platform(std::shared_ptr<const registry::ReleaseRegistry> registry) : registry_(std::move(registry)) {}

  // Builds every built-in profile on first use.
  static Platform with_all_profiles();

  Result<interchange::ParsedInterchange> parse_interchange_full(std::string_view input) const;
  Result<any_message::AnyMessage> parse(std::string_view input) const;

 private:
  std::shared_ptr<const registry::ReleaseRegistry> registry_;
};

}  // namespace edi_energy::platform
