#include "quorvane_native/edifact.hpp"

#include <array>

#include "quorvane_native/edifact/build_answer.hpp"
#include "quorvane_native/edifact/build_aperak.hpp"
#include "quorvane_native/edifact/build_contrl.hpp"
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
    {"build_aperak",
     "(sender, receiver, *, on=None, release=None, pruefidentifikator=None, acw_ref=None, error_code=None, "
     "error_text=None, message_ref=\"1\", document_date=None, document_code=None)",
     "Build one APERAK message (UNH…UNT), completed to the AHB column its document code selects.\n\n"
     "An APERAK reports whether a received message could be processed: an AHB or semantic violation, a "
     "business rejection, or a positive Anerkennungsmeldung. A syntax failure is answered with a CONTRL "
     "instead (build_contrl): keep an AHB violation from being answered with a CONTRL and a broken envelope "
     "from being answered with an APERAK.\n\n"
     "`error_code` is the APERAK ERC. Supplying one selects BGM+313 (Verarbeitbarkeitsfehlermeldung) per BDEW "
     "APERAK AHB 1.0 §2.1.1; without it the message is a positive acknowledgement (BGM+312). `acw_ref` is the "
     "UNH reference of the acknowledged message.",
     build_aperak},
    {"build_contrl",
     "(sender, receiver, interchange_ref, *, on=None, release=None, accept=True, message_ref=\"1\", "
     "action_code=None, syntax_error=None)",
     "Build one CONTRL message (UNH, UCI, UNT) acknowledging an interchange at the syntax level.\n\n"
     "Use it for a malformed envelope or an unparseable segment, and build_aperak for anything the AHB "
     "decides. `interchange_ref` is the UNB Datenaustauschreferenz of the acknowledged interchange. "
     "`accept=False` rejects the interchange (action code 4) with `syntax_error`, \"12\" unless given; "
     "`action_code` replaces the action code chosen from `accept`. The message is returned as written; wrap "
     "it with build_interchange.",
     build_contrl},
    {"build_aperak_for",
     "(received, *, on=None, release=None, error_code=None, error_text=None, pruefidentifikator=None, "
     "message_ref=\"1\", message_index=0)",
     "Build the APERAK (UNH…UNT) that acknowledges one message of a received interchange.\n\n"
     "The parties (swapped), the RFF+ACW reference and the date are derived from the received message, so "
     "that a simulated counterparty cannot get them wrong. `message_index` selects the acknowledged message; "
     "an interchange with several messages needs one APERAK per message. `error_code` is the APERAK ERC: "
     "with one the message is a Verarbeitbarkeitsfehlermeldung (BGM+313), without it a positive "
     "acknowledgement (BGM+312).",
     build_aperak_for},
    {"build_contrl_for", "(received, *, on=None, release=None, accept=True, message_ref=\"1\")",
     "Build the CONTRL (UNH, UCI, UNT) that acknowledges a received interchange, with the parties and the "
     "Datenaustauschreferenz taken from its UNB.\n\n"
     "The header must parse: for bytes that are not EDIFACT at all no correlated CONTRL exists, and "
     "build_contrl with a caller-supplied reference is the fallback. `accept=False` rejects with syntax "
     "error \"12\".",
     build_contrl_for},
    {"build_answer",
     "(received, answer_pid, *, on=None, release=None, message_ref=\"1\", document_date=None, "
     "document_code=None, antwort_code=None, antwort_ebd=None, process_dates=None, references=None, "
     "free_texts=None, message_index=0)",
     "Build the UTILMD Antwortnachricht (Bestätigung or Ablehnung, UNH…UNT) to one UTILMD request of a "
     "received interchange, completed to the AHB column of `answer_pid`.\n\n"
     "The parties are swapped and the SG4 `IDE+24` Vorgangsnummer is echoed, together with the RFF "
     "references that the requester matches on.\n\n"
     "`answer_pid` is not derived: which of the pair applies is the counterparty's decision; resolve it with "
     "bestaetigung_pid or ablehnung_pid.\n\n"
     "`antwort_code` and `antwort_ebd` render the `SG4 STS+E01` that the AHB marks Muss on every "
     "Antwortnachricht, e.g. antwort_code=\"A36\", antwort_ebd=\"E_0624\" for a Zustimmung to a Beendigung "
     "der Zuordnung.\n\n"
     "`process_dates`, `references` and `free_texts` carry the answer's own content, e.g. process_dates="
     "[(\"93\", \"20261101\")] for a confirmed Zuordnungsende. An Antwortcode can make one of them "
     "conditional-Muss: `A06` obliges a `DTM+Z07`, and some codes oblige an `FTX+ACB` Erläuterung.\n\n"
     "`message_index` selects which message of the interchange is answered: every message is a separate "
     "Vorgang with its own Prüfidentifikator and needs its own answer.",
     build_answer},
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
