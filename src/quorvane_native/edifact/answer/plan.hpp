// What an answer takes over from its request, Vorgang by Vorgang: the Lokationen and references
// its column has a place for, the Vorgangsnummer as the answer's RFF+TN, the Transaktionsgrund,
// the process dates 92 and 93, and the request's BGM code. Each value can be left out again
// when a build shows that the answer's column does not permit it there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/messages/utilmd.hpp"
#include "quorvane_native/edifact/answer/given_lokationen.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/input_classes.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

using StringPairs = std::vector<std::pair<std::string, std::string>>;

struct Echo {
  std::string tag;        // LOC, RFF, DTM or STS
  std::string qualifier;  // DE 3227, 1153 or 2005; "7" for the Transaktionsgrund
  std::string value;      // the ID, the reference, the date, the Grund
  std::optional<std::string> ergaenzung;   // of the Transaktionsgrund
  bool completions_ergaenzung = false;     // in place of one the column never names
  std::optional<std::string> befristung;   // of the Transaktionsgrund
  // A value the request holds in the answer's own meaning (the Vorgangsnummer as RFF+TN, a date,
  // the Grund): left out on any fault, where a Lokation or reference the column rejects for its
  // value is the request's fault.
  bool replaceable = false;
  bool kept = true;
  bool faulted = false;  // left out for its value, never to be taken up again
  bool given = false;    // a Lokation the caller names in `references`, not the request
  std::optional<std::string> left_out_for;  // the column's word on it, where it was left out
};

struct EchoVorgang {
  std::string vorgangsnummer;
  // The dates of the request's Vorgang (DE 2005, value), one in another zone also as in +00.
  std::vector<std::pair<std::string, std::string>> dates;
  std::vector<Echo> echoes;
  // Every Lokation the request's Vorgang names (DE 3227, ID), whether the answer has a place for it or not:
  // in its LOCs, then those the caller names in `references`, then those it names only in a reference.
  std::vector<std::pair<std::string, std::string>> lokationen;
  std::size_t located = 0;  // of `lokationen`, those in the request's LOCs
  std::size_t given_named = 0;  // of `lokationen`, those the caller names, right after the located ones
  // The caller's references that name a Lokation of this Vorgang (indices into `references`).
  std::vector<std::size_t> given;
};

// A DTM 92 or 93 as the request wrote it, for naming one the answer could not confirm.
struct RequestDate {
  std::size_t vorgang = 0;  // counted from 1
  std::string qualifier;
  std::string value;
  std::string format;
};

// What the caller gave build_answer besides the request, for a refusal to advise the call that
// builds the answer.
struct CallerArguments {
  std::string others;  // the arguments beside `references` the caller set, as keyword arguments (", on=…")
  std::string utilmd_others;  // those of them build_utilmd takes as well
  std::span<const std::pair<std::string, std::string>> references;     // the caller's, each as given
  std::span<const std::pair<std::string, std::string>> process_dates;  // the caller's
  std::span<const std::pair<std::string, std::string>> free_texts;     // the caller's
  std::optional<std::string> antwort_code;
  std::optional<std::string> antwort_ebd;
  // build_utilmd's message of the answer's Vorgänge as these transactions, or its refusal.
  std::function<std::expected<std::string, std::string>(std::vector<UtilmdTransaction>)> utilmd_trial;
  // build_answer's refusal of the call with these `references`, or none where it answers; unset
  // where the caller gave no reference that could be at fault.
  std::function<std::optional<std::string>(const StringPairs&)> answer_refusal;
};

struct AnswerPlan {
  const CallerArguments* caller = nullptr;
  std::optional<std::string> document_code;  // the request's, while the answer's column takes it
  std::vector<EchoVorgang> vorgaenge;
  // The first value the answer would confirm that is no date: the answer cannot confirm it, and
  // completion's date in its place would confirm what nobody asked.
  std::optional<std::string> faulty_date;
  std::vector<RequestDate> request_dates;
  // Of each of the caller's references, where it stands if it names a Lokation.
  std::vector<std::optional<GivenLokation>> given_lokationen;
  // Where set, an answer lacking a Lokation only tells here what each Vorgang needs, unworded.
  LokationNeeds* needs = nullptr;
};

// What the caller gives itself wins over the request's value of the same qualifier.
struct GivenValues {
  const StringPairs* process_dates;
  const StringPairs* references;
};

// `message_index` names the request in a refusal.
AnswerPlan plan_answer(const edi_energy::messages::utilmd::UtilmdMessage& request,
                       const std::optional<ColumnRef>& column, GivenValues given, std::uint64_t message_index);

// Puts each Lokation the caller names in `references` into the Vorgänge it stands in; refused naming
// the reference where one can stand nowhere. `needs` as place_given_lokationen takes them.
py::Status give_lokationen(AnswerPlan& plan, const StringPairs& references, const std::optional<ColumnRef>& column,
                           const LokationNeeds* needs);

// The caller's reference `at` that names a Lokation and does not stand in this Vorgang.
bool given_elsewhere(const AnswerPlan& plan, const EchoVorgang& vorgang, std::size_t at);

// The Vorgang (from 1; 0 outside every Vorgang) that segment `segment` of the answer's cut stands
// in, and the echo of the plan it holds, if it holds one of the plan's kept values.
struct EchoAt {
  std::size_t vorgang = 0;
  std::optional<std::size_t> echo;
};
// Whether the Vorgang names a Lokation of LOC qualifier `qualifier` that no LOC of the answer holds
// yet: one the request or the caller names only in a reference, to stand where completion's sample does.
bool names_unwritten_lokation(const EchoVorgang& vorgang, std::string_view qualifier);

// Whether the plan has the answer confirm the Vorgang's own DTM of `qualifier` (92 or 93).
bool confirms_date(const EchoVorgang& vorgang, std::string_view qualifier);

EchoAt echo_at(const VorgangCut& cut, const AnswerPlan& plan, std::size_t segment);

}  // namespace quorvane_native::edifact::answer
