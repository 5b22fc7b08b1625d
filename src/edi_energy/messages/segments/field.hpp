// Reading one field out of a segment for the typed records: where it sits (element, component)
// and whether the record needs it. Records are plain copies, so fields are owned strings.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::messages::segments {

// The first segment tagged `tag`, or a missing-segment error naming the message body.
edifact::Result<const edifact::model::Segment*> first_with_tag(std::span<const edifact::model::Segment> segments,
                                                               std::string_view tag);

// The component's text when present and non-empty; an empty component is no value.
std::optional<std::string> optional_field(const edifact::model::Segment& segment, std::size_t element,
                                          std::size_t component);

// Like `optional_field`, but absence is the missing-element error for `element`.
edifact::Result<std::string> required_field(const edifact::model::Segment& segment, std::size_t element,
                                            std::size_t component);

// The first component of element `element`, empty when either is missing: for tag-and-qualifier
// tests that must not read a record.
std::string_view leading_text(const edifact::model::Segment& segment, std::size_t element = 0);

}  // namespace edi_energy::messages::segments
