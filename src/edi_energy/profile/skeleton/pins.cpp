#include <algorithm>
#include <limits>

#include "edi_energy/profile/conditions/paket.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/skeleton/column_pins.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/mandatory.hpp"

namespace edi_energy::profile::skeleton {

namespace {

// Rounded up; a divisor of 0 stands for an unbounded maximum.
std::size_t ceil_div(std::size_t count, std::uint32_t max) {
  const std::size_t divisor = max == 0 ? std::numeric_limits<std::size_t>::max() : max;
  return count / divisor + (count % divisor != 0 ? 1 : 0);
}

// Appends the pins of one element rule.
void add_pins(const Profile& profile, const model::ElementRule& rule, std::vector<Pin>& pins) {
  for (const model::Operand& operand : rule.operands) {
    if (!operand.code) continue;
    const auto status = conditions::Status::parse(operand.operand);
    if (!status || !status->condition || !demands(profile, *status)) continue;
    const auto pakete = status->condition->pakete();
    if (std::ranges::none_of(pakete, [](const conditions::Paket& paket) { return paket.min >= 1; })) continue;
    pins.push_back(Pin{rule.de, rule.occurrence, *operand.code});
  }
}

}  // namespace

bool Generator::required(const Profile& profile, const std::vector<std::string>* status) {
  if (status == nullptr) return false;
  return std::ranges::any_of(*status, [&](const std::string& cell) { return demands(profile, cell); });
}

std::vector<Pin> Generator::paket_pins(const Profile& profile, std::span<const model::ElementRule> rules,
                                       std::string_view nr) {
  std::vector<Pin> pins;
  for (const model::ElementRule& rule : rules) {
    if (rule.nr == nr) add_pins(profile, rule, pins);
  }
  return pins;
}

const std::vector<Pin>& Generator::pins_of(const std::string& nr) const {
  if (const ColumnPins* prepared = profile_.column_pins(anwendungsfall_)) {
    if (const auto known = prepared->by_nr.find(nr); known != prepared->by_nr.end()) return known->second;
  }
  auto found = pins_.find(nr);
  if (found != pins_.end()) return found->second;
  // The profile's prepared column finds the rules of one number without a scan of all of them.
  const validate::Column* column = profile_.column(anwendungsfall_);
  if (column == nullptr) return pins_.emplace(nr, paket_pins(profile_, anwendungsfall_.elements, nr)).first->second;
  std::vector<Pin> pins;
  for (const std::size_t rule : column->rules(nr)) add_pins(profile_, anwendungsfall_.elements[rule], pins);
  return pins_.emplace(nr, std::move(pins)).first->second;
}

std::size_t Generator::paket_rounds(structure::NodeIndex index) const {
  if (const ColumnPins* prepared = profile_.column_pins(anwendungsfall_)) return prepared->rounds.at(index);
  if (const auto cached = rounds_.find(index); cached != rounds_.end()) return cached->second;
  const structure::Structure& structure = profile_.structure();
  const structure::SNode& node = structure.nodes.at(index);
  std::size_t rounds = 0;
  if (const auto* segment = node.segment(); segment != nullptr && segment->def < structure.segment_defs.size()) {
    rounds = ceil_div(pins_of(segment->nr).size(), node.max);
  } else {
    std::size_t widest = node.children.empty() ? 1 : 0;
    for (const structure::NodeIndex child : node.children) widest = std::max(widest, paket_rounds(child));
    rounds = ceil_div(std::max<std::size_t>(widest, 1), node.max);
  }
  rounds_.emplace(index, rounds);
  return rounds;
}

namespace {

// The same answers as `pins_of` and `paket_rounds`, for every node at once: children come after
// their parent in the node list, so a backward pass sees them first.
ColumnPins prepare_pins(const Profile& profile, const model::Anwendungsfall& anwendungsfall,
                        const validate::Column& column) {
  const structure::Structure& structure = profile.structure();
  ColumnPins prepared;
  prepared.rounds.assign(structure.nodes.size(), 0);
  for (std::size_t index = structure.nodes.size(); index-- > 0;) {
    const structure::SNode& node = structure.nodes[index];
    if (const auto* segment = node.segment(); segment != nullptr && segment->def < structure.segment_defs.size()) {
      auto [entry, fresh] = prepared.by_nr.try_emplace(segment->nr);
      if (fresh) {
        for (const std::size_t rule : column.rules(segment->nr)) {
          add_pins(profile, anwendungsfall.elements[rule], entry->second);
        }
      }
      prepared.rounds[index] = ceil_div(entry->second.size(), node.max);
      continue;
    }
    std::size_t widest = node.children.empty() ? 1 : 0;
    for (const structure::NodeIndex child : node.children) widest = std::max(widest, prepared.rounds[child]);
    prepared.rounds[index] = ceil_div(std::max<std::size_t>(widest, 1), node.max);
  }
  return prepared;
}

}  // namespace

std::optional<std::string> Generator::first_code(std::span<const model::ElementRule> rules, std::string_view nr) {
  const auto rule = std::ranges::find_if(
      rules, [nr](const model::ElementRule& candidate) { return candidate.nr == nr && candidate.de == "2379"; });
  if (rule == rules.end()) return std::nullopt;
  for (const model::Operand& operand : rule->operands) {
    if (operand.code) return operand.code;
  }
  return std::nullopt;
}

}  // namespace edi_energy::profile::skeleton

namespace edi_energy::profile {

const skeleton::ColumnPins* Profile::column_pins(const model::Anwendungsfall& anwendungsfall) const {
  const auto index = column_index(anwendungsfall);
  const validate::Column* prepared_column = column(anwendungsfall);
  if (!index || prepared_column == nullptr) return nullptr;
  ColumnCell& cell = columns_[*index];
  std::call_once(cell.pins_once, [&] {
    cell.pins = std::make_shared<const skeleton::ColumnPins>(
        skeleton::prepare_pins(*this, anwendungsfall, *prepared_column));
  });
  return cell.pins.get();
}

}  // namespace edi_energy::profile
