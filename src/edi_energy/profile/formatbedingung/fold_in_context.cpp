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

// Neutral values say nothing, unless all are.
Truth both(Truth a, Truth b) {
  if (a == Truth::Neutral) return b;
  if (b == Truth::Neutral) return a;
  if (a == Truth::False || b == Truth::False) return Truth::False;
  if (a == Truth::Undecided || b == Truth::Undecided) return Truth::Undecided;
  return Truth::True;
}

Truth either(Truth a, Truth b) {
  if (a == Truth::Neutral) return b;
  if (b == Truth::Neutral) return a;
  if (a == Truth::True || b == Truth::True) return Truth::True;
  if (a == Truth::Undecided || b == Truth::Undecided) return Truth::Undecided;
  return Truth::False;
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

  if (expr.kind == Expr::Kind::Juxt || expr.kind == Expr::Kind::And) {
    for (const Expr& child : expr.children) {
      Judged part = judge(child, value, decide);
      judged.applies = both(judged.applies, part.applies);
      judged.shape = both(judged.shape, part.shape);
      if (part.shape == Truth::False) take_broken(judged, part);
    }
    if (judged.shape != Truth::False) judged.broken.clear();
    return judged;
  }

  // OR and XOR alike: alternatives that do not apply are left out; the value passes when one
  // that may apply passes, and fails when it fails every one that may apply. An alternative
  // that names no Formatbedingung lets any value pass only where it surely applies: where it may
  // apply, its siblings still ask their formats.
  bool any_candidate = false;  // an alternative that may apply and names a Formatbedingung
  bool any_applies = false;
  bool passes = false;
  bool unknown_shape = false;
  std::vector<Judged> failing;
  for (const Expr& child : expr.children) {
    Judged part = judge(child, value, decide);
    if (part.applies == Truth::False) continue;
    any_applies = true;
    judged.applies = either(judged.applies, part.applies);
    if (part.shape == Truth::Neutral) {
      passes = passes || certain(part.applies);
      continue;
    }
    any_candidate = true;
    if (part.shape == Truth::True) passes = true;
    if (part.shape == Truth::Undecided) unknown_shape = true;
    if (part.shape == Truth::False && !passes) failing.push_back(std::move(part));
  }
  if (!any_applies) {
    judged.applies = Truth::False;
    return judged;
  }
  if (passes) {
    judged.shape = Truth::True;
    return judged;
  }
  if (!any_candidate) return judged;  // no format to ask of the value
  if (unknown_shape) {
    judged.shape = Truth::Undecided;
    return judged;
  }
  // What the value was meant to be: an identifier it misses only by its check character, else
  // the alternatives that surely apply, else all that may.
  judged.shape = Truth::False;
  const bool any_near = std::ranges::any_of(failing, &Judged::near);
  const bool any_certain = std::ranges::any_of(failing, [](const Judged& part) { return certain(part.applies); });
  for (Judged& part : failing) {
    const bool reported = any_near ? part.near : !any_certain || certain(part.applies);
    if (reported) take_broken(judged, part);
  }
  return judged;
}

}  // namespace

Truth fold_in_context(const Expr& expr, std::string_view value, const Decide& decide, std::vector<Finding>& findings) {
  // The common case, one Formatbedingung alone, without the tree's bookkeeping.
  if (expr.kind == Expr::Kind::Ref && (conditions::kind_of(expr.text) == ConditionKind::Formatbedingung ||
                                       conditions::kind_of(expr.text) == ConditionKind::Unterbedingung)) {
    Verdict verdict = evaluate(expr.text, value);
    if (verdict.kind == Verdict::Kind::Holds) return Truth::True;
    if (verdict.kind == Verdict::Kind::Unknown) return Truth::Undecided;
    findings.emplace_back(expr.text, std::move(verdict.text));
    return Truth::False;
  }
  Judged judged = judge(expr, value, decide);
  if (judged.applies == Truth::False) return Truth::True;
  if (judged.shape == Truth::False) {
    findings.insert(findings.end(), std::make_move_iterator(judged.broken.begin()),
                    std::make_move_iterator(judged.broken.end()));
    return Truth::False;
  }
  return judged.shape == Truth::Undecided ? Truth::Undecided : Truth::True;
}

}  // namespace edi_energy::profile::formatbedingung
