// Rounds of generate and validate: each round's findings become keys that steer the next walk.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/model/owned_element.hpp"

namespace edi_energy::profile {

namespace {

constexpr std::size_t max_rounds = 24;

// Adds the keys one finding asks for; true when a key is new. A segment or group that is not
// permitted is only remembered in `pending`, since only the round's last one is suppressed.
bool read_finding(const edifact::report::ValidationIssue& finding, skeleton::KeySets& keys,
                  std::optional<std::string>& pending) {
  if (!finding.rule_id) return false;
  const std::string_view id = *finding.rule_id;
  if (id.size() < 4 || !(id.starts_with("AHB-") || id.starts_with("MIG-"))) return false;
  const auto nr_entry = finding.context_value("nr");
  if (!nr_entry) return false;
  const std::string nr(*nr_entry);
  const auto de = finding.context_value("de");

  const bool missing = (id.size() >= 8 && id.ends_with("-MISSING")) ||
                       (id.size() >= 9 && id.starts_with("MIG-") && id.ends_with("-REQUIRED"));
  if (missing) {
    if (de) return keys.forced_elements.insert({nr, std::string(*de)}).second;
    if (keys.suppressed_segments.contains(nr)) {
      // A segment comes back once; a second suppression of it is final.
      if (!keys.restored_segments.insert(nr).second) return false;
      keys.suppressed_segments.erase(nr);
    }
    return keys.forced_segments.insert(nr).second;
  }
  if (id.starts_with("MIG-") || id.size() == 4) return false;
  if (id.size() >= 14 && id.ends_with("-NOT-PERMITTED")) {
    if (de) return keys.suppressed_elements.insert({nr, std::string(*de)}).second;
    pending = nr;
    return false;
  }
  if (de && id.ends_with("-CODE")) {
    ++keys.code_rotation[{nr, std::string(*de)}];
    return true;
  }
  return false;
}

std::optional<std::uint32_t> validation_pid(const model::Anwendungsfall& anwendungsfall) {
  if (anwendungsfall.pid && *anwendungsfall.pid >= 10000 && *anwendungsfall.pid <= 99999) return anwendungsfall.pid;
  return std::nullopt;
}

void count_segments(std::vector<edifact::model::Segment>& out) {
  for (auto& segment : out) {
    if (segment.tag() != "UNT") continue;
    if (segment.elements().size() != 0) {
      edifact::model::OwnedElement count;
      count.component(std::to_string(out.size()));
      segment = segment.with_element(0, count);
    }
    return;
  }
}

}  // namespace

std::vector<edifact::model::Segment> Profile::generate(std::optional<std::span<const edifact::model::Segment>> seeds,
                                                      const model::Anwendungsfall& anwendungsfall,
                                                      const skeleton::SkeletonParties& parties) const {
  std::optional<structure::Resolution> resolution;
  if (seeds) resolution = structure_.resolve(*seeds);
  skeleton::KeySets keys;
  std::vector<edifact::model::Segment> out;
  for (std::size_t round = 0;;) {
    out.clear();
    skeleton::Generator generator(*this, anwendungsfall, parties, keys, out,
                                  seeds.value_or(std::span<const edifact::model::Segment>()),
                                  resolution ? &*resolution : nullptr);
    generator.walk(structure_.roots, seeds.has_value(), structure::root_instance, 0);
    count_segments(out);
    const auto findings = validate::validate(*this, out, validation_pid(anwendungsfall));
    if (findings.empty()) return out;
    ++round;
    bool progress = false;
    std::optional<std::string> pending;
    for (const auto& finding : findings) progress = read_finding(finding, keys, pending) || progress;
    if (pending) {
      keys.forced_segments.erase(*pending);
      progress = keys.suppressed_segments.insert(*pending).second || progress;
    }
    if (!progress || round == max_rounds) return out;
  }
}

}  // namespace edi_energy::profile
