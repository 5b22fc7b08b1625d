// Completion of an empty message to a UTILMD column: rounds of generating and validating until
// the column accepts the message or the rounds run out.
#include <benchmark/benchmark.h>

#include "profile_support/utilmd_column.hpp"

namespace {

void BM_CompleteUtilmd(benchmark::State& state) {
  const auto& profile = bench_support::utilmd_profile();
  const auto& column = bench_support::utilmd_column();
  std::size_t segments = 0;
  for (auto _ : state) {
    auto out = profile.generate(std::nullopt, column, bench_support::parties());
    segments = out ? out->size() : 0;
    benchmark::DoNotOptimize(out);
  }
  state.counters["segments"] = static_cast<double>(segments);
  state.counters["errors"] = static_cast<double>(bench_support::error_count(
      edi_energy::profile::validate::validate(profile, bench_support::completed(), column.pid)));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CompleteUtilmd);

}  // namespace

BENCHMARK_MAIN();
