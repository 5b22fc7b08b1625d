#include <string>

#include <fmt/format.h>

#include "quorvane_native/edifact/report_classes.hpp"
#include "quorvane_native/py/class_type.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::edifact {
namespace {

py::Result text(const std::string& value) { return py::str(value); }
py::Result small(std::uint8_t value) { return py::integer_of(value); }

// "SG4/LOC[2].0": a component shows only behind its element.
std::optional<std::string> position(const Finding& self) {
  if (!self.segment) return std::nullopt;
  std::string shown = self.segment_group ? fmt::format("{}/{}", *self.segment_group, *self.segment) : *self.segment;
  if (self.element) {
    shown += fmt::format("[{}]", *self.element);
    if (self.component) shown += fmt::format(".{}", *self.component);
  }
  return shown;
}

py::Result get_severity(const Finding& self) { return py::str(self.severity); }
py::Result get_rule_id(const Finding& self) { return py::optional(self.rule_id, text); }
py::Result get_rule_origin(const Finding& self) {
  return py::optional(self.rule_origin, [](auto layer) { return py::str(::edifact::report::text_form(layer)); });
}
py::Result get_error_code(const Finding& self) { return py::optional(self.error_code, text); }
py::Result get_segment(const Finding& self) { return py::optional(self.segment, text); }
py::Result get_segment_group(const Finding& self) { return py::optional(self.segment_group, text); }
py::Result get_element(const Finding& self) { return py::optional(self.element, small); }
py::Result get_component(const Finding& self) { return py::optional(self.component, small); }
py::Result get_suggestion(const Finding& self) { return py::optional(self.suggestion, text); }
py::Result get_message(const Finding& self) { return py::str(self.message); }
py::Result get_is_error(const Finding& self) { return py::boolean(self.is_error()); }
py::Result get_position(const Finding& self) { return py::optional(position(self), text); }

py::Result repr(const Finding& self) {
  return py::str(fmt::format("Finding({} {}: {})", self.severity, self.rule_id ? *self.rule_id : "-", self.message));
}

constexpr py::Attribute<Finding> attributes[] = {
    {"severity", "\"critical\", \"error\", \"warning\" or \"info\".", get_severity},
    {"rule_id", "The rule that fired, e.g. \"SEM-MSCONS-LOCATION-FORMAT\"; None when the finding names none.",
     get_rule_id},
    {"rule_origin",
     "The layer that produced the finding: \"parse\", \"directory\", \"mig\", \"ahb\", \"semantic\", \"custom\" "
     "or \"unvalidated\" (\"ahb\" also for a broken Formatbedingung, FMT-); None for other rule ids.\n\n"
     "It separates a syntax failure, which a counterparty answers with a CONTRL, from an application "
     "failure, which it answers with an APERAK.",
     get_rule_origin},
    {"error_code", "The stable error code, where the rule carries one.", get_error_code},
    {"segment", "The segment tag the finding points at, e.g. \"LOC\".", get_segment},
    {"segment_group", "The segment group the finding sits in, e.g. \"SG4\".", get_segment_group},
    {"element", "0-based data-element index inside the segment, when known.", get_element},
    {"component", "0-based component index inside the element, when known.", get_component},
    {"suggestion", "A remediation hint, where the rule offers one.", get_suggestion},
    {"message", "The finding's text.", get_message},
    {"is_error", "True for severity \"critical\" or \"error\": the findings that make a message invalid.",
     get_is_error},
    {"position",
     "Where the finding points, as \"SG4/LOC[2].0\" (group, segment, element, component as far as known); "
     "None without a segment tag.",
     get_position},
};

constexpr py::Class<Finding> finding_class{
    .name = "Finding",
    .doc = "One validation finding.",
    .attributes = attributes,
    .repr = repr,
};

}  // namespace

py::Result new_finding(Finding value) { return py::new_instance<finding_class>(std::move(value)); }

int add_finding_class(PyObject* module) { return py::add_class<finding_class>(module); }

}  // namespace quorvane_native::edifact
