// Four-valued truth of a condition, its evaluation error, and the borrowed callback through
// which a caller decides single references.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "edi_energy/profile/conditions/expr_error.hpp"

namespace edi_energy::profile::conditions {

// Neutral: the reference says nothing about the message (a Hinweis, a Formatbedingung, an
// unconditioned status); the combinators ignore it unless every operand is Neutral.
enum class Truth : std::uint8_t { True, False, Undecided, Neutral };

struct EvalError {
  enum class Kind : std::uint8_t { MixedAlternatives, PaketCycle, PaketExpr };

  Kind kind = Kind::MixedAlternatives;
  std::string paket;  // PaketCycle, PaketExpr: the Paket name ("14P")
  ExprError expr_error{};  // PaketExpr: why the Paket's expression did not parse

  static EvalError mixed_alternatives() { return EvalError{Kind::MixedAlternatives, {}, {}}; }
  static EvalError paket_cycle(std::string paket) { return EvalError{Kind::PaketCycle, std::move(paket), {}}; }
  static EvalError paket_expr(std::string paket, ExprError error) {
    return EvalError{Kind::PaketExpr, std::move(paket), error};
  }

  friend bool operator==(const EvalError&, const EvalError&) = default;
};

using TruthResult = std::expected<Truth, EvalError>;

// A non-owning reference to the caller's decision function for one reference text; the
// function object must outlive the call it is handed to.
class Callback {
 public:
  template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, Callback> &&
             std::is_invocable_r_v<TruthResult, const F&, std::string_view>)
  Callback(const F& function)  // NOLINT: implicit, so that a lambda can be handed over directly
      : object_(&function), call_([](const void* object, std::string_view reference) -> TruthResult {
          return (*static_cast<const F*>(object))(reference);
        }) {}

  TruthResult operator()(std::string_view reference) const { return call_(object_, reference); }

 private:
  const void* object_;
  TruthResult (*call_)(const void*, std::string_view);
};

}  // namespace edi_energy::profile::conditions
