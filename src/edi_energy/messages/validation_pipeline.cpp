// The validation pipeline of one message (`MessageCore::validate_against_with_semantic_and_
// registry_on_date`): envelope, service segments, profile, MIG and AHB, format-303 values, rule
// pack over the segment-group tree.
#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/messages/core.hpp"
#include "edi_energy/messages/dtm_format.hpp"
#include "edi_energy/messages/nad_party_ids.hpp"
#include "edi_energy/parse/unb_datetime.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edi_energy/registry/release_registry.hpp"
#include "edi_energy/report/findings_cap.hpp"
#include "edifact/envelope/envelope.hpp"
#include "edifact/group/group_tree.hpp"
#include "edifact/validator/context/validation_context.hpp"
#include "support/diag.hpp"

namespace edi_energy::messages::core {
namespace {

using edifact::model::Segment;
using edifact::report::ValidationIssue;

constexpr std::string_view TARGET = "edi_energy::messages::core";
constexpr std::array<std::string_view, 4> SERVICE_TAGS{"UNB", "UNZ", "UNG", "UNE"};

bool is_service_segment(const Segment& segment) {
  return std::ranges::find(SERVICE_TAGS, segment.tag()) != SERVICE_TAGS.end();
}

// The header of the message's own UNB; an absent UNB time counts as midnight here, so that a
// date alone still dates the interchange.
interchange::InterchangeHeader own_header(const std::vector<Segment>& segments) {
  const auto unb = std::ranges::find_if(segments, [](const Segment& segment) { return segment.tag() == "UNB"; });
  interchange::InterchangeHeader header = interchange::InterchangeHeader::from_unb(*unb);
  const auto date = interchange::component_text(*unb, 3, 0).value_or(std::string_view{});
  const auto time = interchange::component_text(*unb, 3, 1).value_or(std::string_view("0000"));
  header.prepared_at = parse::parse_unb_datetime(date, time);
  return header;
}

void report_outcome(const report::EdiEnergyReport& report) {
  if (!support::diag::has_sink()) return;
  const std::size_t warnings = report.warnings.size() + report.left_out.of(edifact::report::Severity::Warning);
  if (report.errors.empty()) {
    support::diag::emit(support::diag::Level::Debug, TARGET, "validation passed",
                        {{"warnings", std::to_string(warnings)}});
  } else {
    support::diag::emit(support::diag::Level::Info, TARGET, "validation failed",
                        {{"errors", std::to_string(report.errors.size() + report.left_out.errors())},
                         {"warnings", std::to_string(warnings)}});
  }
}

}  // namespace

Result<report::EdiEnergyReport> MessageCore::validate_against_with_semantic_and_registry_on_date(
    const release::Release& release, std::optional<edifact::validator::pack::ProfileRulePack> pack,
    const registry::ReleaseRegistry& registry, std::chrono::year_month_day date,
    std::span<const ValidationIssue> envelope_findings) const {
  report::EdiEnergyReport report;
  if (has_unb) {
    if (auto envelope = edifact::envelope::validate_envelope(segments); !envelope) {
      return std::unexpected(Error::edifact_parse(std::move(envelope.error())));
    }
    report.interchange = own_header(segments);
  }

  // Messages cut from an interchange hold no service segments and are validated in place.
  std::vector<Segment> body_copy;
  std::span<const Segment> body = segments;
  if (std::ranges::any_of(segments, is_service_segment)) {
    body_copy.reserve(segments.size());
    std::ranges::copy_if(segments, std::back_inserter(body_copy),
                         [](const Segment& segment) { return !is_service_segment(segment); });
    body = body_copy;
  }

  auto profile = registry.profile_on(message_type, release, date);
  if (!profile) {
    if (profile.error().kind == Error::Kind::ProfileNotFound) {
      support::diag::emit(support::diag::Level::Warn, TARGET,
                          "profile not found for release — unknown release code on production path",
                          {{"release", std::string(release.text())},
                           {"message_type", std::string(message_type::unh_code(message_type))}});
    }
    return std::unexpected(std::move(profile.error()));
  }
  report.profile = *profile;

  if (pruefidentifikator && *pruefidentifikator >= 10000 && *pruefidentifikator <= 99999) {
    report.pruefidentifikator = pruefidentifikator;
  }

  // One budget for every check of the message, so that no list grows past it on the way.
  edifact::report::FindingBudget budget{.room = report::KEPT_FINDINGS, .left_out = {}};
  std::vector<ValidationIssue> findings;
  const edifact::report::FindingSink sink(findings, budget);
  for (const ValidationIssue& issue : envelope_findings) sink.push_back(ValidationIssue(issue));
  profile::validate::validate(**profile, body, report.pruefidentifikator, sink);
  check_dtm_values(body, sink);
  check_nad_party_ids(body, sink);

  if (pack) {
    // The tree only serves group rules; a pack of segment rules runs over an empty root.
    const bool needs_tree = pack->has_group_rules();
    const edifact::group::SegmentGroupIndexed root =
        needs_tree ? edifact::group::message_group_tree(body, (*profile)->group_schema())
                   : edifact::group::SegmentGroupIndexed({}, edifact::group::root_group_name, 0, body.size(), 0);
    const auto context = edifact::validator::context::ValidationContextBuilder()
                             .with_profile_pack(std::move(*pack))
                             .with_findings_budget(budget)
                             .build();
    edifact::report::ValidationReport layers = context.validate_grouped(root, body);
    // Kept on the budget already.
    for (auto* list : {&layers.errors, &layers.warnings, &layers.infos}) {
      std::ranges::move(*list, std::back_inserter(findings));
    }
  }

  report::file_findings(report, std::move(findings), budget);

  report_outcome(report);
  return report;
}

}  // namespace edi_energy::messages::core
