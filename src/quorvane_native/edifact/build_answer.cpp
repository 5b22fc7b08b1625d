#include "quorvane_native/edifact/build_answer.hpp"

#include <fmt/format.h>

#include <array>
#include <charconv>
#include <optional>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

#include "edi_energy/builders/utilmd.hpp"
#include "edi_energy/lokation_reference.hpp"
#include "edi_energy/lokationstyp.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/messages/utilmd.hpp"
#include "edi_energy/platform/input_segments.hpp"
#include "edifact/write/writer.hpp"
#include "quorvane_native/edifact/answer/code_demands.hpp"
#include "quorvane_native/edifact/answer/dates.hpp"
#include "quorvane_native/edifact/answer/late_dates.hpp"
#include "quorvane_native/edifact/answer/echo.hpp"
#include "quorvane_native/edifact/answer/leave_out.hpp"
#include "quorvane_native/edifact/answer/lokation_ids.hpp"
#include "quorvane_native/edifact/answer/obligations.hpp"
#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/answer/received.hpp"
#include "quorvane_native/edifact/answer/carry.hpp"
#include "quorvane_native/edifact/answer/size.hpp"
#include "quorvane_native/edifact/answer/trim.hpp"
#include "quorvane_native/edifact/answer/vorgaenge_alike.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/build_check.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/build_utilmd.hpp"
#include "quorvane_native/edifact/codeliste_argument.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/given_text.hpp"
#include "quorvane_native/edifact/message_report.hpp"
#include "quorvane_native/edifact/reader_limits.hpp"
#include "quorvane_native/edifact/received.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

