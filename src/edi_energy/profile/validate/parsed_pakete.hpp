// The Paket expressions of an AHB, trimmed and parsed: what the condition context evaluates a
// Paket reference with.
#pragma once

#include <expected>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "edi_energy/profile/conditions/expr.hpp"
#include "edi_energy/profile/conditions/number_order.hpp"
#include "edi_energy/profile/model.hpp"

namespace edi_energy::profile::validate {

// A Paket's expression: absent for an empty text, else parsed or the reason it did not parse.
using PaketExpr = std::optional<std::expected<conditions::Expr, conditions::ExprError>>;
using ParsedPakete = std::map<std::string, PaketExpr, conditions::NumberOrder>;

// Every Paket expression of the AHB, trimmed and parsed.
ParsedPakete parse_pakete(const model::TextMap& packages);

}  // namespace edi_energy::profile::validate
