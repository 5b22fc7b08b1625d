// What every typed message holds besides its view: its own segments, with what dispatch read
// from the UNH, its Prüfidentifikator and its message type. Validation works on these
// segments, never on the typed fields of a view.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/error.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/release.hpp"
#include "edi_energy/report.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::registry {
class ReleaseRegistry;
}

namespace edi_energy::messages::core {

struct MessageCore {
  // UNH ... UNT of a window, or every segment of a bare input, UNB and UNZ included.
  std::vector<edifact::model::Segment> segments;
  std::optional<std::uint32_t> pruefidentifikator;
  std::string message_reference;  // UNH DE 0062, empty when absent
  std::string release_text;       // UNH DE 0057, empty when absent
  std::optional<release::Release> release;  // absent exactly when `release_text` is empty
  std::optional<std::chrono::year_month_day> date;  // set by dispatch when it is given one
  bool has_unb = false;  // the envelope is then checked with the message
  message_type::MessageType message_type = message_type::MessageType::Utilmd;

  static MessageCore new_on_date(std::vector<edifact::model::Segment> segments, std::string_view message_reference,
                                 std::string_view release_text, std::optional<std::uint32_t> pruefidentifikator,
                                 message_type::MessageType message_type);
  static MessageCore new_on_date(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                 std::string release_text, std::optional<std::uint32_t> pruefidentifikator,
                                 message_type::MessageType message_type);

  // The validation pipeline: the message's own envelope when it carries a UNB, then MIG and AHB
  // of the profile in force on `date` for the type and `release`, the format-303 DTM values and
  // the rule pack. Rule violations are findings; an error is a broken envelope or no profile.
  // `envelope_findings`, what the interchange around the message says of it, come first and
  // count against the same limit.
  Result<report::EdiEnergyReport> validate_against_with_semantic_and_registry_on_date(
      const release::Release& release, std::optional<edifact::validator::pack::ProfileRulePack> pack,
      const registry::ReleaseRegistry& registry, std::chrono::year_month_day date,
      std::span<const edifact::report::ValidationIssue> envelope_findings = {}) const;
};

}  // namespace edi_energy::messages::core
