// Reading a Voraussetzung text that lists n code values: the time per value must stay flat
// as the list grows (the AHB texts list a handful, the reader must cope with any length).
#include <benchmark/benchmark.h>

#include <string>

#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace {

void BM_ReadListedValues(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  std::string text = "Wenn SG8 SEQ+Z01 DE1229 der Code";
  for (std::size_t i = 0; i < count; ++i) text += " A" + std::to_string(i);
  text += " vorhanden";
  for (auto _ : state) {
    auto reading = edi_energy::profile::conditions::Voraussetzung::parse(text);
    benchmark::DoNotOptimize(reading);
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadListedValues)->RangeMultiplier(4)->Range(64, 65536)->Complexity();

}  // namespace

BENCHMARK_MAIN();
