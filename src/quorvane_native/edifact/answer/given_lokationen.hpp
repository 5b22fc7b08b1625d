// Where each Lokation the caller names in `references` stands in the answer: decided once, before
// the answer is written, so that every one of them is in the answer or the call is refused naming it.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/answer/echo.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

// A caller's reference that names a Lokation: the SG5 LOC qualifier it stands under (empty where
// the column has no SG5 place for its kind, and only refers to it), and whether the column takes
// its reference in the Vorgang's SG6 too.
struct GivenLokation {
  std::string location;
  std::string_view kind;  // LOC DE 3227 of the Lokation the reference names, its likeliest
  std::string_view form;  // of its ID
  bool in_sg6 = false;
};

// What a request's Vorgang names itself, for telling which Vorgänge name no Lokation of a kind.
struct NamedByRequest {
  std::string_view vorgangsnummer;
  std::span<const std::pair<std::string, std::string>> lokationen;  // (DE 3227, ID)
  std::span<const std::string> in_sg5;  // the LOC qualifiers of the request's the answer carries in SG5
};

// The Lokationen each Vorgang needs, as (LOC DE 3227, form of its ID): those its answer's column
// requires in it, where it names none of that kind. Known only where the Vorgänge are not all alike.
using LokationNeeds = std::vector<std::vector<std::pair<std::string, std::string_view>>>;

struct GivenPlaces {
  std::vector<std::optional<GivenLokation>> of_reference;  // by the caller's reference; none for another reference
  std::vector<std::vector<std::size_t>> of_vorgang;        // the caller's references each Vorgang holds
};

// Whether a Vorgang naming `lokationen` (DE 3227, ID) names a Lokation of the kind and form a
// reference of qualifier `reference` names.
bool names_referenced(std::span<const std::pair<std::string, std::string>> lokationen, std::string_view reference);

// A request of one Vorgang takes every Lokation the caller names, as many of a kind as its column has
// room for. Of several, a kind's Lokationen go to the Vorgänge that need one (`needs`), or, where
// none does, to those that name none of that kind: one ID to each of them, or as many IDs as there
// are such Vorgänge one to each in Vorgang order; never beside a Vorgang's own.
py::Expected<GivenPlaces> place_given_lokationen(std::span<const std::pair<std::string, std::string>> references,
                                                 std::span<const NamedByRequest> vorgaenge, EchoPlaces& places,
                                                 const std::optional<ColumnRef>& column, const LokationNeeds* needs);

}  // namespace quorvane_native::edifact::answer