namespace {

using namespace answer;
using edi_energy::message_type::MessageType;
using edi_energy::messages::utilmd::UtilmdMessage;

// A build whose leaving out of rejected values does not settle within these is judged as it is.
constexpr std::size_t leave_out_rounds = 8;

// What the caller gives for every Vorgang.
struct AnswerContent {
  std::optional<std::pair<std::string, std::optional<std::string>>> antwort;
  const StringPairs* process_dates;
  const std::vector<std::string>* date_formats;  // of each process date
  const StringPairs* references;
  const StringPairs* free_texts;
  const AnswerPlan* plan;  // where the references that name a Lokation stand
};

// `callers` gets, for each reference the transaction writes, the caller's reference it is, if any.
template <class Builder>
py::Expected<Builder> add_answer_transaction(Builder builder, const EchoVorgang& vorgang,
                                             const AnswerContent& content,
                                             std::vector<std::optional<std::size_t>>& callers) {
  auto transaction = std::move(builder).transaction("24", vorgang.vorgangsnummer);
  const auto kept = [&](std::string_view tag) {
    return vorgang.echoes | std::views::filter([tag](const Echo& echo) { return echo.kept && echo.tag == tag; });
  };
  for (const Echo& loc : kept("LOC")) {
    transaction = std::move(transaction).location(*edi_energy::lokationstyp::from_qualifier_code(loc.qualifier),
                                                  loc.value);
  }
  for (std::size_t at = 0; at < content.process_dates->size(); ++at) {
    const auto& [qualifier, value] = (*content.process_dates)[at];
    transaction = std::move(transaction).date(qualifier, value, (*content.date_formats)[at]);
  }
  for (const Echo& dtm : kept("DTM")) transaction = std::move(transaction).date(dtm.qualifier, dtm.value);
  for (const Echo& sts : kept("STS")) {
    transaction = std::move(transaction).transaktionsgrund(sts.value, sts.ergaenzung, sts.befristung);
  }
  if (content.antwort) transaction = std::move(transaction).antwort(content.antwort->first, content.antwort->second);
  for (const Echo& rff : kept("RFF")) {
    transaction = std::move(transaction).reference(rff.qualifier, rff.value);
    callers.emplace_back();
  }
  // A reference that names a Lokation stands in its Vorgang's SG6 only where the column has that
  // place there; elsewhere its Lokation stands in the Vorgang's LOC and the references to its kind.
  // The same ID given twice stands once.
  std::unordered_set<std::string_view> given_ids;
  for (std::size_t at = 0; at < content.references->size(); ++at) {
    const auto& [qualifier, value] = (*content.references)[at];
    const auto& lokation = at < content.plan->given_lokationen.size() ? content.plan->given_lokationen[at] : std::nullopt;
    if (lokation &&
        (given_elsewhere(*content.plan, vorgang, at) || !given_ids.insert(value).second || !lokation->in_sg6)) {
      continue;
    }
    transaction = std::move(transaction).reference(qualifier, value);
    callers.emplace_back(at);
  }
  for (const auto& [qualifier, text] : *content.free_texts) {
    if (auto latin1 = ensure_latin1(fmt::format("free_texts[{}]", qualifier), text); !latin1) {
      return py::propagate(latin1);
    }
    transaction = std::move(transaction).free_text(qualifier, text);
  }
  return std::move(transaction).done();
}

// The Lokationen and references the answer carries as the request wrote them, for naming a
// rejection of one of them.
Carried carried_of(const AnswerPlan& plan, std::uint64_t message_index, const StringPairs* given_references) {
  Carried carried{.message_index = message_index, .vorgaenge = {}, .given_references = given_references};
  for (const EchoVorgang& vorgang : plan.vorgaenge) {
    CarriedVorgang& into = carried.vorgaenge.emplace_back();
    into.vorgangsnummer = vorgang.vorgangsnummer;
    for (const Echo& echo : vorgang.echoes) {
      if (!echo.kept || echo.replaceable || echo.given) continue;
      (echo.tag == "LOC" ? into.locations : into.references).emplace_back(echo.qualifier, echo.value);
    }
  }
  return carried;
}

// The call's arguments, read and checked.
struct Call {
  std::string_view received;  // the caller's bytes, alive through the call
  std::uint32_t answer_pid = 0;
  std::optional<std::string> on;
  std::optional<std::string> release_text;  // as given
  edi_energy::release::Release release;
  std::string message_ref;
  std::optional<std::string> document_date;
  std::optional<std::string> document_code;
  std::optional<std::string> antwort_code;
  std::optional<std::string> antwort_ebd;
  StringPairs process_dates;
  std::vector<std::string> date_formats;  // of each process date, as its place in the answer's column takes it
  StringPairs references;
  StringPairs free_texts;
  std::uint64_t message_index = 0;
};

py::Expected<Call> read_call(py::Args args) {
  auto received = py::to_bytes(args[0]);
  if (!received) return py::propagate(received);
  auto answer_pid = py::to_u32(args[1]);
  if (!answer_pid) return py::propagate(answer_pid);
  auto on = py::to_optional_str(args[2]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[3]);
  if (!release_text) return py::propagate(release_text);
  auto message_ref = py::to_str(args[4]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date = py::to_optional_str(args[5]);
  if (!document_date) return py::propagate(document_date);
  auto document_code = py::to_optional_str(args[6]);
  if (!document_code) return py::propagate(document_code);
  auto antwort_code = py::to_optional_str(args[7]);
  if (!antwort_code) return py::propagate(antwort_code);
  auto antwort_ebd = py::to_optional_str(args[8]);
  if (!antwort_ebd) return py::propagate(antwort_ebd);
  auto process_dates = py::to_list_or_empty(args[9], py::from::str_pair);
  if (!process_dates) return py::propagate(process_dates);
  auto references = py::to_list_or_empty(args[10], py::from::str_pair);
  if (!references) return py::propagate(references);
  auto free_texts = py::to_list_or_empty(args[11], py::from::str_pair);
  if (!free_texts) return py::propagate(free_texts);
  auto message_index = py::to_u64(args[12]);
  if (!message_index) return py::propagate(message_index);

  // The answer's track follows from its own Prüfidentifikator, never from the request.
  auto release = pids::resolve_release(MessageType::Utilmd, *release_text, *on, pids::sparte_of(*answer_pid));
  if (!release) return py::propagate(release);
  if (auto given = require_text("message_ref", *message_ref); !given) return py::propagate(given);
  if (auto given = require_optional_texts({{"document_date", &*document_date},
                                           {"document_code", &*document_code},
                                           {"antwort_code", &*antwort_code},
                                           {"antwort_ebd", &*antwort_ebd}});
      !given) {
    return py::propagate(given);
  }
  if (auto given = require_codeliste("antwort_ebd", *antwort_ebd, *antwort_code); !given) return py::propagate(given);
  for (const auto& [field, pairs] : {std::pair<std::string_view, const StringPairs*>{"process_dates", &*process_dates},
                                     {"references", &*references},
                                     {"free_texts", &*free_texts}}) {
    for (std::size_t at = 0; at < pairs->size(); ++at) {
      const auto& [qualifier, value] = (*pairs)[at];
      const std::string unnamed = fmt::format("{}[{}] qualifier", field, at);
      const std::string named = fmt::format("{}[{}]", field, qualifier);
      if (auto given = require_texts({{unnamed, qualifier}, {named, value}}); !given) return py::propagate(given);
    }
  }
  // The answer's column alone gives a process date its form, so a faulty one is named before the request.
  const std::optional<ColumnRef> date_column = [&]() -> std::optional<ColumnRef> {
    auto valid_pid = pid(static_cast<std::int64_t>(*answer_pid));
    return valid_pid ? column_of(MessageType::Utilmd, *release, *valid_pid) : std::nullopt;
  }();
  auto date_formats = process_date_formats(*process_dates, date_column);
  if (!date_formats) return py::propagate(date_formats);
  return Call{.received = *received,
              .answer_pid = *answer_pid,
              .on = std::move(*on),
              .release_text = std::move(*release_text),
              .release = *release,
              .message_ref = std::move(*message_ref),
              .document_date = std::move(*document_date),
              .document_code = std::move(*document_code),
              .antwort_code = std::move(*antwort_code),
              .antwort_ebd = std::move(*antwort_ebd),
              .process_dates = std::move(*process_dates),
              .date_formats = std::move(*date_formats),
              .references = std::move(*references),
              .free_texts = std::move(*free_texts),
              .message_index = *message_index};
}

// The caller's arguments, for a refusal to advise the call that builds the answer.
CallerArguments caller_arguments(const Call& call) {
  CallerArguments caller{.others = {},
                         .utilmd_others = {},
                         .references = call.references,
                         .process_dates = call.process_dates,
                         .free_texts = call.free_texts,
                         .antwort_code = call.antwort_code,
                         .antwort_ebd = call.antwort_ebd,
                         .utilmd_trial = {},
                         .answer_refusal = {}};
  std::string& others = caller.others;
  const auto text = [](std::string& to, std::string_view name, const std::optional<std::string>& value) {
    if (value) to += fmt::format(", {}={}", name, support::python_quote(*value));
  };
  const auto pairs = [&](std::string_view name, const StringPairs& given) {
    if (given.empty()) return;
    std::string listed;
    for (const auto& [first, second] : given) {
      listed += fmt::format("{}({}, {})", listed.empty() ? "" : ", ", support::python_quote(first),
                            support::python_quote(second));
    }
    others += fmt::format(", {}=[{}]", name, listed);
  };
  const std::optional<std::string> message_ref =
      call.message_ref != "1" ? std::optional(call.message_ref) : std::nullopt;
  for (std::string* to : {&others, &caller.utilmd_others}) {
    text(*to, "on", call.on);
    text(*to, "release", call.release_text);
    text(*to, "message_ref", message_ref);
    text(*to, "document_date", call.document_date);
    text(*to, "document_code", call.document_code);
  }
  text(others, "antwort_code", call.antwort_code);
  text(others, "antwort_ebd", call.antwort_ebd);
  pairs("process_dates", call.process_dates);
  pairs("free_texts", call.free_texts);
  if (call.message_index != 0) others += fmt::format(", message_index={}", call.message_index);
  return caller;
}

// What the received interchange gives the answer.
struct Received {
  std::string sender;
  std::string receiver;
  std::uint32_t answer_pid = 0;  // checked
  std::optional<ColumnRef> column;
  AnswerPlan plan;
  // The request as the builders write it, for the groups the answer carries over, and the place
  // of each of its segments in the answer's MIG; empty where it holds none the column has a place for.
  std::string request;
  Places request_places;
};

// The request is read and gone before completion, whose peak is the largest of the call.
py::Expected<Received> receive(const Call& call) {
  auto parsed = parse_received(call.received);
  if (!parsed) return py::propagate(parsed);
  auto envelope = received_message(*parsed, call.message_index, "answer");
  if (!envelope) return py::propagate(envelope);
  const UtilmdMessage* request = (*envelope)->message.get<UtilmdMessage>();
  if (request == nullptr) {
    return py::value_error(
        "build_answer answers a UTILMD request; acknowledge other message types with build_aperak_for");
  }
  auto valid_pid = pid(static_cast<std::int64_t>(call.answer_pid));
  if (!valid_pid) return py::propagate(valid_pid);
  const auto column = column_of(MessageType::Utilmd, call.release, *valid_pid);
  const auto& segments = (*envelope)->message.core()->segments;
  // Read before the plan: a date the request writes after a group is the plan's to confirm too.
  RequestRead read = column ? read_request(*request, segments, call.process_dates, *column) : RequestRead{};
  Received parts{.sender = (*envelope)->header.recipient,
                 .receiver = (*envelope)->header.sender,
                 .answer_pid = *valid_pid,
                 .column = column,
                 .plan = plan_answer(read.reread ? *read.reread : *request, column,
                                     GivenValues{&call.process_dates, &call.references}, call.message_index),
                 .request = {},
                 .request_places = {}};
  if (parts.plan.vorgaenge.empty()) {
    return py::value_error(fmt::format("received: message {} holds no Vorgang (an IDE with its Vorgangsnummer) "
                                       "to answer",
                                       call.message_index));
  }
  if (read.fills) {
    if (auto text = ::edifact::segments_to_bytes(read.reread ? read.reread->core.segments : segments)) {
      parts.request = std::move(*text);
      parts.request_places = std::move(read.places);
    }
  }
  return parts;
}

// A reference of the caller's that a Vorgang writes is named as the call names it, so that a fault
// in it names the reference by its own index. `callers` as add_answer_transaction gives them.
void name_caller_references(std::vector<edi_energy::builders::Source>& sources,
                            const std::vector<std::vector<std::optional<std::size_t>>>& callers) {
  const auto index = [](std::string_view& text, std::size_t& to) {
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), to);
    if (fault != std::errc() || end == text.data() || end == text.data() + text.size() || *end != ']') return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
    return true;
  };
  for (edi_energy::builders::Source& source : sources) {
    std::string_view field = source.field;
    constexpr std::string_view vorgang_prefix = "transactions[";
    constexpr std::string_view reference_prefix = ".references[";
    std::size_t vorgang = 0;
    std::size_t nth = 0;
    if (!field.starts_with(vorgang_prefix)) continue;
    field.remove_prefix(vorgang_prefix.size());
    if (!index(field, vorgang) || !field.starts_with(reference_prefix)) continue;
    field.remove_prefix(reference_prefix.size());
    if (!index(field, nth) || !field.empty()) continue;
    if (vorgang < callers.size() && nth < callers[vorgang].size() && callers[vorgang][nth]) {
      source.field = fmt::format("references[{}]", *callers[vorgang][nth]);
    }
  }
}

