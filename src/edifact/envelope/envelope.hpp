// Envelope validation: checks the service segments of one parsed interchange (UNB, UNG, UNE,
// UNH, UNT, UNZ) against each other and records what they declare. Message contents are only
// counted, never checked.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "edifact/envelope/records.hpp"
#include "edifact/envelope/error_sink.hpp"
#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edifact::envelope {

// References seen so far; one set serves a whole interchange.
using ReferenceSet = std::unordered_set<std::string>;

struct CollectedEnvelope {
  // Absent when a structural error stopped the walk; `errors` is then never empty.
  std::optional<ValidatedInterchange> interchange;
  std::vector<EdifactError> errors;  // in the order found
};

// The fields of a UNB, UNG and UNE as the records hold them; a missing required field, an
// unknown syntax identifier, a reused group reference and a UNE that contradicts its UNG are
// reported into `sink`.
InterchangeEnvelope read_interchange_header(const model::Segment& header, ErrorSink& sink);
FunctionalGroupEnvelope read_group_header(const model::Segment& header, ErrorSink& sink,
                                          ReferenceSet& group_references);
void read_group_trailer(const model::Segment& trailer, FunctionalGroupEnvelope& group, ErrorSink& sink);

// Every error that can be found. Misplaced or missing service segments stop the walk (their
// error comes last); content errors are collected and the walk goes on.
CollectedEnvelope validate_envelope_collecting(std::span<const model::Segment> segments);

// The record of a clean interchange, or the first error found.
Result<ValidatedInterchange> validate_envelope(std::span<const model::Segment> segments);

// Cuts a run that holds only UNH..UNT messages into records. A misplaced or missing service
// segment ends the cut with its error; errors about one message's fields go into `sink`, and
// each message reference into `message_references`.
Result<std::vector<MessageEnvelope>> extract_messages_flat(
    std::span<const model::Segment> segments, ErrorSink& sink, ReferenceSet& message_references);

}  // namespace edifact::envelope
