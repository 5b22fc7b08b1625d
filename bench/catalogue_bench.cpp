// Compiling the 32 built-in profiles from their embedded documents, as the first use of the
// catalogue does; reported in bytes of document text per second.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "edi_energy/catalogue.hpp"

namespace {

void BM_CompileCatalogue(benchmark::State& state) {
  const auto pairs = edi_energy::catalogue::builtin_pairs();
  std::size_t document_bytes = 0;
  for (const auto& pair : pairs) document_bytes += pair.mig.text.size() + pair.ahb.text.size();
  for (auto _ : state) {
    for (const auto& pair : pairs) {
      auto profile = edi_energy::profile::Profile::from_json(pair.mig, pair.ahb);
      if (!profile) std::abort();  // the committed documents load
      benchmark::DoNotOptimize(profile->release());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document_bytes));
  state.counters["document_megabytes"] = static_cast<double>(document_bytes) / 1e6;
}
BENCHMARK(BM_CompileCatalogue)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
