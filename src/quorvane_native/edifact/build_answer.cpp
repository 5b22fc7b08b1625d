#include "quorvane_native/edifact/build_answer.hpp"

#include <fmt/format.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/builders/utilmd.hpp"
#include "edi_energy/lokationstyp.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/messages/utilmd.hpp"
#include "quorvane_native/edifact/answer_echo.hpp"
#include "quorvane_native/edifact/answer_received.hpp"
#include "quorvane_native/edifact/answer_size.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/given_text.hpp"
#include "quorvane_native/edifact/message_report.hpp"
#include "quorvane_native/edifact/received.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "quorvane_native/edifact/date_argument.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::message_type::MessageType;
using edi_energy::messages::utilmd::UtilmdMessage;
struct AnswerContent {
  EchoPlaces* echoes;
  std::optional<std::pair<std::string, std::optional<std::string>>> antwort;
  const StringPairs* process_dates;
  const StringPairs* references;
  const StringPairs* free_texts;
};

template <class Builder>
py::Expected<Builder> add_answer_transaction(Builder builder,
                                             const edi_energy::messages::utilmd::UtilmdTransaction& request,
                                             const std::string& vorgangsnummer, const AnswerContent& content,
                                             CarriedVorgang& carried) {
  carried.vorgangsnummer = vorgangsnummer;
  auto transaction = std::move(builder).transaction("24", vorgangsnummer);
  for (const auto& loc : request.locs) {
    const auto typ = edi_energy::lokationstyp::from_qualifier_code(loc.qualifier);
    if (!typ || !loc.id || !content.echoes->takes_location(loc.qualifier)) continue;
    carried.locations.emplace_back(loc.qualifier, *loc.id);
    transaction = std::move(transaction).location(*typ, *loc.id);
  }
  for (const auto& [qualifier, value] : *content.process_dates) {
    transaction = std::move(transaction).date(qualifier, value);
  }
  if (content.antwort) transaction = std::move(transaction).antwort(content.antwort->first, content.antwort->second);
  // The requester matches on its own references; Z13 names the request's Prüfidentifikator,
  // which the answer replaces with its own.
  for (const auto& rff : request.rffs) {
    if (rff.qualifier == "Z13" || !rff.reference || !content.echoes->takes_reference(rff.qualifier)) continue;
    carried.references.emplace_back(rff.qualifier, *rff.reference);
    transaction = std::move(transaction).reference(rff.qualifier, *rff.reference);
  }
  for (const auto& [qualifier, value] : *content.references) {
    transaction = std::move(transaction).reference(qualifier, value);
  }
  for (const auto& [qualifier, text] : *content.free_texts) {
    if (auto latin1 = ensure_latin1(fmt::format("free_texts[{}]", qualifier), text); !latin1) {
      return py::propagate(latin1);
    }
    transaction = std::move(transaction).free_text(qualifier, text);
  }
  return std::move(transaction).done();
}

// Completion under a verdict of its own, so that a rejection of what the answer carries over from
// the request is refused naming `received` at once; any other rejection goes on to the caller's
// verdict, which names the argument at fault.
py::Expected<std::string> complete_carried(std::string bytes, SegmentWriters writers,
                                           const edi_energy::release::Release& release, std::uint32_t answer_pid,
                                           const Carried& carried) {
  ColumnVerdict* const outer = VerdictScope::current();
  if (outer == nullptr) {
    return complete_to_column(std::move(bytes), MessageType::Utilmd, release, answer_pid, {}, "answer_pid");
  }
  ColumnVerdict own;
  auto completed = [&] {
    const VerdictScope scope(own);
    return complete_to_column(std::move(bytes), MessageType::Utilmd, release, answer_pid, std::move(writers),
                              "answer_pid");
  }();
  if (completed) {
    if (const auto column = column_of(MessageType::Utilmd, release, answer_pid)) {
      if (auto fault = received_fault(carried, own, *column, *completed)) return std::move(*fault);
    }
  }
  *outer = std::move(own);
  return completed;
}

}  // namespace

