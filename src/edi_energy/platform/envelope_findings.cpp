#include "edi_energy/platform/envelope_findings.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/interchange.hpp"
#include "edi_energy/platform/unb_layout.hpp"
#include "edifact/envelope/envelope.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::platform {
namespace {

using edifact::EdifactError;
using edifact::report::Severity;
using edifact::report::ValidationIssue;

struct Window {
  std::size_t first = 0;
  std::size_t last = 0;  // the UNT, or the last segment of an unterminated message
};

std::vector<Window> windows_of(std::span<const edifact::model::Segment> segments) {
  std::vector<Window> windows;
  std::size_t header = 0;
  bool inside = false;
  for (std::size_t at = 0; at < segments.size(); ++at) {
    const std::string_view tag = segments[at].tag();
    if (tag == "UNH" && !inside) {
      header = at;
      inside = true;
    } else if (tag == "UNT" && inside) {
      windows.push_back({header, at});
      inside = false;
    }
  }
  // A message left open fails the parse itself; it is not reported twice.
  return windows;
}

std::string_view rule_suffix(EdifactError::Kind kind) {
  using K = EdifactError::Kind;
  switch (kind) {
    case K::SegmentCountMismatch: return "SEGMENT-COUNT";
    case K::QualifierMismatch: return "REFERENCE";
    case K::DuplicateReference: return "DUPLICATE-REFERENCE";
    case K::SegmentNotAllowed: return "MISPLACED";
    case K::MissingSegment: return "MISSING-SEGMENT";
    case K::MissingElement:
    case K::MissingComponent: return "MISSING-DATA";
    case K::InvalidText: return "UNREADABLE-COUNT";
    case K::EmptyMessage: return "EMPTY-MESSAGE";
    case K::MixedGroups: return "MIXED-GROUPS";
    case K::UnrecognisedSyntaxIdentifier:
    case K::UnsupportedRepertoire: return "SYNTAX-IDENTIFIER";
    default: return "OTHER";
  }
}

ValidationIssue finding_of(const EdifactError& error, std::string_view tag) {
  ValidationIssue issue = ValidationIssue(Severity::Error, error.message())
                              .with_rule_id("PARSE-ENVELOPE-" + std::string(rule_suffix(error.kind)));
  if (!tag.empty()) issue = std::move(issue).with_segment(tag);
  return issue;
}

ValidationIssue misplaced_finding(const edifact::model::Segment& segment) {
  return finding_of(EdifactError::segment_not_allowed(std::string(segment.tag()),
                                                      std::string(edifact::error::ENVELOPE_MESSAGE_TYPE), segment.span()),
                    segment.tag());
}

// Whether a UNT or UNE states a count at all: one that does not is reported as missing or
// unreadable, not once more for differing from the count found.
bool states_count(const edifact::model::Segment& trailer) {
  return edifact::envelope::read_count(edifact::envelope::component_text(trailer, 0, 0)).has_value();
}

// The message's own envelope: UNH and UNT fields, references and the segment count.
void check_message(std::span<const edifact::model::Segment> message, edifact::envelope::ReferenceSet& references,
                   std::vector<ValidationIssue>& findings) {
  edifact::envelope::ErrorSink sink;
  auto records = edifact::envelope::extract_messages_flat(message, sink, references);
  if (records) {
    for (const auto& record : *records) {
      if (record.declared_segment_count != record.counted_segments && states_count(message.back())) {
        sink.push(EdifactError::segment_count_mismatch(record.message_reference, record.declared_segment_count,
                                                       record.counted_segments, record.unt_span));
      }
    }
  } else {
    sink.push(std::move(records).error());
  }
  for (const EdifactError& error : sink.errors()) {
    const std::string_view tag = !error.tag.empty()                                     ? std::string_view(error.tag)
                                 : error.kind == EdifactError::Kind::SegmentCountMismatch ? std::string_view("UNT")
                                                                                          : std::string_view();
    findings.push_back(finding_of(error, tag));
  }
}

// Required fields that are missing or empty, and an unknown repertoire.
edifact::envelope::ErrorSink header_errors(const edifact::model::Segment& unb) {
  edifact::envelope::ErrorSink sink;
  edifact::envelope::read_interchange_header(unb, sink);
  return sink;
}

// The syntax library's text names UNZ for a group too; a finding must say which count is wrong.
ValidationIssue group_count_finding(const edifact::envelope::FunctionalGroupEnvelope& group, std::uint32_t found) {
  return ValidationIssue(Severity::Error, fmt::format("functional group {} message count mismatch: UNE declared {}, "
                                                      "found {}",
                                                      support::debug_quote(group.group_reference_number),
                                                      group.declared_count, found))
      .with_rule_id("PARSE-ENVELOPE-MESSAGE-COUNT")
      .with_segment("UNE");
}

}  // namespace

bool is_interchange_service_segment(const edifact::model::Segment& segment) {
  const std::string_view tag = segment.tag();
  return tag == "UNB" || tag == "UNZ" || tag == "UNG" || tag == "UNE";
}

