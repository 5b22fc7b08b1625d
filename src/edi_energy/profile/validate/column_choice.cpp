#include "edi_energy/profile/validate/column_choice.hpp"

#include <algorithm>
#include <string_view>

#include "edi_energy/profile/validate/ctx.hpp"

namespace edi_energy::profile::validate {
namespace {

std::string_view bgm_code(std::span<const edifact::model::Segment> segments) {
  const auto bgm = std::ranges::find_if(segments, [](const edifact::model::Segment& s) { return s.tag() == "BGM"; });
  if (bgm == segments.end()) return {};
  return text_at(*bgm, Position{0, 0}).value_or(std::string_view{});
}

std::string_view bgm_nr(const structure::Structure& structure) {
  const auto def = std::ranges::find_if(structure.segment_defs,
                                        [](const model::SegmentNode& node) { return node.tag == "BGM"; });
  return def == structure.segment_defs.end() ? std::string_view{} : std::string_view(def->nr);
}

ColumnChoice by_bgm(const Profile& profile, std::span<const edifact::model::Segment> segments) {
  const std::string_view code = bgm_code(segments);
  const std::string_view nr = bgm_nr(profile.structure());
  const auto& all = profile.ahb().anwendungsfaelle;
  const model::Anwendungsfall* candidate = nullptr;
  std::size_t candidates = 0;
  for (const model::Anwendungsfall& anwendungsfall : all) {
    const bool lists = std::ranges::any_of(anwendungsfall.elements, [&](const model::ElementRule& rule) {
      return rule.nr == nr && rule.de == "1001" &&
             std::ranges::any_of(rule.operands, [&](const model::Operand& o) { return o.code == code; });
    });
    if (lists) {
      candidate = &anwendungsfall;
      ++candidates;
    }
  }
  if (candidates == 1) return {ColumnChoice::Outcome::Chosen, candidate};
  if (candidates == 0 && all.size() == 1) return {ColumnChoice::Outcome::Chosen, &all.front()};
  return {};
}

}  // namespace

ColumnChoice choose_column(const Profile& profile, std::span<const edifact::model::Segment> segments,
                           std::optional<std::uint32_t> pruefidentifikator) {
  if (pruefidentifikator) {
    if (const model::Anwendungsfall* found = profile.anwendungsfall(*pruefidentifikator)) {
      return {ColumnChoice::Outcome::Chosen, found};
    }
    const auto& all = profile.ahb().anwendungsfaelle;
    if (!profile.mig().pid_exempt &&
        std::ranges::any_of(all, [](const model::Anwendungsfall& a) { return a.pid.has_value(); })) {
      return {ColumnChoice::Outcome::Unknown, nullptr};
    }
  }
  return by_bgm(profile, segments);
}

}  // namespace edi_energy::profile::validate
