// The read-only classes in which validation results reach Python: Finding, Vorgang,
// MessageReport, Envelope and ValidationReport. Instances are made only here.
#pragma once

#include <Python.h>

#include <span>
#include <string_view>

#include "quorvane_native/edifact/report_values.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result new_finding(Finding value);
py::Result new_vorgang(Vorgang value);
py::Result new_message_report(MessageReport value);
py::Result new_envelope(Envelope value);
py::Result new_validation_report(ValidationReport value);

// A new list of new Finding objects: those whose rule id begins with `prefix` (all with a rule
// id for an empty prefix), or all of them when `prefix` is absent; only errors when asked.
struct FindingFilter {
  std::optional<std::string_view> rule_prefix;
  bool errors_only = false;
};
py::Result finding_list(std::span<const MessageReport> messages, FindingFilter filter);

// 0, or -1 with the exception set.
int add_finding_class(PyObject* module);
int add_vorgang_class(PyObject* module);
int add_message_report_class(PyObject* module);
int add_envelope_class(PyObject* module);
int add_validation_report_class(PyObject* module);

}  // namespace quorvane_native::edifact
