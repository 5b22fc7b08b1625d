#include <algorithm>
#include <chrono>
#include <string>

#include <fmt/format.h>

#include "quorvane_native/edifact/input_classes.hpp"
#include "quorvane_native/edifact/report_classes.hpp"
#include "quorvane_native/py/class_type.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "quorvane_native/edifact/text_values.hpp"

namespace quorvane_native::edifact {
namespace {

const std::string* first_with(const std::vector<TextPair>& entries, std::string_view qualifier) {
  const auto found = std::ranges::find(entries, qualifier, &TextPair::first);
  return found == entries.end() ? nullptr : &found->second;
}

py::Result text_or_none(const std::string* value) { return value == nullptr ? py::none() : py::str(*value); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// "YYYY-MM-DD" from the first eight digits of a DTM value, when they name a calendar date.
std::optional<std::string> iso_date_of(std::string_view value) {
  if (value.size() < 8 || !std::all_of(value.begin(), value.begin() + 8, is_digit)) return std::nullopt;
  const auto number = [&](std::size_t from, std::size_t count) {
    unsigned result = 0;
    for (char c : value.substr(from, count)) result = result * 10 + static_cast<unsigned>(c - '0');
    return result;
  };
  const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(number(0, 4))),
                                         std::chrono::month(number(4, 2)), std::chrono::day(number(6, 2))};
  if (!date.ok()) return std::nullopt;
  return fmt::format("{}-{}-{}", value.substr(0, 4), value.substr(4, 2), value.substr(6, 2));
}

py::Result get_vorgangsnummer(const Vorgang& self) { return optional_text(self.vorgangsnummer); }
py::Result get_locations(const Vorgang& self) { return text_pairs(self.locations); }
py::Result get_dates(const Vorgang& self) { return text_pairs(self.dates); }
py::Result get_references(const Vorgang& self) { return text_pairs(self.references); }
py::Result get_transaktionsgrund(const Vorgang& self) { return optional_text(self.transaktionsgrund); }
py::Result get_antwort_code(const Vorgang& self) { return optional_text(self.antwort_code); }
py::Result get_antwort_codeliste(const Vorgang& self) { return optional_text(self.antwort_codeliste); }

py::Result date(const Vorgang& self, py::Args args) {
  auto qualifier = py::to_str(args[0]);
  if (!qualifier) return py::propagate(qualifier);
  return text_or_none(first_with(self.dates, *qualifier));
}

py::Result iso_date(const Vorgang& self, py::Args args) {
  auto qualifier = py::to_str(args[0]);
  if (!qualifier) return py::propagate(qualifier);
  const std::string* value = first_with(self.dates, *qualifier);
  if (value == nullptr) return py::none();
  return optional_text(iso_date_of(*value));
}

py::Result location(const Vorgang& self, py::Args args) {
  auto name = py::to_str(args[0]);
  if (!name) return py::propagate(name);
  auto typ = lokationstyp_from_str(*name);
  if (!typ) return py::propagate(typ);
  return text_or_none(first_with(self.locations, edi_energy::lokationstyp::qualifier_code(*typ)));
}

py::Result reference(const Vorgang& self, py::Args args) {
  auto qualifier = py::to_str(args[0]);
  if (!qualifier) return py::propagate(qualifier);
  return text_or_none(first_with(self.references, *qualifier));
}

py::Result repr(const Vorgang& self) {
  return py::str(fmt::format("Vorgang({} locations={} antwort={})", self.vorgangsnummer.value_or("-"),
                             self.locations.size(), self.antwort_code.value_or("-")));
}

constexpr py::Attribute<Vorgang> attributes[] = {
    {"vorgangsnummer", "IDE+24 DE 7402: the sender's own reference for this Vorgang.", get_vorgangsnummer},
    {"locations", "(DE 3227 qualifier, id) for every SG5 LOC that carries an id, in wire order.", get_locations},
    {"dates",
     "(DE 2005 qualifier, DE 2380 value) for every SG4 DTM that carries a value, as written: UTILMD SG4 dates "
     "are format 303, so 1 May 2026 reads 202605010000+00, not 20260501.",
     get_dates},
    {"references", "(DE 1153 qualifier, DE 1154 value) for every SG6 RFF that carries a value.", get_references},
    {"transaktionsgrund", "SG4 STS+7 DE 9013: the Transaktionsgrund.", get_transaktionsgrund},
    {"antwort_code", "SG4 STS+E01 DE 9013: the Antwortcode of an answer message.", get_antwort_code},
    {"antwort_codeliste",
     "SG4 STS+E01 DE 1131: the Codeliste the code is drawn from (an EBD number only for the GPKE and GeLi Gas "
     "trees; other answers name an \"S_xxxx\" or \"G_xxxx\" list).",
     get_antwort_codeliste},
};

constexpr py::Method<Vorgang> methods[] = {
    {"date", "($self, qualifier)", "The raw DE 2380 value of the first DTM with that DE 2005 qualifier, or None.",
     date},
    {"iso_date", "($self, qualifier)",
     "\"YYYY-MM-DD\" from the first DTM with that qualifier; None when there is none or its value does not "
     "begin with eight digits that name a calendar date.",
     iso_date},
    {"location", "($self, lokationstyp)",
     "The id of the first location of that Lokationstyp (a LOC DE 3227 code such as \"Z16\", or a name such as "
     "\"malo\"), or None.",
     location},
    {"reference", "($self, qualifier)", "The value of the first SG6 RFF with that DE 1153 qualifier, or None.",
     reference},
};

constexpr py::Class<Vorgang> vorgang_class{
    .name = "Vorgang",
    .doc = "One SG4 Vorgang read back off a parsed message, exactly as written on the wire.\n\n"
           "The counterpart to UtilmdTransaction, which describes a Vorgang being built: reading one back lets a "
           "test assert on the content of an answer without matching raw bytes.",
    .attributes = attributes,
    .methods = methods,
    .repr = repr,
};

}  // namespace

py::Result new_vorgang(Vorgang value) { return py::new_instance<vorgang_class>(std::move(value)); }

int add_vorgang_class(PyObject* module) { return py::add_class<vorgang_class>(module); }

}  // namespace quorvane_native::edifact
