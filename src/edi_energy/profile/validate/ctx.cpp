#include "edi_energy/profile/validate/ctx.hpp"

#include <algorithm>
#include <limits>
#include <utility>
#include <variant>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/paket.hpp"
#include "edi_energy/profile/conditions/segment_access.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"
#include "edi_energy/profile/validate/column.hpp"
#include "edi_energy/profile/validate/own_variant.hpp"
#include "edi_energy/profile/validate/vorgang_reading.hpp"
#include "support/utf8.hpp"

namespace edi_energy::profile::validate {
namespace {

using conditions::Truth;
using conditions::TruthResult;

// Counts code points of any byte sequence: every byte that does not continue a sequence.
std::size_t character_count(std::string_view text) {
  return static_cast<std::size_t>(
      std::ranges::count_if(text, [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U; }));
}

bool passes(const conditions::ShapeCheck& check, std::string_view value) {
  switch (check.kind) {
    case conditions::ShapeCheck::Kind::Formatbedingung:
      return formatbedingung::evaluate(check.formatbedingung, value).kind == formatbedingung::Verdict::Kind::Holds;
    case conditions::ShapeCheck::Kind::Length: return character_count(value) == check.length;
    case conditions::ShapeCheck::Kind::Filled: return !value.empty();
  }
  return false;
}

bool matches_value(std::string_view value, std::span<const std::string> values, bool suffix) {
  if (suffix && value.size() < 2) return false;
  return std::ranges::any_of(values, [&](const std::string& wanted) {
    return suffix ? value.ends_with(wanted) : value == wanted;
  });
}

const std::optional<std::string>& group_of(const conditions::Voraussetzung& reading) {
  return std::visit([](const auto& shape) -> const std::optional<std::string>& { return shape.group; },
                    reading.shape);
}

}  // namespace

std::optional<Position> first_position(const model::SegmentNode& definition, std::string_view de) {
  for (std::size_t element = 0; element < definition.elements.size(); ++element) {
    const model::Element& mig_element = definition.elements[element];
    if (mig_element.id == de) return Position{element, 0};
    const auto& components = mig_element.components;
    for (std::size_t component = 0; component < components.size(); ++component) {
      if (components[component].id == de) return Position{element, component};
    }
  }
  return std::nullopt;
}

std::optional<std::string_view> Ctx::value_of(std::size_t segment, std::string_view de) const {
  const auto& placement = resolution_.placements[segment];
  if (!placement) return std::nullopt;
  const auto* node = structure_.nodes[placement->node].segment();
  if (node == nullptr || node->def >= structure_.segment_defs.size()) return std::nullopt;
  // A data element may stand in several composites of one segment (DE 1131 of STS in C601,
  // C555 and C556); a text that names it speaks of the one that carries a value.
  const model::SegmentNode& definition = structure_.segment_defs[node->def];
  const edifact::model::Segment& message_segment = segments_[segment];
  std::optional<Position> first;
  const auto filled = [&](Position position) -> std::optional<std::string_view> {
    if (!first) first = position;
    const auto text = text_at(message_segment, position);
    if (text && !text->empty()) return text;
    return std::nullopt;
  };
  for (std::size_t element = 0; element < definition.elements.size(); ++element) {
    const model::Element& mig_element = definition.elements[element];
    if (mig_element.id == de) {
      if (const auto text = filled(Position{element, 0})) return text;
    }
    for (std::size_t component = 0; component < mig_element.components.size(); ++component) {
      if (mig_element.components[component].id != de) continue;
      if (const auto text = filled(Position{element, component})) return text;
    }
  }
  if (!first) return std::nullopt;
  return text_at(message_segment, *first);
}

const structure::Instance* Ctx::enclosing(std::string_view group, Scope scope) const {
  for (std::optional<Scope> at = scope; at; at = resolution_.instances[*at].parent) {
    const structure::Instance& instance = resolution_.instances[*at];
    if (!instance.node) continue;
    const auto* node = structure_.nodes[*instance.node].group();
    if (node != nullptr && node->group == group) return &instance;
  }
  return nullptr;
}

std::optional<SegmentRange> Ctx::enclosing_instance(std::string_view group, Scope scope) const {
  const structure::Instance* instance = enclosing(group, scope);
  if (instance == nullptr) return std::nullopt;
  return SegmentRange{instance->start, instance->end};
}

SegmentRange Ctx::range_of_group(std::string_view group, Scope scope) const {
  return enclosing_instance(group, scope).value_or(SegmentRange{0, segments_.size()});
}

SegmentRange Ctx::range_of(const std::optional<std::string>& group, Scope scope) const {
  return group ? range_of_group(*group, scope) : SegmentRange{0, segments_.size()};
}

bool Ctx::carries_shape(SegmentRange range, const conditions::SegmentPattern& pattern, std::string_view de,
                        const conditions::ShapeCheck& check) const {
  for (std::size_t at = range.first; at < range.end; ++at) {
    if (!pattern.matches(segments_[at])) continue;
    const auto value = value_of(at, de);
    if (value && passes(check, *value)) return true;
  }
  return false;
}

bool Ctx::carries_value(SegmentRange range, std::string_view tag, std::string_view de,
                        std::span<const std::string> values, bool suffix) const {
  for (std::size_t at = range.first; at < range.end; ++at) {
    if (segments_[at].tag() != tag) continue;
    const auto value = value_of(at, de);
    if (value && matches_value(*value, values, suffix)) return true;
  }
  return false;
}

bool Ctx::carries_value(SegmentRange range, const conditions::Voraussetzung::DeValue& value) const {
  const bool qualified = !value.pattern.tag.empty();
  for (std::size_t at = range.first; at < range.end; ++at) {
    if (segments_[at].tag() != value.tag || (qualified && !value.pattern.matches(segments_[at]))) continue;
    const auto found = value_of(at, value.de);
    if (found && matches_value(*found, value.values, value.suffix)) return true;
  }
  return false;
}

std::optional<SegmentRange> Ctx::instance_around(const conditions::Voraussetzung& reading, Scope scope,
                                                 bool lasting) const {
  const std::optional<std::string>& group = group_of(reading);
  if (!group) {
    // Segments that only a Vorgang holds are asked of the row's own Vorgang: two Vorgänge of
    // one message are separate cases.
    // Read again at each call: a few tags looked up in a short sorted list cost less than a
    // cache would.
    const bool own_vorgang = reads_own_vorgang(structure_, reading);
    if (own_vorgang) {
      if (const auto around = enclosing_instance(structure_.vorgang_group, scope)) return around;
    }
    return SegmentRange{0, segments_.size()};
  }
  if (reading.reach == conditions::Reach::Around) return enclosing_instance(*group, scope);
  // A text that names the group the row stands in speaks of the row's own instance, unless it
  // names segments that only another variant of the group holds.
  const structure::Instance* instance = enclosing(*group, scope);
  if (instance == nullptr) return std::nullopt;
  const structure::NodeIndex node = *instance->node;
  bool own = false;
  if (lasting) {
    const auto [known, fresh] = variants_.try_emplace(Decided{&reading, node, 0}, false);
    if (fresh) known->second = speaks_of_variant(structure_, reading, node);
    own = known->second;
  } else {
    own = speaks_of_variant(structure_, reading, node);
  }
  if (!own) return std::nullopt;
  return SegmentRange{instance->start, instance->end};
}

std::optional<SegmentRange> Ctx::holding(std::string_view tag, Scope scope) const {
  for (std::optional<Scope> at = scope; at; at = resolution_.instances[*at].parent) {
    const structure::Instance& instance = resolution_.instances[*at];
    if (!instance.node) continue;
    const auto& children = structure_.nodes[*instance.node].children;
    if (std::ranges::any_of(children, [&](structure::NodeIndex child) {
          const auto* segment = structure_.nodes[child].segment();
          return segment != nullptr && segment->tag == tag;
        })) {
      return SegmentRange{instance.start, instance.end};
    }
  }
  return std::nullopt;
}

SegmentRange Ctx::shared_range(std::string_view group, Scope scope) const {
  const auto holders = structure_.group_holders.find(group);
  if (holders == structure_.group_holders.end()) return SegmentRange{0, segments_.size()};
  for (std::optional<Scope> at = scope; at; at = resolution_.instances[*at].parent) {
    const structure::Instance& instance = resolution_.instances[*at];
    if (instance.node && std::ranges::binary_search(holders->second, *instance.node)) {
      return SegmentRange{instance.start, instance.end};
    }
  }
  return SegmentRange{0, segments_.size()};
}

template <typename Visit>
void Ctx::each_instance(std::string_view group, SegmentRange range, Visit visit) const {
  // Instances stand in the order of their triggers: those within the range are one run.
  const auto& instances = resolution_.instances;
  auto at = std::ranges::partition_point(instances, [&](const structure::Instance& i) { return i.start < range.first; });
  for (; at != instances.end() && at->start < range.end; ++at) {
    const auto* node = at->node ? structure_.nodes[*at->node].group() : nullptr;
    if (node == nullptr || node->group != group || at->end > range.end) continue;
    if (!visit(SegmentRange{at->start, at->end})) return;
  }
}

template <typename Look>
Truth Ctx::decide_over(std::optional<SegmentRange> around, const std::optional<std::string>& group, bool negated,
                       Look look, Scope scope) const {
  // A text that denies a segment in "the same SG8 SEQ+Z59" says nothing about an instance that
  // is no SEQ+Z59 one.
  const auto verdict = [&](Found found) {
    if (negated && !found.companions) return Truth::Undecided;
    return (found.holds && found.companions) != negated ? Truth::True : Truth::False;
  };
  if (around) return verdict(look(*around));
  // The group the text names, wherever it stands: one of its instances must hold all it asks.
  Found any{false, false};
  bool instances = false;
  each_instance(*group, shared_range(*group, scope), [&](SegmentRange range) {
    instances = true;
    const Found found = look(range);
    any.companions = any.companions || found.companions;
    any.holds = found.holds && found.companions;
    return !any.holds;
  });
  // Without any instance, a text without companions simply finds nothing.
  if (!instances) any.companions = look(SegmentRange{0, 0}).companions;
  return verdict(any);
}

Truth Ctx::truth(const conditions::Voraussetzung& voraussetzung, Scope scope) const {
  return truth_over(voraussetzung, instance_around(voraussetzung, scope, false), scope);
}

Truth Ctx::truth_over(const conditions::Voraussetzung& voraussetzung, std::optional<SegmentRange> around,
                      Scope scope) const {
  using V = conditions::Voraussetzung;
  const auto within = [&](SegmentRange range) { return segments_.subspan(range.first, range.end - range.first); };
  const auto all_present = [&](const std::vector<conditions::SegmentPattern>& patterns, SegmentRange range) {
    return std::ranges::all_of(patterns, [&](const conditions::SegmentPattern& pattern) {
      return std::ranges::any_of(within(range), [&](const edifact::model::Segment& s) { return pattern.matches(s); });
    });
  };
  return std::visit(
      [&](const auto& shape) -> Truth {
        using Shape = std::decay_t<decltype(shape)>;
        if constexpr (std::is_same_v<Shape, V::Count>) {
          std::size_t count = 0;
          if (around) {
            count = conditions::count_matches(shape.pattern, within(*around));
          } else {
            each_instance(*shape.group, shared_range(*shape.group, scope), [&](SegmentRange range) {
              count += conditions::count_matches(shape.pattern, within(range));
              return true;
            });
          }
          const bool holds = count > shape.more_than && (!shape.at_most || count <= *shape.at_most);
          return holds ? Truth::True : Truth::False;
        } else {
          if constexpr (std::is_same_v<Shape, V::Present>) {
            if (!shape.codes.empty()) return Truth::Undecided;  // values not placed in their segment
          }
          const auto look = [&](SegmentRange range) {
            bool holds = false;
            if constexpr (std::is_same_v<Shape, V::Present>) {
              holds = shape.any ? std::ranges::any_of(shape.chain,
                                                      [&](const auto& pattern) {
                                                        return std::ranges::any_of(within(range), [&](const auto& s) {
                                                          return pattern.matches(s);
                                                        });
                                                      })
                                : conditions::matches_in_order(shape.chain, within(range));
            } else if constexpr (std::is_same_v<Shape, V::DeShape>) {
              holds = carries_shape(range, shape.pattern, shape.de, shape.check);
            } else {
              holds = carries_value(range, shape);
            }
            return Found{holds, all_present(shape.companions, range)};
          };
          return decide_over(around, shape.group, shape.negated, look, scope);
        }
      },
      voraussetzung.shape);
}

TruthResult Ctx::decide(std::string_view reference, Scope scope, OwnSegment own) const {
  switch (conditions::kind_of(reference)) {
    case conditions::ConditionKind::Voraussetzung: {
      const auto entry = conditions_.find(reference);
      if (entry == conditions_.end()) return Truth::Undecided;
      if (!entry->second.precondition) return Truth::Neutral;
      if (!entry->second.voraussetzung) return Truth::Undecided;
      const conditions::Voraussetzung& reading = *entry->second.voraussetzung;
      const std::string& own_tag = entry->second.own_tag;
      if (!own_tag.empty()) met_own_ = true;
      if (!own_tag.empty() && own_tag == own.tag) {
        // "In diesem STS": the very segment asked about, never another occurrence of its tag.
        asked_own_ = true;
        if (!own.index) return Truth::Undecided;
        // Kept apart from the ranges below: one of those may hold a single segment too, and means
        // every instance within it.
        const Decided key{&reading, *own.index, std::numeric_limits<std::size_t>::max()};
        const auto [at, fresh] = decided_.try_emplace(key, Truth::Undecided);
        if (fresh) at->second = truth_over(reading, SegmentRange{*own.index, *own.index + 1}, scope);
        return at->second;
      }
      // A reading that looks at every instance of its group decides alike from every scope that
      // shares the instance holding them.
      // Asked from another row, "in diesem AJT" still means one AJT: the one beside the row.
      std::optional<SegmentRange> around = own_tag.empty() ? std::nullopt : holding(own_tag, scope);
      if (!around) around = instance_around(reading, scope, true);
      const SegmentRange range = around ? *around : shared_range(*group_of(reading), scope);
      const auto [at, fresh] = decided_.try_emplace(Decided{&reading, range.first, range.end}, Truth::Undecided);
      if (fresh) at->second = truth_over(reading, around, scope);
      return at->second;
    }
    case conditions::ConditionKind::Wiederholbarkeit: {
      const auto entry = conditions_.find(reference);
      if (entry == conditions_.end() || !entry->second.pro_segment) return Truth::Neutral;
      const SegmentRange range = range_of_group(structure_.vorgang_group, scope);
      const auto& pattern = entry->second.pro_segment->pattern;
      const auto [known, fresh] = decided_.try_emplace(Decided{&pattern, range.first, range.end}, Truth::Undecided);
      if (!fresh) return known->second;
      // Another occurrence may still come: a missing segment never makes the condition false.
      for (std::size_t at = range.first; at < range.end; ++at) {
        if (pattern.matches(segments_[at])) {
          known->second = Truth::True;
          break;
        }
      }
      return known->second;
    }
    case conditions::ConditionKind::Paket: return paket_truth(reference, scope, own);
    default: return Truth::Neutral;
  }
}

TruthResult Ctx::eval(const conditions::Expr& expr, Scope scope, OwnSegment own) const {
  const auto callback = [this, scope, own](std::string_view reference) { return decide(reference, scope, own); };
  return expr.eval(callback);
}

TruthResult Ctx::paket_truth(std::string_view reference, Scope scope, OwnSegment own) const {
  const auto paket = conditions::Paket::parse(reference);
  if (!paket) return Truth::Undecided;
  const auto entry = pakete_->find(paket->name);
  if (entry == pakete_->end()) return Truth::Undecided;
  if (!entry->second) return Truth::True;
  if (!entry->second->has_value()) {
    return std::unexpected(conditions::EvalError::paket_expr(paket->name, entry->second->error()));
  }
  const PaketInScope key{&*entry, scope};
  if (const auto known = paket_truths_.find(key); known != paket_truths_.end()) return known->second;
  if (std::ranges::find(paket_stack_, &*entry) != paket_stack_.end()) {
    return std::unexpected(conditions::EvalError::paket_cycle(paket->name));
  }
  if (paket_stack_.size() >= max_paket_depth) {
    return std::unexpected(
        conditions::EvalError::paket_expr(paket->name, conditions::ExprError{conditions::ExprError::Kind::TooDeep}));
  }
  paket_stack_.push_back(&*entry);
  const bool met_before = std::exchange(met_own_, false);
  TruthResult result = eval(**entry->second, scope, own);
  const bool met_here = met_own_;
  met_own_ = met_before || met_here;
  paket_stack_.pop_back();
  // Errors are not kept: a cycle or the depth bound depends on the Pakete above this one.
  if (result && !met_here) paket_truths_.emplace(key, *result);
  return result;
}

std::optional<std::string_view> Ctx::paket_group(std::string_view name) const {
  const auto entry = pakete_->find(name);
  if (entry == pakete_->end() || !entry->second || !entry->second->has_value()) return std::nullopt;
  const auto [known, fresh] = paket_groups_.try_emplace(&*entry, std::nullopt);
  if (!fresh) return known->second;
  std::vector<std::string_view> references;
  (**entry->second).collect(references);
  std::optional<std::string_view> group;
  for (const std::string_view reference : references) {
    const auto kind = conditions::kind_of(reference);
    // Hinweise and Formatbedingungen decide nothing here.
    if (kind == conditions::ConditionKind::Hinweis || kind == conditions::ConditionKind::Formatbedingung) continue;
    const auto read = kind == conditions::ConditionKind::Voraussetzung ? conditions_.find(reference) : conditions_.end();
    if (read == conditions_.end() || !read->second.voraussetzung) return std::nullopt;
    const std::optional<std::string>& named = group_of(*read->second.voraussetzung);
    if (!named || (group && *group != *named)) return std::nullopt;
    group = *named;
  }
  known->second = group;
  return group;
}

Requirement Ctx::requirement(std::span<const std::string> cells, Scope scope, OwnSegment own) const {
  const ParsedCells parsed = parse_cells(cells);
  return requirement(parsed, scope, own);
}

Requirement Ctx::requirement(std::span<const std::optional<conditions::Status>> cells, Scope scope,
                             OwnSegment own) const {
  asked_own_ = false;
  if (cells.empty()) return Requirement::Optional;
  bool all_false = true;
  for (const auto& status : cells) {
    const bool mandatory = status && is_mandatory(status->level);
    if (!mandatory) {
      all_false = false;
      continue;
    }
    // One cell that holds settles the answer; evaluating the rest would change nothing.
    if (!status->condition) return Requirement::Required;
    const TruthResult truth = eval(*status->condition, scope, own);
    if (truth && (*truth == Truth::True || *truth == Truth::Neutral)) return Requirement::Required;
    if (!truth || *truth != Truth::False) all_false = false;
  }
  return all_false ? Requirement::NotPermitted : Requirement::Optional;
}

}  // namespace edi_energy::profile::validate
