#include <algorithm>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"

namespace edi_energy::profile::formatbedingung {

using conditions::ConditionKind;
using conditions::Expr;
using conditions::Truth;

Truth fold(const Expr& expr, std::string_view value, std::vector<Finding>& findings) {
  if (expr.kind == Expr::Kind::Ref) {
    const ConditionKind kind = conditions::kind_of(expr.text);
    // Voraussetzungen, Hinweise and Pakete say nothing about the value's shape.
    if (kind != ConditionKind::Formatbedingung && kind != ConditionKind::Unterbedingung) return Truth::True;
    Verdict verdict = evaluate(expr.text, value);
    switch (verdict.kind) {
      case Verdict::Kind::Holds: return Truth::True;
      case Verdict::Kind::Unknown: return Truth::Undecided;
      case Verdict::Kind::Violated: break;
    }
    findings.emplace_back(expr.text, std::move(verdict.text));
    return Truth::False;
  }
  std::vector<Truth> values;
  values.reserve(expr.children.size());
  for (const Expr& child : expr.children) values.push_back(fold(child, value, findings));
  const auto has = [&](Truth t) { return std::find(values.begin(), values.end(), t) != values.end(); };
  const bool conjunction = expr.kind == Expr::Kind::Juxt || expr.kind == Expr::Kind::And;
  const Truth decisive = conjunction ? Truth::False : Truth::True;
  if (has(decisive)) return decisive;
  if (has(Truth::Undecided)) return Truth::Undecided;
  return conjunction ? Truth::True : Truth::False;
}

std::vector<Finding> violations(const Expr& expr, std::string_view value) {
  std::vector<Finding> findings;
  if (fold(expr, value, findings) == Truth::False) return findings;
  return {};
}

}  // namespace edi_energy::profile::formatbedingung
