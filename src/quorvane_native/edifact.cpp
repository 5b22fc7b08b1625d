#include "quorvane_native/edifact.hpp"

#include "quorvane_native/edifact/build_interchange.hpp"
#include "quorvane_native/edifact/build_mscons.hpp"
#include "quorvane_native/py/function.hpp"

namespace quorvane_native::edifact {

namespace {

constexpr py::Function functions[] = {
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

}  // namespace

int register_(PyObject* module) { return py::add_functions<functions>(module); }

}  // namespace quorvane_native::edifact
