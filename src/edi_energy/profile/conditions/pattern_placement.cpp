#include "edi_energy/profile/conditions/pattern_placement.hpp"

#include <algorithm>
#include <map>
#include <utility>
#include <variant>

#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions {
namespace {

namespace ut = unicode_text;

CodeSlot slot_of(const model::Element& element, std::size_t e, std::size_t c, bool composite_unused) {
  CodeSlot slot{e, c, composite_unused || element.status == "N", element.is_code_list(), {}};
  for (const model::Code& code : element.codes) slot.codes.push_back(code.code);
  return slot;
}

SegmentCodes codes_of(const model::SegmentNode& definition) {
  SegmentCodes codes{definition.tag, {}};
  for (std::size_t e = 0; e < definition.elements.size(); ++e) {
    const model::Element& element = definition.elements[e];
    if (element.components.empty()) {
      codes.slots.push_back(slot_of(element, e, 0, false));
      continue;
    }
    for (std::size_t c = 0; c < element.components.size(); ++c) {
      codes.slots.push_back(slot_of(element.components[c], e, c, element.status == "N"));
    }
  }
  return codes;
}

// The slots of the rule's data element, its occurrence-th element or component with that id:
// a simple element or a component one slot, a composite its components' slots.
std::span<CodeSlot> slots_of_rule(const model::SegmentNode& definition, SegmentCodes& codes,
                                  const model::ElementRule& rule) {
  std::size_t seen = 0;
  std::size_t at = 0;
  for (const model::Element& element : definition.elements) {
    const std::size_t width = std::max<std::size_t>(element.components.size(), 1);
    if (element.id == rule.de && seen++ == rule.occurrence) return std::span(codes.slots).subspan(at, width);
    for (const model::Element& component : element.components) {
      if (component.id == rule.de && seen++ == rule.occurrence) return std::span(codes.slots).subspan(at, 1);
      ++at;
    }
    if (element.components.empty()) ++at;
  }
  return {};
}

bool has_placeholder(const SegmentPattern::Alternatives& alternatives) {
  return std::ranges::any_of(alternatives,
                             [](const std::string& a) { return std::ranges::any_of(a, ut::is_ascii_lower); });
}

// The slot holds the codes: a code list all of them, an open value (whose codes the AHB lines
// name only in part) one of them.
bool names_all(const CodeSlot& slot, const SegmentPattern::Alternatives& alternatives) {
  const auto named = [&](const std::string& alternative) {
    return std::ranges::binary_search(slot.codes, alternative);
  };
  if (slot.unused) return false;
  return slot.closed ? std::ranges::all_of(alternatives, named) : std::ranges::any_of(alternatives, named);
}

// How one definition takes a pattern: every code named where it is written; some named only
// elsewhere (moved there); some only open values where written; some written where no value
// goes and named nowhere, while open values could hold them; not at all; or named in more
// than one place.
// The open value that the e-th element in use holds in component c, counting only elements
// with a slot in use.
const CodeSlot* skipping_unused(const SegmentCodes& definition, std::size_t e, std::size_t c) {
  std::size_t in_use = 0;
  std::optional<std::size_t> element;
  for (const CodeSlot& slot : definition.slots) {
    if (slot.unused || (element && *element == slot.element)) continue;
    if (in_use++ == e) {
      element = slot.element;
      break;
    }
    element = slot.element;
  }
  if (in_use <= e || !element) return nullptr;
  const auto target = std::ranges::find_if(definition.slots, [&](const CodeSlot& slot) {
    return slot.element == *element && slot.component == c;
  });
  if (target == definition.slots.end() || target->unused || target->closed) return nullptr;
  return &*target;
}

enum class Fate : std::uint8_t { Written, Moved, Open, Unnamed, Never, Uncertain };

struct Placement {
  Fate fate = Fate::Written;
  SegmentPattern pattern;
  std::size_t named_as_written = 0;  // codes found where the text writes them
};

// Where one definition puts the pattern's codes.
Placement place_in(const SegmentPattern& pattern, const SegmentCodes& definition) {
  struct Code {
    std::size_t element;
    std::size_t component;
    const SegmentPattern::Alternatives* alternatives;
  };
  std::vector<Code> placed;
  bool uncertain = false;
  bool moved = false;
  bool open = false;
  bool unnamed = false;
  std::size_t named_as_written = 0;
  const auto find = [&](std::size_t e, std::size_t c) -> const CodeSlot* {
    const auto at = std::ranges::find_if(definition.slots,
                                         [&](const CodeSlot& s) { return s.element == e && s.component == c; });
    return at == definition.slots.end() ? nullptr : &*at;
  };
  for (std::size_t e = 0; e < pattern.elements.size(); ++e) {
    for (std::size_t c = 0; c < pattern.elements[e].size(); ++c) {
      const auto& alternatives = pattern.elements[e][c];
      if (!alternatives) continue;
      const CodeSlot* written = find(e, c);
      const bool usable = written != nullptr && !written->unused;
      if (has_placeholder(*alternatives) || (usable && names_all(*written, *alternatives))) {
        if (!usable) uncertain = true;
        if (!has_placeholder(*alternatives)) ++named_as_written;
        placed.push_back({e, c, &*alternatives});
        continue;
      }
      std::vector<const CodeSlot*> named;
      for (const CodeSlot& slot : definition.slots) {
        if (names_all(slot, *alternatives)) named.push_back(&slot);
      }
      if (named.size() == 1) {
        placed.push_back({named.front()->element, named.front()->component, &*alternatives});
        moved = true;
      } else if (named.size() > 1) {
        uncertain = true;
      } else if (usable && !written->closed) {
        placed.push_back({e, c, &*alternatives});  // an open value, as written
        open = true;
      } else if (const CodeSlot* skipping = usable ? nullptr : skipping_unused(definition, e, c)) {
        // The text leaves out the elements no message carries: "STS+E01+ZG2" for STS+E01++ZG2.
        placed.push_back({skipping->element, skipping->component, &*alternatives});
        moved = true;
      } else if (!usable && std::ranges::any_of(definition.slots, [](const CodeSlot& slot) {
                   return !slot.unused && !slot.closed;
                 })) {
        unnamed = true;
      } else {
        return {Fate::Never, {}};  // no message that follows the MIG carries it here
      }
    }
  }
  if (uncertain) return {Fate::Uncertain, {}, named_as_written};
  if (unnamed) return {Fate::Unnamed, {}, named_as_written};
  Placement result{moved ? Fate::Moved : open ? Fate::Open : Fate::Written, SegmentPattern{pattern.tag, {}},
                   named_as_written};
  for (const Code& code : placed) {
    auto& elements = result.pattern.elements;
    if (elements.size() <= code.element) elements.resize(code.element + 1);
    auto& components = elements[code.element];
    if (components.size() <= code.component) components.resize(code.component + 1);
    if (components[code.component]) return {Fate::Never, {}};  // no room for both codes
    components[code.component] = *code.alternatives;
  }
  // Element patterns beyond the last code constrain nothing; keep the written length so that a
  // pattern taken as written compares equal to itself.
  if (result.pattern.elements.size() < pattern.elements.size()) {
    result.pattern.elements.resize(pattern.elements.size());
  }
  return result;
}

// Equal in what they constrain: wildcards and missing components alike.
bool same_codes(const SegmentPattern& a, const SegmentPattern& b) {
  const auto at = [](const SegmentPattern& p, std::size_t e, std::size_t c) -> const SegmentPattern::Alternatives* {
    if (e >= p.elements.size() || c >= p.elements[e].size() || !p.elements[e][c]) return nullptr;
    return &*p.elements[e][c];
  };
  const std::size_t elements = std::max(a.elements.size(), b.elements.size());
  for (std::size_t e = 0; e < elements; ++e) {
    const std::size_t components = std::max(e < a.elements.size() ? a.elements[e].size() : 0,
                                            e < b.elements.size() ? b.elements[e].size() : 0);
    for (std::size_t c = 0; c < components; ++c) {
      const auto* x = at(a, e, c);
      const auto* y = at(b, e, c);
      if ((x == nullptr) != (y == nullptr) || (x != nullptr && *x != *y)) return false;
    }
  }
  return true;
}

// Puts values the text names for a segment without saying where into the one open value that
// every definition taking the pattern as it stands leaves for them.
bool place_codes(SegmentPattern& pattern, const std::vector<std::string>& codes,
                 std::span<const SegmentCodes> definitions) {
  const auto constrained = [&](std::size_t e, std::size_t c) {
    return e < pattern.elements.size() && c < pattern.elements[e].size() && pattern.elements[e][c].has_value();
  };
  std::optional<std::pair<std::size_t, std::size_t>> at;
  for (const SegmentCodes& definition : definitions) {
    if (definition.tag != pattern.tag || place_in(pattern, definition).fate != Fate::Written) continue;
    std::optional<std::pair<std::size_t, std::size_t>> open;
    for (const CodeSlot& slot : definition.slots) {
      if (slot.unused || slot.closed || constrained(slot.element, slot.component)) continue;
      if (open) return false;
      open = std::pair{slot.element, slot.component};
    }
    if (!open || (at && *at != *open)) return false;
    at = open;
  }
  if (!at) return false;
  auto& elements = pattern.elements;
  if (elements.size() <= at->first) elements.resize(at->first + 1);
  if (elements[at->first].size() <= at->second) elements[at->first].resize(at->second + 1);
  elements[at->first][at->second] = codes;
  return true;
}

bool place_all(std::vector<SegmentPattern>& patterns, std::span<const SegmentCodes> definitions) {
  for (SegmentPattern& pattern : patterns) {
    std::optional<SegmentPattern> placed = place_pattern(pattern, definitions);
    if (!placed) return false;
    pattern = std::move(*placed);
  }
  return true;
}

}  // namespace

