#include "quorvane_native/pids/release_resolution.hpp"

#include <array>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/registry/shared_registry.hpp"
#include "quorvane_native/fristen/time_text.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::pids {
namespace {

using edi_energy::message_type::MessageType;
using edi_energy::registry::ReleaseRegistry;
using edi_energy::release::ReleaseTrack;

// Only a-z change: a folding that knows other scripts would let "ß" or "ı" pass as a code.
std::string ascii_uppercase(std::string_view text) {
  std::string upper(text);
  for (char& byte : upper) {
    if (byte >= 'a' && byte <= 'z') byte = static_cast<char>(byte - 'a' + 'A');
  }
  return upper;
}

struct SparteName {
  std::string_view name;
  ReleaseTrack track;
};

constexpr std::array<SparteName, 2> sparten{{{"STROM", ReleaseTrack::Strom}, {"GAS", ReleaseTrack::Gas}}};

}  // namespace

std::shared_ptr<const ReleaseRegistry> shared_registry() { return edi_energy::registry::REGISTRY.get(); }

py::Expected<MessageType> message_type_from_str(std::string_view text) {
  if (auto message_type = edi_energy::message_type::from_unh_code(ascii_uppercase(text))) return *message_type;
  return py::value_error(fmt::format("unknown EDIFACT message type {}", support::debug_quote(text)));
}

py::Expected<std::optional<ReleaseTrack>> track_for(MessageType message_type, std::optional<std::string_view> sparte) {
  if (!sparte) return std::nullopt;
  const std::string upper = ascii_uppercase(*sparte);
  for (const SparteName& known : sparten) {
    if (known.name != upper) continue;
    // Only UTILMD keeps separate electricity and gas releases.
    if (message_type != MessageType::Utilmd) return std::nullopt;
    return known.track;
  }
  return py::value_error(fmt::format("sparte must be \"STROM\" or \"GAS\", got {}", support::debug_quote(upper)));
}

std::optional<std::string_view> sparte_of(std::uint32_t pruefidentifikator) {
  if (pruefidentifikator >= 55000 && pruefidentifikator <= 55999) return "STROM";
  if (pruefidentifikator >= 44000 && pruefidentifikator <= 44999) return "GAS";
  return std::nullopt;
}

const edi_energy::profile::Profile* profile_in_force(const std::shared_ptr<const ReleaseRegistry>& registry,
                                                     MessageType message_type, std::chrono::year_month_day date,
                                                     std::optional<ReleaseTrack> track) {
  if (track) return registry->profile_for_date_and_track(message_type, date, *track);
  return edi_energy::registry::ProcessContext{registry, date}.active_profile(message_type);
}

bool known_on(const std::shared_ptr<const ReleaseRegistry>& registry, MessageType message_type, std::uint32_t pid,
              std::chrono::year_month_day date, std::optional<ReleaseTrack> track) {
  const auto* profile = profile_in_force(registry, message_type, date, track);
  return profile != nullptr && profile->pid_index().contains(pid);
}

py::Expected<edi_energy::release::Release> resolve_release(MessageType message_type,
                                                          std::optional<std::string_view> release,
                                                          std::optional<std::string_view> on,
                                                          std::optional<std::string_view> sparte) {
  // An explicit release is the caller's decision, also one the registry does not know.
  if (release) return edi_energy::release::Release(*release);
  const std::string_view code = edi_energy::message_type::unh_code(message_type);
  if (!on) {
    return py::value_error(fmt::format(
        "pass either release= or on= — a {} message has no default release, and guessing one produces findings "
        "that describe the mismatch rather than the message",
        code));
  }
  auto date = fristen::parse_date(*on);
  if (!date) return py::propagate(date);
  const auto registry = shared_registry();
  auto track = track_for(message_type, sparte);
  if (!track) return py::propagate(track);
  const auto* profile = profile_in_force(registry, message_type, *date, *track);
  if (profile == nullptr) {
    return py::value_error(fmt::format(
        "no {} profile is active on {} — pass release= explicitly, or pick a date inside a published format "
        "version (see format_versions())",
        code, *on));
  }
  return profile->release();
}

}  // namespace quorvane_native::pids
