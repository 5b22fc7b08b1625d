// Fuzzes profile validation: arbitrary segment lists, read from the input in a terse notation
// (segments end at ', elements at +, components at :), are validated against a built-in profile
// the first byte picks, with or without a Prüfidentifikator of its AHB. Every input must give a
// list of findings, each with a rule id, in bounded time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "edi_energy/profile/validate/validate.hpp"
#include "profile_inputs.hpp"

using edi_energy::profile::Profile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto& profiles = fuzz_support::builtin_profiles();
  const Profile& profile = *profiles[data[0] % profiles.size()];
  std::optional<std::uint32_t> pid;
  const auto& columns = profile.ahb().anwendungsfaelle;
  if (data[1] != 0xFF && !columns.empty()) pid = columns[data[1] % columns.size()].pid;
  if (data[1] == 0xFE) pid = 99999;  // a PID the AHB lacks
  const auto segments = plain_notation::segments(
      std::string_view(reinterpret_cast<const char*>(data + 2), size - 2), 4096);
  for (const auto& finding : edi_energy::profile::validate::validate(profile, segments, pid)) {
    if (!finding.rule_id || finding.message.empty()) std::abort();
  }
  return 0;
}
