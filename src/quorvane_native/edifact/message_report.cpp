#include "quorvane_native/edifact/message_report.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/message_type.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "edi_energy/report/classification.hpp"
#include "edi_energy/report/findings_cap.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/object.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {
namespace {

using edi_energy::any_message::AnyMessage;
using edifact_issue = ::edifact::report::ValidationIssue;

// The findings that say the AHB column was never applied.
bool says_rules_skipped(const edi_energy::report::EdiEnergyReport& report) {
  return std::ranges::any_of(report.warnings, [](const edifact_issue& issue) {
    return issue.rule_id == "AHB-UNKNOWN-PID" || issue.rule_id == "AHB-SKIP-NO-PID";
  });
}

bool rules_applied(const AnyMessage& message, std::optional<std::uint32_t> pruefidentifikator,
                   const edi_energy::report::EdiEnergyReport& report) {
  if (message.is_unknown()) return false;
  if (says_rules_skipped(report)) return false;
  if (!pruefidentifikator) return true;
  const auto type = static_cast<edi_energy::message_type::MessageType>(message.variant().index());
  return edi_energy::registry::REGISTRY.get()->pid_has_ahb_rules(type, *pruefidentifikator);
}

Vorgang vorgang_of(const edi_energy::messages::utilmd::UtilmdTransaction& transaction) {
  Vorgang vorgang;
  vorgang.vorgangsnummer = transaction.ide.id;
  for (const auto& loc : transaction.locs) {
    if (loc.id) vorgang.locations.emplace_back(loc.qualifier, *loc.id);
  }
  for (const auto& dtm : transaction.dtms) {
    if (dtm.value) vorgang.dates.emplace_back(dtm.qualifier, *dtm.value);
  }
  for (const auto& rff : transaction.rffs) {
    if (rff.reference) vorgang.references.emplace_back(rff.qualifier, *rff.reference);
  }
  if (auto grund = edi_energy::messages::utilmd::transaktionsgrund(transaction)) {
    vorgang.transaktionsgrund = std::move(grund->grund);
  }
  if (transaction.antwort) {
    vorgang.antwort_code = transaction.antwort->code;
    vorgang.antwort_codeliste = transaction.antwort->codeliste;
  }
  return vorgang;
}

Finding finding_of(edifact_issue&& issue, std::optional<std::uint32_t> pruefidentifikator) {
  auto summary = edi_energy::report::ValidationIssueSummary::from_issue_with_pid(std::move(issue), pruefidentifikator);
  return Finding{
      .severity = summary.severity,
      .rule_id = std::move(summary.rule_id),
      .rule_origin = summary.layer,
      .error_code = std::move(summary.error_code),
      .segment = std::move(summary.segment),
      .segment_group = std::move(summary.segment_group),
      .element = summary.element,
      .component = summary.component,
      .suggestion = std::move(summary.suggestion),
      .message = std::move(summary.message),
  };
}

std::string invalid_pid_text(std::string decimal) {
  return edi_energy::Error::invalid_pruefidentifikator(std::move(decimal)).message();
}

std::string message_reference_of(const AnyMessage& message) {
  if (const auto* core = message.core()) return core->message_reference;
  if (const auto* unknown = message.get<edi_energy::any_message::UnknownMessage>()) return unknown->message_reference;
  return {};
}

}  // namespace

py::Expected<MessageReport> report_for(std::size_t index, const AnyMessage& message, std::chrono::year_month_day on,
                                       std::span<const edifact_issue> envelope_findings, MessageNaming naming) {
  auto validated = message.validate_on_date(on, envelope_findings);
  if (!validated) {
    // One message of many fails the whole call: which one it was is half of what went wrong.
    const std::string which = naming == MessageNaming::ByPosition
                                  ? fmt::format("message #{} (UNH reference {}): ", index,
                                                support::debug_quote(message_reference_of(message)))
                                  : std::string();
    return py::runtime_error("validation failed: " + which + validated.error().message());
  }
  edi_energy::report::EdiEnergyReport& report = *validated;

  auto data = std::make_shared<MessageReportData>();
  data->index = index;
  data->message_ref = message_reference_of(message);
  if (auto pid = message.detect_pruefidentifikator()) data->pruefidentifikator = *pid;
  if (!message.is_unknown()) {
    data->message_type =
        edi_energy::message_type::unh_code(static_cast<edi_energy::message_type::MessageType>(message.variant().index()));
  }
  if (auto release = message.detect_release()) data->release = std::string(release->text());
  data->rules_applied = rules_applied(message, data->pruefidentifikator, report);
  if (const auto* utilmd = message.get<edi_energy::messages::utilmd::UtilmdMessage>()) {
    data->vorgaenge.reserve(utilmd->transactions.size());
    for (const auto& transaction : utilmd->transactions) data->vorgaenge.push_back(vorgang_of(transaction));
  }
  data->is_valid = report.errors.empty();
  data->findings.reserve(report.finding_count());
  for (auto* list : {&report.errors, &report.warnings, &report.infos}) {
    for (edifact_issue& issue : *list) data->findings.push_back(finding_of(std::move(issue), data->pruefidentifikator));
  }
  // The finding that counts what was left out closes the list, whatever its severity.
  std::ranges::stable_partition(data->findings, [](const Finding& finding) {
    return finding.rule_id != edi_energy::report::FINDINGS_LEFT_OUT_RULE;
  });
  return MessageReport{std::move(data)};
}

py::Expected<std::uint32_t> pid(std::int64_t value) {
  if (value >= 10000 && value <= 99999) return static_cast<std::uint32_t>(value);
  return py::value_error(invalid_pid_text(std::to_string(value)));
}

py::Expected<std::uint32_t> pid(py::Arg value) {
  PyObject* object = py::convert_detail::present(value);
  if (!PyLong_Check(object)) return py::Failure(py::cannot_convert(object, "int").error().for_argument(value.name()));
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(object, &overflow);
  if (number == -1 && PyErr_Occurred()) return py::raised();
  if (overflow == 0) return pid(static_cast<std::int64_t>(number));
  // Beyond 64 bits: shown as Python writes the number.
  py::Object text(PyObject_Str(object));
  if (!text) return py::raised();
  const char* utf8 = PyUnicode_AsUTF8AndSize(text.get(), nullptr);
  if (utf8 == nullptr) return py::raised();
  return py::value_error(invalid_pid_text(utf8));
}

}  // namespace quorvane_native::edifact
