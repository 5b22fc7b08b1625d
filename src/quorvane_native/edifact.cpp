#include "quorvane_native/edifact.hpp"

#include <array>

#include "quorvane_native/edifact/input_classes.hpp"
#include "quorvane_native/edifact/report_classes.hpp"
#include "quorvane_native/edifact/validate.hpp"
#include "quorvane_native/py/function.hpp"

namespace quorvane_native::edifact {

namespace {

constexpr py::Function functions[] = {
    {"validate_edifact", "(raw, on)",
     "Parse and fully validate an EDIFACT interchange against MIG, AHB and semantic rules.\n\n"
     "`on` (an ISO 8601 date) selects the BDEW format version in force, as the production ingest path does. "
     "It is required: a default of \"today\" would make the same check mean different things in different "
     "months.\n\n"
     "Accepts a whole interchange (UNB to UNZ) or a bare message (UNH to UNT), the form the builders return. "
     "Raises ValueError when the bytes cannot be parsed as EDIFACT at all; rule violations come back as "
     "findings in the report, not as exceptions.",
     validate_edifact},
};

using RegisterStep = int (*)(PyObject* module);

// Functions first, then the classes, in the module's registration order.
constexpr std::array<RegisterStep, 8> register_steps{
    py::add_functions<functions>, add_utilmd_transaction_class, add_vorgang_class,   add_positionsfehler_class,
    add_finding_class,            add_message_report_class,     add_envelope_class,  add_validation_report_class,
};

}  // namespace

int register_(PyObject* module) {
  for (RegisterStep step : register_steps) {
    if (step(module) < 0) return -1;
  }
  return 0;
}

}  // namespace quorvane_native::edifact
