// The data elements of every placed segment against its MIG definition.
#include <algorithm>

#include <fmt/format.h>

#include "edi_energy/profile/validate/ahb_checks.hpp"
#include "edi_energy/profile/validate/ahb_run.hpp"
#include "edi_energy/profile/validate/mig_checks.hpp"
#include "edi_energy/profile/validate/validate.hpp"

namespace edi_energy::profile::validate {
namespace {

using edifact::report::Severity;
using edifact::report::ValidationIssue;

// Whether some component of `components` from index `first` on (below `end`) carries text.
bool carries_text(const edifact::model::ComponentList& components, std::size_t first, std::size_t end) {
  for (std::size_t j = first; j < components.size() && j < end; ++j) {
    if (!components.text(j).empty()) return true;
  }
  return false;
}

constexpr std::size_t no_end = static_cast<std::size_t>(-1);

// Component `j` of a segment element's first repetition, as `text_at` reads it, but from the
// components at hand.
std::string_view text_of(const edifact::model::ComponentList& components, std::size_t j) {
  return j < components.size() ? components.text(j) : std::string_view{};
}

// The second and later repetitions of `element` that carry text.
std::size_t repetitions_with_text(const edifact::model::Element& element) {
  std::size_t count = 0;
  for (const edifact::model::ComponentList repetition : element.repetitions()) {
    count += carries_text(repetition, 0, no_end) ? 1 : 0;
  }
  return count;
}

class SegmentCheck {
 public:
  SegmentCheck(MigRun& run, std::size_t index, structure::NodeIndex node, const model::SegmentNode& definition)
      : run_(run), index_(index), definition_(definition), segment_(run.segments[index]),
        elements_(segment_.elements()),
        rules_(run.column != nullptr ? run.column->rules(node, definition.nr) : std::span<const std::size_t>{}),
        named_(run.column != nullptr ? run.column->named(node) : std::span<const char>{}) {
    std::size_t leaves = 0;
    for (const model::Element& element : definition.elements) leaves += 1 + element.components.size();
    // A column prepared for another structure falls back to asking per element.
    if (named_.size() != leaves) named_ = {};
  }

  void check() {
    for (std::size_t k = 0; k < definition_.elements.size(); ++k) {
      const model::Element& element = definition_.elements[k];
      if (element.components.empty()) {
        check_leaf_value(element, text_of(k < elements_.size() ? elements_[k].components() : edifact::model::ComponentList{}, 0),
                         leaf(k, 0), true, names(element, flat_), run_.findings);
      } else {
        check_composite(element, k);
      }
      flat_ += 1 + element.components.size();
    }
    // Without a repetition separator nothing repeats, and the common case looks no further.
    const bool may_repeat = segment_.may_repeat();
    if (may_repeat) [[unlikely]] check_repetitions();
    for (std::size_t k = definition_.elements.size(); k < elements_.size(); ++k) {
      if (!carries_text(elements_[k].components(), 0, no_end) &&
          (!may_repeat || repetitions_with_text(elements_[k]) == 0)) {
        continue;
      }
      report(fmt::format("{} (Nr {}): {} elements on the wire, the MIG defines {}", definition_.tag, definition_.nr,
                         elements_.size(), definition_.elements.size()),
             fmt::format("MIG-{}-{}-EXTRA", definition_.nr, definition_.tag), std::nullopt);
      break;
    }
  }

 private:
  LeafAt leaf(std::size_t k, std::size_t j) const { return {k, j, definition_.nr, definition_.tag, index_}; }

  // Without a chosen column every element counts as named. `flat` is the element's index among
  // the definition's elements and components, for the flags the column worked out beforehand.
  bool names(const model::Element& element, std::size_t flat) const {
    if (run_.column == nullptr) return true;
    if (!named_.empty()) return named_[flat] != 0;
    return run_.column->names(rules_, element);
  }
  bool names_component(std::size_t k, std::size_t j) const {
    if (run_.column == nullptr) return true;
    if (!named_.empty()) return named_[flat_ + 1 + j] != 0;
    return run_.column->names_component(rules_, definition_, k, j);
  }

