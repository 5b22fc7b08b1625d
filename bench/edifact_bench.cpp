// Parsing and writing a 10 MiB interchange of UTILMD-like segments; the peak heap use of a
// parse is reported as a multiple of the input size (global operator new is counted here).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "edifact/parse/from_bytes.hpp"
#include "edifact/write/writer.hpp"

namespace {

std::atomic<std::size_t> live_bytes{0};
std::atomic<std::size_t> peak_bytes{0};

void count_allocation(std::size_t size) {
  const std::size_t now = live_bytes.fetch_add(size) + size;
  std::size_t peak = peak_bytes.load();
  while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
  }
}

// Each block carries its size in front so that delete can subtract it.
[[gnu::noinline]] void* counted_allocate(std::size_t size) {
  auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (!block) throw std::bad_alloc();
  *block = size;
  count_allocation(size);
  return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

[[gnu::noinline]] void counted_release(void* pointer) {
  if (!pointer) return;
  char* block = static_cast<char*>(pointer) - sizeof(std::max_align_t);
  live_bytes.fetch_sub(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return counted_allocate(size); }
void operator delete(void* pointer) noexcept { counted_release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace {

std::string utilmd_message(int number) {
  const std::string ref = std::to_string(number);
  return "UNH+" + ref + "+UTILMD:D:11A:UN:S2.1'"
         "BGM+E01+MSG" + ref + "'"
         "DTM+137:202610011200?+00:303'"
         "NAD+MS+9900123000002::293'"
         "NAD+MR+9900456000004::293'"
         "IDE+24+VORGANG" + ref + "'"
         "DTM+92:202611010000?+00:303'"
         "STS+7++E01'"
         "LOC+Z16+51238696781'"
         "LOC+172+DE00014545768S0000000000000003054'"
         "RFF+Z13:55001'"
         "SEQ+Z01'"
         "CCI+Z30++Z07'"
         "CAV+Z74:::Z09'"
         "QTY+Z16:4500.000:KWH'"
         "NAD+Z09+++Mustermann:Erika::::Frau+Musterstra?'e::12+Musterstadt++12345+DE'"
         "UNT+17+" + ref + "'";
}

std::string interchange(std::size_t target_bytes) {
  std::string text = "UNA:+.? 'UNB+UNOC:3+9900123000002:500+9900456000004:500+261001:1200+REF1'";
  int messages = 0;
  while (text.size() < target_bytes) text += utilmd_message(++messages);
  text += "UNZ+" + std::to_string(messages) + "+REF1'";
  return text;
}

const std::string& input() {
  static const std::string text = interchange(10 * 1024 * 1024);
  return text;
}

std::vector<edifact::model::Segment> parse_all(std::string_view text) {
  std::vector<edifact::model::Segment> segments;
  auto iter = edifact::from_bytes_with_config(text, {});
  while (auto item = iter.next()) {
    if (!*item) std::abort();  // the generated input is valid
    segments.push_back(std::move(**item));
  }
  return segments;
}

void BM_ParseSlice(benchmark::State& state) {
  const std::string& text = input();
  double peak_ratio = 0;
  for (auto _ : state) {
    const std::size_t before = live_bytes.load();
    peak_bytes.store(before);
    auto segments = parse_all(text);
    peak_ratio = static_cast<double>(peak_bytes.load() - before) / static_cast<double>(text.size());
    benchmark::DoNotOptimize(segments.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["peak_heap_per_input_byte"] = peak_ratio;
}
BENCHMARK(BM_ParseSlice)->Unit(benchmark::kMillisecond);

void BM_WriteSegments(benchmark::State& state) {
  const std::string& text = input();
  const auto segments = parse_all(text);
  std::size_t written = 0;
  for (auto _ : state) {
    auto bytes = edifact::segments_to_bytes(segments);
    if (!bytes) std::abort();
    written = bytes->size();
    benchmark::DoNotOptimize(bytes->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * written));
}
BENCHMARK(BM_WriteSegments)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
