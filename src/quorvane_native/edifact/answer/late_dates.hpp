// A Vorgang's own date that a request writes after one of the Vorgang's SG8 or SG12 groups. The cut
// counts it into that group and the reader into the group's sequence (after a party: nowhere), so
// that neither plan nor carry would see it; both read the request with it where the MIG puts the
// Vorgang's dates.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "edi_energy/messages/utilmd.hpp"
#include "quorvane_native/edifact/answer/carry.hpp"

namespace quorvane_native::edifact::answer {

struct LateDate {
  std::size_t segment = 0;
  NodeIndex place = 0;  // the Vorgang's own DTM of its qualifier
};

// Such dates among `segments`, whose `places` are read in `column`'s MIG: a DTM after a group's
// head (up to the next head, LOC, IDE or UNT, as the cut counts a group) that stands at no place
// inside that group, of a qualifier the Vorgang itself has a place for.
std::vector<LateDate> late_vorgang_dates(std::span<const ::edifact::model::Segment> segments, const Places& places,
                                         const ColumnRef& column);

// The request as the answer reads it. Where it holds late dates, it is read again with each of them
// right after its Vorgang's IDE and the dates written there, at its place.
struct RequestRead {
  bool fills = false;  // whether it holds anything for the answer's places (fills_places)
  Places places;       // of the segments read: the request's own, or those read again
  std::optional<edi_energy::messages::utilmd::UtilmdMessage> reread;
};

RequestRead read_request(const edi_energy::messages::utilmd::UtilmdMessage& request,
                         std::span<const ::edifact::model::Segment> segments, const StringPairs& given_dates,
                         const ColumnRef& column);

}  // namespace quorvane_native::edifact::answer
