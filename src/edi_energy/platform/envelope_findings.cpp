#include "edi_energy/platform/envelope_findings.hpp"

#include <string>
#include <utility>

#include "edifact/envelope/envelope.hpp"

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
    default: return "OTHER";
  }
}

ValidationIssue finding_of(const EdifactError& error, std::string_view tag) {
  ValidationIssue issue = ValidationIssue(Severity::Error, error.message())
                              .with_rule_id("PARSE-ENVELOPE-" + std::string(rule_suffix(error.kind)));
  if (!tag.empty()) issue = std::move(issue).with_segment(tag);
  return issue;
}

// The message's own envelope: UNH and UNT fields, references and the segment count.
void check_message(std::span<const edifact::model::Segment> message, edifact::envelope::ReferenceSet& references,
                   std::vector<ValidationIssue>& findings) {
  edifact::envelope::ErrorSink sink;
  auto records = edifact::envelope::extract_messages_flat(message, sink, references);
  if (records) {
    for (const auto& record : *records) {
      if (record.declared_segment_count != record.counted_segments) {
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

  // Between the messages only the interchange's own UNB and UNZ at its ends and functional
  // groups may stand; the finding goes to the message it follows (the first, before any).
  std::size_t next_window = 0;
  bool group_open = false;
  const auto misplaced = [&](const edifact::model::Segment& segment) {
    result.interchange_sound = false;
    if (windows.empty()) return;
    const std::size_t owner = next_window == 0 ? 0 : next_window - 1;
    result.per_message[owner].push_back(finding_of(
        EdifactError::segment_not_allowed(std::string(segment.tag()), std::string(edifact::error::ENVELOPE_MESSAGE_TYPE),
                                          segment.span()),
        segment.tag()));
  };
  for (std::size_t at = 0; at < segments.size(); ++at) {
    if (next_window < windows.size() && at == windows[next_window].first) {
      at = windows[next_window].last;
      ++next_window;
      continue;
    }
    const edifact::model::Segment& segment = segments[at];
    const std::string_view tag = segment.tag();
    if ((at == 0 && tag == "UNB") || (at + 1 == segments.size() && tag == "UNZ")) continue;
    if (tag == "UNG" && !group_open) {
      group_open = true;
    } else if (tag == "UNE" && group_open) {
      group_open = false;
    } else {
      misplaced(segment);
    }
  }
  if (group_open) {
    result.interchange_sound = false;
    if (!windows.empty()) {
      result.per_message.back().push_back(
          finding_of(EdifactError::missing_segment("UNE", "end of functional group"), "UNE"));
    }
  }
  return result;
}

}  // namespace edi_energy::platform
