// The AHB condition language: references in brackets ("[931]", "[4P0..1]", "[UB1]") joined by
// juxtaposition and the operators ∧, ∨ and ⊻, with parentheses. `Expr` is the parsed tree;
// `eval` decides it through a caller's callback with four-valued truth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/profile/conditions/truth.hpp"

namespace edi_energy::profile::conditions {

struct Paket;

struct Expr {
  // Juxt (operands side by side) evaluates like And but is a node kind of its own: an operator
  // chain never extends it.
  enum class Kind : std::uint8_t { Ref, Juxt, And, Or, Xor };

  Kind kind = Kind::Ref;
  std::string text;             // Ref: the characters between the brackets, untrimmed
  std::vector<Expr> children;   // the other kinds: two or more, in written order

  static Expr ref(std::string text) { return Expr{Kind::Ref, std::move(text), {}}; }
  static Expr node(Kind kind, std::vector<Expr> children) { return Expr{kind, {}, std::move(children)}; }

  static std::expected<Expr, ExprError> parse(std::string_view text);

  // Every child is evaluated (no short-circuit), so the callback sees every reference of a
  // conjunction; alternatives are first filtered as `choice_values` describes.
  std::expected<Truth, EvalError> eval(const Callback& callback) const;

  // Appends every reference text, depth-first from the left, duplicates included.
  void collect(std::vector<std::string_view>& references) const;

  // The Paket references in `collect` order; unreadable ones are left out.
  std::vector<Paket> pakete() const;

  friend bool operator==(const Expr&, const Expr&) = default;
};

}  // namespace edi_energy::profile::conditions
