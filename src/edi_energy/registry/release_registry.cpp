#include "edi_energy/registry/release_registry.hpp"

#include <algorithm>
#include <utility>

#include <fmt/format.h>

#include "support/diag.hpp"
#include "support/time_text/date_text.hpp"

namespace edi_energy::registry {
namespace {

using message_type::MessageType;
using profile::Profile;

std::size_t slot(MessageType message_type) { return static_cast<std::size_t>(message_type); }

// Later start first, then the greater release text (bytes, a prefix before the longer text).
// Ties go to the later profile in the walk, so the walk keeps a candidate that is not less.
bool not_less_in_force(const Profile& candidate, const Profile& kept) {
  if (candidate.valid_from() != kept.valid_from()) return candidate.valid_from() > kept.valid_from();
  return candidate.release().text() >= kept.release().text();
}

template <class Admits>
const Profile* profile_in_force(const std::vector<const Profile*>& profiles, MessageType message_type,
                                std::chrono::year_month_day date, Admits admits) {
  const Profile* kept = nullptr;
  for (const Profile* candidate : profiles) {
    if (candidate->message_type() != message_type || candidate->valid_from() > date) continue;
    if (!admits(*candidate)) continue;
    if (kept == nullptr || not_less_in_force(*candidate, *kept)) kept = candidate;
  }
  return kept;
}

void report_collision(MessageType message_type, const release::Release& release, std::chrono::year_month_day date,
                      const Profile& chosen, std::size_t candidates) {
  if (!support::diag::has_sink()) return;
  support::diag::emit(support::diag::Level::Debug, "edi_energy::registry", "wire_code_collision_resolved",
                      {{"message_type", std::string(message_type::variant_name(message_type))},
                       {"release", std::string(release.text())},
                       {"date", support::time_text::date_text(date)},
                       {"resolved_to", std::string(chosen.release().text())},
                       {"candidates", fmt::format("{}", candidates)}});
}

}  // namespace

ReleaseRegistry ReleaseRegistry::create(std::vector<const Profile*> profiles) {
  ReleaseRegistry registry;
  for (std::size_t position = 0; position < profiles.size(); ++position) {
    const Profile& entry = *profiles[position];
    registry.index_[slot(entry.message_type())][std::string(entry.release().text())].push_back(position);
  }
  for (ReleaseIndex& releases : registry.index_) {
    for (auto& [text, candidates] : releases) {
      std::ranges::stable_sort(candidates, {}, [&](std::size_t position) { return profiles[position]->valid_from(); });
    }
  }
  registry.profiles_ = std::move(profiles);
  return registry;
}

Result<const Profile*> ReleaseRegistry::profile_on(MessageType message_type, const release::Release& release,
                                                   std::chrono::year_month_day date) const {
  const ReleaseIndex& releases = index_[slot(message_type)];
  const auto found = releases.find(release.text());
  if (found == releases.end()) return std::unexpected(Error::profile_not_found(release, message_type));
  const Candidates& candidates = found->second;
  // Latest start first; equal starts keep registration order, so the later registered wins.
  for (auto position = candidates.rbegin(); position != candidates.rend(); ++position) {
    const Profile* candidate = profiles_[*position];
    if (candidate->valid_from() > date) continue;
    if (candidates.size() > 1) report_collision(message_type, release, date, *candidate, candidates.size());
    return candidate;
  }
  return std::unexpected(
      Error::profile_not_yet_active(release, profiles_[candidates.front()]->valid_from(), date, message_type));
}

const Profile* ReleaseRegistry::profile_for_date_and_track(MessageType message_type, std::chrono::year_month_day date,
                                                           release::ReleaseTrack track) const {
  return profile_in_force(profiles_, message_type, date, [track](const Profile& candidate) {
    // Parsed without the opaque-release warning: asking for a track is not a comparison.
    return release::ReleaseKind::parse(candidate.release().text()).track() == track;
  });
}

std::vector<std::string> ReleaseRegistry::format_versions() const {
  std::vector<std::chrono::year_month_day> dates;
  dates.reserve(profiles_.size());
  for (const Profile* entry : profiles_) dates.push_back(entry->valid_from());
  std::ranges::sort(dates);
  const auto repeated = std::ranges::unique(dates);
  dates.erase(repeated.begin(), repeated.end());
  std::vector<std::string> versions;
  versions.reserve(dates.size());
  for (const auto date : dates) versions.push_back("FV" + support::time_text::date_text(date));
  return versions;
}

std::vector<const release::Release*> ReleaseRegistry::releases(MessageType message_type) const {
  std::vector<const release::Release*> releases;
  for (const Profile* entry : profiles_) {
    if (entry->message_type() == message_type) releases.push_back(&entry->release());
  }
  std::ranges::stable_sort(releases, [](const release::Release* a, const release::Release* b) { return *a < *b; });
  const auto repeated = std::ranges::unique(
      releases, [](const release::Release* a, const release::Release* b) { return a->text() == b->text(); });
  releases.erase(repeated.begin(), repeated.end());
  return releases;
}

bool ReleaseRegistry::pid_has_ahb_rules(MessageType message_type, std::uint32_t pruefidentifikator) const {
  return std::ranges::any_of(profiles_, [&](const Profile* entry) {
    return entry->message_type() == message_type && entry->pid_index().contains(pruefidentifikator);
  });
}

const Profile* ProcessContext::active_profile(MessageType message_type) const {
  return profile_in_force(registry->profiles(), message_type, date, [](const Profile&) { return true; });
}

}  // namespace edi_energy::registry
