#include "quorvane_native/edifact/input_classes.hpp"

#include <fmt/format.h>

#include <tuple>

#include "quorvane_native/py/class_type.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "quorvane_native/edifact/given_text.hpp"
#include "quorvane_native/edifact/text_values.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {
namespace {

// --- shared getters and setters --------------------------------------------------------------

// Each field once, as a pointer to member: the getter and the setter of an attribute follow.
template <auto Field>
py::Result get_text(const auto& self) {
  return py::str(self.*Field);
}
template <auto Field>
py::Result get_optional(const auto& self) {
  return optional_text(self.*Field);
}
// Building the list allocates tuples, which can run the collector and with it a __del__ or
// another thread that assigns this very field: read from a copy, never from the object.
template <auto Field>
py::Result get_pairs(const auto& self) {
  const auto pairs = self.*Field;
  return text_pairs(pairs);
}

template <auto Field, class T>
py::Status set_text(T& self, py::Arg value) {
  auto text = py::to_str(value);
  if (!text) return py::propagate(text);
  self.*Field = std::move(*text);
  return {};
}
template <auto Field, class T>
py::Status set_optional(T& self, py::Arg value) {
  auto text = py::to_optional_str(value);
  if (!text) return py::propagate(text);
  self.*Field = std::move(*text);
  return {};
}
// A list field takes a sequence of 2-tuples of str; None is refused.
template <auto Field, class T>
py::Status set_pairs(T& self, py::Arg value) {
  auto values = py::to_list(value, py::from::str_pair);
  if (!values) return py::propagate(values);
  self.*Field = std::move(*values);
  return {};
}

// --- class UtilmdTransaction -----------------------------------------------------------------

using T = UtilmdTransaction;

py::Expected<T> make_transaction(py::Args args) {
  T value;
  auto vorgangsnummer = py::to_str(args[0]);
  if (!vorgangsnummer) return py::propagate(vorgangsnummer);
  value.vorgangsnummer = std::move(*vorgangsnummer);
  for (auto [index, field] : {std::pair{1, &T::transaktionsgrund}, std::pair{2, &T::transaktionsgrund_ergaenzung},
                              std::pair{3, &T::antwort_code}, std::pair{4, &T::antwort_ebd}}) {
    auto text = py::to_optional_str(args[index]);
    if (!text) return py::propagate(text);
    value.*field = std::move(*text);
  }
  for (auto [index, field] : {std::pair{5, &T::dates}, std::pair{6, &T::references}, std::pair{7, &T::locations},
                              std::pair{8, &T::customers}, std::pair{9, &T::free_texts}}) {
    auto values = py::to_list_or_empty(args[index], py::from::str_pair);
    if (!values) return py::propagate(values);
    value.*field = std::move(*values);
  }
  for (auto [index, field] : {std::pair{10, &T::antwort_dritter}, std::pair{11, &T::bilanzkreis}}) {
    auto text = py::to_optional_str(args[index]);
    if (!text) return py::propagate(text);
    value.*field = std::move(*text);
  }
  return value;
}

py::Result transaction_repr(const T& self) { return py::str(fmt::format("UtilmdTransaction({})", self.vorgangsnummer)); }

constexpr py::Attribute<T> transaction_attributes[] = {
    {"vorgangsnummer", "IDE+24 DE 7402: the sender's own reference for this Vorgang.", get_text<&T::vorgangsnummer>,
     set_text<&T::vorgangsnummer, T>},
    {"transaktionsgrund", "SG4 STS+7 DE 9013 (element 2): the Transaktionsgrund, such as \"E01\".",
     get_optional<&T::transaktionsgrund>, set_optional<&T::transaktionsgrund, T>},
    {"transaktionsgrund_ergaenzung",
     "SG4 STS+7 DE 9013 (element 3): the Transaktionsgrundergänzung. When a Transaktionsgrund is set and this is "
     "None, the build writes \"ZW4\" (verbrauchende Marktlokation) where the column admits it, else the Ergänzung "
     "the column demands, or none. Given without a Transaktionsgrund, it stands beside the first of the column's "
     "Transaktionsgründe that the column accepts it with (where none does, beside the Grund completion writes, "
     "and the column's refusal names it); a column that names no Transaktionsgrund refuses it.",
     get_optional<&T::transaktionsgrund_ergaenzung>, set_optional<&T::transaktionsgrund_ergaenzung, T>},
    {"antwort_code", "SG4 STS+E01 DE 9013: the EBD Antwortcode of a Bestätigung or Ablehnung.",
     get_optional<&T::antwort_code>, set_optional<&T::antwort_code, T>},
    {"antwort_ebd", "SG4 STS+E01 DE 1131: the EBD the Antwortcode comes from, such as \"E_0624\".",
     get_optional<&T::antwort_ebd>, set_optional<&T::antwort_ebd, T>},
    {"dates",
     "(qualifier, YYYYMMDD) SG4 DTM pairs: \"92\" Beginn zum, \"93\" Ende zum, \"154\" ÜT der Lieferanmeldung.",
     get_pairs<&T::dates>, set_pairs<&T::dates, T>},
    {"references", "(qualifier, value) SG6 RFF pairs, such as (\"Z13\", \"55001\").", get_pairs<&T::references>,
     set_pairs<&T::references, T>},
    {"locations",
     "(Lokationstyp, ID) SG5 LOC pairs; the Lokationstyp as a name or LOC code, such as \"malo\" or \"melo\".",
     get_pairs<&T::locations>, set_pairs<&T::locations, T>},
    {"customers", "(party qualifier, ID) NAD pairs, such as \"UD\" for the customer.", get_pairs<&T::customers>,
     set_pairs<&T::customers, T>},
    {"free_texts", "(text function, text) FTX pairs; \"ACB\" is the Bemerkung.", get_pairs<&T::free_texts>,
     set_pairs<&T::free_texts, T>},
    {"antwort_dritter",
     "SG4 STS+Z35: the third party's answer code, restating what the Altlieferant said (Muss on an Ablehnung "
     "whose Antwortcode is A50 or A57); the verbrauchende form, whose Lokations-Referenz columns stay empty.",
     get_optional<&T::antwort_dritter>, set_optional<&T::antwort_dritter, T>},
    {"bilanzkreis",
     "The Bilanzkreis (an EIC party code) that this Vorgang assigns, written as the whole SG8 SEQ+Z79 "
     "Produktpaket.",
     get_optional<&T::bilanzkreis>, set_optional<&T::bilanzkreis, T>},
};

constexpr py::Class<T> utilmd_transaction_class{
    .name = "UtilmdTransaction",
    .doc = "One SG4 Vorgang of a UTILMD message being built.\n\n"
           "IDE+24 carries the Vorgangsnummer; the Marktlokation or Messlokation goes into SG5 LOC+Z16 or LOC+Z17 "
           "through `locations`. Values are stored as given and checked when the message is built.",
    .attributes = transaction_attributes,
    .repr = transaction_repr,
    .constructor = {"(vorgangsnummer, transaktionsgrund=None, transaktionsgrund_ergaenzung=None, antwort_code=None, "
                    "antwort_ebd=None, dates=None, references=None, locations=None, customers=None, "
                    "free_texts=None, antwort_dritter=None, bilanzkreis=None)",
                    make_transaction},
};

// --- class Positionsfehler -------------------------------------------------------------------

using P = Positionsfehler;

py::Expected<P> make_positionsfehler(py::Args args) {
  auto positionsnummer = py::to_u16(args[0]);
  if (!positionsnummer) return py::propagate(positionsnummer);
  auto gruende = py::to_list(args[1], py::from::str_pair);
  if (!gruende) return py::propagate(gruende);
  auto erlaeuterung = py::to_optional_str(args[2]);
  if (!erlaeuterung) return py::propagate(erlaeuterung);
  return P{*positionsnummer, std::move(*gruende), std::move(*erlaeuterung)};
}

py::Result get_positionsnummer(const P& self) { return py::integer_of(self.positionsnummer); }
py::Status set_positionsnummer(P& self, py::Arg value) {
  auto number = py::to_u16(value);
  if (!number) return py::propagate(number);
  self.positionsnummer = *number;
  return {};
}

py::Result positionsfehler_repr(const P& self) {
  std::vector<std::string> codes;
  codes.reserve(self.gruende.size());
  for (const auto& grund : self.gruende) codes.push_back(grund.first);
  return py::str(fmt::format("Positionsfehler(#{} {})", self.positionsnummer, support::debug_quote(codes)));
}

constexpr py::Attribute<P> positionsfehler_attributes[] = {
    {"positionsnummer",
     "SG10 DLI DE 1082: the position number this refers to, taken from the answered invoice's own SG26.",
     get_positionsnummer, set_positionsnummer},
    {"gruende",
     "SG12 AJT: the (Antwortcode, EBD) pairs with which this position is refused; resolve them with "
     "antwort_code(ebd, code) rather than writing them out.",
     get_pairs<&P::gruende>, set_pairs<&P::gruende, P>},
    {"erlaeuterung", "SG12 FTX+ABO: the Erläuterung that a catch-all code requires.", get_optional<&P::erlaeuterung>,
     set_optional<&P::erlaeuterung, P>},
};

constexpr py::Class<P> positionsfehler_class{
    .name = "Positionsfehler",
    .doc = "One refused Rechnungsposition of a REMADV.",
    .attributes = positionsfehler_attributes,
    .repr = positionsfehler_repr,
    .constructor = {"(positionsnummer, gruende, erlaeuterung=None)", make_positionsfehler},
};

}  // namespace