// The answer as the builder writes it from the plan, before completion.
py::Expected<edi_energy::builders::Written> write(const Call& call, const Received& received,
                                                  const std::optional<std::string>& document_date) {
  const std::string fallback_code =
      column_bgm_code(MessageType::Utilmd, call.release, received.answer_pid).value_or("E01");
  std::string code =
      call.document_code ? *call.document_code : received.plan.document_code.value_or(fallback_code);
  auto builder = edi_energy::builders::utilmd::UtilmdBuilder<>(call.release)
                     .pruefidentifikator(received.answer_pid)
                     .sender(received.sender)
                     .receiver(received.receiver)
                     .message_reference(call.message_ref)
                     .document_code(std::move(code));
  if (document_date) builder = std::move(builder).document_date(*document_date);
  AnswerContent content{
      .antwort = std::nullopt,
      .process_dates = &call.process_dates,
      .date_formats = &call.date_formats,
      .references = &call.references,
      .free_texts = &call.free_texts,
      .plan = &received.plan,
  };
  if (call.antwort_code) {
    content.antwort = antwort_status(*call.antwort_code, call.antwort_ebd, call.release, received.answer_pid);
  }
  std::vector<std::vector<std::optional<std::size_t>>> callers(received.plan.vorgaenge.size());
  for (std::size_t v = 0; v < received.plan.vorgaenge.size(); ++v) {
    auto next = add_answer_transaction(std::move(builder), received.plan.vorgaenge[v], content, callers[v]);
    if (!next) return py::propagate(next);
    builder = std::move(*next);
  }
  auto message = std::move(builder).written();
  if (!message) return py::value_error(fmt::format("UTILMD answer build failed: {}", message.error().message()));
  name_caller_references(message->sources, callers);
  return std::move(*message);
}

