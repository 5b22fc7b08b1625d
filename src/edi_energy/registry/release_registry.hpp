// The release registry: which compiled profile applies to a message, by message type and wire
// release code and date, or by date and track; also the release codes and format versions that
// the registered profiles carry.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "edi_energy/error.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::registry {

// Immutable once made. It does not own its profiles: they must outlive it (the built-in ones
// live for the whole process).
class ReleaseRegistry {
 public:
  // `profiles` in registration order; the order decides every tie.
  static ReleaseRegistry create(std::vector<const profile::Profile*> profiles);

  // The newest profile of that type and release text that has started on `date`. Several
  // profiles sharing one wire code are told apart by their first day; the choice is reported
  // as a debug event.
  Result<const profile::Profile*> profile_on(message_type::MessageType message_type,
                                             const release::Release& release,
                                             std::chrono::year_month_day date) const;

  // The profile in force on `date` among those whose release has `track`, or nullptr.
  const profile::Profile* profile_for_date_and_track(message_type::MessageType message_type,
                                                     std::chrono::year_month_day date,
                                                     release::ReleaseTrack track) const;

  // The distinct first days of validity, ascending, as "FV2026-04-01".
  std::vector<std::string> format_versions() const;

  // The distinct releases of a message type in release order.
  std::vector<const release::Release*> releases(message_type::MessageType message_type) const;

  // Whether any profile of the type, of any release and validity, has the Prüfidentifikator.
  bool pid_has_ahb_rules(message_type::MessageType message_type, std::uint32_t pruefidentifikator) const;

  // In registration order; a walk that takes the first match finds, of two profiles sharing a
  // wire code, the one registered first.
  const std::vector<const profile::Profile*>& profiles() const { return profiles_; }

 private:
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  // Positions in `profiles_`, sorted by first day of validity (stable); never empty.
  using Candidates = std::vector<std::size_t>;
  using ReleaseIndex = std::unordered_map<std::string, Candidates, TextHash, std::equal_to<>>;

  ReleaseRegistry() = default;

  std::vector<const profile::Profile*> profiles_;
  std::array<ReleaseIndex, message_type::message_type_count> index_;
};

// A registry and a day: the context in which a caller asks for the profile in force.
struct ProcessContext {
  std::shared_ptr<const ReleaseRegistry> registry;
  std::chrono::year_month_day date;

  // Among the profiles of the type that have started on `date`, the latest start; on equal
  // starts the greater release text; on equal texts the one registered later. Where validity
  // ends plays no part.
  const profile::Profile* active_profile(message_type::MessageType message_type) const;
};

}  // namespace edi_energy::registry