py::Expected<UtilmdTransaction> utilmd_transaction_of(PyObject* object) {
  return py::from::instance<utilmd_transaction_class>(object);
}

py::Result utilmd_transaction_object(UtilmdTransaction value) {
  return py::new_instance<utilmd_transaction_class>(std::move(value));
}

py::Expected<Positionsfehler> positionsfehler_of(PyObject* object) {
  return py::from::instance<positionsfehler_class>(object);
}

py::Status refuse_empty_fields(const UtilmdTransaction& transaction, std::string_view item) {
  const auto named = [item](std::string_view field) { return fmt::format("{}.{}", item, field); };
  if (auto given = refuse_empty(named("vorgangsnummer"), transaction.vorgangsnummer); !given) return given;
  const bool code = transaction.antwort_code.has_value();
  for (const auto& [field, text, read] :
       {std::tuple{"transaktionsgrund", &transaction.transaktionsgrund, true},
        std::tuple{"transaktionsgrund_ergaenzung", &transaction.transaktionsgrund_ergaenzung, true},
        std::tuple{"antwort_code", &transaction.antwort_code, true},
        std::tuple{"antwort_ebd", &transaction.antwort_ebd, code},
        std::tuple{"antwort_dritter", &transaction.antwort_dritter, true},
        std::tuple{"bilanzkreis", &transaction.bilanzkreis, true}}) {
    if (!read || !*text) continue;
    if (auto given = refuse_empty(named(field), **text); !given) return given;
  }
  for (const auto& [field, pairs, first, second] :
       {std::tuple{"dates", &transaction.dates, "qualifier", "value"},
        std::tuple{"references", &transaction.references, "qualifier", "value"},
        std::tuple{"locations", &transaction.locations, "Lokationstyp", "ID"},
        std::tuple{"customers", &transaction.customers, "party qualifier", "ID"},
        std::tuple{"free_texts", &transaction.free_texts, "text function", "text"}}) {
    if (auto given = refuse_empty_pairs(named(field), *pairs, first, second); !given) return given;
  }
  return {};
}

