// Data elements of every placed segment against the element rules of the column: required
// values, admitted codes, Formatbedingungen, and values the column does not know.
#include <algorithm>
#include <span>
#include <type_traits>
#include <variant>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/conditions/paket.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"
#include "edi_energy/profile/validate/ahb_run.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::profile::validate {
namespace {

using conditions::Truth;
using edifact::report::Severity;
using edifact::report::ValidationIssue;

// The positions of one segment definition that element rules address: a flag per element and
// component, reused from segment to segment.
class Covered {
 public:
  void reset(const model::SegmentNode& definition) {
    width_ = 1;
    for (const model::Element& element : definition.elements) width_ = std::max(width_, element.components.size());
    flags_.assign(definition.elements.size() * width_, false);
  }
  // Positions come from the same definition, so they always lie inside.
  void insert(Position p) { flags_[p.element * width_ + p.component] = true; }
  bool contains(Position p) const { return flags_[p.element * width_ + p.component]; }

 private:
  std::vector<bool> flags_;
  std::size_t width_ = 1;
};

// What the operands of one rule make of an element.
struct Verdicts {
  bool required = false;
  bool code_check = false;
  std::vector<std::string_view> admitted;
  // Set when the MIG's code list stands in for `admitted`, which then stays empty.
  const std::vector<model::Code>* mig_codes = nullptr;

  bool none_admitted() const { return mig_codes == nullptr ? admitted.empty() : mig_codes->empty(); }
  std::string admitted_text() const {
    if (mig_codes == nullptr) return fmt::format("{}", fmt::join(admitted, ", "));
    std::vector<std::string_view> codes;
    for (const model::Code& code : *mig_codes) codes.emplace_back(code.code);
    return fmt::format("{}", fmt::join(codes, ", "));
  }
};

struct SegmentAt {
  std::size_t index;
  const model::SegmentNode& definition;
  structure::InstanceIndex scope;
  structure::NodeIndex node;

