// Which release and which profile apply to a message type on a date, read from the shared
// release registry; also how the Python texts for message types and Sparten are read. Every
// message builder takes its release from `resolve_release`.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "edi_energy/message_type.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edi_energy/registry/release_registry.hpp"
#include "edi_energy/release.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::pids {

// The shared registry, built on first use; the copy keeps it referenced for the caller's call.
std::shared_ptr<const edi_energy::registry::ReleaseRegistry> shared_registry();

// Case-insensitive for ASCII letters only. ValueError "unknown EDIFACT message type {:?}" with
// the text as given.
py::Expected<edi_energy::message_type::MessageType> message_type_from_str(std::string_view text);

// No sparte: no track. "STROM" or "GAS" (any ASCII case) select a track for UTILMD and are
// accepted and ignored for every other type. ValueError 'sparte must be "STROM" or "GAS", got
// {:?}' with the upper-cased text otherwise.
py::Expected<std::optional<edi_energy::release::ReleaseTrack>> track_for(
    edi_energy::message_type::MessageType message_type, std::optional<std::string_view> sparte);

// The Sparte a Prüfidentifikator names: 55xxx "STROM", 44xxx "GAS", none otherwise.
std::optional<std::string_view> sparte_of(std::uint32_t pruefidentifikator);

// The profile in force on `date`: of the track when one is given, else of any track; nullptr
// when none has started.
const edi_energy::profile::Profile* profile_in_force(
    const std::shared_ptr<const edi_energy::registry::ReleaseRegistry>& registry,
    edi_energy::message_type::MessageType message_type, std::chrono::year_month_day date,
    std::optional<edi_energy::release::ReleaseTrack> track);

// Whether the profile in force on `date` (see profile_in_force) carries the Prüfidentifikator.
bool known_on(const std::shared_ptr<const edi_energy::registry::ReleaseRegistry>& registry,
              edi_energy::message_type::MessageType message_type, std::uint32_t pid,
              std::chrono::year_month_day date, std::optional<edi_energy::release::ReleaseTrack> track);

// The release a builder writes: `release` unchanged when given (nothing else is looked at),
// else the release of the profile in force on `on` for the `sparte` track. ValueError when
// neither is given, when `on` or `sparte` does not read, or when no profile is in force.
py::Expected<edi_energy::release::Release> resolve_release(edi_energy::message_type::MessageType message_type,
                                                          std::optional<std::string_view> release,
                                                          std::optional<std::string_view> on,
                                                          std::optional<std::string_view> sparte);

}  // namespace quorvane_native::pids
