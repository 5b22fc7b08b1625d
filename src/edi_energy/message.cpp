#include "edi_energy/message.hpp"

#include "edi_energy/messages/semantic_packs.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "edifact/write/writer.hpp"

namespace edi_energy::message {

Result<release::Release> detect_release(const messages::core::MessageCore& core) {
  if (!core.release) return std::unexpected(Error::release_missing());
  return *core.release;
}

Result<std::uint32_t> detect_pruefidentifikator(const messages::core::MessageCore& core) {
  if (!core.pruefidentifikator) return std::unexpected(Error::pruefidentifikator_not_found());
  const std::uint32_t pruefidentifikator = *core.pruefidentifikator;
  if (pruefidentifikator < 10000 || pruefidentifikator > 99999) {
    return std::unexpected(Error::invalid_pruefidentifikator(pruefidentifikator));
  }
  return pruefidentifikator;
}

Result<std::string> serialize(const messages::core::MessageCore& core) {
  auto bytes = edifact::segments_to_bytes(core.segments);
  if (!bytes) return std::unexpected(Error::edifact_parse(std::move(bytes.error())));
  return std::move(*bytes);
}

Result<report::EdiEnergyReport> validate_on_date(const messages::core::MessageCore& core,
                                                 std::chrono::year_month_day date,
                                                 std::span<const edifact::report::ValidationIssue> envelope_findings) {
  if (!core.release) return std::unexpected(Error::release_missing());
  const auto registry = registry::REGISTRY.get();
  return core.validate_against_with_semantic_and_registry_on_date(
      *core.release, messages::semantic_rule_pack_for(core.message_type), *registry, date, envelope_findings);
}

}  // namespace edi_energy::message
