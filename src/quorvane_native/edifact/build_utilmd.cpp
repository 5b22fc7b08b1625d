#include "quorvane_native/edifact/build_utilmd.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/builders/utilmd.hpp"
#include "edi_energy/lokationstyp.hpp"
#include "edi_energy/message_type.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "quorvane_native/edifact/given_text.hpp"
#include "quorvane_native/edifact/input_classes.hpp"
#include "quorvane_native/edifact/plain_build_steps.hpp"
#include "quorvane_native/edifact/sample_lokationen.hpp"
#include "quorvane_native/edifact/message_report.hpp"
#include "quorvane_native/edifact/transaktionsgrund_codes.hpp"
#include "quorvane_native/edifact/utilmd_size.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::builders::utilmd::Antwort;
using edi_energy::builders::utilmd::ThirdPartyAnswer;
using edi_energy::builders::utilmd::Transaktionsgrund;
using edi_energy::builders::utilmd::UtilmdTransactionSpec;
using edi_energy::lokationstyp::Lokationstyp;
using edi_energy::message_type::MessageType;

// The Produkt-Code under which a Vorgang assigns its Bilanzkreis.
constexpr std::string_view BILANZKREIS_PRODUKT = "9991000002082";
// Without a column to ask, the Ergänzung callers have always had: "verbrauchende Marktlokation".
constexpr std::string_view DEFAULT_ERGAENZUNG = "ZW4";
constexpr std::string_view DRITTER_CODELISTE = "E_0624";

// Whether the column has a place for RFF+Z13 in a Vorgang (an SG6 below IDE+24).
bool vorgang_takes_pid(const ColumnRef& column) {
  const auto& nodes = column.profile->structure().nodes;
  for (NodeIndex rff : used_segments(column, "RFF")) {
    if (!admits_qualifier(column, rff, "Z13")) continue;
    for (auto group = nodes[rff].parent; group; group = nodes[*group].parent) {
      if (nodes[*group].children.empty()) continue;
      const NodeIndex trigger = nodes[*group].children.front();
      const auto* segment = nodes[trigger].segment();
      if (segment != nullptr && segment->tag == "IDE") {
        if (admits_qualifier(column, trigger, "24")) return true;
        break;
      }
    }
  }
  return false;
}

bool in_vorgang(const ColumnRef& column, NodeIndex node) {
  const auto& nodes = column.profile->structure().nodes;
  for (auto group = nodes[node].parent; group; group = nodes[*group].parent) {
    if (nodes[*group].children.empty()) continue;
    const auto* trigger = nodes[nodes[*group].children.front()].segment();
    if (trigger != nullptr && trigger->tag == "IDE") return true;
  }
  return false;
}

// Message-level references stand in the RFF groups before the first Vorgang; a qualifier none of
// them admits would fail completion or give a message the column rejects.
py::Status check_message_references(const ColumnRef& column, const StringPairs& references, std::string_view label) {
  std::vector<std::string> admitted;
  std::vector<NodeIndex> places;
  for (NodeIndex rff : used_segments(column, "RFF")) {
    if (in_vorgang(column, rff)) continue;
    places.push_back(rff);
    for (auto& code : column_codes(column, nr_of(column, rff), "1153").codes) {
      if (std::ranges::find(admitted, code) == admitted.end()) admitted.push_back(std::move(code));
    }
  }
  for (const auto& [qualifier, value] : references) {
    const bool placed = std::ranges::any_of(places, [&](NodeIndex rff) {
      return admits_qualifier(column, rff, qualifier) &&
             admits_code(column_codes(column, nr_of(column, rff), "1153"), qualifier);
    });
    if (placed) continue;
    const auto listed = admitted.empty() ? std::string("none") : fmt::format("{}", fmt::join(admitted, ", "));
    return py::value_error(fmt::format("references: RFF qualifier {} has no place in {} outside a Vorgang; its "
                                       "column admits {}",
                                       support::debug_quote(qualifier), label, listed));
  }
  return {};
}

constexpr std::array<Rename, 7> renames{{
    {"message_reference", "message_ref"},
    {"transactions[].transaktionsgrund.ergaenzung", "transactions[{0}].transaktionsgrund_ergaenzung"},
    {"transactions[].antwort", "transactions[{0}].antwort_code"},
    {"transactions[].antwort.codeliste", "transactions[{0}].antwort_ebd"},
    {"transactions[].third_party_answer", "transactions[{0}].antwort_dritter"},
    {"transactions[].id_parties[]", "transactions[{0}].customers[{1}]"},
    {"transactions[].produktpakete[]", "transactions[{0}].bilanzkreis"},
}};

