// The entry object that turns received bytes into typed messages: a whole interchange, or one
// bare message, over a release registry of all built-in profiles. Read-only once built.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "edi_energy/any_message.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/interchange.hpp"
#include "edi_energy/registry/release_registry.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::platform {

// One bare message and what its UNH, UNT and any service segment beside it get wrong.
struct BareMessage {
  any_message::AnyMessage message;
  std::vector<edifact::report::ValidationIssue> envelope_findings;
};

class Platform {
 public:
  explicit Platform(std::shared_ptr<const registry::ReleaseRegistry> registry) : registry_(std::move(registry)) {}

  // Builds every built-in profile on first use.
  static Platform with_all_profiles();

  Result<interchange::ParsedInterchange> parse_interchange_full(std::string_view input) const;
  Result<any_message::AnyMessage> parse(std::string_view input) const;
  // As `parse`, keeping the envelope findings. A UNB that opens the input is the message's own
  // envelope and is checked with it; any other UNB, UNZ, UNG or UNE is a finding and left out.
  Result<BareMessage> parse_bare(std::string_view input) const;

 private:
  std::shared_ptr<const registry::ReleaseRegistry> registry_;
};

}  // namespace edi_energy::platform
