#include "quorvane_native/fristen/obligations.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <fmt/format.h>

#include "quorvane_native/fristen/results.hpp"
#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/py/class_type.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "support/internal_fault.hpp"
#include "zelk/fristen/antwort.hpp"

namespace quorvane_native::fristen {
namespace {

namespace antwort = zelk_fristen::antwort;

// One obligation as Python sees it, with its own copies of the table's texts.
struct Obligation {
  std::uint32_t trigger_pid = 0;
  std::string name;
  std::string answered_by;
  std::uint32_t bestaetigung_pid = 0;
  std::uint32_t ablehnung_pid = 0;
  std::optional<std::string> ebd;
  std::string family;
  std::string shape;
  std::uint32_t werktage = 0;
  std::optional<std::string> clock_time;  // "HH:MM"
  std::string source;
};

Obligation convert(const antwort::AntwortObligation& record) {
  const std::optional<zelk_fristen::ClockTime> clock = record.shape.clock();
  return Obligation{
      .trigger_pid = record.trigger_pid,
      .name = std::string(record.name),
      .answered_by = std::string(record.answered_by),
      .bestaetigung_pid = record.bestaetigung_pid,
      .ablehnung_pid = record.ablehnung_pid,
      .ebd = record.ebd ? std::optional<std::string>(*record.ebd) : std::nullopt,
      .family = std::string(antwort::obligation_family_name(record.family)),
      .shape = std::string(antwort::frist_shape_name(record.shape.kind())),
      .werktage = record.shape.werktage(),
      .clock_time = clock ? std::optional(fmt::format("{:02}:{:02}", clock->hour(), clock->minute())) : std::nullopt,
      .source = std::string(record.source),
  };
}

// Read from the clock time and the count together: "15:00 on the ÜT" and "15:00 on the 1. WT"
// differ by a day and only in the count.
std::string window(const Obligation& obligation) {
  if (!obligation.clock_time) {
    if (obligation.werktage == 0) return "on the ÜT";
    return fmt::format("{} WT", obligation.werktage);
  }
  if (obligation.werktage == 0) return fmt::format("{} on the ÜT", *obligation.clock_time);
  return fmt::format("{} on the {}. WT", *obligation.clock_time, obligation.werktage);
}

// The due time of the record for `trigger_pid` as text, or None when the table has none.
py::Result deadline_text(std::uint32_t trigger_pid, const zelk_fristen::Instant& received,
                         std::string_view received_text) {
  const antwort::AntwortObligation* record = antwort::antwort_obligation(trigger_pid);
  if (record == nullptr) return py::none();
  return instant_result(record->shape.due_at(received), Given{"received", received_text});
}

py::Result get_trigger_pid(const Obligation& self) { return py::integer_of(self.trigger_pid); }
py::Result get_name(const Obligation& self) { return py::str(self.name); }
py::Result get_answered_by(const Obligation& self) { return py::str(self.answered_by); }
py::Result get_bestaetigung_pid(const Obligation& self) { return py::integer_of(self.bestaetigung_pid); }
py::Result get_ablehnung_pid(const Obligation& self) { return py::integer_of(self.ablehnung_pid); }
py::Result get_ebd(const Obligation& self) { return py::optional(self.ebd, py::str); }
py::Result get_family(const Obligation& self) { return py::str(self.family); }
py::Result get_shape(const Obligation& self) { return py::str(self.shape); }
py::Result get_werktage(const Obligation& self) { return py::integer_of(self.werktage); }
py::Result get_clock_time(const Obligation& self) { return py::optional(self.clock_time, py::str); }
py::Result get_source(const Obligation& self) { return py::str(self.source); }
py::Result get_window(const Obligation& self) { return py::str(window(self)); }

py::Result due_at(const Obligation& self, py::Args args) {
  auto received_text = py::to_str(args[0]);
  if (!received_text) return py::propagate(received_text);
  auto received = parse_dt(*received_text);
  if (!received) return py::propagate(received);
  if (antwort::antwort_obligation(self.trigger_pid) == nullptr) {
    throw support::InternalFault("an AntwortObligation whose trigger PID is not in the table");
  }
  return deadline_text(self.trigger_pid, *received, *received_text);
}

py::Result repr(const Obligation& self) {
  return py::str(fmt::format("AntwortObligation({} {} — {} answers within {}, {})", self.trigger_pid, self.name,
                             self.answered_by, window(self), self.family));
}

constexpr py::Attribute<Obligation> attributes[] = {
    {"trigger_pid", "The inbound Prüfidentifikator that starts the clock; never an answer PID.", get_trigger_pid},
    {"name", "The process name, as the Anwendungsübersicht names it.", get_name},
    {"answered_by", "The Marktrolle that owes the answer (e.g. NB, LF).", get_answered_by},
    {"bestaetigung_pid", "The Bestätigung PID for this process.", get_bestaetigung_pid},
    {"ablehnung_pid", "The Ablehnung PID for this process.", get_ablehnung_pid},
    {"ebd", "The Entscheidungsbaum that decides the answer (\"E_0622\"), None where none is published.", get_ebd},
    {"family", "The process family: \"gpke\", \"geli-gas\", \"wim\", \"wim-gas\", \"emob\" or \"mabis\".",
     get_family},
    {"shape",
     "How the window is measured: \"werktag_at\", \"end_of_werktag\", \"same_day_at\" or \"same_day\".",
     get_shape},
    {"werktage", "Werktage the window runs for; always present, 0 for \"same_day_at\" and \"same_day\".",
     get_werktage},
    {"clock_time",
     "\"HH:MM\" Berlin wall-clock time for \"werktag_at\" and \"same_day_at\"; None for the other shapes.",
     get_clock_time},
    {"source", "The citation of the Festlegung, for the audit trail.", get_source},
    {"window",
     "The window in words, read from clock_time, shape and werktage together: \"11:00 on the 1. WT\", "
     "\"15:00 on the ÜT\", \"4 WT\", \"on the ÜT\". \"15:00 Uhr am ÜT\" and \"15:00 Uhr des 1. WT nach dem ÜT\" "
     "differ by a day, and only in the Werktag count.",
     get_window},
};

constexpr py::Method<Obligation> methods[] = {
    {"due_at", "($self, received)",
     "The due time for a message received at `received` (RFC 3339), as RFC 3339 text at the Berlin offset of "
     "the due day; the same text that antwort_deadline gives for this trigger PID, which raises the same "
     "ValueError for a `received` whose due time cannot be written.",
     due_at},
};

constexpr py::Class<Obligation> antwort_obligation_class{
    .name = "AntwortObligation",
    .doc = "One published answer obligation: who owes what, by when, and where it says so.\n\n"
           "The obligation table is bound from the shared table rather than copied, so that the other services "
           "of the platform that register, size, raise and classify deadlines from the same table cannot "
           "disagree with it. Instances come from antwort_obligation() and antwort_obligations().",
    .attributes = attributes,
    .methods = methods,
    .repr = repr,
};

}  // namespace

py::Result antwort_obligation(py::Args args) {
  auto trigger_pid = py::to_u32(args[0]);
  if (!trigger_pid) return py::propagate(trigger_pid);
  const antwort::AntwortObligation* record = antwort::antwort_obligation(*trigger_pid);
  if (record == nullptr) return py::none();
  return py::new_instance<antwort_obligation_class>(convert(*record));
}

py::Result antwort_obligations(py::Args) {
  return py::list(antwort::answer_obligation_table(), [](const antwort::AntwortObligation& record) {
    return py::new_instance<antwort_obligation_class>(convert(record));
  });
}

py::Result antwort_deadline(py::Args args) {
  auto trigger_pid = py::to_u32(args[0]);
  if (!trigger_pid) return py::propagate(trigger_pid);
  auto received_text = py::to_str(args[1]);
  if (!received_text) return py::propagate(received_text);
  // An invalid receipt is refused even for a trigger PID without a record.
  auto received = parse_dt(*received_text);
  if (!received) return py::propagate(received);
  return deadline_text(*trigger_pid, *received, *received_text);
}

int add_antwort_obligation_class(PyObject* module) { return py::add_class<antwort_obligation_class>(module); }

}  // namespace quorvane_native::fristen
