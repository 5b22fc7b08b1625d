// The Formatbedingungen of an expression judged together with the conditions beside them.
#include <algorithm>
#include <iterator>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"

namespace edi_energy::profile::formatbedingung {
namespace {

using conditions::ConditionKind;
using conditions::Expr;
using conditions::Truth;

// One node: whether it applies (its references that are no Formatbedingung; Neutral when it has
// none) and whether the value has its shape (Neutral when it has no Formatbedingung).
struct Judged {
  Truth applies = Truth::Neutral;
  Truth shape = Truth::Neutral;
  std::vector<Finding> broken;  // when `shape` is False
  bool near = false;            // some broken identifier misses only by its check character
};

bool has(const std::vector<Truth>& values, Truth wanted) {
  return std::ranges::find(values, wanted) != values.end();
}

// Neutral values say nothing, unless all are.
Truth all_of(const std::vector<Truth>& values) {
  if (has(values, Truth::False)) return Truth::False;
  if (has(values, Truth::Undecided)) return Truth::Undecided;
  return has(values, Truth::True) ? Truth::True : Truth::Neutral;
}

Truth any_of(const std::vector<Truth>& values) {
  if (has(values, Truth::True)) return Truth::True;
  if (has(values, Truth::Undecided)) return Truth::Undecided;
  return has(values, Truth::False) ? Truth::False : Truth::Neutral;
}

bool certain(Truth truth) { return truth == Truth::True || truth == Truth::Neutral; }

void take_broken(Judged& into, Judged& from) {
  into.broken.insert(into.broken.end(), std::make_move_iterator(from.broken.begin()),
                     std::make_move_iterator(from.broken.end()));
  into.near = into.near || from.near;
}

Judged judge(const Expr& expr, std::string_view value, const Decide& decide) {
  Judged judged;
  if (expr.kind == Expr::Kind::Ref) {
    const ConditionKind kind = conditions::kind_of(expr.text);
    if (kind != ConditionKind::Formatbedingung && kind != ConditionKind::Unterbedingung) {
      judged.applies = decide(expr.text);
      return judged;
    }
    Verdict verdict = evaluate(expr.text, value);
    switch (verdict.kind) {
      case Verdict::Kind::Holds: judged.shape = Truth::True; break;
      case Verdict::Kind::Unknown: judged.shape = Truth::Undecided; break;
      case Verdict::Kind::Violated:
        judged.shape = Truth::False;
        judged.near = misses_only_check_character(expr.text, value);
        judged.broken.emplace_back(expr.text, std::move(verdict.text));
        break;
    }
    return judged;
  }
  std::vector<Judged> children;
  children.reserve(expr.children.size());
  for (const Expr& child : expr.children) children.push_back(judge(child, value, decide));
  std::vector<Truth> applies;
  std::vector<Truth> shapes;

  if (expr.kind == Expr::Kind::Juxt || expr.kind == Expr::Kind::And) {
    for (Judged& child : children) {
      applies.push_back(child.applies);
      shapes.push_back(child.shape);
      if (child.shape == Truth::False) take_broken(judged, child);
    }
    judged.applies = all_of(applies);
    judged.shape = all_of(shapes);
    if (judged.shape != Truth::False) judged.broken.clear();
    return judged;
  }

  // OR and XOR alike: alternatives that do not apply are left out.
  std::vector<Judged*> candidates;
  for (Judged& child : children) {
    if (child.applies == Truth::False) continue;
    candidates.push_back(&child);
    applies.push_back(child.applies);
    shapes.push_back(child.shape);
  }
  if (candidates.empty()) {
    judged.applies = Truth::False;
    return judged;
  }
  judged.applies = any_of(applies);
  if (has(shapes, Truth::True) || has(shapes, Truth::Neutral)) {
    judged.shape = Truth::True;
    return judged;
  }
  std::vector<Judged*> failing;
  for (Judged* candidate : candidates) {
    if (candidate->shape == Truth::False && certain(candidate->applies)) failing.push_back(candidate);
  }
  // Every alternative that may apply fails; certain only when one of them surely applies, and
  // only those are reported.
  if (has(shapes, Truth::Undecided) || failing.empty()) {
    judged.shape = Truth::Undecided;
    return judged;
  }
  judged.shape = Truth::False;
  const bool any_near = std::ranges::any_of(failing, [](const Judged* candidate) { return candidate->near; });
  for (Judged* candidate : failing) {
    if (!any_near || candidate->near) take_broken(judged, *candidate);
  }
  return judged;
}

}  // namespace

Truth fold_in_context(const Expr& expr, std::string_view value, const Decide& decide, std::vector<Finding>& findings) {
  Judged judged = judge(expr, value, decide);
  if (judged.applies == Truth::False) return Truth::True;
  if (judged.shape == Truth::False) {
    if (!certain(judged.applies)) return Truth::Undecided;
    findings.insert(findings.end(), std::make_move_iterator(judged.broken.begin()),
                    std::make_move_iterator(judged.broken.end()));
    return Truth::False;
  }
  return judged.shape == Truth::Undecided ? Truth::Undecided : Truth::True;
}

}  // namespace edi_energy::profile::formatbedingung
