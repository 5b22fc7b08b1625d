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

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/model/segment_builder.hpp"

namespace {

using edi_energy::profile::Profile;

const std::vector<const Profile*>& profiles() {
  static const std::vector<const Profile*> all = [] {
    std::vector<const Profile*> list;
    edi_energy::register_profiles(list);
    return list;
  }();
  return all;
}

std::vector<edifact::model::Segment> segments_of(std::string_view text) {
  std::vector<edifact::model::Segment> segments;
  while (!text.empty() && segments.size() < 4096) {
    const std::size_t terminator = std::min(text.find('\''), text.size());
    std::string_view rest = text.substr(0, terminator);
    text.remove_prefix(std::min(terminator + 1, text.size()));
    const std::size_t tag_end = std::min(rest.find('+'), rest.size());
    edifact::model::SegmentBuilder builder(rest.substr(0, tag_end));
    rest.remove_prefix(tag_end);
    while (!rest.empty()) {
      rest.remove_prefix(1);
      std::string_view element = rest.substr(0, std::min(rest.find('+'), rest.size()));
      rest.remove_prefix(element.size());
      builder.element();
      for (std::size_t colon; (colon = element.find(':')) != std::string_view::npos; element.remove_prefix(colon + 1)) {
        builder.component(element.substr(0, colon));
      }
      builder.component(element);
    }
    segments.push_back(builder.build());
  }
  return segments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Profile& profile = *profiles()[data[0] % profiles().size()];
  std::optional<std::uint32_t> pid;
  const auto& columns = profile.ahb().anwendungsfaelle;
  if (data[1] != 0xFF && !columns.empty()) pid = columns[data[1] % columns.size()].pid;
  if (data[1] == 0xFE) pid = 99999;  // a PID the AHB lacks
  const auto segments = segments_of(std::string_view(reinterpret_cast<const char*>(data + 2), size - 2));
  for (const auto& finding : edi_energy::profile::validate::validate(profile, segments, pid)) {
    if (!finding.rule_id || finding.message.empty()) std::abort();
  }
  return 0;
}
