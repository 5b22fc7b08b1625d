// The interface of typed segment readers: a record type that reads itself from the segments of
// a message window (or from a one-segment slice).
#pragma once

#include <concepts>
#include <span>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edifact::de {

// A reader builds its record, so the operation is a static one and the interface a concept.
template <class Record>
concept EdifactDeserialize = requires(std::span<const model::Segment> segments) {
  { Record::edifact_deserialize(segments) } -> std::same_as<Result<Record>>;
};

}  // namespace edifact::de
