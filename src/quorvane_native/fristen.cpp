#include "quorvane_native/fristen.hpp"

#include "quorvane_native/fristen/deadline_functions.hpp"
#include "quorvane_native/fristen/obligations.hpp"
#include "quorvane_native/py/function.hpp"

namespace quorvane_native {

namespace {

using namespace fristen;

constexpr py::Function functions[] = {
    {"is_werktag", "(date)",
     "Whether `date` (ISO 8601) is a Werktag of the BDEW calendar.\n\n"
     "The calendar is conservative-inclusive: Saturdays, Sundays and every day that is a holiday in any German "
     "state are no Werktag, and 24.12. and 31.12. count as holidays, so no Frist is computed shorter than the "
     "rules require for some participant.",
     is_werktag},
    {"add_werktage", "(date, n)",
     "The n-th Werktag after `date`, as \"YYYY-MM-DD\"; n = 0 gives `date` itself, whatever kind of day it is.\n\n"
     "Days before `date` are never looked at; holidays of any German state, 24.12. and 31.12. are skipped."
     "\n\nRaises ValueError naming `date` when the result falls outside the years 0000 to 9999, which is all that "
     "can be written.",
     add_werktage},
    {"next_werktag", "(date)", "`date` when it is a Werktag, else the first Werktag after it, as \"YYYY-MM-DD\"."
     "\n\nRaises ValueError naming `date` when the result falls outside the years 0000 to 9999, which is all that "
     "can be written.",
     next_werktag},
    {"deadline_at_werktage", "(received, werktage)",
     "The end (23:59:59.999999999) of the `werktage`-th Werktag after the Berlin day of `received`.\n\n"
     "The result is RFC 3339 in the Berlin offset of that day, not UTC. The arrival day does not count; "
     "werktage = 0 gives the end of the arrival day itself, even on a weekend."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999 or, in Berlin "
     "time, before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     deadline_at_werktage},
    {"end_of_werktag_after", "(received, werktage)",
     "The end of the `werktage`-th Werktag after the Berlin day of `received`: the same deadline as "
     "deadline_at_werktage, under the name the market rules use. RFC 3339 in the Berlin offset."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999 or, in Berlin "
     "time, before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     end_of_werktag_after},
    {"next_werktag_at", "(received, at)",
     "Berlin wall-clock time `at` (\"HH:MM[:SS]\") on the first Werktag strictly after the Berlin day of "
     "`received`, as RFC 3339 in the Berlin offset of that day."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999 or, in Berlin "
     "time, before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     next_werktag_at},
    {"add_hours", "(received, hours)",
     "`received` plus `hours` hours of elapsed time, in the offset of `received`.\n\n"
     "Runs through weekends and holidays: an hour window is no Werktag window."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999, which is all "
     "that can be written.",
     add_hours},
    {"contrl_due_at", "(received, anlass=\"regelfall\")",
     "When the CONTRL for a message received at `received` is due (CONTRL AHB 1.0).\n\n"
     "anlass:\n"
     "  \"regelfall\" (default): 6 hours (§2.3.1, §2.4.1)\n"
     "  \"strom_utilmd_orders\": 15 minutes; 6 hours when `received` falls on a Saturday, Berlin day (§2.4.1)\n"
     "  \"gas_alocat\": 45 minutes (§2.3.1)\n\n"
     "A due time inside a Formatumstellung window (31.3. 18:00 to 2.4. 00:00 or 30.9. 18:00 to 2.10. 00:00 "
     "Berlin time, end excluded) moves to the end of that window and carries the Berlin offset; otherwise the "
     "due time keeps the offset of `received`."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999 or, in Berlin "
     "time, before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     contrl_due_at},
    {"aperak_strom_due_at", "(received)",
     "When the APERAK for an electricity message received at `received` is due: 45 minutes later, in the offset "
     "of `received`; for a message whose Berlin day is a Saturday, 12:00 Berlin on the following Sunday.\n\n"
     "This is the acknowledgement clock, not the business answer window: see antwort_deadline."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999 or, in Berlin "
     "time, before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     aperak_strom_due_at},
    {"aperak_gas_folgeprozess_due_at", "(received)",
     "When the APERAK for a gas Folgeprozess message is due: 12:00 Berlin on the first Werktag strictly after "
     "the Berlin day of `received`, in the Berlin offset."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999 or, in Berlin "
     "time, before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     aperak_gas_folgeprozess_due_at},
    {"aperak_gas_initialprozess_due_at", "(received)",
     "When the APERAK for a gas Initialprozess message is due: the end of the 3rd Werktag after the Berlin day "
     "of `received`, in the Berlin offset."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999 or, in Berlin "
     "time, before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     aperak_gas_initialprozess_due_at},
    {"berlin_day_bounds", "(date)",
     "The Berlin day `date` as the half-open interval (start, end) of two RFC 3339 instants in UTC.\n\n"
     "A local day lasts 23, 24 or 25 hours: 2026-03-29 gives "
     "(\"2026-03-28T23:00:00Z\", \"2026-03-29T22:00:00Z\")."
     "\n\nRaises ValueError naming `date` when a bound falls outside the years 0000 to 9999, which is all that can "
     "be written.",
     berlin_day_bounds},
    {"format_303", "(instant)",
     "The EDIFACT DTM format 303 text of `instant`: UTC as CCYYMMDDHHMM followed by \"+00\"; seconds are "
     "dropped, not rounded."
     "\n\nRaises ValueError naming `instant` when its UTC time falls outside the years 0000 to 9999, which is all "
     "that can be written.",
     format_303},
    {"berlin_instant", "(date, at)",
     "The instant at which the Berlin wall clock shows `at` (\"HH:MM[:SS]\") on `date`, as RFC 3339 in the "
     "offset then in force.\n\n"
     "A folded local time (the repeated hour in October) resolves to the earlier instant; a time that the "
     "clock skips (the hour lost in March) has none and raises ValueError."
     "\n\nRaises ValueError naming `date` when the result falls outside the years 0000 to 9999 or, in Berlin time, "
     "before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     berlin_instant},
    {"berlin_mtu_count", "(date, mtu_minutes)",
     "The number of market time units of `mtu_minutes` in the Berlin day `date`.\n\n"
     "At quarter-hourly resolution: 96 on an ordinary day, 92 on the short March day, 100 on the long October "
     "day. Raises ValueError when the units do not tile the day.",
     berlin_mtu_count},
    {"antwort_obligation", "(trigger_pid)",
     "The answer obligation that a message with Prüfidentifikator `trigger_pid` starts, or None.\n\n"
     "None means unknown (no Festlegung read so far quantifies the window), never unbounded.",
     antwort_obligation},
    {"antwort_obligations", "()",
     "Every answer obligation of the table, in the table's own order (GPKE, GeLi Gas, WiM Strom, WiM Gas, "
     "E-Mobilität, MaBiS).\n\n"
     "Parametrise tests over it rather than over a hand-kept list of Prüfidentifikatoren.",
     antwort_obligations},
    {"antwort_deadline", "(trigger_pid, received)",
     "When the answer to a message with Prüfidentifikator `trigger_pid` received at `received` is due, as "
     "RFC 3339 in the Berlin offset of the due day; None when no obligation is known for it.\n\n"
     "Prefer it to deadline_at_werktage whenever the process is known: the bare Werktage form does not fit "
     "the GPKE shapes (a clock time on the n-th Werktag, or on the day of receipt)."
     "\n\nRaises ValueError naming `received` when the result falls outside the years 0000 to 9999 or, in Berlin "
     "time, before 1893-04-01 (local mean time, an offset RFC 3339 cannot write).",
     antwort_deadline},
};

}  // namespace

int register_fristen(PyObject* module) {
  if (py::add_functions<functions>(module) < 0) return -1;
  return add_antwort_obligation_class(module);
}

}  // namespace quorvane_native