py::Status refuse_empty_fields(const Positionsfehler& position, std::string_view item) {
  const auto named = [item](std::string_view field) { return fmt::format("{}.{}", item, field); };
  if (auto given = refuse_empty_pairs(named("gruende"), position.gruende, "Antwortcode", "EBD"); !given) return given;
  if (position.erlaeuterung) return refuse_empty(named("erlaeuterung"), *position.erlaeuterung);
  return {};
}

namespace {

template <const auto& Definition, class Value>
py::Status add_without(std::vector<std::pair<std::string, py::Object>>& copies, std::string label, Value copy) {
  auto instance = py::new_instance<Definition>(std::move(copy));
  if (!instance) return py::propagate(instance);
  copies.emplace_back(std::move(label), std::move(*instance));
  return {};
}

template <const auto& Definition, class Value, class Field>
py::Status add_without_optional(std::vector<std::pair<std::string, py::Object>>& copies, const Value& value,
                                std::string_view name, Field field) {
  if (!(value.*field)) return {};
  Value copy = value;
  copy.*field = std::nullopt;
  return add_without<Definition>(copies, std::string(name), std::move(copy));
}

template <const auto& Definition, class Value>
py::Status add_without_items(std::vector<std::pair<std::string, py::Object>>& copies, const Value& value,
                             std::string_view name, StringPairs Value::*field) {
  for (std::size_t at = 0; at < (value.*field).size(); ++at) {
    Value copy = value;
    (copy.*field).erase((copy.*field).begin() + static_cast<std::ptrdiff_t>(at));
    if (auto added = add_without<Definition>(copies, fmt::format("{}[{}]", name, at), std::move(copy)); !added) {
      return added;
    }
  }
  return {};
}

}  // namespace