// What the given antwort_code obliges the answer `answer` (completed from `built`) to carry that no
// argument gives; none where the call gives no code or gives all it obliges.
std::optional<py::Error> obliged(const Call& call, const Received& received, const std::string& answer,
                                 std::string_view built, const VorgangCut& request) {
  if (!call.antwort_code) return std::nullopt;
  const CodedAnswer coded{
      .answer = answer, .built = built, .code = *call.antwort_code, .request = request, .plan = received.plan};
  auto without = without_code_demands(coded, *received.column, received.answer_pid);
  if (!without) return std::move(without.error());
  if (auto obligation = *without ? code_obligation(answer, **without, *call.antwort_code) : std::nullopt) {
    return py::value_error(std::move(*obligation)).error();
  }
  return std::nullopt;
}

// What the answer must carry that nobody gave: a DTM 92/93 it confirms, or a value the given
// antwort_code obliges; none where `answer` (completed from `built`) holds neither.
std::optional<py::Error> unasked(const Call& call, const Received& received, const ColumnVerdict& verdict,
                                 const std::string& answer, std::string_view built, const VorgangCut& request) {
  if (const auto cut = cut_vorgaenge(answer)) {
    if (auto date = unconfirmed_date(*cut, received.plan, call.process_dates, verdict.column, call.message_index)) {
      return py::value_error(std::move(*date)).error();
    }
  }
  return obliged(call, received, answer, built, request);
}

