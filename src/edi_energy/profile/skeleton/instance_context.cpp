// Decisions that look at what the walk has already written in an open group instance: a
// Voraussetzung such as "Wenn in derselben SG8 das SEQ+Z01 vorhanden" holds in one repetition of
// the SG8 and not in another, which no key of the completion loop can tell apart.
#include <algorithm>
#include <variant>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/mandatory.hpp"
#include "edi_energy/profile/skeleton/unconditioned.hpp"
#include "edi_energy/profile/validate/own_variant.hpp"
#include "edi_energy/profile/validate/vorgang_reading.hpp"

namespace edi_energy::profile::skeleton {

namespace {

void order_below(const structure::Structure& structure, structure::NodeIndex index, WalkOrder& order) {
  order.position.at(index) = order.nodes.size();
  order.nodes.push_back(index);
  for (const structure::NodeIndex child : structure.nodes.at(index).children) order_below(structure, child, order);
  order.end[index] = order.nodes.size();
}

}  // namespace

const WalkOrder& Generator::walk_order() const {
  if (!walk_order_) {
    const structure::Structure& structure = profile_.structure();
    WalkOrder order;
    order.position.assign(structure.nodes.size(), 0);
    order.end.assign(structure.nodes.size(), 0);
    for (const structure::NodeIndex root : structure.roots) order_below(structure, root, order);
    walk_order_ = std::move(order);
  }
  return *walk_order_;
}

const Generator::OpenInstance* Generator::open_instance(std::string_view group) const {
  const auto open = std::ranges::find(open_.rbegin(), open_.rend(), group, &OpenInstance::group);
  return open == open_.rend() ? nullptr : &*open;
}

const Generator::OpenInstance* Generator::open_holder(std::string_view group) const {
  const auto& holders = profile_.structure().group_holders;
  const auto nodes = holders.find(group);
  if (nodes == holders.end()) return nullptr;
  const auto open = std::ranges::find_if(open_.rbegin(), open_.rend(), [&](const OpenInstance& instance) {
    return std::ranges::binary_search(nodes->second, instance.node);
  });
  return open == open_.rend() ? nullptr : &*open;
}

bool Generator::settled_absent(std::span<const conditions::SegmentPattern> patterns, const OpenInstance* scope) const {
  const WalkOrder& order = walk_order();
  const structure::Structure& structure = profile_.structure();
  std::size_t from = order.position.at(deciding_);
  const std::size_t end = scope == nullptr ? order.nodes.size() : order.end.at(scope->node);
  // A repetition of an open group inside the scope may still come and bring the segment.
  for (auto open = open_.rbegin(); open != open_.rend() && &*open != scope; ++open) {
    if (structure.nodes.at(open->node).max != 1) from = std::min(from, order.position.at(open->node));
  }
  for (std::size_t at = from; at < end; ++at) {
    const auto* segment = structure.nodes.at(order.nodes[at]).segment();
    if (segment == nullptr) continue;
    if (std::ranges::any_of(patterns, [&](const conditions::SegmentPattern& p) { return p.tag == segment->tag; })) {
      return false;
    }
  }
  return true;
}

conditions::Truth Generator::truth_here(std::string_view reference) const {
  using conditions::Truth;
  if (conditions::kind_of(reference) != conditions::ConditionKind::Voraussetzung) {
    return unconditioned_truth(profile_, reference);
  }
  const auto entry = profile_.read_conditions().find(reference);
  if (entry == profile_.read_conditions().end() || !entry->second.precondition || !entry->second.voraussetzung) {
    return unconditioned_truth(profile_, reference);
  }
  // A text about "this IMD", asked for an IMD still to be written, cannot look at it yet; the
  // ones written before are others.
  if (const auto* segment = profile_.structure().nodes.at(deciding_).segment();
      segment != nullptr && !entry->second.own_tag.empty() && entry->second.own_tag == segment->tag) {
    return Truth::Undecided;
  }
  // Only a presence in the message or in an instance that is open now: the segments written so
  // far are the ones that come before the node being decided. Anything else stays as undecided
  // as without a message.
  const conditions::Voraussetzung& reading = *entry->second.voraussetzung;
  if (const auto* value = std::get_if<conditions::Voraussetzung::DeValue>(&reading.shape)) return value_here(*value);
  const auto* present = std::get_if<conditions::Voraussetzung::Present>(&reading.shape);
  if (present == nullptr || present->negated || !present->codes.empty()) return Truth::Undecided;
  const auto found_in = [&](std::span<const edifact::model::Segment> written) {
    if (!present->any) return conditions::matches_in_order(present->chain, written);
    return std::ranges::any_of(present->chain, [&](const conditions::SegmentPattern& pattern) {
      return std::ranges::any_of(written, [&](const edifact::model::Segment& s) { return pattern.matches(s); });
    });
  };
  const OpenInstance* scope = present->group ? open_instance(*present->group) : nullptr;
  // As validation reads it: a Vorgang's own segments are looked for in the open Vorgang.
  if (!present->group && validate::reads_own_vorgang(profile_.structure(), reading)) {
    scope = open_instance(profile_.structure().vorgang_group);
  }
  // A text that only names the group holds wherever the message carries its segment already (a
  // chain of several must stand in one instance, which the output alone cannot tell), unless it
  // speaks of the open instance's own variant, as validation reads it.
  // Validation looks for the group's instances within the instance around that holds them (a
  // Vorgang's SG8 within that Vorgang), so another Vorgang's segments say nothing here.
  const bool single = present->any || present->chain.size() == 1;
  if (present->group && reading.reach == conditions::Reach::Anywhere && single &&
      (scope == nullptr || !validate::speaks_of_variant(profile_.structure(), reading, scope->node))) {
    const OpenInstance* holder = open_holder(*present->group);
    if (holder == nullptr ? written_anywhere(*present)
                          : found_in(std::span<const edifact::model::Segment>(out_).subspan(holder->start))) {
      return Truth::True;
    }
  }
  if (present->group && scope == nullptr) return Truth::Undecided;
  if (scope == nullptr ? written_anywhere(*present)
                       : found_in(std::span<const edifact::model::Segment>(out_).subspan(scope->start))) {
    return Truth::True;
  }
  // Absent is only false where nothing the walk still writes in the scope could bring it.
  return settled_absent(present->chain, scope) ? Truth::False : Truth::Undecided;
}

bool Generator::written_anywhere(const conditions::Voraussetzung::Present& present) const {
  WrittenScan& scan = written_scans_[&present];
  const std::size_t wanted = present.any ? 1 : present.chain.size();
  for (; scan.matched < wanted && scan.scanned < out_.size(); ++scan.scanned) {
    const edifact::model::Segment& segment = out_[scan.scanned];
    if (present.any) {
      if (std::ranges::any_of(present.chain, [&](const auto& pattern) { return pattern.matches(segment); })) {
        scan.matched = 1;
      }
    } else if (present.chain[scan.matched].matches(segment)) {
      ++scan.matched;
    }
  }
  return scan.matched == wanted;
}

bool Generator::required_here(const std::vector<std::string>* status) const {
  if (status == nullptr) return false;
  const auto callback = [this](std::string_view reference) -> conditions::TruthResult { return truth_here(reference); };
  return std::ranges::any_of(*status, [&](const std::string& cell) {
    const auto parsed = conditions::Status::parse(cell);
    if (!parsed || !is_mandatory_level(parsed->level)) return false;
    if (!parsed->condition) return true;
    const auto truth = parsed->condition->eval(callback);
    return truth && (*truth == conditions::Truth::True || *truth == conditions::Truth::Neutral);
  });
}

}  // namespace edi_energy::profile::skeleton