// Of a Vorgang's Grund and Ergänzung, the one the caller gave names the other, which the build
// chose to stand beside it.
void given_names_chosen(SegmentWriters& writers, std::span<const std::pair<bool, bool>> given) {
  constexpr std::string_view vorgang = "transactions[";
  constexpr std::string_view grund = "].transaktionsgrund";
  constexpr std::string_view ergaenzung = "_ergaenzung";
  for (auto& writer : writers) {
    const std::string_view argument = writer.argument;
    if (!argument.starts_with(vorgang)) continue;
    std::size_t at = 0;
    const auto [end, error] = std::from_chars(argument.data() + vorgang.size(), argument.data() + argument.size(), at);
    if (error != std::errc{} || at >= given.size()) continue;
    const std::string_view rest(end, static_cast<std::size_t>(argument.data() + argument.size() - end));
    if (rest == grund && !given[at].first) {
      writer.argument += ergaenzung;
    } else if (rest.substr(0, grund.size()) == grund && rest.substr(grund.size()) == ergaenzung &&
               !given[at].second) {
      writer.argument.resize(writer.argument.size() - ergaenzung.size());
    }
  }
}

struct Column {
  const edi_energy::release::Release& release;
  std::uint32_t pruefidentifikator;
  bool gas;
  // What completion writes in STS+7 where the caller leaves a value out; no Grund without a column.
  std::optional<std::string> grund;
  std::optional<std::string> ergaenzung;
  // The Grund written beside each Ergänzung given alone, where the column accepts it with one.
  std::map<std::string, std::string, std::less<>> grund_beside;
};

// Of the Gründe the column names, the first with which it accepts a Vorgang carrying `ergaenzung`:
// an Ergänzung may stand only beside some Gründe, and completion's own need not be one of them.
// None where no Grund makes that Vorgang clean (the Ergänzung's own fault, named as such).
std::optional<std::string> grund_fitting(const edi_energy::builders::utilmd::UtilmdBuilderInner& message,
                                         const ColumnRef& column, std::uint32_t pruefidentifikator,
                                         const std::string& ergaenzung) {
  edi_energy::builders::utilmd::UtilmdBuilderInner probe = message;
  probe.transactions.clear();
  for (std::string& grund : column_transaktionsgruende(column)) {
    UtilmdTransactionSpec vorgang;
    vorgang.ide_qualifier = "24";
    vorgang.vorgangsnummer = "1";
    vorgang.transaktionsgrund = Transaktionsgrund{grund, ergaenzung, std::nullopt};
    probe.transactions.assign(1, std::move(vorgang));
    auto written = edi_energy::builders::utilmd::write_utilmd(probe);
    if (!written) return std::nullopt;
    ColumnVerdict verdict;
    const VerdictScope scope(verdict);
    const auto completed = complete_to_column(std::move(written->bytes), MessageType::Utilmd, probe.release,
                                              pruefidentifikator, {});
    if (completed && verdict.rejections.empty()) return std::move(grund);
  }
  return std::nullopt;
}

// A given Grund keeps a given Ergänzung, else takes the column's; a given Ergänzung alone stands
// beside the first of the column's Gründe that the column accepts it with, else beside completion's
// Grund, whose refusal then names the Ergänzung.
py::Expected<std::optional<Transaktionsgrund>> sts7(UtilmdTransaction& transaction, const Column& column,
                                                    std::size_t at) {
  auto& ergaenzung = transaction.transaktionsgrund_ergaenzung;
  if (transaction.transaktionsgrund) {
    return Transaktionsgrund{std::move(*transaction.transaktionsgrund),
                             ergaenzung ? std::move(ergaenzung) : column.ergaenzung, std::nullopt};
  }
  if (!ergaenzung) return std::nullopt;
  if (const auto fitting = column.grund_beside.find(*ergaenzung); fitting != column.grund_beside.end()) {
    return Transaktionsgrund{fitting->second, std::move(ergaenzung), std::nullopt};
  }
  if (!column.grund) {
    return py::value_error(fmt::format("transactions[{}].transaktionsgrund_ergaenzung: {} is given without a "
                                       "transaktionsgrund, and UTILMD {} ({}) names no Transaktionsgrund to write "
                                       "beside it: give transaktionsgrund",
                                       at, support::debug_quote(*ergaenzung), column.pruefidentifikator,
                                       column.release.text()));
  }
  return Transaktionsgrund{*column.grund, std::move(ergaenzung), std::nullopt};
}