// The answer as written already too large for the reader for the caller's references alone is the
// caller's to mend, not the request's.
py::Status references_fit(std::string_view written, const Call& call, const AnswerPlan& plan) {
  const std::size_t segments = written_segments(written);
  if (segments + envelope_segments <= edi_energy::platform::MAX_SEGMENTS) return {};
  // Counted as add_answer_transaction writes them: a reference that names no Lokation in every
  // Vorgang, one that does in those given it, the same ID once.
  std::size_t everywhere = 0;
  for (std::size_t at = 0; at < call.references.size(); ++at) {
    everywhere += at >= plan.given_lokationen.size() || !plan.given_lokationen[at];
  }
  std::size_t given = 0;
  for (const EchoVorgang& vorgang : plan.vorgaenge) {
    given += static_cast<std::size_t>(std::ranges::count_if(vorgang.echoes, [](const Echo& echo) { return echo.given; }));
    given += everywhere;
    std::unordered_set<std::string_view> ids;
    for (const std::size_t at : vorgang.given) {
      given += ids.insert(call.references[at].second).second && plan.given_lokationen[at]->in_sg6;
    }
  }
  if (segments - std::min(given, segments) + envelope_segments > edi_energy::platform::MAX_SEGMENTS) return {};
  return py::value_error(fmt::format("references: the answer would hold {} segments, {} of them for the references "
                                     "given; validate_edifact reads at most {} segments in one interchange, UNB and "
                                     "UNZ included, so the partner could not read it",
                                     segments, given, edi_energy::platform::MAX_SEGMENTS));
}