EnvelopeFindings envelope_findings(std::span<const edifact::model::Segment> segments) {
  EnvelopeFindings result;
  const std::vector<Window> windows = windows_of(segments);
  result.per_message.resize(windows.size());
  edifact::envelope::ReferenceSet references;
  for (std::size_t k = 0; k < windows.size(); ++k) {
    check_message(segments.subspan(windows[k].first, windows[k].last - windows[k].first + 1), references,
                  result.per_message[k]);
  }

  // A finding about the interchange or a segment between the messages goes to the message it
  // follows (the first, before any); with no message at all only the verdict keeps it.
  const auto report = [&](std::size_t owner, ValidationIssue issue) {
    result.interchange_sound = false;
    if (!windows.empty()) result.per_message[std::min(owner, windows.size() - 1)].push_back(std::move(issue));
  };
  const auto report_all = [&](std::size_t owner, const edifact::envelope::ErrorSink& sink, std::string_view tag) {
    for (const EdifactError& error : sink.errors()) report(owner, finding_of(error, error.tag.empty() ? tag : error.tag));
  };

  if (!segments.empty() && segments.front().tag() == "UNB") {
    const edifact::model::Segment& unb = segments.front();
    report_all(0, header_errors(unb), "UNB");
    for (ValidationIssue& issue : unb_layout_findings(unb)) report(0, std::move(issue));
    for (std::size_t k = 0; k < windows.size(); ++k) {
      const std::string_view type =
          interchange::component_text(segments[windows[k].first], 1, 0).value_or(std::string_view{});
      if (auto issue = application_reference_finding(unb, type)) report(k, std::move(*issue));
    }
  }

  // Between the messages only the interchange's own UNB and UNZ at its ends and functional
  // groups may stand. Where there are groups, every message stands in one.
  std::vector<std::size_t> outside_groups;
  bool grouped = false;
  struct OpenGroup {
    std::size_t first_message = 0;
    std::size_t messages = 0;
    edifact::envelope::FunctionalGroupEnvelope record;
    edifact::envelope::ErrorSink header_errors;
  };
  std::optional<OpenGroup> group;
  edifact::envelope::ReferenceSet group_references;
  std::size_t next_window = 0;
  const auto follows = [&] { return next_window == 0 ? 0 : next_window - 1; };
  // What is wrong with a group goes to its first message.
  const auto group_owner = [&] { return group->messages > 0 ? group->first_message : follows(); };
  for (std::size_t at = 0; at < segments.size(); ++at) {
    if (next_window < windows.size() && at == windows[next_window].first) {
      if (group) {
        ++group->messages;
      } else {
        outside_groups.push_back(next_window);
      }
      at = windows[next_window].last;
      ++next_window;
      continue;
    }
    const edifact::model::Segment& segment = segments[at];
    const std::string_view tag = segment.tag();
    if ((at == 0 && tag == "UNB") || (at + 1 == segments.size() && tag == "UNZ")) continue;
    if (tag == "UNG" && !group) {
      grouped = true;
      group.emplace();
      group->first_message = next_window;
      group->record = edifact::envelope::read_group_header(segment, group->header_errors, group_references);
    } else if (tag == "UNE" && group) {
      edifact::envelope::ErrorSink trailer_errors;
      edifact::envelope::read_group_trailer(segment, group->record, trailer_errors);
      const std::uint32_t found = trailer_errors.clamped_count(group->messages);
      report_all(group_owner(), group->header_errors, "UNG");
      report_all(group_owner(), trailer_errors, "UNE");
      if (group->record.declared_count != found && states_count(segment)) {
        report(group_owner(), group_count_finding(group->record, found));
      }
      ++result.group_count;
      group.reset();
    } else {
      report(follows(), misplaced_finding(segment));
    }
  }
  if (group) {
    report_all(group_owner(), group->header_errors, "UNG");
    report(follows(), finding_of(EdifactError::missing_segment("UNE", "end of functional group"), "UNE"));
  }
  if (grouped) {
    for (const std::size_t message : outside_groups) {
      report(message, finding_of(EdifactError::mixed_groups(segments[windows[message].first].span()), "UNH"));
    }
  }
  return result;
}

std::vector<ValidationIssue> bare_message_findings(std::span<const edifact::model::Segment> segments) {
  std::vector<ValidationIssue> findings;
  const std::vector<Window> windows = windows_of(segments);
  // Without a UNT the message's own checks say what is missing.
  const Window message = windows.empty() ? Window{segments.size(), segments.size()} : windows.front();
  for (std::size_t at = 0; at < message.first; ++at) {
    if (is_interchange_service_segment(segments[at])) findings.push_back(misplaced_finding(segments[at]));
  }
  if (!windows.empty()) {
    edifact::envelope::ReferenceSet references;
    check_message(segments.subspan(message.first, message.last - message.first + 1), references, findings);
  }
  for (std::size_t at = message.last + 1; at < segments.size(); ++at) {
    if (is_interchange_service_segment(segments[at])) findings.push_back(misplaced_finding(segments[at]));
  }
  return findings;
}

}  // namespace edi_energy::platform
