// The build input classes UtilmdTransaction and Positionsfehler, plain value holders that the
// builders read, and the reading of a Lokationstyp from a name or a LOC code.
#pragma once

#include <Python.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/lokationstyp.hpp"
#include "quorvane_native/py/errors.hpp"
#include "quorvane_native/py/object.hpp"

namespace quorvane_native::edifact {

using StringPairs = std::vector<std::pair<std::string, std::string>>;

struct UtilmdTransaction {
  std::string vorgangsnummer;
  std::optional<std::string> transaktionsgrund;
  std::optional<std::string> transaktionsgrund_ergaenzung;
  std::optional<std::string> antwort_code;
  std::optional<std::string> antwort_ebd;
  StringPairs dates;
  StringPairs references;
  StringPairs locations;
  StringPairs customers;
  StringPairs free_texts;
  std::optional<std::string> antwort_dritter;
  std::optional<std::string> bilanzkreis;
};

struct Positionsfehler {
  std::uint16_t positionsnummer = 0;
  StringPairs gruende;  // (Antwortcode, EBD)
  std::optional<std::string> erlaeuterung;
};

// A LOC DE 3227 code as written ("Z16"), else a name in any ASCII case ("malo"); ValueError
// otherwise.
py::Expected<edi_energy::lokationstyp::Lokationstyp> lokationstyp_from_str(std::string_view text);

// The value of an instance, for the builders: a TypeError naming the class for anything else.
py::Expected<UtilmdTransaction> utilmd_transaction_of(PyObject* object);
py::Expected<Positionsfehler> positionsfehler_of(PyObject* object);

// The first text a build would write that is empty, named "{item}.{field}" ("transactions[0].bilanzkreis",
// "transactions[0].references[1] value"): completion would put sample data in its place. Fields the
// build ignores (an Ergänzung without its Grund, an EBD without its code) are not looked at.
py::Status refuse_empty_fields(const UtilmdTransaction& transaction, std::string_view item);
py::Status refuse_empty_fields(const Positionsfehler& position, std::string_view item);

// Copies of a UtilmdTransaction or Positionsfehler, each without one value that is set in it,
// named by what it lacks ("bilanzkreis", "references[1]"); nothing for any other object.
py::Expected<std::vector<std::pair<std::string, py::Object>>> without_each_value(PyObject* object);

// The values of a UtilmdTransaction or Positionsfehler that cannot be left out, by field name and
// as the build writes them ("vorgangsnummer", "VG-1"); nothing for any other object.
py::Expected<std::vector<std::pair<std::string, std::string>>> required_texts(PyObject* object);

// A new UtilmdTransaction holding `value`.
py::Result utilmd_transaction_object(UtilmdTransaction value);

// 0, or -1 with the exception set.
int add_utilmd_transaction_class(PyObject* module);
int add_positionsfehler_class(PyObject* module);

}  // namespace quorvane_native::edifact