std::vector<SegmentCodes> segment_codes(std::span<const model::SegmentNode> definitions, const model::AhbProfile& ahb) {
  std::vector<SegmentCodes> codes;
  codes.reserve(definitions.size());
  std::map<std::string_view, std::size_t> by_nr;
  for (std::size_t i = 0; i < definitions.size(); ++i) {
    codes.push_back(codes_of(definitions[i]));
    by_nr.emplace(definitions[i].nr, i);
  }
  // Whether some column names the slot, per definition that some column names at all: a value
  // where no column names one is not part of any Prüfschablone, so no message carries it.
  std::vector<std::vector<char>> named(definitions.size());
  for (const model::Anwendungsfall& anwendungsfall : ahb.anwendungsfaelle) {
    for (const model::ElementRule& rule : anwendungsfall.elements) {
      const auto definition = by_nr.find(rule.nr);
      if (definition == by_nr.end()) continue;
      SegmentCodes& segment = codes[definition->second];
      const std::span<CodeSlot> slots = slots_of_rule(definitions[definition->second], segment, rule);
      auto& flags = named[definition->second];
      flags.resize(segment.slots.size(), 0);
      for (CodeSlot& slot : slots) flags[static_cast<std::size_t>(&slot - segment.slots.data())] = 1;
      if (slots.size() != 1) continue;
      for (const model::Operand& operand : rule.operands) {
        if (operand.code) slots.front().codes.push_back(*operand.code);
      }
    }
  }
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (named[i].empty()) continue;
    for (std::size_t k = 0; k < codes[i].slots.size(); ++k) {
      if (named[i][k] == 0) codes[i].slots[k].unused = true;
    }
  }
  for (SegmentCodes& definition : codes) {
    for (CodeSlot& slot : definition.slots) {
      std::ranges::sort(slot.codes);
      slot.codes.erase(std::ranges::unique(slot.codes).begin(), slot.codes.end());
    }
  }
  return codes;
}

