// Validation of UTILMD messages against a built-in profile's AHB column: one 100-segment
// message, and how the time grows with the number of Vorgänge (10 to 10,000 segments).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/parse/from_bytes.hpp"

namespace {

using edi_energy::profile::Profile;

// The newest electricity UTILMD profile of the catalogue.
const Profile& utilmd_profile() {
  static const Profile* chosen = [] {
    std::vector<const Profile*> profiles;
    edi_energy::register_profiles(profiles);
    const Profile* best = nullptr;
    for (const Profile* profile : profiles) {
      if (profile->mig().message_type != "UTILMD" || !profile->mig().release.starts_with('S')) continue;
      if (best == nullptr || best->valid_from() < profile->valid_from()) best = profile;
    }
    return best;
  }();
  return *chosen;
}

// 55001, which the Vorgänge below are written for, else the first PID of the AHB.
std::optional<std::uint32_t> column_pid(const Profile& profile) {
  if (profile.anwendungsfall(55001) != nullptr) return 55001;
  for (const auto& anwendungsfall : profile.ahb().anwendungsfaelle) {
    if (anwendungsfall.pid) return anwendungsfall.pid;
  }
  return std::nullopt;
}

// Header, then Vorgänge of nine segments each until about `segments` segments, then UNT.
std::string utilmd_text(std::size_t segments) {
  std::string text =
      "UNH+1+UTILMD:D:11A:UN:S2.2'BGM+E01+DOC1'DTM+137:202610010000?+00:303'"
      "NAD+MS+9900000000003::293'NAD+MR+9900000000010::293'";
  std::size_t count = 5;
  for (std::size_t vorgang = 1; count + 9 < segments || vorgang == 1; ++vorgang, count += 9) {
    text += fmt::format(
        "IDE+24+V{}'DTM+92:202610010000?+00:303'STS+7++E01'LOC+Z16+51238696781'RFF+Z13:55001'SEQ+Z01'CCI+Z30'"
        "CAV+Z36'NAD+Z09+++Muster:Max::::Z01'",
        vorgang);
  }
  text += fmt::format("UNT+{}+1'", count + 1);
  return text;
}

std::vector<edifact::model::Segment> parsed(const std::string& text) {
  std::vector<edifact::model::Segment> segments;
  auto iter = edifact::from_bytes_with_config(text, edifact::ParserConfig{});
  while (auto item = iter.next()) {
    if (!*item) break;
    segments.push_back(std::move(**item));
  }
  return segments;
}

void run(benchmark::State& state, std::size_t size) {
  const Profile& profile = utilmd_profile();
  const std::string text = utilmd_text(size);
  const auto segments = parsed(text);
  const auto pid = column_pid(profile);
  std::size_t findings = 0;
  for (auto _ : state) {
    auto result = edi_energy::profile::validate::validate(profile, segments, pid);
    findings = result.size();
    benchmark::DoNotOptimize(result);
  }
  state.counters["segments"] = static_cast<double>(segments.size());
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["per_segment_ns"] = benchmark::Counter(static_cast<double>(segments.size()),
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations());
}

void BM_ValidateUtilmd100(benchmark::State& state) { run(state, 100); }
BENCHMARK(BM_ValidateUtilmd100);

void BM_ValidateUtilmdScaling(benchmark::State& state) { run(state, static_cast<std::size_t>(state.range(0))); }
BENCHMARK(BM_ValidateUtilmdScaling)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
