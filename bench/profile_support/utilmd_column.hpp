// The UTILMD profile, column and messages that the validation and completion benchmarks share:
// a message completed to the column once, checked to draw no error finding, and grown by
// repeating its Vorgänge with their own references.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/model/owned_element.hpp"

namespace bench_support {

using edi_energy::profile::Profile;
using edifact::model::Segment;

// The newest electricity UTILMD profile of the catalogue.
inline const Profile& utilmd_profile() {
  static const Profile* chosen = [] {
    std::vector<const Profile*> profiles;
    edi_energy::register_profiles(profiles);
    const Profile* best = nullptr;
    for (const Profile* profile : profiles) {
      if (profile->mig().message_type != "UTILMD" || !profile->mig().release.starts_with('S')) continue;
      if (best == nullptr || best->valid_from() < profile->valid_from()) best = profile;
    }
    if (best == nullptr) {
      std::fputs("the catalogue holds no electricity UTILMD profile\n", stderr);
      std::abort();
    }
    return best;
  }();
  return *chosen;
}

// 55001, else the first Anwendungsfall with a PID.
inline const edi_energy::profile::model::Anwendungsfall& utilmd_column() {
  const Profile& profile = utilmd_profile();
  if (const auto* found = profile.anwendungsfall(55001)) return *found;
  for (const auto& anwendungsfall : profile.ahb().anwendungsfaelle) {
    if (anwendungsfall.pid) return anwendungsfall;
  }
  std::fputs("the UTILMD profile has no column with a PID\n", stderr);
  std::abort();
}

inline const edi_energy::profile::skeleton::SkeletonParties& parties() {
  static const edi_energy::profile::skeleton::SkeletonParties both{"9900000000003", "9800000000006"};
  return both;
}

inline std::size_t error_count(const std::vector<edifact::report::ValidationIssue>& findings) {
  std::size_t errors = 0;
  for (const auto& finding : findings) errors += finding.severity == edifact::report::Severity::Error ? 1 : 0;
  return errors;
}

// Stops the process with the findings when `segments` draws an error: the figures would
// otherwise measure the error path.
inline void require_clean(const std::vector<Segment>& segments, const char* what) {
  const auto& column = utilmd_column();
  const auto findings = edi_energy::profile::validate::validate(utilmd_profile(), segments, column.pid);
  if (error_count(findings) == 0) return;
  std::fprintf(stderr, "%s (%zu segments) draws %zu error findings against %s, e.g.:\n", what, segments.size(),
               error_count(findings), column.name.c_str());
  std::size_t shown = 0;
  for (const auto& finding : findings) {
    if (finding.severity != edifact::report::Severity::Error || shown++ == 5) continue;
    std::fprintf(stderr, "  %s: %s\n", finding.rule_id.value_or("").c_str(), finding.message.c_str());
  }
  std::abort();
}

// The column completed from an empty message.
inline const std::vector<Segment>& completed() {
  static const std::vector<Segment> message = [] {
    auto segments = utilmd_profile().generate(std::nullopt, utilmd_column(), parties()).value();
    require_clean(segments, "the completed message");
    return segments;
  }();
  return message;
}

// The completed message with its Vorgänge (SG4 instances) repeated until about `size`
// segments, each copy with its own IDE reference, and UNT counting them.
inline std::vector<Segment> grown(std::size_t size) {
  const Profile& profile = utilmd_profile();
  const auto& message = completed();
  const auto resolution = profile.structure().resolve(message);
  std::size_t first = message.size();
  std::size_t end = 0;
  for (const auto& instance : resolution.instances) {
    if (!instance.node) continue;
    const auto* group = profile.structure().nodes[*instance.node].group();
    if (group == nullptr || group->group != "SG4") continue;
    first = std::min(first, instance.start);
    end = std::max(end, instance.end);
  }
  if (first >= end) {
    std::fputs("the completed message holds no Vorgang\n", stderr);
    std::abort();
  }
  const std::size_t block = end - first;
  const std::size_t frame = message.size() - block;
  const std::size_t copies = size > frame + block ? (size - frame + block / 2) / block : 1;
  std::vector<Segment> out(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(first));
  for (std::size_t copy = 0; copy < copies; ++copy) {
    for (std::size_t at = first; at < end; ++at) {
      if (message[at].tag() == "IDE" && message[at].elements().size() > 1) {
        edifact::model::OwnedElement reference;
        reference.component(fmt::format("V{:06}", copy + 1));
        out.push_back(message[at].with_element(1, reference));
      } else {
        out.push_back(message[at]);
      }
    }
  }
  out.insert(out.end(), message.begin() + static_cast<std::ptrdiff_t>(end), message.end());
  for (auto& segment : out) {
    if (segment.tag() != "UNT" || segment.elements().size() == 0) continue;
    edifact::model::OwnedElement count;
    count.component(std::to_string(out.size()));
    segment = segment.with_element(0, count);
  }
  require_clean(out, "the grown message");
  return out;
}

}  // namespace bench_support