py::Expected<UtilmdTransactionSpec> vorgang(UtilmdTransaction transaction, const Column& column, std::size_t at) {
  UtilmdTransactionSpec spec;
  spec.ide_qualifier = "24";
  spec.vorgangsnummer = std::move(transaction.vorgangsnummer);
  if (auto given = require_vorgang_dates(fmt::format("transactions[{}].dates", at), transaction.dates); !given) {
    return py::propagate(given);
  }
  for (auto& [qualifier, value] : transaction.dates) spec.dates.push_back({std::move(qualifier), std::move(value), {}});
  auto grund = sts7(transaction, column, at);
  if (!grund) return py::propagate(grund);
  spec.transaktionsgrund = std::move(*grund);
  if (transaction.antwort_code) {
    auto [code, codeliste] = antwort_status(std::move(*transaction.antwort_code), std::move(transaction.antwort_ebd),
                                            column.release, column.pruefidentifikator);
    spec.antwort = Antwort{std::move(code), std::move(codeliste)};
  }
  spec.references = std::move(transaction.references);
  for (auto& [typ_text, id] : transaction.locations) {
    auto typ = lokationstyp_from_str(typ_text);
    if (!typ) return py::propagate(typ);
    // Gas writes the Marktlokation under the Meldepunkt qualifier.
    if (column.gas && *typ == Lokationstyp::Marktlokation) typ = Lokationstyp::Meldepunkt;
    spec.locations.emplace_back(std::string(edi_energy::lokationstyp::qualifier_code(*typ)), std::move(id));
  }
  spec.id_parties = std::move(transaction.customers);
  for (auto& [function, text] : transaction.free_texts) {
    if (auto latin1 = ensure_latin1(fmt::format("free_texts[{}]", function), text); !latin1) {
      return py::propagate(latin1);
    }
    spec.free_texts.emplace_back(std::move(function), std::move(text));
  }
  if (transaction.antwort_dritter) {
    spec.third_party_answer =
        ThirdPartyAnswer{std::move(*transaction.antwort_dritter), std::string(DRITTER_CODELISTE), std::nullopt,
                         std::nullopt};
  }
  if (transaction.bilanzkreis) {
    spec.produktpakete.push_back(edi_energy::utilmd_codes::Produktpaket{
        1, false, {{std::string(BILANZKREIS_PRODUKT), std::nullopt, std::move(*transaction.bilanzkreis)}}});
  }
  return spec;
}

}  // namespace

