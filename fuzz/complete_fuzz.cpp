// Fuzzes completion as the builders use it: arbitrary seed segments, read from the input in a
// terse notation (segments end at ', elements at +, components at :), are completed to a column
// of a built-in profile that the first two bytes pick; the third byte is 0xFF for an empty
// message instead, any other value for the seeds that follow it. Completion either names a seed
// it has no place for or hands back a message that keeps every seed in a segment of its own,
// counts its segments in UNT and can be written whenever the seeds can. Repetitions of a group's
// variants may come back in the structure's order rather than the seeds'.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "edi_energy/profile/profile.hpp"
#include "edifact/write/writer.hpp"
#include "profile_inputs.hpp"

namespace {

using edi_energy::profile::Profile;
using edifact::model::Segment;

void require(bool holds) {
  if (!holds) std::abort();
}

// Few enough that the 24 rounds of generating and validating stay quick per input.
constexpr std::size_t max_seeds = 256;
constexpr std::size_t seeds_unowned = static_cast<std::size_t>(-1);

// Completion may fill a seed's empty components and sets the count of UNT; every other text of
// the seed stays where it was.
bool keeps(const Segment& out, const Segment& seed) {
  if (out.tag() != seed.tag()) return false;
  const auto seed_elements = seed.elements();
  const auto out_elements = out.elements();
  for (std::size_t e = 0; e < seed_elements.size(); ++e) {
    if (seed.tag() == "UNT" && e == 0) continue;
    const auto components = seed_elements[e].components();
    for (std::size_t c = 0; c < components.size(); ++c) {
      if (components[c].text.empty()) continue;
      if (e >= out_elements.size()) return false;
      const auto kept = out_elements[e].components();
      if (c >= kept.size() || kept[c].text != components[c].text) return false;
    }
  }
  return true;
}

// Gives seed `seed` a segment of `out` that keeps it, moving earlier seeds to other segments
// where that frees one (a matching by augmenting paths).
bool assign(std::size_t seed, const std::vector<std::vector<std::size_t>>& keepers, std::vector<std::size_t>& owner,
            std::vector<bool>& visited) {
  for (const std::size_t at : keepers[seed]) {
    if (visited[at]) continue;
    visited[at] = true;
    if (owner[at] == seeds_unowned || assign(owner[at], keepers, owner, visited)) {
      owner[at] = seed;
      return true;
    }
  }
  return false;
}

void check_completed(const std::vector<Segment>& out, std::span<const Segment> seeds) {
  std::vector<std::vector<std::size_t>> keepers(seeds.size());
  for (std::size_t seed = 0; seed < seeds.size(); ++seed) {
    for (std::size_t at = 0; at < out.size(); ++at) {
      if (keeps(out[at], seeds[seed])) keepers[seed].push_back(at);
    }
  }
  std::vector<std::size_t> owner(out.size(), seeds_unowned);
  for (std::size_t seed = 0; seed < seeds.size(); ++seed) {
    std::vector<bool> visited(out.size(), false);
    require(assign(seed, keepers, owner, visited));
  }
  const auto unt = std::ranges::find_if(out, [](const Segment& segment) { return segment.tag() == "UNT"; });
  if (unt != out.end() && unt->elements().size() != 0) {
    const auto count = unt->elements()[0].components();
    require(!count.empty() && count[0].text == std::to_string(out.size()));
  }
  if (edifact::segments_to_bytes(seeds)) require(edifact::segments_to_bytes(out).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const auto& profiles = fuzz_support::builtin_profiles();
  const Profile& profile = *profiles[data[0] % profiles.size()];
  const auto& columns = profile.ahb().anwendungsfaelle;
  if (columns.empty()) return 0;
  const auto& column = columns[data[1] % columns.size()];
  const edi_energy::profile::skeleton::SkeletonParties parties{"9900000000003", "9800000000006"};

  if (data[2] == 0xFF) {
    const auto out = profile.generate(std::nullopt, column, parties);
    require(out.has_value());
    check_completed(*out, {});
    return 0;
  }
  const auto seeds = plain_notation::segments(
      std::string_view(reinterpret_cast<const char*>(data + 3), size - 3), max_seeds);
  const auto out = profile.generate(std::span<const Segment>(seeds), column, parties);
  if (!out) {
    require(out.error().segment_index < seeds.size());
    require(out.error().tag == seeds[out.error().segment_index].tag());
    require(!out.error().message().empty());
    return 0;
  }
  check_completed(*out, seeds);
  return 0;
}
