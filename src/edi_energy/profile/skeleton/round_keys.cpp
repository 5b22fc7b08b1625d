#include "edi_energy/profile/skeleton/round_keys.hpp"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "edi_energy/profile/validate/validate.hpp"

namespace edi_energy::profile::skeleton {

namespace {

// Adds the keys one finding asks for; true when a key is new. A segment or group that is not
// permitted is only remembered in `pending`, since only the round's last one is suppressed. A code
// rotation moves on once a round (`rotated`), however many instances share its key: moved on per
// finding, as many instances as the list has codes would turn it full circle. `rotated` is the
// scope's own: each Vorgang's count moves on once.
bool read_finding(const edifact::report::ValidationIssue& finding, ScopeKeys& keys,
                  std::optional<std::string>& pending, ElementSet& rotated) {
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

// The Vorgang a finding is about: the one holding its segment, or the instance it judged.
std::optional<std::size_t> vorgang_of(const edifact::report::ValidationIssue& finding,
                                      std::span<const VorgangSpan> vorgaenge) {
  std::optional<std::size_t> at = finding.segment_index;
  // A finding's index saturates: at its largest it only says the segment lies that far or further,
  // in a Vorgang no index tells, and what it asks is learned for the message.
  using Index = decltype(finding.segment_index)::value_type;
  if (at == std::numeric_limits<Index>::max()) at.reset();
  if (!at) {
    const auto scope = finding.context_value(validate::SCOPE_CONTEXT);
    if (!scope) return std::nullopt;
    std::size_t start = 0;
    if (std::from_chars(scope->data(), scope->data() + scope->size(), start).ec != std::errc{}) return std::nullopt;
    at = start;
  }
  const auto after = std::ranges::upper_bound(vorgaenge, *at, std::less<>{}, &VorgangSpan::start);
  if (after == vorgaenge.begin()) return std::nullopt;
  const auto holder = std::prev(after);
  if (*at >= holder->end) return std::nullopt;
  return static_cast<std::size_t>(holder - vorgaenge.begin());
}

// No key of the scope changed but its rotation counts, each by whole turns of every code list it
// chose from.
bool repeats_in_scope(const ScopeKeys& before, const ScopeKeys& learned, const RotationUses& uses) {
  if (learned.forced_segments != before.forced_segments || learned.suppressed_segments != before.suppressed_segments ||
      learned.forced_elements != before.forced_elements ||
      learned.suppressed_elements != before.suppressed_elements ||
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

}  // namespace

bool learn_from_findings(std::span<const edifact::report::ValidationIssue> findings, KeySets& keys,
                         std::span<const VorgangSpan> vorgaenge) {
  bool progress = false;
  // Per scope (none: the message) the last segment found not permitted there.
  std::map<std::optional<std::size_t>, std::string> pending;
  std::map<std::optional<std::size_t>, ElementSet> rotated;
  for (const auto& finding : findings) {
    const auto vorgang = vorgang_of(finding, vorgaenge);
    ScopeKeys& scope = vorgang ? keys.vorgaenge[*vorgang] : keys;
    std::optional<std::string> not_permitted;
    progress = read_finding(finding, scope, not_permitted, rotated[vorgang]) || progress;
    if (not_permitted) pending[vorgang] = std::move(*not_permitted);
  }
  // A Vorgang's segments are judged on the Vorgang alone, so each Vorgang's last one goes; the
  // message's own may hang on any of them and waits until no Vorgang has one.
  if (pending.size() > 1) pending.erase(std::nullopt);
  for (auto& [vorgang, nr] : pending) {
    ScopeKeys& scope = vorgang ? keys.vorgaenge[*vorgang] : keys;
    scope.forced_segments.erase(nr);
    progress = scope.suppressed_segments.insert(std::move(nr)).second || progress;
  }
  return progress;
}

bool repeats_forever(const KeySets& before, const KeySets& learned, const RotationUses& uses) {
  // A Vorgang first met in the last round had nothing learned before it.
  const ScopeKeys nothing;
  if (!repeats_in_scope(before, learned, uses)) return false;
  return std::ranges::all_of(learned.vorgaenge, [&](const auto& entry) {
    const auto earlier = before.vorgaenge.find(entry.first);
    return repeats_in_scope(earlier == before.vorgaenge.end() ? nothing : earlier->second, entry.second, uses);
  });
}

}  // namespace edi_energy::profile::skeleton
