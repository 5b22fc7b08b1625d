// Validation of one message against one compiled profile: placement of its segments, the
// occurrences of groups, segments and data elements against the MIG, the choice of the AHB
// column, and the AHB column checks. Every problem is a finding; nothing here fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "edi_energy/profile/profile.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::profile::validate {

// The context entry of a segment or group found missing or not permitted: the first segment of
// the group instance it was judged in, so that a reader of the finding knows which instance.
inline constexpr std::string_view SCOPE_CONTEXT = "scope";
// The context entry of a count found over its limit: the limit, so that a reader of the finding
// need not parse it out of the message.
inline constexpr std::string_view LIMIT_CONTEXT = "limit";

// Findings in the order they were made: placement, occurrences, data elements, AHB column.
std::vector<edifact::report::ValidationIssue> validate(const Profile& profile,
                                                       std::span<const edifact::model::Segment> segments,
                                                       std::optional<std::uint32_t> pruefidentifikator);
// The same, appended to `findings`; the note that no column was applied is kept past any budget.
void validate(const Profile& profile, std::span<const edifact::model::Segment> segments,
              std::optional<std::uint32_t> pruefidentifikator, edifact::report::FindingSink findings);

// Where one simple data element or component of a message segment is checked.
struct LeafAt {
  std::size_t element = 0;
  std::size_t component = 0;
  std::string_view nr;
  std::string_view tag;
  std::size_t segment_index = 0;
};

// Checks one simple data element or component against its MIG definition; appends at most two
// findings (a format and a code finding).
void check_leaf(const model::Element& element, const edifact::model::Segment& segment, const LeafAt& at,
                bool check_empty, bool column_names,
                edifact::report::FindingSink findings);
// The same for the value the segment carries there (empty where it carries none), for callers
// that hold the segment's components already.
void check_leaf_value(const model::Element& element, std::string_view value, const LeafAt& at, bool check_empty,
                      bool column_names, edifact::report::FindingSink findings);

}  // namespace edi_energy::profile::validate
