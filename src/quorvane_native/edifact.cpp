#include "quorvane_native/edifact.hpp"

#include <array>

#include "quorvane_native/edifact/build_interchange.hpp"
#include "quorvane_native/edifact/build_mscons.hpp"
#include "quorvane_native/edifact/build_utilmd.hpp"
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
    {"build_utilmd",
     "(pruefidentifikator, sender, receiver, *, on=None, release=None, sparte=None, message_ref=\"1\", "
     "document_date=None, document_code=\"E01\", references=None, transactions=None)",
     "Build one UTILMD message (UNH…UNT) from its Vorgänge, completed to the AHB column of "
     "`pruefidentifikator`.\n\n"
     "The release is resolved from the profile active on `on` (`sparte` \"STROM\" or \"GAS\" selecting the "
     "track), or pinned with `release` for tests across format versions; `on` is also the default document "
     "date. `references` are message-level (qualifier, value) pairs, `transactions` a list of "
     "UtilmdTransaction. The result is a message, not an interchange (wrap it with build_interchange), and it "
     "is not validated.",
     build_utilmd},
    {"build_mscons",
     "(pruefidentifikator, sender, receiver, metering_point, quantities=None, *, intervals=None, on=None, "
     "release=None, message_ref=\"1\", document_date=None, obis=None)",
     "Build one MSCONS message (UNH…UNT) with the metered values of one metering point, completed to the AHB "
     "column of `pruefidentifikator`.\n\n"
     "`quantities` are (qualifier, value, unit) triples such as (\"220\", \"1234.567\", \"KWH\"), each a summed or "
     "point-in-time figure; `intervals` are (qualifier, value, unit, start, end) quintuples whose start and end "
     "are EDIFACT format 303 texts (CCYYMMDDHHMMZZZ). Interval data must use `intervals`: a bare QTY carries no "
     "time reference, so a receiver cannot place it on the settlement grid, and the AHB alone does not catch "
     "that. The release is the one in force on `on` unless `release` pins it; `on` is also the default "
     "document date.",
     build_mscons},
    {"build_interchange", "(sender, receiver, dar, messages, *, on=None, date=None, time=\"0000\")",
     "Wrap built messages (each UNH…UNT) in a UNB/UNZ interchange and return its bytes.\n\n"
     "A bare message is not sendable: the unit a market partner receives is the interchange. The UNB "
     "qualifier after each party ID is derived from the ID itself, so it cannot contradict it. The "
     "transmission timestamp is a parameter and never read from the clock, so that building stays "
     "deterministic. One of `on` (the send date, ISO 8601) and `date` (YYMMDD as written) is required: "
     "\"000000:0000\" parses to no date at all, and a counterparty rejects an interchange it cannot date.",
     build_interchange},
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