py::Result build_utilmd(py::Args args) {
  auto pruefidentifikator = py::to_u32(args[0]);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto sender = py::to_str(args[1]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[2]);
  if (!receiver) return py::propagate(receiver);
  auto on = py::to_optional_str(args[3]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[4]);
  if (!release_text) return py::propagate(release_text);
  auto sparte = py::to_optional_str(args[5]);
  if (!sparte) return py::propagate(sparte);
  auto message_ref = py::to_str(args[6]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date = py::to_optional_str(args[7]);
  if (!document_date) return py::propagate(document_date);
  auto document_code = py::to_optional_str(args[8]);
  if (!document_code) return py::propagate(document_code);
  auto references = py::to_list_or_empty(args[9], py::from::str_pair);
  if (!references) return py::propagate(references);
  // Copied now: a later change to the objects does not reach this build.
  auto transactions = py::to_list_or_empty(args[10], utilmd_transaction_of);
  if (!transactions) return py::propagate(transactions);

  // Without a Sparte the Prüfidentifikator names its track: a date alone may select a gas
  // release for an electricity Prüfidentifikator.
  std::optional<std::string_view> track = *sparte;
  if (!track) track = pids::sparte_of(*pruefidentifikator);
  auto release = pids::resolve_release(MessageType::Utilmd, *release_text, *on, track);
  if (!release) return py::propagate(release);
  edi_energy::builders::utilmd::UtilmdBuilderInner inner;
  inner.release = *release;
  if (auto checked = pid(std::int64_t{*pruefidentifikator}); !checked) return py::propagate(checked);
  inner.sender = std::move(*sender);
  inner.receiver = std::move(*receiver);
  inner.message_reference = std::move(*message_ref);
  if (!*document_code) *document_code = column_bgm_code(MessageType::Utilmd, *release, *pruefidentifikator);
  inner.document_code = document_code->value_or("E01");
  inner.pruefidentifikator = *pruefidentifikator;
  Column column{*release, *pruefidentifikator, release->text().starts_with("G"), std::nullopt,
                std::string(DEFAULT_ERGAENZUNG), {}};
  if (const auto column_ref = column_of(MessageType::Utilmd, *release, *pruefidentifikator)) {
    // Asked only where a Vorgang leaves one of the two out.
    const auto leaves_out = [&](auto given, auto missing) {
      return std::ranges::any_of(*transactions, [&](const UtilmdTransaction& transaction) {
        return (transaction.*given).has_value() && !(transaction.*missing).has_value();
      });
    };
    const auto grund = &UtilmdTransaction::transaktionsgrund;
    const auto ergaenzung = &UtilmdTransaction::transaktionsgrund_ergaenzung;
    if (leaves_out(ergaenzung, grund)) column.grund = column_transaktionsgrund(*column_ref);
    if (leaves_out(grund, ergaenzung)) column.ergaenzung = column_ergaenzung(*column_ref);
    inner.vorgang_pid_reference = vorgang_takes_pid(*column_ref);
    // Values the column requires are never left to completion to replace.
    const std::optional<std::string> reference = inner.message_reference;
    if (auto given = refuse_empty_texts({{"message_ref", &reference}, {"document_code", &*document_code}}); !given) {
      return py::propagate(given);
    }
    if (auto given = refuse_empty_pairs("references", *references, "qualifier", "value"); !given) {
      return py::propagate(given);
    }
    for (std::size_t at = 0; at < transactions->size(); ++at) {
      if (auto given = refuse_empty_fields((*transactions)[at], fmt::format("transactions[{}]", at)); !given) {
        return py::propagate(given);
      }
    }
    const auto label = fmt::format("UTILMD {} ({})", *pruefidentifikator, release->text());
    if (auto placed = check_message_references(*column_ref, *references, label); !placed) {
      return py::propagate(placed);
    }
  }
  auto date = document_date_for(*document_date, *on);
  if (!date) return py::propagate(date);
  inner.document_date = std::move(*date);
  inner.references = std::move(*references);
  if (column.grund) {
    const auto column_ref = column_of(MessageType::Utilmd, *release, *pruefidentifikator);
    for (const auto& transaction : *transactions) {
      const auto& ergaenzung = transaction.transaktionsgrund_ergaenzung;
      if (transaction.transaktionsgrund || !ergaenzung || column.grund_beside.contains(*ergaenzung)) continue;
      if (auto fitting = grund_fitting(inner, *column_ref, *pruefidentifikator, *ergaenzung)) {
        column.grund_beside.emplace(*ergaenzung, std::move(*fitting));
      }
    }
  }

  std::vector<std::pair<bool, bool>> given;
  std::vector<std::vector<std::string>> given_ids;
  for (const auto& transaction : *transactions) {
    given.emplace_back(transaction.transaktionsgrund.has_value(), transaction.transaktionsgrund_ergaenzung.has_value());
    auto& ids = given_ids.emplace_back();
    for (const auto& [typ, id] : transaction.locations) ids.push_back(id);
  }
  for (std::size_t at = 0; at < transactions->size(); ++at) {
    auto spec = vorgang(std::move((*transactions)[at]), column, at);
    if (!spec) return py::propagate(spec);
    inner.transactions.push_back(std::move(*spec));
  }

  auto written = edi_energy::builders::utilmd::write_utilmd(inner);
  if (!written) return py::value_error(fmt::format("UTILMD build failed: {}", written.error().message()));
  if (auto fits = utilmd_would_fit(written->bytes, given_ids, *release, *pruefidentifikator, args); !fits) {
    return py::propagate(fits);
  }
  SegmentWriters writers = writers_of(written->sources, args, renames);
  given_names_chosen(writers, given);
  auto completed = complete_to_column(std::move(written->bytes), MessageType::Utilmd, *release, *pruefidentifikator,
                                      std::move(writers));
  if (!completed) return py::propagate(completed);
  if (const auto column_ref = column_of(MessageType::Utilmd, *release, *pruefidentifikator)) {
    // The build's verdict, where one is kept, already tells whether the column accepts the message.
    const ColumnVerdict* verdict = VerdictScope::current();
    const auto accepted = verdict ? std::optional(verdict->rejections.empty()) : std::nullopt;
    *completed =
        without_sample_lokationen(std::move(*completed), given_ids, *column_ref, *pruefidentifikator, accepted);
  }
  return py::bytes(*completed);
}

}  // namespace quorvane_native::edifact
