#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/pids/functions.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/pids/tables.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::pids {
namespace {

using edi_energy::message_type::MessageType;
using edi_energy::profile::Profile;
using edi_energy::release::ReleaseTrack;

// The profiles whose index decides: the one in force on a date, or every profile of the type.
std::vector<const Profile*> deciding_profiles(const std::shared_ptr<const edi_energy::registry::ReleaseRegistry>& registry,
                                              MessageType message_type,
                                              std::optional<std::chrono::year_month_day> on,
                                              std::optional<ReleaseTrack> track) {
  std::vector<const Profile*> profiles;
  if (on) {
    if (const Profile* in_force = profile_in_force(registry, message_type, *on, track)) profiles.push_back(in_force);
    return profiles;
  }
  for (const Profile* profile : registry->profiles()) {
    if (profile->message_type() == message_type) profiles.push_back(profile);
  }
  return profiles;
}

// A band of another track is skipped; without a track every band of the type is walked.
bool band_admits(const PidBand& band, MessageType message_type, std::optional<ReleaseTrack> track) {
  if (band.message_type != message_type) return false;
  return !track || !band.track || *band.track == *track;
}

py::Result pid_list(const std::vector<std::uint32_t>& pids) { return py::list(pids, py::integer_of<std::uint32_t>); }

}  // namespace

py::Result pruefidentifikatoren(py::Args args) {
  auto type_text = py::to_str(args[0]);
  if (!type_text) return py::propagate(type_text);
  auto on_text = py::to_optional_str(args[1]);
  if (!on_text) return py::propagate(on_text);
  auto sparte = py::to_optional_str(args[2]);
  if (!sparte) return py::propagate(sparte);

  auto message_type = message_type_from_str(*type_text);
  if (!message_type) return py::propagate(message_type);
  auto track = track_for(*message_type, *sparte);
  if (!track) return py::propagate(track);
  std::optional<std::chrono::year_month_day> on;
  if (*on_text) {
    auto date = fristen::parse_date(**on_text);
    if (!date) return py::propagate(date);
    on = *date;
  }

  const auto registry = shared_registry();
  std::vector<std::uint32_t> carried;
  for (const PidBand& band : pid_bands) {
    if (!band_admits(band, *message_type, *track)) continue;
    // Without a date the track only picks the band, never the profiles. With one, a band of a
    // track is read from that track's profile in force: the newest profile of either track
    // would hide the other track's Prüfidentifikatoren.
    const auto band_track = *track ? *track : band.track;
    const auto profiles = deciding_profiles(registry, *message_type, on, on ? band_track : std::nullopt);
    for (std::uint32_t pid = band.first; pid <= band.last; ++pid) {
      if (std::ranges::any_of(profiles, [pid](const Profile* profile) { return profile->pid_index().contains(pid); })) {
        carried.push_back(pid);
      }
    }
  }
  return pid_list(carried);
}

py::Result pid_has_ahb_rules(py::Args args) {
  auto type_text = py::to_str(args[0]);
  if (!type_text) return py::propagate(type_text);
  auto pid = py::to_u32(args[1]);
  if (!pid) return py::propagate(pid);
  auto on_text = py::to_optional_str(args[2]);
  if (!on_text) return py::propagate(on_text);
  auto sparte = py::to_optional_str(args[3]);
  if (!sparte) return py::propagate(sparte);

  auto message_type = message_type_from_str(*type_text);
  if (!message_type) return py::propagate(message_type);
  if (!is_pruefidentifikator(*pid)) return py::boolean(false);
  // Without a date the question is about any release, so the Sparte is not even read.
  if (!*on_text) return py::boolean(shared_registry()->pid_has_ahb_rules(*message_type, *pid));
  auto date = fristen::parse_date(**on_text);
  if (!date) return py::propagate(date);
  auto track = track_for(*message_type, *sparte);
  if (!track) return py::propagate(track);
  // Without a Sparte the Prüfidentifikator names its track, as it does for the builders.
  if (!*track && !*sparte) {
    auto named = track_for(*message_type, sparte_of(*pid));
    if (named) *track = *named;
  }
  return py::boolean(known_on(shared_registry(), *message_type, *pid, *date, *track));
}

py::Result message_types_of(py::Args args) {
  auto pid = py::to_u32(args[0]);
  if (!pid) return py::propagate(pid);
  std::vector<MessageType> carrying;
  if (is_pruefidentifikator(*pid)) {
    const auto registry = shared_registry();
    for (MessageType message_type : pid_carrying_types) {
      if (registry->pid_has_ahb_rules(message_type, *pid)) carrying.push_back(message_type);
    }
  }
  return py::list(carrying, [](MessageType message_type) { return py::str(edi_energy::message_type::unh_code(message_type)); });
}

py::Result pid_carrying_message_types(py::Args) {
  return py::list(pid_carrying_types,
                  [](MessageType message_type) { return py::str(edi_energy::message_type::unh_code(message_type)); });
}

}  // namespace quorvane_native::pids