py::Result build_answer(py::Args args) {
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
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  for (const auto& [field, pairs] : {std::pair<std::string_view, const Pairs*>{"process_dates", &*process_dates},
                                     {"references", &*references},
                                     {"free_texts", &*free_texts}}) {
    for (const auto& [qualifier, value] : *pairs) {
      const std::string named = fmt::format("{}[{}]", field, qualifier);
      if (auto given = require_texts({{field, qualifier}, {named, value}}); !given) return py::propagate(given);
    }
  }
  if (auto given = require_vorgang_dates("process_dates", *process_dates); !given) return py::propagate(given);
  // The request and the message built from it are gone before completion, whose peak is the
  // largest of the call.
  std::uint32_t checked = 0;
  Carried carried{.message_index = *message_index, .vorgaenge = {}, .given_references = &*references};
  auto written = [&]() -> py::Expected<edi_energy::builders::Written> {
    auto parsed = parse_received(*received);
    if (!parsed) return py::propagate(parsed);
    auto envelope = received_message(*parsed, *message_index, "answer");
    if (!envelope) return py::propagate(envelope);
    const UtilmdMessage* request = (*envelope)->message.get<UtilmdMessage>();
    if (request == nullptr) {
      return py::value_error(
          "build_answer answers a UTILMD request; acknowledge other message types with build_aperak_for");
    }

    edi_energy::builders::utilmd::UtilmdBuilder<> unset(*release);
    auto valid_pid = pid(static_cast<std::int64_t>(*answer_pid));
    if (!valid_pid) return py::propagate(valid_pid);
    checked = *valid_pid;
    const auto& header = (*envelope)->header;
    std::string code = document_code->has_value() ? std::move(**document_code)
                       : request->bgm                 ? request->bgm->document_code
                                                      : std::string("E01");
    auto date = document_date_for(*document_date, *on);
    if (!date) return py::propagate(date);
    auto builder = std::move(unset)
                       .pruefidentifikator(checked)
                       .sender(header.recipient)
                       .receiver(header.sender)
                       .message_reference(std::move(*message_ref))
                       .document_code(std::move(code));
    if (*date) builder = std::move(builder).document_date(std::move(*date));

    EchoPlaces echoes(column_of(MessageType::Utilmd, *release, checked));
    AnswerContent content{
        .echoes = &echoes,
        .antwort = std::nullopt,
        .process_dates = &*process_dates,
        .references = &*references,
        .free_texts = &*free_texts,
    };
    if (*antwort_code) content.antwort = antwort_status(**antwort_code, *antwort_ebd, *release, checked);
    for (const auto& transaction : request->transactions) {
      if (!transaction.ide.id) continue;
      auto next = add_answer_transaction(std::move(builder), transaction, *transaction.ide.id, content,
                                         carried.vorgaenge.emplace_back());
      if (!next) return py::propagate(next);
      builder = std::move(*next);
    }

    auto message = std::move(builder).written();
    if (!message) return py::value_error(fmt::format("UTILMD answer build failed: {}", message.error().message()));
    if (auto fits = answer_would_fit(message->bytes, carried.vorgaenge.size(), *release, checked); !fits) {
      return py::propagate(fits);
    }
    return std::move(*message);
  }();
  if (!written) return py::propagate(written);
  // The parties are the received message's; the Vorgänge answer its Vorgänge.
  constexpr std::array<Rename, 3> renames{
      {{"message_reference", "message_ref"}, {"sender", "received"}, {"receiver", "received"}}};
  auto completed = complete_carried(std::move(written->bytes), writers_of(written->sources, args, renames), *release,
                                    checked, carried);
  if (!completed) return py::propagate(completed);
  if (auto fits = answer_fits(*completed, carried.vorgaenge.size()); !fits) return py::propagate(fits);
  return py::bytes(*completed);
}

}  // namespace quorvane_native::edifact
