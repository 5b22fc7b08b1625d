// The Formatbedingungen of the AHB documents (900 to 999 and "UB1" to "UB3"): which shape each
// asks of a value, the example value the generator writes, and the fold of a condition
// expression over the Formatbedingungen it references.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/profile/conditions/expr.hpp"
#include "edi_energy/profile/formatbedingung/verdict.hpp"

namespace edi_energy::profile::formatbedingung {

// `id` as it stands between the brackets ("931", "UB1").
Verdict evaluate(std::string_view id, std::string_view value);

// A value that satisfies the Formatbedingung `id`; nothing for an unknown id.
std::optional<std::string_view> example(std::string_view id);

// A broken Formatbedingung: its reference text and what is wrong.
using Finding = std::pair<std::string, std::string>;

// True, False or Undecided (an unknown Formatbedingung); references of other kinds hold. Every
// child is folded, so `findings` receives every broken Formatbedingung of the tree, also those
// of an alternative that another alternative made good.
conditions::Truth fold(const conditions::Expr& expr, std::string_view value, std::vector<Finding>& findings);

// The broken Formatbedingungen when the expression as a whole is broken, else none.
std::vector<Finding> violations(const conditions::Expr& expr, std::string_view value);

// The truth of a reference that is no Formatbedingung (a Voraussetzung, Hinweis or Paket).
using Decide = std::function<conditions::Truth(std::string_view reference)>;

// The Formatbedingungen of an expression judged where they may apply. An alternative whose other
// references are false says nothing about the value; the value passes an OR or XOR when one
// alternative that may apply passes, and fails it when it fails every one (an alternative without
// Formatbedingung lets it pass only where that alternative surely applies). False, with the broken
// Formatbedingungen of the alternatives that surely apply (of those that may, where none surely
// does); where several fail, those the value misses only by its check character are reported
// alone (an 11-digit number is meant as a Marktlokations-ID, not a Zählpunktbezeichnung). True
// when every one that may apply holds or none applies; Undecided where an unknown Formatbedingung
// leaves the answer open.
conditions::Truth fold_in_context(const conditions::Expr& expr, std::string_view value, const Decide& decide,
                                  std::vector<Finding>& findings);

// Whether `value` has the length and characters of the identifier that Formatbedingung `id`
// asks for and misses it only by its check character.
bool misses_only_check_character(std::string_view id, std::string_view value);

}  // namespace edi_energy::profile::formatbedingung
