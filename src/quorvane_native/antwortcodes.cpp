#include "quorvane_native/antwortcodes.hpp"

#include <cstdint>
#include <string_view>
#include <vector>

#include "quorvane_native/antwortcodes/lookup.hpp"
#include "quorvane_native/py/class_type.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/function.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::antwortcodes {

namespace {

// --- class AntwortCode -----------------------------------------------------------------------

py::Result code_of(const AntwortCode& self) { return py::str(self.code); }
py::Result tree_of(const AntwortCode& self) { return py::str(self.tree); }
py::Result wire_codeliste_of(const AntwortCode& self) { return py::optional(self.wire_codeliste, py::str); }
py::Result cluster_of(const AntwortCode& self) { return py::str(cluster_name(self.cluster)); }
py::Result bedeutung_of(const AntwortCode& self) { return py::str(self.bedeutung); }
py::Result braucht_bemerkung_of(const AntwortCode& self) { return py::boolean(self.braucht_bemerkung); }
py::Result ist_zustimmung_of(const AntwortCode& self) { return py::optional(ist_zustimmung(self.cluster), py::boolean); }
py::Result repr_of(const AntwortCode& self) { return py::str(repr(self)); }

constexpr py::Attribute<AntwortCode> attributes[] = {
    {"code", "The Antwortcode itself: SG4 STS+E01 DE 9013.", code_of},
    {"tree",
     "The Entscheidungsbaum the code was resolved against. It is the code's identity, not necessarily "
     "what goes on the wire: see wire_codeliste.",
     tree_of},
    {"wire_codeliste",
     "The value an answer must carry in STS+E01 DE 1131 (ORDRSP SG2 AJT DE 1082): the EBD number for "
     "GPKE and GeLi Gas trees, an S_ or G_ Codeliste for the WiM trees, and None where the answer names "
     "no list.",
     wire_codeliste_of},
    {"cluster", "The outcome class, such as \"ZUSTIMMUNG\" or \"ABLEHNUNG\".", cluster_of},
    {"bedeutung", "The BDEW wording of the code, as the tree publishes it.", bedeutung_of},
    {"braucht_bemerkung", "Whether the BDEW requires a written Erläuterung (FTX+ACB) beside the code.",
     braucht_bemerkung_of},
    {"ist_zustimmung",
     "True for an agreement, False for a refusal, and None off the agreement axis (a change or no change "
     "of the data, a Reklamation): None must not be read as a refusal.",
     ist_zustimmung_of},
};

constexpr py::Class<AntwortCode> antwort_code_class{
    .name = "AntwortCode",
    .doc = "One published Antwortcode, resolved against the tree that publishes it.",
    .attributes = attributes,
    .repr = repr_of,
};

py::Result code_list(const std::vector<AntwortCode>& codes) {
  return py::list(codes, [](const AntwortCode& code) { return py::new_instance<antwort_code_class>(code); });
}

// --- functions -------------------------------------------------------------------------------

py::Result entscheidungsbaeume_py(py::Args) {
  return py::list(entscheidungsbaeume(), [](std::string_view name) { return py::str(name); });
}

py::Result antwort_code_py(py::Args args) {
  auto tree = py::to_str(args[0]);
  if (!tree) return py::propagate(tree);
  auto code = py::to_str(args[1]);
  if (!code) return py::propagate(code);
  const std::optional<AntwortCode> found = antwort_code(*tree, *code);
  if (!found) return py::none();
  return py::new_instance<antwort_code_class>(*found);
}

py::Result antwort_codes_py(py::Args args) {
  auto tree = py::to_str(args[0]);
  if (!tree) return py::propagate(tree);
  auto codes = antwort_codes(*tree);
  if (!codes) return py::value_error(message(codes.error()));
  return code_list(*codes);
}

py::Result antwort_codes_for_pid_py(py::Args args) {
  auto trigger_pid = py::to_u32(args[0]);
  if (!trigger_pid) return py::propagate(trigger_pid);
  return code_list(antwort_codes_for_pid(*trigger_pid));
}

constexpr py::Function functions[] = {
    {"entscheidungsbaeume", "()",
     "The Entscheidungsbäume whose Antwortcodes this build carries, sorted.\n\n"
     "Parametrise over these names; a tree missing here is one antwort_codes() refuses.",
     entscheidungsbaeume_py},
    {"antwort_code", "(tree, code)",
     "The AntwortCode that `tree` publishes under `code`, or None.\n\n"
     "Tree and code are compared exactly. An unknown tree or a code the tree does not publish gives "
     "None, never an exception.",
     antwort_code_py},
    {"antwort_codes", "(tree)",
     "Every AntwortCode that `tree` publishes, in the tree's own order.\n\n"
     "A tree the compiled catalogue does not carry raises ValueError.",
     antwort_codes_py},
    {"antwort_codes_for_pid", "(trigger_pid)",
     "The AntwortCodes of the Entscheidungsbaum that decides the answer to the inbound "
     "Prüfidentifikator `trigger_pid`.\n\n"
     "Only the one tree that the answer obligation names is returned, even where the process runs a "
     "chain of trees: 55001 names the Vorprüfung E_0622, so the result is its refusal codes only; the "
     "agreement codes of E_0623 are asked for by name with antwort_codes(). The list is empty when no "
     "obligation is known for the Prüfidentifikator, when it names no tree, or when this build does not "
     "carry that tree.",
     antwort_codes_for_pid_py},
};

}  // namespace

int register_(PyObject* module) {
  if (py::add_functions<functions>(module) < 0) return -1;
  return py::add_class<antwort_code_class>(module);
}

}  // namespace quorvane_native::antwortcodes
