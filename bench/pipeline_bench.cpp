// The road of validate_edifact below Python: an interchange at the segment limit (100 UTILMD
// messages of about 100 segments each, completed to the 55001 column by the generator) parsed by
// the platform, then every message validated for a date; and the two halves on their own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "edi_energy/platform/platform.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "edifact/write/writer.hpp"

namespace {

using edifact::model::Segment;
using std::chrono::year_month_day;

constexpr year_month_day ON{std::chrono::year{2025}, std::chrono::month{11}, std::chrono::day{1}};
constexpr std::size_t MESSAGES = 100;
constexpr std::size_t SEGMENTS_PER_MESSAGE = 99;  // with UNB and UNZ: 9902 segments

// One 55001 message, its Vorgang repeated until it has about `segments` segments.
std::string utilmd_message(std::size_t segments) {
  const auto registry = edi_energy::registry::REGISTRY.get();
  const auto* profile = *registry->profile_on(edi_energy::message_type::MessageType::Utilmd,
                                              edi_energy::release::Release(std::string_view("S2.1")), ON);
  // Without seeds there is nothing completion could refuse.
  std::vector<Segment> generated =
      profile->generate(std::nullopt, *profile->anwendungsfall(55001), {"9900000000003", "9900000000010"}).value();
  std::size_t first_ide = 0;
  while (first_ide < generated.size() && generated[first_ide].tag() != "IDE") ++first_ide;
  const std::vector<Segment> head(generated.begin(), generated.begin() + static_cast<std::ptrdiff_t>(first_ide));
  const std::vector<Segment> vorgang(generated.begin() + static_cast<std::ptrdiff_t>(first_ide), generated.end() - 1);
  std::vector<Segment> message = head;
  while (message.size() + vorgang.size() + 1 <= segments || message.size() == head.size()) {
    message.insert(message.end(), vorgang.begin(), vorgang.end());
  }
  std::string text = *edifact::segments_to_bytes(message);
  return text + fmt::format("UNT+{}+1'", message.size() + 1);
}

const std::string& interchange() {
  static const std::string made = [] {
    const std::string message = utilmd_message(SEGMENTS_PER_MESSAGE);
    std::string text = "UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+REF1'";
    for (std::size_t index = 0; index < MESSAGES; ++index) text += message;
    return text + fmt::format("UNZ+{}+REF1'", MESSAGES);
  }();
  return made;
}

const edi_energy::platform::Platform& platform() {
  static const auto made = edi_energy::platform::Platform::with_all_profiles();
  return made;
}

void set_counters(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * MESSAGES));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * interchange().size()));
}

void BM_ParseInterchange(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(platform().parse_interchange_full(interchange()));
  set_counters(state);
}
BENCHMARK(BM_ParseInterchange)->Unit(benchmark::kMillisecond);

void BM_ValidateMessages(benchmark::State& state) {
  const auto parsed = platform().parse_interchange_full(interchange());
  if (!parsed) state.SkipWithError(parsed.error().message().c_str());
  std::size_t findings = 0;
  for (auto _ : state) {
    for (const auto& envelope : parsed->messages) {
      auto report = envelope.message.validate_on_date(ON);
      findings += report ? report->finding_count() : 0;
      benchmark::DoNotOptimize(report);
    }
  }
  state.counters["findings/message"] =
      static_cast<double>(findings) / static_cast<double>(state.iterations() * MESSAGES);
  set_counters(state);
}
BENCHMARK(BM_ValidateMessages)->Unit(benchmark::kMillisecond);

void BM_ParseAndValidate(benchmark::State& state) {
  for (auto _ : state) {
    auto parsed = platform().parse_interchange_full(interchange());
    for (const auto& envelope : parsed->messages) benchmark::DoNotOptimize(envelope.message.validate_on_date(ON));
  }
  state.counters["segments"] = 2 + static_cast<double>(MESSAGES * SEGMENTS_PER_MESSAGE);
  set_counters(state);
}
BENCHMARK(BM_ParseAndValidate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