py::Expected<std::vector<std::pair<std::string, py::Object>>> without_each_value(PyObject* object) {
  std::vector<std::pair<std::string, py::Object>> copies;
  const auto type = reinterpret_cast<PyObject*>(Py_TYPE(object));
  if (type == reinterpret_cast<PyObject*>(py::type_object<utilmd_transaction_class>())) {
    auto value = utilmd_transaction_of(object);
    if (!value) return py::propagate(value);
    for (auto [name, field] : {std::pair{"transaktionsgrund", &T::transaktionsgrund},
                               std::pair{"transaktionsgrund_ergaenzung", &T::transaktionsgrund_ergaenzung},
                               std::pair{"antwort_code", &T::antwort_code}, std::pair{"antwort_ebd", &T::antwort_ebd},
                               std::pair{"antwort_dritter", &T::antwort_dritter},
                               std::pair{"bilanzkreis", &T::bilanzkreis}}) {
      if (auto added = add_without_optional<utilmd_transaction_class>(copies, *value, name, field); !added) {
        return py::propagate(added);
      }
    }
    for (auto [name, field] : {std::pair{"dates", &T::dates}, std::pair{"references", &T::references},
                               std::pair{"locations", &T::locations}, std::pair{"customers", &T::customers},
                               std::pair{"free_texts", &T::free_texts}}) {
      if (auto added = add_without_items<utilmd_transaction_class>(copies, *value, name, field); !added) {
        return py::propagate(added);
      }
    }
  } else if (type == reinterpret_cast<PyObject*>(py::type_object<positionsfehler_class>())) {
    auto value = positionsfehler_of(object);
    if (!value) return py::propagate(value);
    if (auto added = add_without_optional<positionsfehler_class>(copies, *value, "erlaeuterung", &P::erlaeuterung);
        !added) {
      return py::propagate(added);
    }
    if (auto added = add_without_items<positionsfehler_class>(copies, *value, "gruende", &P::gruende); !added) {
      return py::propagate(added);
    }
  }
  return copies;
}

py::Expected<std::vector<std::pair<std::string, std::string>>> required_texts(PyObject* object) {
  std::vector<std::pair<std::string, std::string>> texts;
  const auto type = reinterpret_cast<PyObject*>(Py_TYPE(object));
  if (type == reinterpret_cast<PyObject*>(py::type_object<utilmd_transaction_class>())) {
    auto value = utilmd_transaction_of(object);
    if (!value) return py::propagate(value);
    texts.emplace_back("vorgangsnummer", std::move(value->vorgangsnummer));
  } else if (type == reinterpret_cast<PyObject*>(py::type_object<positionsfehler_class>())) {
    auto value = positionsfehler_of(object);
    if (!value) return py::propagate(value);
    texts.emplace_back("positionsnummer", std::to_string(value->positionsnummer));
  }
  return texts;
}

int add_utilmd_transaction_class(PyObject* module) { return py::add_class<utilmd_transaction_class>(module); }
int add_positionsfehler_class(PyObject* module) { return py::add_class<positionsfehler_class>(module); }

}  // namespace quorvane_native::edifact