  void report(std::string message, std::string rule_id, std::optional<std::size_t> element) {
    ValidationIssue issue = ValidationIssue(Severity::Error, std::move(message))
                                .with_rule_id(std::move(rule_id))
                                .with_segment(definition_.tag)
                                .with_segment_index(index_);
    if (element) issue = std::move(issue).with_element(*element);
    run_.findings.push_back(std::move(issue));
  }

  // The MIG allows every data element one value: a further repetition would be read by no rule.
  void check_repetitions() {
    const std::size_t defined = std::min(definition_.elements.size(), elements_.size());
    for (std::size_t k = 0; k < defined; ++k) {
      const std::size_t repeated = repetitions_with_text(elements_[k]);
      if (repeated == 0) continue;
      const model::Element& element = definition_.elements[k];
      ValidationIssue issue =
          ValidationIssue(Severity::Error,
                          fmt::format("{} (Nr {}): data element {} „{}“ carries {} values; the MIG allows one",
                                      definition_.tag, definition_.nr, element.id, element.name, repeated + 1))
              .with_rule_id(fmt::format("MIG-{}-{}-{}-REPEATED", definition_.nr, definition_.tag, element.id))
              .with_segment(definition_.tag)
              .with_context_entry("nr", definition_.nr)
              .with_context_entry("de", element.id)
              .with_segment_index(index_)
              .with_element(k);
      run_.findings.push_back(std::move(issue));
    }
  }

  void check_composite(const model::Element& composite, std::size_t k) {
    const std::size_t defined = composite.components.size();
    const edifact::model::ComponentList components =
        k < elements_.size() ? elements_[k].components() : edifact::model::ComponentList{};
    const bool present = carries_text(components, 0, defined);
    const auto rule_id = [&](std::string_view suffix) {
      return fmt::format("MIG-{}-{}-{}-{}", definition_.nr, definition_.tag, composite.id, suffix);
    };
    if (!present && (composite.status == "M" || (composite.status == "R" && names(composite, flat_)))) {
      report(fmt::format("{} (Nr {}): composite {} „{}“ is mandatory in the MIG but empty", definition_.tag,
                         definition_.nr, composite.id, composite.name),
             rule_id("REQUIRED"), k);
    }
    if (present && composite.status == "N") {
      report(fmt::format("{} (Nr {}): composite {} „{}“ is not used in the MIG but filled", definition_.tag,
                         definition_.nr, composite.id, composite.name),
             rule_id("NOTUSED"), k);
    }
    for (std::size_t j = 0; j < defined; ++j) {
      check_leaf_value(composite.components[j], text_of(components, j), leaf(k, j), present, names_component(k, j),
                       run_.findings);
    }
    if (carries_text(components, defined, no_end)) {
      report(fmt::format("{} (Nr {}): composite {} carries more components than the MIG defines ({})",
                         definition_.tag, definition_.nr, composite.id, defined),
             rule_id("EXTRA"), k);
    }
  }

  MigRun& run_;
  std::size_t index_;
  const model::SegmentNode& definition_;
  const edifact::model::Segment& segment_;
  edifact::model::ElementList elements_;
  std::span<const std::size_t> rules_;  // the column's rules for this segment number
  std::span<const char> named_;         // the column's flags for this node, or empty
  std::size_t flat_ = 0;                // the current element's index among elements and components
};

}  // namespace

void data_element_checks(MigRun& run) {
  for (std::size_t index = 0; index < run.segments.size(); ++index) {
    const auto& placement = run.resolution.placements[index];
    if (!placement) continue;
    const model::SegmentNode* definition = definition_of(run.profile.structure(), placement->node);
    if (definition == nullptr) continue;
    SegmentCheck(run, index, placement->node, *definition).check();
  }
}

}  // namespace edi_energy::profile::validate
