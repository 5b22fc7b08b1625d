#include "edi_energy/profile/skeleton/round_keys.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace edi_energy::profile::skeleton {

namespace {

// Adds the keys one finding asks for; true when a key is new. A segment or group that is not
// permitted is only remembered in `pending`, since only the round's last one is suppressed. A code
// rotation moves on once a round (`rotated`), however many instances share its key: moved on per
// finding, as many instances as the list has codes would turn it full circle.
bool read_finding(const edifact::report::ValidationIssue& finding, KeySets& keys, std::optional<std::string>& pending,
                  ElementSet& rotated) {
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
    ElementKey key{nr, std::string(*de)};
    if (rotated.insert(key).second) ++keys.code_rotation[std::move(key)];
    return true;
  }
  return false;
}

}  // namespace

bool learn_from_findings(std::span<const edifact::report::ValidationIssue> findings, KeySets& keys) {
  bool progress = false;
  std::optional<std::string> pending;
  ElementSet rotated;
  for (const auto& finding : findings) progress = read_finding(finding, keys, pending, rotated) || progress;
  if (pending) {
    keys.forced_segments.erase(*pending);
    progress = keys.suppressed_segments.insert(*pending).second || progress;
  }
  return progress;
}

bool repeats_forever(const KeySets& before, const KeySets& learned, const RotationUses& uses) {
  if (learned.forced_segments != before.forced_segments || learned.suppressed_segments != before.suppressed_segments ||
      learned.forced_elements != before.forced_elements || learned.suppressed_elements != before.suppressed_elements ||
      learned.restored_segments != before.restored_segments) {
    return false;
  }
  for (const auto& [key, count] : learned.code_rotation) {
    const auto earlier = before.code_rotation.find(key);
    const std::size_t step = count - (earlier == before.code_rotation.end() ? 0 : earlier->second);
    const auto used = uses.find(key);
    if (step == 0 || used == uses.end()) continue;
    if (std::ranges::any_of(used->second, [step](std::size_t codes) { return step % codes != 0; })) return false;
  }
  return true;
}

}  // namespace edi_energy::profile::skeleton
