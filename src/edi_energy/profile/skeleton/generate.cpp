// Rounds of generate and validate: each round's findings become keys that steer the next walk.
#include <optional>
#include <string>
#include <string_view>

#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/round_keys.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/model/owned_element.hpp"
#include "support/diag.hpp"

namespace edi_energy::profile {

namespace {

constexpr std::size_t max_rounds = 24;

std::optional<std::uint32_t> validation_pid(const model::Anwendungsfall& anwendungsfall) {
  if (anwendungsfall.pid && *anwendungsfall.pid >= 10000 && *anwendungsfall.pid <= 99999) return anwendungsfall.pid;
  return std::nullopt;
}

// Completion hands back its last output whatever validation still says; the event is the one
// place where a caller can see how the rounds ended.
void report_end(std::size_t rounds, std::string_view end, std::size_t findings) {
  if (!support::diag::has_sink()) return;
  support::diag::emit(support::diag::Level::Debug, "edi_energy::profile::skeleton", "completion finished",
                      {{"rounds", std::to_string(rounds)}, {"end", std::string(end)},
                       {"findings", std::to_string(findings)}});
}

void count_segments(std::vector<edifact::model::Segment>& out) {
  for (auto& segment : out) {
    if (segment.tag() != "UNT") continue;
    if (segment.elements().size() != 0) {
      edifact::model::OwnedElement count;
      count.component(std::to_string(out.size()));
      segment = segment.with_element(0, count);
    }
    return;
  }
}

}  // namespace

std::expected<std::vector<edifact::model::Segment>, skeleton::CompletionError> Profile::generate(
    std::optional<std::span<const edifact::model::Segment>> seeds, const model::Anwendungsfall& anwendungsfall,
    const skeleton::SkeletonParties& parties) const {
  std::optional<structure::Resolution> resolution;
  if (seeds) resolution = structure_.resolve(*seeds);
  skeleton::KeySets keys;
  std::vector<edifact::model::Segment> out;
  for (std::size_t round = 0;;) {
    out.clear();
    skeleton::Generator generator(*this, anwendungsfall, parties, keys, out,
                                  seeds.value_or(std::span<const edifact::model::Segment>()),
                                  resolution ? &*resolution : nullptr);
    generator.walk(structure_.roots, seeds.has_value(), structure::root_instance, 0);
    generator.compact_written();
    // Seeds are carried over the same way in every round, so the first round tells.
    if (round == 0) {
      const auto skipped = generator.skipped_seeds();
      if (!skipped.empty()) {
        return std::unexpected(skeleton::CompletionError::seed_not_placed(skipped.front().index, skipped.front().tag));
      }
    }
    count_segments(out);
    const auto findings = validate::validate(*this, out, validation_pid(anwendungsfall));
    ++round;
    if (findings.empty()) {
      report_end(round, "clean", 0);
      return out;
    }
    const skeleton::KeySets before = keys;
    const bool progress = skeleton::learn_from_findings(findings, keys, generator.vorgaenge());
    if (!progress || round == max_rounds) {
      report_end(round, progress ? "round limit" : "no progress", findings.size());
      return out;
    }
    // Code findings on leaves that the rotation cannot change (a seed's value, a single code)
    // would otherwise repeat the same walk and validation up to the round limit.
    if (skeleton::repeats_forever(before, keys, generator.rotation_uses())) {
      report_end(round, "settled", findings.size());
      return out;
    }
  }
}

}  // namespace edi_energy::profile
