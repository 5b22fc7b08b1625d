#include "quorvane_native/edifact/report_classes.hpp"

#include <string>

#include <fmt/format.h>

#include "quorvane_native/py/class_type.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "quorvane_native/edifact/text_values.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {
namespace {

constexpr std::string_view flag(bool value) { return value ? "true" : "false"; }

std::size_t finding_count(std::span<const MessageReport> messages) {
  std::size_t count = 0;
  for (const MessageReport& message : messages) count += message.data->findings.size();
  return count;
}

py::Result findings_by_rule(std::span<const MessageReport> messages, py::Args args) {
  auto prefix = py::to_str(args[0]);
  if (!prefix) return py::propagate(prefix);
  return finding_list(messages, {.rule_prefix = std::string_view(*prefix), .errors_only = false});
}

// --- class MessageReport ---------------------------------------------------------------------

using M = MessageReport;

std::span<const MessageReport> one(const M& self) { return {&self, 1}; }

py::Result get_index(const M& self) { return py::integer_of(self.data->index); }
py::Result get_message_ref(const M& self) { return py::str(self.data->message_ref); }
py::Result get_pruefidentifikator(const M& self) {
  return py::optional(self.data->pruefidentifikator, py::integer_of<std::uint32_t>);
}
py::Result get_message_type(const M& self) {
  return py::optional(self.data->message_type, [](std::string_view type) { return py::str(type); });
}
py::Result get_release(const M& self) { return optional_text(self.data->release); }
py::Result get_is_valid(const M& self) { return py::boolean(self.data->is_valid); }
py::Result get_rules_applied(const M& self) { return py::boolean(self.data->rules_applied); }
py::Result get_vorgaenge(const M& self) { return py::list(self.data->vorgaenge, new_vorgang); }
py::Result get_findings(const M& self) { return finding_list(one(self), {}); }
py::Result get_errors(const M& self) { return finding_list(one(self), {.rule_prefix = std::nullopt, .errors_only = true}); }
py::Result message_by_rule(const M& self, py::Args args) { return findings_by_rule(one(self), args); }

py::Result message_repr(const M& self) {
  const MessageReportData& data = *self.data;
  return py::str(fmt::format("MessageReport(#{} {} pid={} valid={} rules_applied={} findings={})", data.index,
                             support::debug_quote(data.message_type.value_or("?")),
                             data.pruefidentifikator ? fmt::format("Some({})", *data.pruefidentifikator) : "None",
                             flag(data.is_valid), flag(data.rules_applied), data.findings.size()));
}

constexpr py::Attribute<M> message_attributes[] = {
    {"index", "0-based position of the message in its interchange.", get_index},
    {"message_ref", "The UNH message reference (DE 0062).", get_message_ref},
    {"pruefidentifikator", "The detected Prüfidentifikator, or None.", get_pruefidentifikator},
    {"message_type", "The six-letter message type, such as \"UTILMD\"; None for a type this build does not know.",
     get_message_type},
    {"release", "The release read off the UNH, for example \"S2.1\"; None when the UNH names none.", get_release},
    {"is_valid", "True when the message carries no finding of severity \"critical\" or \"error\".", get_is_valid},
    {"rules_applied",
     "False when no AHB rules were applied to this message (its Prüfidentifikator is unknown to the profiles, "
     "or no column could be chosen), so that `is_valid` was decided without them.",
     get_rules_applied},
    {"vorgaenge", "The SG4 Vorgänge of the message in wire order; empty for message types that have none.",
     get_vorgaenge},
    {"findings", "The message's findings: errors first, then warnings, then infos; the one that counts findings left out, if any, last.", get_findings},
    {"errors", "Only the findings that make the message invalid.", get_errors},
};

constexpr py::Method<M> message_methods[] = {
    {"by_rule", "($self, prefix)",
     "The findings whose rule id begins with `prefix` (case-sensitive); findings without a rule id never match.",
     message_by_rule},
};

constexpr py::Class<M> message_report_class{
    .name = "MessageReport",
    .doc = "The validation outcome for one message inside an interchange.",
    .attributes = message_attributes,
    .methods = message_methods,
    .repr = message_repr,
};

// --- class Envelope --------------------------------------------------------------------------

using E = Envelope;

py::Result get_sender_id(const E& self) { return py::str(self.sender_id); }
py::Result get_sender_qualifier(const E& self) { return py::str(self.sender_qualifier); }
py::Result get_receiver_id(const E& self) { return py::str(self.receiver_id); }
py::Result get_receiver_qualifier(const E& self) { return py::str(self.receiver_qualifier); }
py::Result get_control_ref(const E& self) { return py::str(self.control_ref); }
py::Result get_transmission_date(const E& self) { return optional_text(self.transmission_date); }
py::Result get_test_indicator(const E& self) { return py::boolean(self.test_indicator); }
py::Result get_message_count(const E& self) { return py::integer_of(self.message_count); }
py::Result get_declared_message_count(const E& self) { return py::integer_of(self.declared_message_count); }
py::Result get_is_structurally_valid(const E& self) { return py::boolean(self.is_structurally_valid); }

py::Result envelope_repr(const E& self) {
  return py::str(fmt::format("Envelope({}:{} -> {}:{}, ref={}, messages={})", self.sender_id, self.sender_qualifier,
                             self.receiver_id, self.receiver_qualifier, self.control_ref, self.message_count));
}

constexpr py::Attribute<E> envelope_attributes[] = {
    {"sender_id", "UNB sender identification (S002 DE 0004).", get_sender_id},
    {"sender_qualifier", "UNB DE 0007 of the sender: \"500\" BDEW, \"502\" DVGW, \"14\" GLN.", get_sender_qualifier},
    {"receiver_id", "UNB recipient identification (S003 DE 0010).", get_receiver_id},
    {"receiver_qualifier", "UNB DE 0007 of the recipient.", get_receiver_qualifier},
    {"control_ref", "UNB DE 0020, mirrored in UNZ DE 0036.", get_control_ref},
    {"transmission_date", "The UNB transmission date as \"YYYY-MM-DD\", when the header carries a parseable one.",
     get_transmission_date},
    {"test_indicator", "UNB DE 0035: True marks a test transmission.", get_test_indicator},
    {"message_count", "The messages actually present.", get_message_count},
    {"declared_message_count",
     "The count the UNZ trailer declares: of the functional groups where there are any, else of the messages; "
     "0 without a readable count.",
     get_declared_message_count},
    {"is_structurally_valid",
     "True when the trailer's count matches, the UNB and UNZ references agree, no service segment stands "
     "out of place between the messages, the UNB's fields are present and readable, and every UNE agrees with "
     "its UNG; the message findings say what is wrong.",
     get_is_structurally_valid},
};

constexpr py::Class<E> envelope_class{
    .name = "Envelope",
    .doc = "The UNB/UNZ envelope as the receiving platform reads it.\n\n"
           "Worth asserting on: the market-partner IDs of the envelope must match the NAD segments inside, the "
           "qualifier is derived from the ID rather than chosen, and the test indicator decides whether a real "
           "counterparty would process the interchange at all.",
    .attributes = envelope_attributes,
    .repr = envelope_repr,
};

// --- class ValidationReport ------------------------------------------------------------------

using V = ValidationReport;

// The single-message accessors speak for the one message an interchange usually carries.
py::Expected<const MessageReportData*> only_message(const V& self) {
  if (self.messages.size() != 1) {
    return py::value_error(fmt::format("this interchange carries {} messages — use report.messages[i], because one "
                                       "answer would be wrong for all but one of them",
                                       self.messages.size()));
  }
  return self.messages.front().data.get();
}

template <class Read>
py::Result of_only_message(const V& self, Read read) {
  auto message = only_message(self);
  if (!message) return py::propagate(message);
  return read(**message);
}

py::Result get_report_is_valid(const V& self) { return py::boolean(self.is_valid); }
py::Result get_envelope(const V& self) { return py::optional(self.envelope, new_envelope); }
py::Result get_messages(const V& self) { return py::list(self.messages, new_message_report); }
py::Result get_report_pruefidentifikator(const V& self) {
  return of_only_message(self, [](const MessageReportData& data) {
    return py::optional(data.pruefidentifikator, py::integer_of<std::uint32_t>);
  });
}
py::Result get_report_message_type(const V& self) {
  return of_only_message(self, [](const MessageReportData& data) {
    return py::optional(data.message_type, [](std::string_view type) { return py::str(type); });
  });
}
py::Result get_report_release(const V& self) {
  return of_only_message(self, [](const MessageReportData& data) { return optional_text(data.release); });
}
py::Result get_report_rules_applied(const V& self) {
  return of_only_message(self, [](const MessageReportData& data) { return py::boolean(data.rules_applied); });
}
py::Result get_report_findings(const V& self) { return finding_list(self.messages, {}); }
py::Result get_report_errors(const V& self) { return finding_list(self.messages, {.rule_prefix = std::nullopt, .errors_only = true}); }
py::Result report_by_rule(const V& self, py::Args args) { return findings_by_rule(self.messages, args); }

py::Result report_repr(const V& self) {
  return py::str(fmt::format("ValidationReport(is_valid={}, messages={}, findings={})", flag(self.is_valid),
                             self.messages.size(), finding_count(self.messages)));
}

constexpr py::Attribute<V> report_attributes[] = {
    {"is_valid",
     "True when every message is valid and the envelope is structurally sound: a message-level pass over a "
     "broken envelope is not a pass. For a bare message, that message's is_valid.",
     get_report_is_valid},
    {"envelope", "The interchange's Envelope; None for a bare message validated without one.", get_envelope},
    {"messages", "One MessageReport per message, in interchange order.", get_messages},
    {"pruefidentifikator", "The only message's Prüfidentifikator; raises ValueError unless there is one message.",
     get_report_pruefidentifikator},
    {"message_type", "The only message's type; raises ValueError unless there is one message.",
     get_report_message_type},
    {"release", "The only message's release; raises ValueError unless there is one message.", get_report_release},
    {"rules_applied", "The only message's rules_applied; raises ValueError unless there is one message.",
     get_report_rules_applied},
    {"findings", "Every finding of every message, messages in order.", get_report_findings},
    {"errors", "The findings of severity \"critical\" or \"error\", in the same order.", get_report_errors},
};

constexpr py::Method<V> report_methods[] = {
    {"by_rule", "($self, prefix)",
     "Across every message, the findings whose rule id begins with `prefix` (case-sensitive).", report_by_rule},
};

constexpr py::Class<V> validation_report_class{
    .name = "ValidationReport",
    .doc = "The outcome of parsing and validating one interchange.\n\n"
           "The accessors pruefidentifikator, message_type, release and rules_applied speak for the single "
           "message an interchange usually carries and raise ValueError on a multi-message one: use `messages` "
           "there.",
    .attributes = report_attributes,
    .methods = report_methods,
    .repr = report_repr,
};

}  // namespace

py::Result finding_list(std::span<const MessageReport> messages, FindingFilter filter) {
  auto made = py::adopt(PyList_New(0));
  if (!made) return made;
  for (const MessageReport& message : messages) {
    for (const Finding& finding : message.data->findings) {
      if (filter.errors_only && !finding.is_error()) continue;
      if (filter.rule_prefix && !(finding.rule_id && finding.rule_id->starts_with(*filter.rule_prefix))) continue;
      auto object = new_finding(finding);
      if (!object) return object;
      if (PyList_Append(made->get(), object->get()) < 0) return py::raised();
    }
  }
  return made;
}

py::Result new_message_report(MessageReport value) { return py::new_instance<message_report_class>(std::move(value)); }
py::Result new_envelope(Envelope value) { return py::new_instance<envelope_class>(std::move(value)); }
py::Result new_validation_report(ValidationReport value) {
  return py::new_instance<validation_report_class>(std::move(value));
}

int add_message_report_class(PyObject* module) { return py::add_class<message_report_class>(module); }
int add_envelope_class(PyObject* module) { return py::add_class<envelope_class>(module); }
int add_validation_report_class(PyObject* module) { return py::add_class<validation_report_class>(module); }

}  // namespace quorvane_native::edifact