// A Lokation the request names only in a reference, where the answer refers to its kind, stands
// in SG5 too where the column has a place for it that the Vorgang's own LOCs leave free, as one
// the caller gives would; left out again where the column rejects it there. Whether any was put in.
bool stand_in_sg5(AnswerPlan& plan, std::span<const ReferredLokation> referred, const ColumnRef& column) {
  namespace lokation = edi_energy::lokation_reference;
  EchoPlaces places(column);
  bool added = false;
  for (const ReferredLokation& named : referred) {
    EchoVorgang& vorgang = plan.vorgaenge[named.vorgang - 1];
    const auto shape = lokation::shape_of(named.id);
    const bool held = std::ranges::any_of(vorgang.echoes, [&](const Echo& echo) {
      return echo.tag == "LOC" && (echo.value == named.id ||
                                   (echo.kept && echo.qualifier == named.kind && lokation::shape_of(echo.value) == shape));
    });
    if (held || !places.takes_location(named.kind)) continue;
    Echo echo;
    echo.tag = "LOC";
    echo.qualifier = named.kind;
    echo.value = named.id;
    echo.replaceable = true;
    vorgang.echoes.push_back(std::move(echo));
    added = true;
  }
  return added;
}

// A call build_answer tries for the advice it gives, so that no advice carries a caller's argument
// its own call refuses; one such trial tries no advice of its own.
thread_local bool trying_advice = false;

// build_answer's refusal of the call `args` with `references` in place of the caller's.
std::optional<std::string> answer_refusal(py::Args args, const StringPairs& references) {
  auto list = py::list(references,
                       [](const auto& pair) { return py::tuple(py::str(pair.first), py::str(pair.second)); });
  if (!list) return std::nullopt;
  struct Trying {
    Trying() { trying_advice = true; }
    ~Trying() { trying_advice = false; }
    Trying(const Trying&) = delete;
    Trying& operator=(const Trying&) = delete;
  };
  const auto answered = [&] {
    const Trying trying;
    return build_answer_as_called(args, list->get());
  }();
  if (answered) return std::nullopt;
  return answered.error().text().value_or("build_answer refuses it");
}

}  // namespace

