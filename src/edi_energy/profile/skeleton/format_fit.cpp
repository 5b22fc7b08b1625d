#include "edi_energy/profile/skeleton/format_fit.hpp"

#include <algorithm>
#include <variant>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"
#include "edi_energy/profile/skeleton/mandatory.hpp"

namespace edi_energy::profile::skeleton {
namespace {

using conditions::Truth;

bool listed(std::string_view value, std::span<const std::string> values, bool suffix) {
  return std::ranges::any_of(values, [&](const std::string& wanted) {
    return suffix ? value.size() >= 2 && value.ends_with(wanted) : value == wanted;
  });
}

}  // namespace

void fit_formats_in_segment(const Profile& profile, const model::SegmentNode& node,
                            std::span<const model::ElementRule* const> rules, std::span<const Leaf> leaves,
                            TextTable& table, const formatbedingung::Decide& elsewhere) {
  // A Voraussetzung about this very segment is decided on its table, one about the rest of the
  // message where what was written settles it. The others may hold (`sure` false) or are taken as
  // false (`sure` true), so that a sample also meets the alternatives that surely apply: beside
  // "Wenn IMD++Z35 vorhanden" a LOC asks a Marktlokations-ID, whatever a Zählpunkt might meet.
  const auto decide_in = [&](bool sure) -> formatbedingung::Decide {
    return [&, sure](std::string_view reference) {
      if (conditions::kind_of(reference) != conditions::ConditionKind::Voraussetzung) return Truth::Neutral;
      const auto read = profile.read_conditions().find(reference);
      if (read == profile.read_conditions().end() || !read->second.voraussetzung) return Truth::Neutral;
      if (read->second.own_tag != node.tag) {
        const Truth settled = elsewhere(reference);
        if (settled == Truth::True || settled == Truth::False) return settled;
        return sure ? Truth::False : Truth::Neutral;
      }
      const auto* value = std::get_if<conditions::Voraussetzung::DeValue>(&read->second.voraussetzung->shape);
      if (value == nullptr || value->tag != node.tag) return Truth::Neutral;
      const std::string* standing = text_at(leaves, table, value->de, 0);
      const bool holds = standing != nullptr && listed(*standing, value->values, value->suffix);
      return holds != value->negated ? Truth::True : Truth::False;
    };
  };
  const formatbedingung::Decide may_hold = decide_in(false);
  const formatbedingung::Decide surely_holds = decide_in(true);
  for (const model::ElementRule* rule : rules) {
    std::vector<conditions::Expr> exprs;
    for (const model::Operand& operand : rule->operands) {
      if (operand.code) continue;
      auto status = conditions::Status::parse(operand.operand);
      if (status && is_mandatory_level(status->level) && status->condition) exprs.push_back(std::move(*status->condition));
    }
    if (exprs.empty()) continue;
    std::string* value = text_at(leaves, table, rule->de, rule->occurrence);
    if (value == nullptr || value->empty()) continue;
    const auto rejected = [&](std::string_view candidate) {
      std::vector<formatbedingung::Finding> findings;
      return std::ranges::any_of(exprs, [&](const conditions::Expr& expr) {
        return formatbedingung::fold_in_context(expr, candidate, may_hold, findings) == Truth::False ||
               formatbedingung::fold_in_context(expr, candidate, surely_holds, findings) == Truth::False;
      });
    };
    if (!rejected(*value)) continue;
    for (const conditions::Expr& expr : exprs) {
      std::vector<std::string_view> references;
      expr.collect(references);
      const auto fitting = std::ranges::find_if(references, [&](std::string_view reference) {
        const auto example = formatbedingung::example(reference);
        return example && !rejected(*example);
      });
      if (fitting != references.end()) {
        *value = std::string(*formatbedingung::example(*fitting));
        break;
      }
    }
  }
}

}  // namespace edi_energy::profile::skeleton