std::optional<SegmentPattern> place_pattern(const SegmentPattern& pattern, std::span<const SegmentCodes> definitions) {
  // The definitions that find the most codes where the text writes them are the ones it
  // speaks of; those must agree on the codes' places and leave none in doubt.
  std::vector<Placement> best;
  for (const SegmentCodes& definition : definitions) {
    if (definition.tag != pattern.tag) continue;
    Placement placement = place_in(pattern, definition);
    if (placement.fate == Fate::Never) continue;
    if (!best.empty() && placement.named_as_written < best.front().named_as_written) continue;
    if (!best.empty() && placement.named_as_written > best.front().named_as_written) best.clear();
    best.push_back(std::move(placement));
  }
  const auto any = [&](Fate fate) {
    return std::ranges::any_of(best, [&](const Placement& p) { return p.fate == fate; });
  };
  if (best.empty() || any(Fate::Written)) return pattern;
  if (any(Fate::Uncertain)) return std::nullopt;
  std::optional<SegmentPattern> moved;
  for (Placement& placement : best) {
    if (placement.fate != Fate::Moved) continue;
    if (moved && !same_codes(*moved, placement.pattern)) return std::nullopt;
    if (!moved) moved = std::move(placement.pattern);
  }
  if (moved) return moved;
  // Named nowhere: where the text writes it, if a value may stand there.
  if (!any(Fate::Open) && any(Fate::Unnamed)) return std::nullopt;
  return pattern;
}

void place_readings(ReadConditions& read, std::span<const SegmentCodes> definitions) {
  for (auto& [number, condition] : read) {
    if (!condition.voraussetzung) continue;
    const bool placed = std::visit(
        [&](auto& shape) {
          using Shape = std::decay_t<decltype(shape)>;
          if constexpr (std::is_same_v<Shape, Voraussetzung::Present>) {
            if (!place_all(shape.chain, definitions) || !place_all(shape.companions, definitions)) return false;
            if (shape.codes.empty()) return true;
            if (!place_codes(shape.chain.back(), shape.codes, definitions)) return false;
            shape.codes.clear();
            return true;
          } else if constexpr (std::is_same_v<Shape, Voraussetzung::DeValue>) {
            // Its data element is found through the MIG already; the qualifiers of its segment
            // and the segments beside it are placed like any pattern.
            if (!place_all(shape.companions, definitions)) return false;
            if (shape.pattern.elements.empty()) return true;
            std::optional<SegmentPattern> placed_pattern = place_pattern(shape.pattern, definitions);
            if (placed_pattern) shape.pattern = std::move(*placed_pattern);
            return placed_pattern.has_value();
          } else if constexpr (std::is_same_v<Shape, Voraussetzung::DeShape>) {
            if (!place_all(shape.companions, definitions)) return false;
            std::optional<SegmentPattern> placed_pattern = place_pattern(shape.pattern, definitions);
            if (placed_pattern) shape.pattern = std::move(*placed_pattern);
            return placed_pattern.has_value();
          } else {
            std::optional<SegmentPattern> placed_pattern = place_pattern(shape.pattern, definitions);
            if (placed_pattern) shape.pattern = std::move(*placed_pattern);
            return placed_pattern.has_value();
          }
        },
        condition.voraussetzung->shape);
    if (!placed) condition.voraussetzung.reset();
  }
}

}  // namespace edi_energy::profile::conditions
