// Validation of UTILMD messages against a built-in profile's AHB column: a 100-segment message
// that the column accepts, how the time grows with the number of Vorgänge (10 to 10,000
// segments), and a hand-written message that draws about a hundred findings.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <fmt/format.h>

#include "edifact/parse/from_bytes.hpp"
#include "profile_support/utilmd_column.hpp"

namespace {

using bench_support::Segment;

void run(benchmark::State& state, const std::vector<Segment>& segments) {
  const auto& profile = bench_support::utilmd_profile();
  const auto pid = bench_support::utilmd_column().pid;
  std::size_t findings = 0;
  for (auto _ : state) {
    auto result = edi_energy::profile::validate::validate(profile, segments, pid);
    findings = result.size();
    benchmark::DoNotOptimize(result);
  }
  state.counters["segments"] = static_cast<double>(segments.size());
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["per_segment_ns"] = benchmark::Counter(static_cast<double>(segments.size()) * 1e-9,
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations());
}

void BM_ValidateUtilmd100(benchmark::State& state) { run(state, bench_support::grown(100)); }
BENCHMARK(BM_ValidateUtilmd100);

void BM_ValidateUtilmdScaling(benchmark::State& state) {
  run(state, bench_support::grown(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ValidateUtilmdScaling)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000);

// Header, then Vorgänge of nine segments each, written by hand: they miss most of what the
// column asks for, so this measures the path that formats findings.
std::vector<Segment> faulty_message(std::size_t segments) {
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
  std::vector<Segment> parsed;
  auto iter = edifact::from_bytes_with_config(text, edifact::ParserConfig{});
  while (auto item = iter.next()) {
    if (!*item) break;
    parsed.push_back(std::move(**item).into_owned());  // `text` ends with this call
  }
  return parsed;
}

void BM_ValidateUtilmdFaulty100(benchmark::State& state) { run(state, faulty_message(100)); }
BENCHMARK(BM_ValidateUtilmdFaulty100);

}  // namespace

BENCHMARK_MAIN();
