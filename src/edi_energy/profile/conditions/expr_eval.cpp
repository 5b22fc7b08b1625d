// Evaluation of a condition tree. Conjunctions evaluate every child, because callers observe the
// callback (the generator records what it was asked); alternatives that are only Hinweise are
// dropped, and alternatives must be all conditioned or all unconditioned.
#include <algorithm>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/expr.hpp"
#include "edi_energy/profile/conditions/paket.hpp"

namespace edi_energy::profile::conditions {
namespace {

bool is_hinweis_number(std::string_view reference) {
  if (reference.starts_with("UB") || reference.find('P') != std::string_view::npos) return false;
  const std::optional<std::uint32_t> number = reference_number(reference);
  return number && *number >= 500 && *number <= 899;
}

// A Voraussetzung or a Paket reference: what makes an alternative depend on the message.
bool is_conditioning(std::string_view reference) {
  if (reference.starts_with("UB")) return false;
  if (reference.find('P') != std::string_view::npos) return true;
  const std::optional<std::uint32_t> number = reference_number(reference);
  return number && *number >= 1 && *number <= 499;
}

// What a conjunction of the values seen so far gives.
struct Conjunction {
  bool any_false = false;
  bool any_undecided = false;
  bool all_neutral = true;

  void add(Truth value) {
    any_false = any_false || value == Truth::False;
    any_undecided = any_undecided || value == Truth::Undecided;
    all_neutral = all_neutral && value == Truth::Neutral;
  }

  Truth result() const {
    if (any_false) return Truth::False;
    if (any_undecided) return Truth::Undecided;
    return all_neutral ? Truth::Neutral : Truth::True;
  }
};

// The non-Neutral values of the alternatives of one OR or XOR node, in order.
std::expected<std::vector<Truth>, EvalError> choice_values(const std::vector<Expr>& alternatives,
                                                           const Callback& callback) {
  std::vector<const Expr*> kept;
  std::size_t conditioned = 0;
  std::vector<std::string_view> references;
  for (const Expr& alternative : alternatives) {
    references.clear();
    alternative.collect(references);
    if (std::all_of(references.begin(), references.end(), is_hinweis_number)) continue;
    kept.push_back(&alternative);
    if (std::any_of(references.begin(), references.end(), is_conditioning)) ++conditioned;
  }
  if (conditioned != 0 && conditioned != kept.size()) {
    return std::unexpected(EvalError::mixed_alternatives());
  }
  std::vector<Truth> values;
  for (const Expr* alternative : kept) {
    TruthResult value = alternative->eval(callback);
    if (!value) return std::unexpected(value.error());
    if (*value != Truth::Neutral) values.push_back(*value);
  }
  return values;
}

}  // namespace

TruthResult Expr::eval(const Callback& callback) const {
  switch (kind) {
    case Kind::Ref: return callback(text);
    case Kind::Juxt:
    case Kind::And: {
      Conjunction conjunction;
      for (const Expr& child : children) {
        TruthResult value = child.eval(callback);
        if (!value) return value;
        conjunction.add(*value);
      }
      return conjunction.result();
    }
    case Kind::Or:
    case Kind::Xor: break;
  }
  auto values = choice_values(children, callback);
  if (!values) return std::unexpected(values.error());
  if (values->empty()) return Truth::Neutral;
  const auto count = [&](Truth t) { return std::count(values->begin(), values->end(), t); };
  if (kind == Kind::Or) {
    if (count(Truth::True) > 0) return Truth::True;
    return count(Truth::Undecided) > 0 ? Truth::Undecided : Truth::False;
  }
  // Two true alternatives break the exclusive choice whatever the undecided ones turn out to be.
  if (count(Truth::True) > 1) return Truth::False;
  if (count(Truth::Undecided) > 0) return Truth::Undecided;
  return count(Truth::True) == 1 ? Truth::True : Truth::False;
}

void Expr::collect(std::vector<std::string_view>& references) const {
  if (kind == Kind::Ref) {
    references.push_back(text);
    return;
  }
  for (const Expr& child : children) child.collect(references);
}

std::vector<Paket> Expr::pakete() const {
  std::vector<std::string_view> references;
  collect(references);
  std::vector<Paket> found;
  for (std::string_view reference : references) {
    if (kind_of(reference) != ConditionKind::Paket) continue;
    if (auto paket = Paket::parse(reference)) found.push_back(std::move(*paket));
  }
  return found;
}

}  // namespace edi_energy::profile::conditions