  OwnSegment own() const { return {definition.tag, index}; }
};

ValidationIssue finished(ValidationIssue issue, const AhbRun& run, const SegmentAt& at, std::string_view de,
                         Position position) {
  return std::move(issue)
      .with_context_entry("pid", run.label)
      .with_context_entry("nr", at.definition.nr)
      .with_context_entry("de", std::string(de))
      .with_segment(at.definition.tag)
      .with_segment_index(at.index)
      .with_element(position.element)
      .with_component(position.component);
}

void read_operands(const AhbRun& run, std::size_t rule_index, const model::Element& element, const SegmentAt& where,
                   Verdicts& verdicts) {
  const model::ElementRule& rule = run.column.anwendungsfall().elements[rule_index];
  const auto& cells = run.column.operands(rule_index);
  verdicts.required = false;
  verdicts.code_check = false;
  verdicts.admitted.clear();
  verdicts.mig_codes = nullptr;
  for (std::size_t at = 0; at < cells.size(); ++at) {
    const model::Operand& operand = rule.operands[at];
    if (operand.code) verdicts.code_check = true;
    if (!cells[at].status) {
      if (operand.code) verdicts.admitted.emplace_back(*operand.code);
      continue;
    }
    const conditions::Status& status = *cells[at].status;
    const Truth truth = condition_truth(run.ctx, status.condition, where.scope, where.own());
    const bool mandatory = is_mandatory(status.level);
    if (mandatory && holds(truth) && (!operand.code || !cells[at].references_paket)) {
      verdicts.required = true;
    }
    if (operand.code && (!mandatory || truth != Truth::False)) verdicts.admitted.emplace_back(*operand.code);
  }
  if (!verdicts.code_check && element.is_code_list()) {
    verdicts.code_check = true;
    verdicts.mig_codes = &element.codes;
  }
}

// The verdicts below ask only for the conditions that can change their answer, and stop at
// the first that settles it; `read_operands` evaluates every condition, for the texts of
// findings. Evaluation has no effects, so both give the same answers.

// Whether an empty value is a finding: some mandatory operand whose condition holds.
bool required(const AhbRun& run, std::size_t rule_index, const SegmentAt& where) {
  const model::ElementRule& rule = run.column.anwendungsfall().elements[rule_index];
  const auto& cells = run.column.operands(rule_index);
  for (std::size_t at = 0; at < cells.size(); ++at) {
    const auto& status = cells[at].status;
    if (!status || !is_mandatory(status->level)) continue;
    if (rule.operands[at].code && cells[at].references_paket) continue;
    if (holds(condition_truth(run.ctx, status->condition, where.scope, where.own()))) return true;
  }
  return false;
}

// Whether the operands carry codes at all, else whether the MIG's code list stands in.
bool code_check(const model::ElementRule& rule, const model::Element& element) {
  return std::ranges::any_of(rule.operands, [](const model::Operand& operand) { return operand.code.has_value(); }) ||
         element.is_code_list();
}

// Whether a non-empty value is admitted, given that the code check applies.
bool admitted(const AhbRun& run, std::size_t rule_index, const model::Element& element, std::string_view value,
              const SegmentAt& where) {
  const model::ElementRule& rule = run.column.anwendungsfall().elements[rule_index];
  const auto& cells = run.column.operands(rule_index);
  const auto admits = [&](std::size_t at) {
    const auto& status = cells[at].status;
    return !status || !is_mandatory(status->level) ||
           condition_truth(run.ctx, status->condition, where.scope, where.own()) != Truth::False;
  };
  bool coded = false;
  bool value_line = false;
  for (std::size_t at = 0; at < cells.size(); ++at) {
    const auto& code = rule.operands[at].code;
    if (!code) {
      value_line = true;
      continue;
    }
    coded = true;
    if (*code == value && admits(at)) return true;
  }
  if (!coded) return std::ranges::any_of(element.codes, [&](const model::Code& code) { return code.code == value; });
  // A value line beside the codes is their status line; only where the MIG names its codes as
  // mere examples (codes from decision trees) does it admit any value while it applies.
  const bool open_in_mig = !element.codes.empty() && !element.is_code_list();
  if (!value_line || !open_in_mig) return false;
  for (std::size_t at = 0; at < cells.size(); ++at) {
    if (!rule.operands[at].code && admits(at)) return true;
  }
  return false;
}

void check_formats(AhbRun& run, const SegmentAt& at, std::size_t rule_index, const RuleTarget& target,
                   std::string_view value) {
  const model::ElementRule& rule = run.column.anwendungsfall().elements[rule_index];
  const auto& cells = run.column.operands(rule_index);
  // Most rules name no Formatbedingung: they need no decider and no list.
  if (std::ranges::none_of(cells, &ParsedOperand::names_format)) return;
  std::vector<formatbedingung::Finding> broken;
  const formatbedingung::Decide decide = [&](std::string_view reference) {
    // A Voraussetzung about "demselben COM" is asked of this segment alone.
    return run.ctx.decide_reference(reference, at.scope, at.own()).value_or(Truth::Undecided);
  };
  for (std::size_t k = 0; k < cells.size(); ++k) {
    const auto& status = cells[k].status;
    if (!cells[k].names_format || !is_mandatory(status->level)) continue;
    const auto& code = rule.operands[k].code;
    if (code && *code != value) continue;
    // Only a condition that surely does not apply spares the value its formats. An exclusive
    // choice is False also where several alternatives apply, so the fold decides that itself.
    if (condition_truth(run.ctx, status->condition, at.scope, at.own()) == Truth::False && !cells[k].exclusive) {
      continue;
    }
    formatbedingung::fold_in_context(*status->condition, value, decide, broken);
  }
  std::ranges::sort(broken);
  broken.erase(std::unique(broken.begin(), broken.end()), broken.end());
  for (const auto& [reference, text] : broken) {
    run.findings.push_back(finished(
        ValidationIssue(Severity::Error, fmt::format("{} (Nr {}): DE {} „{}“ {} — Formatbedingung [{}] of {}",
                                                     at.definition.tag, at.definition.nr, rule.de,
                                                     target.element->name, text, reference, run.label))
            .with_rule_id(fmt::format("FMT-{}-{}-{}-{}-{}", run.label, at.definition.nr, at.definition.tag, rule.de,
                                      reference)),
        run, at, rule.de, target.position));
  }
}

void check_rule(AhbRun& run, const SegmentAt& at, std::size_t nth, std::size_t rule_index, Covered* covered,
                Verdicts& verdicts) {
  const model::ElementRule& rule = run.column.anwendungsfall().elements[rule_index];
  const auto target = locate(run.column, at.node, nth, at.definition, rule);
  if (!target) return;
  if (covered != nullptr) covered->insert(target->position);
  const std::string_view value = text_at(run.segments[at.index], target->position).value_or(std::string_view{});
  const auto& tag = at.definition.tag;
  const auto& nr = at.definition.nr;
  const auto admitted_text = [&] { return verdicts.admitted_text(); };
  if (value.empty()) {
    if (!required(run, rule_index, at)) return;
    read_operands(run, rule_index, *target->element, at, verdicts);
    run.findings.push_back(finished(
        ValidationIssue(Severity::Error,
                        fmt::format("{} (Nr {}): DE {} „{}“ is required by the Prüfschablone of {} but empty{}", tag,
                                    nr, rule.de, target->element->name, run.label,
                                    verdicts.code_check ? " — admitted: " + admitted_text() : std::string()))
            .with_rule_id(fmt::format("AHB-{}-{}-{}-{}-MISSING", run.label, nr, tag, rule.de)),
        run, at, rule.de, target->position));
    return;
  }
  check_formats(run, at, rule_index, *target, value);
  if (code_check(rule, *target->element) && !admitted(run, rule_index, *target->element, value, at)) {
    read_operands(run, rule_index, *target->element, at, verdicts);
    run.findings.push_back(finished(
        ValidationIssue(Severity::Error, fmt::format("{} (Nr {}): DE {} „{}“ is {}; the Prüfschablone of {} admits {}",
                                                     tag, nr, rule.de, target->element->name,
                                                     support::debug_quote(value), run.label,
                                                     verdicts.none_admitted() ? "no code here" : admitted_text()))
            .with_rule_id(fmt::format("AHB-{}-{}-{}-{}-CODE", run.label, nr, tag, rule.de)),
        run, at, rule.de, target->position));
  }
}

// The MIG may repeat a data element within one composite (several name or street lines); the
// column's line for the data element covers the repeats after it.
bool covered_by_earlier_repeat(const model::Element& composite, Position position, const Covered& covered) {
  const std::string& id = composite.components[position.component].id;
  for (std::size_t j = 0; j < position.component; ++j) {
    if (composite.components[j].id == id && covered.contains(Position{position.element, j})) return true;
  }
  return false;
}

// Whether a condition of the segment's rules reads data element `de` of a segment tagged like
// it ("Wenn in diesem STS DE1131 = E_0286"): the column then expects a value there, though it
// has no line for the data element, and the conditions decide what the value means.
bool read_by_conditions(const AhbRun& run, std::span<const std::size_t> rules, std::string_view tag,
                        std::string_view de) {
  const conditions::ReadConditions& read = run.profile.read_conditions();
  const auto reads = [&](const conditions::Voraussetzung& reading) {
    return std::visit(
        [&]<typename Shape>(const Shape& shape) {
          if constexpr (std::is_same_v<Shape, conditions::Voraussetzung::DeValue>) {
            return shape.tag == tag && shape.de == de;
          } else if constexpr (std::is_same_v<Shape, conditions::Voraussetzung::DeShape>) {
            return shape.pattern.tag == tag && shape.de == de;
          } else {
            return false;
          }
        },
        reading.shape);
  };
  std::vector<std::string_view> references;
  for (const std::size_t rule : rules) {
    for (const ParsedOperand& operand : run.column.operands(rule)) {
      if (operand.status && operand.status->condition) operand.status->condition->collect(references);
    }
  }
  return std::ranges::any_of(references, [&](std::string_view reference) {
    const auto entry = read.find(reference);
    return entry != read.end() && entry->second.voraussetzung && reads(*entry->second.voraussetzung);
  });
}

void report_uncovered(AhbRun& run, const SegmentAt& at, const model::Element& element, Position position,
                      std::string_view value) {
  run.findings.push_back(finished(
      ValidationIssue(Severity::Error, fmt::format("{} (Nr {}): DE {} „{}“ carries {} but is not part of the "
                                                   "Prüfschablone of {}",
                                                   at.definition.tag, at.definition.nr, element.id, element.name,
                                                   support::debug_quote(value), run.label))
          .with_rule_id(fmt::format("AHB-{}-{}-{}-{}-NOT-PERMITTED", run.label, at.definition.nr, at.definition.tag,
                                    element.id)),
      run, at, element.id, position));
}

void check_uncovered(AhbRun& run, const SegmentAt& at, std::span<const std::size_t> rules, const Covered& covered) {
  // Past the segment's last element nothing carries a value.
  const std::size_t present = std::min(at.definition.elements.size(), run.segments[at.index].elements().size());
  if (run.column.prepared(at.node)) {
    for (const UncoveredSite& site : run.column.uncovered(at.node)) {
      if (site.element >= present) break;
      const Position position{site.element, site.component};
      const std::string_view value = text_at(run.segments[at.index], position).value_or(std::string_view{});
      if (value.empty() || read_by_conditions(run, rules, at.definition.tag, site.mig->id)) continue;
      report_uncovered(run, at, *site.mig, position, value);
    }
    return;
  }
  const auto check = [&](const model::Element& element, Position position, const model::Element* composite) {
    if (covered.contains(position) || element.status == "N") return;
    const auto value = text_at(run.segments[at.index], position);
    if (!value || value->empty()) return;
    if (composite != nullptr && covered_by_earlier_repeat(*composite, position, covered)) return;
    if (read_by_conditions(run, rules, at.definition.tag, element.id)) return;
    report_uncovered(run, at, element, position, *value);
  };
  for (std::size_t k = 0; k < present; ++k) {
    const model::Element& element = at.definition.elements[k];
    if (element.components.empty()) {
      check(element, Position{k, 0}, nullptr);
      continue;
    }
    for (std::size_t j = 0; j < element.components.size(); ++j) check(element.components[j], Position{k, j}, &element);
  }
}

}  // namespace

void element_rules(AhbRun& run) {
  Covered covered;
  Verdicts verdicts;
  for (std::size_t index = 0; index < run.segments.size(); ++index) {
    const auto& placement = run.resolution.placements[index];
    if (!placement) continue;
    const model::SegmentNode* definition = definition_of(run.structure, placement->node);
    if (definition == nullptr || run.column.segment_row(placement->node, definition->nr) == nullptr) continue;
    const SegmentAt at{index, *definition, placement->instance, placement->node};
    // A prepared node knows its uncovered positions; only the unprepared path marks them.
    const bool prepared = run.column.prepared(placement->node);
    if (!prepared) covered.reset(*definition);
    const auto rules = run.column.rules(placement->node, definition->nr);
    for (std::size_t nth = 0; nth < rules.size(); ++nth) {
      check_rule(run, at, nth, rules[nth], prepared ? nullptr : &covered, verdicts);
    }
    check_uncovered(run, at, rules, covered);
    // Most segments carry no answer code: their prepared node says so without a call.
    if (!run.column.prepared(placement->node) || !run.column.answer_sites(placement->node).empty()) {
      answer_codes(run, index, *definition, placement->instance, placement->node, rules);
    }
  }
}

}  // namespace edi_energy::profile::validate
