// Fuzzes condition expressions: any text parses to a tree or an error; a tree written back as
// text parses to the same tree; evaluation and the fold over Formatbedingungen finish on any
// tree, and the input doubles as a value for every Formatbedingung and as a status cell.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "edi_energy/profile/conditions/expr.hpp"
#include "edi_energy/profile/conditions/paket.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
namespace fb = edi_energy::profile::formatbedingung;
using conditions::Expr;
using conditions::Truth;

void require(bool holds) {
  if (!holds) std::abort();
}

std::string write(const Expr& expr) {
  if (expr.kind == Expr::Kind::Ref) return "[" + expr.text + "]";
  std::string_view separator = " ";
  if (expr.kind == Expr::Kind::And) separator = " \u2227 ";
  if (expr.kind == Expr::Kind::Or) separator = " \u2228 ";
  if (expr.kind == Expr::Kind::Xor) separator = " \u22BB ";
  std::string out = "(";
  for (std::size_t i = 0; i < expr.children.size(); ++i) {
    if (i) out += separator;
    out += write(expr.children[i]);
  }
  return out + ")";
}

// Deterministic answers that cover all four values and one error.
conditions::TruthResult answer(std::string_view reference) {
  const std::size_t mix = reference.size() + (reference.empty() ? 0 : static_cast<unsigned char>(reference[0]));
  if (mix % 7 == 6) return std::unexpected(conditions::EvalError::paket_cycle(std::string(reference)));
  return static_cast<Truth>(mix % 4);
}

constexpr std::string_view known_ids[] = {
    "902", "903", "904", "905", "906", "907", "908", "909", "910", "912", "913", "914", "915", "917",
    "918", "922", "925", "926", "927", "929", "930", "931", "932", "933", "934", "935", "937", "938",
    "939", "940", "942", "943", "946", "947", "948", "949", "950", "951", "953", "955", "957", "959",
    "960", "961", "962", "963", "964", "965", "968", "969", "UB1", "UB2", "UB3",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::string_view id : known_ids) {
    const fb::Verdict verdict = fb::evaluate(id, text);
    require(verdict.kind != fb::Verdict::Kind::Unknown);
    require((verdict.kind == fb::Verdict::Kind::Violated) == !verdict.text.empty());
  }
  (void)conditions::Status::parse(text);
  (void)conditions::Paket::parse(text);

  auto expr = Expr::parse(text);
  if (!expr) return 0;
  auto again = Expr::parse(write(*expr));
  require(again.has_value() && *again == *expr);

  std::vector<std::string_view> references;
  expr->collect(references);
  require(!references.empty());
  std::size_t asked = 0;
  const auto counting = [&](std::string_view reference) {
    ++asked;
    return answer(reference);
  };
  (void)expr->eval(counting);
  require(asked <= references.size());
  (void)expr->pakete();

  std::vector<fb::Finding> findings;
  const Truth folded = fb::fold(*expr, text, findings);
  require(folded != Truth::Neutral);
  const std::vector<fb::Finding> violations = fb::violations(*expr, text);
  require(violations.empty() || (folded == Truth::False && violations == findings));
  return 0;
}
