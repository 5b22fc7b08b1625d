// Warm runs of the EDIFACT parse, stream and writer over a ~10 MiB interchange and a ~1 KB
// message, each beside the memchr split of the same bytes. Parsing and freeing are timed apart
// (the reported time is the parse alone); rates are MB/s of 10^6 bytes; heap figures are the
// counted heap held after a parse and its peak, per input byte. Memory that the library keeps
// cached from an earlier parse is not counted again, so warm heap figures can flatter: the
// first parse in a fresh process, measured by edifact_first_parse, is the one to quote.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "edifact_support/heap_counter.hpp"
#include "edifact_support/input_census.hpp"
#include "edifact_support/interchange_generator.hpp"
#include "edifact_support/measure.hpp"
#include "edifact_support/memchr_split.hpp"
#include "edifact_support/parse_calls.hpp"

namespace {

using bench::Clock;
using bench::calls::Parsed;

struct Input {
  const char* name;
  std::string text;
};

const Input& interchange() {
  static const Input input{"interchange_10MiB", bench::input::interchange_of_size(10 * 1024 * 1024)};
  return input;
}

const Input& message() {
  static const Input input{"message_1KB", bench::input::single_message_interchange()};
  return input;
}

// Small inputs are parsed many times per timed stretch, so that the clock's own cost stays
// below a per cent of what it measures.
std::size_t batch_for(const std::string& text) {
  constexpr std::size_t bytes_per_stretch = 512 * 1024;
  return text.size() >= bytes_per_stretch ? 1 : bytes_per_stretch / text.size();
}

// The split's rate on one input, measured once (for at least half a second) and reused by
// every parse benchmark of that input for its ratio.
double memchr_rate(const std::string& text) {
  static std::map<const std::string*, double> rates;
  if (auto known = rates.find(&text); known != rates.end()) return known->second;
  const std::size_t batch = batch_for(text);
  double seconds = 0;
  double bytes = 0;
  while (seconds < 0.5) {
    const auto start = Clock::now();
    for (std::size_t i = 0; i < batch; ++i) {
      benchmark::DoNotOptimize(bench::baseline::memchr_split(text));
    }
    seconds += bench::seconds_between(start, Clock::now());
    bytes += static_cast<double>(batch * text.size());
  }
  return rates[&text] = bench::megabytes_per_second(bytes, seconds);
}

void memchr_split(benchmark::State& state, const Input& input) {
  const std::size_t batch = batch_for(input.text);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    for (std::size_t i = 0; i < batch; ++i) {
      benchmark::DoNotOptimize(bench::baseline::memchr_split(input.text));
    }
    const double stretch = bench::seconds_between(start, Clock::now());
    seconds += stretch;
    state.SetIterationTime(stretch);
  }
  const double bytes = static_cast<double>(state.iterations() * batch * input.text.size());
  state.counters["MB/s"] = bench::megabytes_per_second(bytes, seconds);
}

using ParseFunction = Parsed (*)(std::string_view);

void parse(benchmark::State& state, const Input& input, ParseFunction parse_function) {
  const std::size_t batch = batch_for(input.text);
  std::vector<Parsed> results(batch);
  double parse_seconds = 0;
  double free_seconds = 0;
  double held_ratio = 0;
  double peak_ratio = 0;
  const double stretch_bytes = static_cast<double>(batch * input.text.size());
  for (auto _ : state) {
    const std::size_t heap_before = bench::heap::live_bytes();
    bench::heap::restart_peak();
    const auto start = Clock::now();
    for (Parsed& result : results) result = parse_function(input.text);
    const auto parsed = Clock::now();
    held_ratio = static_cast<double>(bench::heap::live_bytes() - heap_before) / stretch_bytes;
    peak_ratio = static_cast<double>(bench::heap::peak_bytes() - heap_before) / stretch_bytes;
    for (Parsed& result : results) Parsed().swap(result);
    const auto freed = Clock::now();
    parse_seconds += bench::seconds_between(start, parsed);
    free_seconds += bench::seconds_between(parsed, freed);
    state.SetIterationTime(bench::seconds_between(start, parsed));
  }
  const double bytes = static_cast<double>(state.iterations()) * stretch_bytes;
  const double rate = bench::megabytes_per_second(bytes, parse_seconds);
  state.counters["MB/s"] = rate;
  state.counters["free_MB/s"] = bench::megabytes_per_second(bytes, free_seconds);
  state.counters["parse/memchr"] = rate / memchr_rate(input.text);
  state.counters["heap_held/input"] = held_ratio;
  state.counters["heap_peak/input"] = peak_ratio;
  state.counters["us_per_parse"] =
      parse_seconds * 1e6 / static_cast<double>(state.iterations() * batch);
}

// Writes the parsed segments back; the rate counts the bytes written.
void write(benchmark::State& state, const Input& input) {
  const std::vector<edifact::model::Segment> segments = bench::calls::segments_of(bench::calls::parse_slice(input.text));
  const std::size_t batch = batch_for(input.text);
  double seconds = 0;
  std::size_t written = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    for (std::size_t i = 0; i < batch; ++i) {
      const std::string bytes = bench::calls::write_segments(segments);
      written = bytes.size();
      benchmark::DoNotOptimize(bytes.data());
    }
    const double stretch = bench::seconds_between(start, Clock::now());
    seconds += stretch;
    state.SetIterationTime(stretch);
  }
  const double bytes = static_cast<double>(state.iterations() * batch * written);
  state.counters["MB/s"] = bench::megabytes_per_second(bytes, seconds);
}

void describe(const Input& input) {
  const bench::input::Census census = bench::input::take_census(input.text);
  std::printf(
      "%s: %zu bytes, %zu segments, %zu values, %.1f%% of them released, %.1f%% line-break "
      "bytes, %.1f%% non-ASCII bytes\n",
      input.name, census.bytes, census.segments, census.values,
      100.0 * static_cast<double>(census.released_values) / static_cast<double>(census.values),
      100.0 * static_cast<double>(census.line_break_bytes) / static_cast<double>(census.bytes),
      100.0 * static_cast<double>(census.non_ascii_bytes) / static_cast<double>(census.bytes));
}

void register_all() {
  for (const Input* input : {&interchange(), &message()}) {
    const std::string suffix = std::string("/") + input->name;
    const benchmark::TimeUnit unit =
        input == &message() ? benchmark::kMicrosecond : benchmark::kMillisecond;
    benchmark::RegisterBenchmark(("memchr_split" + suffix).c_str(), memchr_split, *input)
        ->UseManualTime()
        ->Unit(unit);
    benchmark::RegisterBenchmark(("parse_slice" + suffix).c_str(), parse, *input,
                                 &bench::calls::parse_slice)
        ->UseManualTime()
        ->Unit(unit);
    benchmark::RegisterBenchmark(("parse_stream" + suffix).c_str(), parse, *input,
                                 &bench::calls::parse_stream)
        ->UseManualTime()
        ->Unit(unit);
    benchmark::RegisterBenchmark(("write" + suffix).c_str(), write, *input)
        ->UseManualTime()
        ->Unit(unit);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  describe(interchange());
  describe(message());
  register_all();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