// The steps of an answer: the call read, the request planned (what the answer takes over of each
// Vorgang), the answer written and its size estimated, completed to its column and the plan's
// rejected values left out, the request's values carried and completion's made-up units trimmed,
// its Lokation IDs made the request's own, then what it must carry that nobody gave refused, and
// its size checked once more.
py::Result build_answer(py::Args args) {
  auto call = read_call(args);
  if (!call) return py::propagate(call);
  auto received = receive(*call);
  if (!received) return py::propagate(received);
  AnswerPlan& plan = received->plan;
  CallerArguments caller = caller_arguments(*call);
  if (!trying_advice) {
    caller.utilmd_trial = [&](std::vector<UtilmdTransaction> transactions) -> std::expected<std::string, std::string> {
      auto built = build_utilmd_as_called({.pruefidentifikator = received->answer_pid,
                                           .sender = received->sender,
                                           .receiver = received->receiver,
                                           .on = call->on,
                                           .release = call->release_text,
                                           .message_ref = call->message_ref,
                                           .document_date = call->document_date,
                                           .document_code = call->document_code,
                                           .transactions = std::move(transactions)});
      if (!built) return std::unexpected(built.error().text().value_or("build_utilmd refuses it"));
      char* bytes = nullptr;
      Py_ssize_t size = 0;
      if (PyBytes_AsStringAndSize(built->get(), &bytes, &size) < 0) {
        PyErr_Clear();
        return std::string();
      }
      return std::string(bytes, static_cast<std::size_t>(size));
    };
  }
  if (!trying_advice && !call->references.empty()) {
    caller.answer_refusal = [&](const StringPairs& references) { return answer_refusal(args, references); };
  }
  plan.caller = &caller;
  const VorgangCut request = cut_vorgaenge(received->request).value_or(VorgangCut{});
  auto document_date = document_date_for(call->document_date, call->on);
  // The parties are the received message's; the Vorgänge answer its Vorgänge.
  constexpr std::array<Rename, 4> renames{{{"message_reference", "message_ref"},
                                           {"sender", "received"},
                                           {"receiver", "received"},
                                           {"transactions[].antwort.codeliste", "antwort_ebd"}}};

  // A trial tells only what each Vorgang needs, and leaves the caller's verdict alone.
  const auto rounds = [&](bool trial) -> py::Result {
    ColumnVerdict* const outer = trial ? nullptr : VerdictScope::current();
    for (std::size_t round = 1;; ++round) {
      auto written = write(*call, *received, *document_date);
      if (!written) return py::propagate(written);
      const std::string& bytes = written->bytes;
      // A trial's size tells nothing of the answer's: without the caller's Lokationen, completion's
      // samples stand in their place.
      if (round == 1 && !trial) {
        if (auto fits = references_fit(bytes, *call, plan); !fits) return py::propagate(fits);
        if (auto fits = answer_would_fit(bytes, plan, request, received->request_places, call->process_dates,
                                         received->column, call->release, received->answer_pid);
            !fits) {
          return py::propagate(fits);
        }
      }
      if (!received->column) {
        auto completed =
            complete_to_column(bytes, MessageType::Utilmd, call->release, received->answer_pid, {}, "answer_pid");
        if (!completed) return py::propagate(completed);
        return py::bytes(*completed);
      }
      const ColumnRef& column = *received->column;
      // A verdict of its own: what the request gave is left out or refused naming `received` here,
      // and only the rest goes on to the caller's verdict, which names the argument at fault.
      ColumnVerdict own;
      auto completed = [&] {
        const VerdictScope scope(own);
        return complete_to_column(bytes, MessageType::Utilmd, call->release, received->answer_pid,
                                  writers_of(written->sources, args, renames), "answer_pid");
      }();
      const bool again = round < leave_out_rounds;
      if (!completed) {
        if (own.unplaced && leave_out_unplaced(plan, own, bytes)) {
          if (again) continue;
          return py::value_error(fmt::format("received: message {}: the answer has no place for all the request "
                                             "carries — {}",
                                             call->message_index, *own.unplaced));
        }
        // Where a trial finds no place for a reference of the caller's, the answer finds none either.
        if (trial) {
          if (auto fault = argument_fault(own, "references[")) return std::move(*fault);
        }
        if (outer != nullptr) *outer = std::move(own);
        return py::propagate(completed);
      }
      if (again && leave_out_rejected(plan, own, column, *completed)) continue;
      if (!own.rejections.empty()) {
        // A caller's Lokation left out or rejected is named before anything of the request's.
        if (auto stand = given_lokationen_stand(*completed, plan, call->references, call->message_index); !stand) {
          return py::propagate(stand);
        }
        if (auto fault = given_fault(plan, call->references, own, *completed, call->message_index)) {
          return std::move(*fault);
        }
        // A reference the trial cannot take is the caller's to mend before anything the trial tells.
        if (trial) {
          if (auto fault = argument_fault(own, "references[")) return std::move(*fault);
        }
        const Carried carried = carried_of(plan, call->message_index, &call->references);
        if (auto fault = received_fault(carried, own, column, *completed)) return std::move(*fault);
      } else {
        auto answered = as_answered(*completed, cut_vorgaenge(*completed), plan, request, received->request_places,
                                    column, received->answer_pid, call->process_dates, call->message_index);
        std::vector<ReferredLokation> referred;
        auto own_ids = answered ? with_own_lokation_ids(*answered, plan, request, call->references, column,
                                                        received->answer_pid, call->message_index, referred)
                                : py::Expected<std::string>(py::Failure(std::move(answered.error())));
        if (own_ids && again && stand_in_sg5(plan, referred, column)) continue;
        std::optional<py::Error> refusal;
        if (!own_ids) {
          refusal = std::move(own_ids.error());
          // A date to confirm and what the code obliges are the caller's to give first, so that the
          // call a refusal of the request advises, followed as written, builds.
          if (auto demand = unasked(*call, *received, own, *completed, bytes, request)) refusal = std::move(demand);
        } else {
          *completed = std::move(*own_ids);
          if (auto stand = given_lokationen_stand(*completed, plan, call->references, call->message_index); !stand) {
            refusal = std::move(stand.error());
          } else {
            refusal = unasked(*call, *received, own, *completed, bytes, request);
          }
        }
        // Under a check of the column an argument at fault is named before it.
        if (refusal && outer == nullptr) return py::Failure(std::move(*refusal));
        own.refusal = std::move(refusal);
      }
      if (outer != nullptr) *outer = std::move(own);
      if (auto fits = answer_fits(*completed, plan.vorgaenge.size()); !fits) return py::propagate(fits);
      return py::bytes(*completed);
    }
  };
  // Where the Vorgänge differ, which of them need a Lokation the caller names is told by the answer
  // without the caller's Lokationen to one Vorgang of each shape, as each of them is answered.
  const auto names_lokation = [&](std::size_t at) {
    return edi_energy::lokation_reference::shape_named(call->references[at].first) !=
           edi_energy::lokation_reference::Shape::none;
  };
  std::vector<std::size_t> leader;
  if (plan.vorgaenge.size() > 1 &&
      std::ranges::any_of(std::views::iota(std::size_t{0}, call->references.size()), names_lokation)) {
    leader = first_of_shape(plan, RequestShapes{.cut = &request,
                                                .places = received->request_places,
                                                .column = received->column ? &*received->column : nullptr});
  }
  LokationNeeds needs;
  std::optional<py::Error> request_fault;
  if (std::ranges::any_of(leader, [](std::size_t first) { return first != 0; }) && document_date) {
    std::vector<std::size_t> tried;  // the trial's Vorgang standing for each
    AnswerPlan kept = std::exchange(plan, one_of_each_shape(plan, leader, tried));
    const std::size_t shapes = plan.vorgaenge.size();
    plan.needs = &needs;
    // The caller's Lokationen stand nowhere in the trial, not even as references.
    plan.given_lokationen.assign(call->references.size(), std::nullopt);
    for (std::size_t at = 0; at < call->references.size(); ++at) {
      if (names_lokation(at)) plan.given_lokationen[at] = GivenLokation{};
    }
    auto tried_answer = rounds(true);
    plan = std::move(kept);
    // A request at fault is named as the trial names it: where the given Lokationen go is then unknown.
    // A reference of the caller's the trial cannot take is named at once.
    if (!tried_answer && needs.empty()) {
      if (auto text = tried_answer.error().text(); text && text->starts_with("received")) {
        request_fault = std::move(tried_answer.error());
      } else if (text && text->starts_with("references[")) {
        return py::Failure(std::move(tried_answer.error()));
      }
    }
    if (needs.size() == shapes) {
      LokationNeeds each(leader.size());
      for (std::size_t v = 0; v < leader.size(); ++v) each[v] = needs[tried[v]];
      needs = std::move(each);
    } else {
      needs.clear();
    }
  }
  // A trial refused before it told them tells nothing.
  const bool known = !needs.empty() && needs.size() == plan.vorgaenge.size();
  if (auto given = give_lokationen(plan, call->references, received->column, known ? &needs : nullptr); !given) {
    return py::propagate(given);
  }
  if (plan.faulty_date) return py::value_error(*plan.faulty_date);
  if (!document_date) return py::propagate(document_date);
  if (request_fault) return py::Failure(std::move(*request_fault));
  return rounds(false);
}

}  // namespace quorvane_native::edifact
