#include "quorvane_native/pids.hpp"

#include "quorvane_native/pids/functions.hpp"
#include "quorvane_native/py/function.hpp"

namespace quorvane_native::pids {

namespace {

constexpr py::Function functions[] = {
    {"release_for", "(message_type, on, sparte=None)",
     "The release code in force for `message_type` on the ISO 8601 date `on`, or None when no compiled profile "
     "is in force that day.\n\n"
     "This is the release that the build_* functions use when they are given a date instead of a release. "
     "`sparte` (\"STROM\" or \"GAS\") decides the track for UTILMD and is ignored for every other type; without "
     "it the newest profile of either track wins, so from 2026-04-01 to 2026-09-30 a UTILMD answer without "
     "`sparte` is the gas release. Pass `sparte` whenever the track matters.",
     release_for},
    {"format_versions", "()",
     "Every distinct first day of validity of the compiled profiles, ascending, as \"FV2025-10-01\".",
     format_versions},
    {"releases", "(message_type)",
     "The distinct release codes compiled in for `message_type`, ascending in release order; an empty list when "
     "the type has no profile.",
     releases},
    {"pruefidentifikatoren", "(message_type, on=None, sparte=None)",
     "The Prüfidentifikatoren of `message_type` that the compiled profiles carry, ascending.\n\n"
     "Derived by scanning the type's PID band against the profiles, so a Prüfidentifikator that is published "
     "but carried by no compiled profile is absent. With `on` only the profile in force on that date counts; "
     "without it, any release of the type. For UTILMD `sparte` keeps only its track's band (55xxx for STROM, "
     "44xxx for GAS); without `sparte` both bands are listed, each from its own track's profile in force on `on`. "
     "`sparte` is ignored for every other type.",
     pruefidentifikatoren},
    {"pid_has_ahb_rules", "(message_type, pid, on=None, sparte=None)",
     "Whether the AHB of a compiled profile of `message_type` has an Anwendungsfall for `pid`.\n\n"
     "Without `on` any release counts and `sparte` is not looked at; with `on` the question is restricted to "
     "the profile in force on that date. For UTILMD that is the profile of the `sparte` track, or without "
     "`sparte` of the track the pid names (55xxx STROM, 44xxx GAS). False for a pid outside 10000 to 99999.",
     pid_has_ahb_rules},
    {"message_types_of", "(pid)",
     "The message types whose compiled profiles carry `pid`, as UNH codes in alphabetical order.\n\n"
     "A list because one Prüfidentifikator can belong to several types: APERAK and COMDIS share their band. "
     "Empty for an unknown pid.",
     message_types_of},
    {"pid_carrying_message_types", "()",
     "The 16 message types that carry a Prüfidentifikator, as UNH codes in alphabetical order.\n\n"
     "CONTRL is left out: no Prüfidentifikator is assigned to it.",
     pid_carrying_message_types},
    {"answer_pids", "(anfrage)",
     "The (Bestätigung, Ablehnung) Prüfidentifikatoren answering the request `anfrage`, or None.\n\n"
     "None also when the request has no complete pair: 44020 can be confirmed but not rejected.",
     answer_pids},
    {"bestaetigung_pid", "(anfrage)", "The Prüfidentifikator that confirms the request `anfrage`, or None.",
     bestaetigung_pid},
    {"ablehnung_pid", "(anfrage)",
     "The Prüfidentifikator that rejects the request `anfrage`, or None (also for 44020, which cannot be "
     "rejected).",
     ablehnung_pid},
};

}  // namespace

int register_(PyObject* module) { return py::add_functions<functions>(module); }

}  // namespace quorvane_native::pids
