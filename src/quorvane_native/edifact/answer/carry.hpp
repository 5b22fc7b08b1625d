// The answer's Vorgänge with their request's units in completion's places. Request and answer
// units pair by the column's place (the MIG segment a unit's first segment stands at), not by
// their codes: at one place the request's unit replaces completion's, and inside a group each
// inner unit does. A unit only the request has goes where the MIG puts it. What completion made
// up beside them (a Lokation the request does not name, a group of a place the request leaves
// empty) is marked, for the leave-out to decide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/profile/structure_resolution.hpp"
#include "quorvane_native/edifact/answer/choice.hpp"
#include "quorvane_native/edifact/answer/draft.hpp"
#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact::answer {

using Places = std::vector<std::optional<NodeIndex>>;

// Whether the answer carries a request's DTM of this qualifier into completion's place: 92 and 93
// are the plan's to confirm or refuse, and a date given replaces the request's.
bool carries_date(std::string_view qualifier, const StringPairs& given_dates);

// Whether a request holds anything for the answer's places: an SG8 or SG12 group, or a date the
// answer carries, of a kind the answer's column has a place for. Read from the parsed request, so
// that a request without any is not written out, cut and placed for nothing.
bool fills_places(const edi_energy::messages::utilmd::UtilmdMessage& request, const StringPairs& given_dates,
                  const ColumnRef& column);

// The request's Vorgang (from 1) that each answer Vorgang (from 1, index 0 unused) answers: the
// one of the same Vorgangsnummer, counted in order where a number repeats.
std::vector<std::optional<std::size_t>> answered_vorgaenge(const VorgangCut& request, const AnswerPlan& plan);

// The place of each segment of a cut message in the column's MIG; all empty where the message
// does not parse into as many segments as the cut holds.
Places places_of(const VorgangCut& cut, const ColumnRef& column);
// The same of a message's parsed segments.
Places places_of(std::span<const ::edifact::model::Segment> segments, const ColumnRef& column);

// A unit completion made up: a Lokation or group beside the request's, which the answer holds
// only where its column wants it, or a unit the request leaves empty inside one of its groups or a
// date of the Vorgang (a filler), which the answer holds until a fault falls on it.
struct MadeUp {
  std::size_t vorgang = 0;
  Unit unit;  // in the answer's cut
  bool lokation = false;
  bool kept = false;
  bool barred = false;  // gone for a fault of its own, never to be taken back
};

// What a segment of a draft is: the place it stands at, the innermost choice that wrote it
// (from 1; 0 for completion's), and the Vorgang's top-level unit it stands in (from 1; 0 for
// the segments outside a Vorgang and its IDE).
struct DraftSegment {
  std::optional<NodeIndex> place;
  std::size_t choice = 0;
  std::size_t top = 0;
  std::size_t made_up = 0;  // the made-up unit it stands in (from 1), 0 for none
};

class Carry {
 public:
  Carry(const VorgangCut& answer, const Places& answer_places, const VorgangCut& request,
        const Places& request_places, const AnswerPlan& plan, const StringPairs& given_dates,
        const ColumnRef& column);

  std::vector<Choice> choices;    // Vorgang by Vorgang
  std::vector<MadeUp> made_up;    // Vorgang by Vorgang
  // Where each Vorgang's choices and made-up units begin (from 1), and where the last ones end.
  std::vector<std::size_t> first_choice;
  std::vector<std::size_t> first_made_up;

  // The answer with each choice and made-up unit as it stands now, of the Vorgänge `only` marks
  // (all without it); `segments` gets what each of its segments is.
  Draft draft(std::vector<DraftSegment>& segments, const std::vector<bool>* only = nullptr) const;
  // Per Vorgang (from 1), what its units are apart from the IDs the request names: two Vorgänge
  // of one shape hold their choices and made-up units in the same order, and their column
  // decides them alike.
  std::vector<std::string> shapes();
  // The message of a draft, cut and placed as the answer's cut is.
  const VorgangCut& answer() const { return answer_; }

 private:
  struct Node {
    enum class Kind : std::uint8_t { answer, request, made_up };
    Kind kind = Kind::answer;
    Unit unit;
    std::size_t index = 0;  // of its choice or made-up unit
    bool merged = false;     // a request group whose inner units are merged with completion's
    std::vector<Node> children;
  };
  // Whether the column has a place at `place` at all: a request unit elsewhere is not carried.
  bool used(NodeIndex place);
  std::vector<Node> merge(std::size_t vorgang, const std::vector<Unit>& ours, const std::vector<Unit>& theirs,
                          bool top, std::optional<std::size_t> parent);
  void emit(const std::vector<Node>& nodes, std::size_t vorgang, std::size_t choice, std::size_t& top, bool outer,
            Draft& draft, std::vector<DraftSegment>& segments) const;

  const VorgangCut& answer_;
  const Places& answer_places_;
  const VorgangCut& request_;
  const Places& request_places_;
  const AnswerPlan& plan_;
  const StringPairs& given_dates_;
  const ColumnRef& column_;
  std::vector<std::int8_t> used_;  // per MIG node: whether the column has a row for it (-1: not asked)
  std::vector<std::string> request_texts_;  // a request segment as the answer writes it, where it differs
  std::vector<std::vector<Node>> vorgaenge_;  // per answer Vorgang from 1; empty where none was answered
};

}  // namespace quorvane_native::edifact::answer
