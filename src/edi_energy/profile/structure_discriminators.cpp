#include "edi_energy/profile/structure_discriminators.hpp"

#include <algorithm>
#include <compare>
#include <cstddef>
#include <map>
#include <string_view>
#include <unordered_set>

namespace edi_energy::profile::structure {
namespace {

bool counts_as_mandatory(std::string_view status) { return status == "M" || status == "R"; }

struct Position {
  std::size_t element = 0;
  std::size_t component = 0;

  friend auto operator<=>(const Position&, const Position&) = default;
};

Position position_of(const Discriminator& test) { return {test.element, test.component}; }

void add_discriminator(std::vector<Discriminator>& tests, const model::Element& element, Position position,
                       bool inside_composite, bool composite_mandatory) {
  if (element.status == "N") {
    tests.push_back(Discriminator{{}, {}, position.element, position.component, true, false});
    return;
  }
  if (!element.is_code_list()) return;
  std::vector<std::string> allowed;
  allowed.reserve(element.codes.size());
  for (const model::Code& code : element.codes) allowed.push_back(code.code);
  const bool required = position == Position{0, 0} && counts_as_mandatory(element.status) &&
                        (!inside_composite || composite_mandatory);
  tests.push_back(Discriminator{std::move(allowed), {}, position.element, position.component, false, required});
}

const Discriminator* test_at(const std::vector<Discriminator>& tests, Position position) {
  auto found = std::ranges::find_if(tests, [position](const Discriminator& test) { return position_of(test) == position; });
  return found == tests.end() ? nullptr : &*found;
}

// Shapes: none, must-be-absent, or a code list (order counts); `required` plays no part.
bool differ_at(const std::vector<Discriminator>& first, const std::vector<Discriminator>& second, Position position) {
  const Discriminator* left = test_at(first, position);
  const Discriminator* right = test_at(second, position);
  if (left == nullptr || right == nullptr) return left != right;
  if (left->absent || right->absent) return left->absent != right->absent;
  return left->allowed != right->allowed;
}

bool definition_lacks(const model::SegmentNode& definition, Position position) {
  if (position.element >= definition.elements.size()) return true;
  return position.component > 0 && position.component >= definition.elements[position.element].components.size();
}

struct CodeRecord {
  Position position;
  NodeIndex node;
  std::vector<std::string> allowed;
};

std::vector<Position> candidate_positions(const Structure& structure, const std::vector<NodeIndex>& same_tag) {
  std::vector<Position> candidates;
  for (NodeIndex node : same_tag) {
    for (const Discriminator& test : structure.nodes[node].segment()->discriminators) candidates.push_back(position_of(test));
  }
  std::ranges::sort(candidates);
  candidates.erase(std::ranges::unique(candidates).begin(), candidates.end());
  return candidates;
}

// (0, 0) first, then each new first difference of a pair, in pair order.
std::vector<Position> test_positions(const Structure& structure, const std::vector<NodeIndex>& same_tag) {
  const std::vector<Position> candidates = candidate_positions(structure, same_tag);
  std::vector<Position> positions{Position{0, 0}};
  for (std::size_t first = 0; first < same_tag.size(); ++first) {
    const auto& first_tests = structure.nodes[same_tag[first]].segment()->discriminators;
    for (std::size_t second = first + 1; second < same_tag.size(); ++second) {
      const auto& second_tests = structure.nodes[same_tag[second]].segment()->discriminators;
      auto difference = std::ranges::find_if(
          candidates, [&](Position position) { return differ_at(first_tests, second_tests, position); });
      if (difference != candidates.end() && std::ranges::find(positions, *difference) == positions.end()) {
        positions.push_back(*difference);
      }
    }
  }
  return positions;
}

void settle_tag(Structure& structure, const std::vector<NodeIndex>& same_tag) {
  const std::vector<Position> positions = test_positions(structure, same_tag);
  const auto is_test_position = [&positions](Position position) {
    return std::ranges::find(positions, position) != positions.end();
  };

  std::vector<CodeRecord> records;
  for (NodeIndex node : same_tag) {
    for (const Discriminator& test : structure.nodes[node].segment()->discriminators) {
      if (is_test_position(position_of(test))) records.push_back(CodeRecord{position_of(test), node, test.allowed});
    }
  }

  // The codes of every test position in record order, each once. A test excludes those of them
  // it does not allow: they are the codes its siblings allow, since its own record is its own
  // list. A MIG may hold a hundred variants of one tag, so this is built once per position.
  std::map<Position, std::vector<std::string_view>> codes_at;
  {
    std::map<Position, std::unordered_set<std::string_view>> seen_at;
    for (const CodeRecord& record : records) {
      auto& seen = seen_at[record.position];
      auto& codes = codes_at[record.position];
      for (const std::string& code : record.allowed) {
        if (seen.insert(code).second) codes.push_back(code);
      }
    }
  }

  for (NodeIndex node : same_tag) {
    Kind::Segment& segment = std::get<Kind::Segment>(structure.nodes[node].kind.variant);
    std::vector<Discriminator>& tests = segment.discriminators;
    const model::SegmentNode& definition = structure.segment_defs[segment.def];
    if (!definition.elements.empty()) {
      for (Position position : positions) {
        if (definition_lacks(definition, position) && test_at(tests, position) == nullptr) {
          tests.push_back(Discriminator{{}, {}, position.element, position.component, true, false});
        }
      }
    }
    std::erase_if(tests, [&](const Discriminator& test) { return !is_test_position(position_of(test)); });
    for (Discriminator& test : tests) {
      const auto at_position = codes_at.find(position_of(test));
      if (at_position == codes_at.end()) continue;
      const std::unordered_set<std::string_view> allowed(test.allowed.begin(), test.allowed.end());
      const std::size_t given = test.excluded.size();
      for (const std::string_view code : at_position->second) {
        const auto earlier = test.excluded.begin() + static_cast<std::ptrdiff_t>(given);
        if (allowed.contains(code) || std::find(test.excluded.begin(), earlier, code) != earlier) continue;
        test.excluded.emplace_back(code);
      }
    }
  }
}

}  // namespace

std::vector<Discriminator> discriminators(const model::SegmentNode& definition) {
  std::vector<Discriminator> tests;
  for (std::size_t element_index = 0; element_index < definition.elements.size(); ++element_index) {
    const model::Element& element = definition.elements[element_index];
    if (element.components.empty()) {
      add_discriminator(tests, element, Position{element_index, 0}, false, false);
      continue;
    }
    const bool composite_mandatory = counts_as_mandatory(element.status);
    for (std::size_t component_index = 0; component_index < element.components.size(); ++component_index) {
      add_discriminator(tests, element.components[component_index], Position{element_index, component_index}, true,
                        composite_mandatory);
    }
  }
  return tests;
}

void settle_discriminators(Structure& structure) {
  std::map<std::string, std::vector<NodeIndex>, std::less<>> nodes_by_tag;
  for (NodeIndex node = 0; node < structure.nodes.size(); ++node) {
    if (const Kind::Segment* segment = structure.nodes[node].segment()) nodes_by_tag[segment->tag].push_back(node);
  }
  for (const auto& [tag, same_tag] : nodes_by_tag) settle_tag(structure, same_tag);
}

}  // namespace edi_energy::profile::structure
