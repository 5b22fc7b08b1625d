// The first parse in a fresh process, which no allocator cache of freed blocks flatters: its
// speed, the time to free what it built, the heap it holds and peaks at, and the memory the
// process had to fault in for it. Run once per mode, each in a process of its own:
//   edifact_first_parse slice | stream | message
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "edifact_support/heap_counter.hpp"
#include "edifact_support/input_census.hpp"
#include "edifact_support/interchange_generator.hpp"
#include "edifact_support/measure.hpp"
#include "edifact_support/memchr_split.hpp"
#include "edifact_support/parse_calls.hpp"

namespace {

struct ProcessMemory {
  std::size_t resident_bytes = 0;
  long minor_faults = 0;
};

ProcessMemory process_memory() {
  ProcessMemory memory;
  std::ifstream statm("/proc/self/statm");
  std::size_t total_pages = 0;
  std::size_t resident_pages = 0;
  if (statm >> total_pages >> resident_pages) {
    memory.resident_bytes = resident_pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  }
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) == 0) memory.minor_faults = usage.ru_minflt;
  return memory;
}

int usage() {
  std::fprintf(stderr, "usage: edifact_first_parse slice|stream|message\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "slice";
  if (mode != "slice" && mode != "stream" && mode != "message") return usage();

  const std::string text = mode == "message" ? bench::input::single_message_interchange()
                                             : bench::input::interchange_of_size(10 * 1024 * 1024);
  const bench::input::Census census = bench::input::take_census(text);
  const auto parse = mode == "stream" ? bench::calls::parse_stream : bench::calls::parse_slice;

  const auto split_start = bench::Clock::now();
  const bench::baseline::SplitResult split = bench::baseline::memchr_split(text);
  const double split_seconds = bench::seconds_between(split_start, bench::Clock::now());

  const ProcessMemory memory_before = process_memory();
  const std::size_t heap_before = bench::heap::live_bytes();
  bench::heap::restart_peak();
  const auto parse_start = bench::Clock::now();
  bench::calls::Parsed parsed = parse(text);
  const auto parse_end = bench::Clock::now();
  const std::size_t held = bench::heap::live_bytes() - heap_before;
  const std::size_t peak = bench::heap::peak_bytes() - heap_before;
  const ProcessMemory memory_after = process_memory();
  const std::size_t segments = bench::calls::segment_count(parsed);

  const auto free_start = bench::Clock::now();
  bench::calls::Parsed().swap(parsed);
  const double free_seconds = bench::seconds_between(free_start, bench::Clock::now());
  const double parse_seconds = bench::seconds_between(parse_start, parse_end);

  if (segments != split.segments) {
    std::fprintf(stderr, "parse found %zu segments, the memchr split %zu\n", segments,
                 split.segments);
    return 1;
  }
  const double bytes = static_cast<double>(text.size());
  const double parse_rate = bench::megabytes_per_second(bytes, parse_seconds);
  const double split_rate = bench::megabytes_per_second(bytes, split_seconds);
  std::printf(
      "first %s parse in a fresh process: %zu bytes, %zu segments, %zu values, %.1f%% of them "
      "released, %.1f%% line-break bytes, %.1f%% non-ASCII bytes\n",
      std::string(mode).c_str(), census.bytes, census.segments, census.values,
      100.0 * static_cast<double>(census.released_values) / static_cast<double>(census.values),
      100.0 * static_cast<double>(census.line_break_bytes) / bytes,
      100.0 * static_cast<double>(census.non_ascii_bytes) / bytes);
  std::printf("  parse %10.1f MB/s  %10.3f ms   memchr split %8.1f MB/s   parse/memchr %.3f\n",
              parse_rate, parse_seconds * 1e3, split_rate, parse_rate / split_rate);
  std::printf("  free  %10.3f ms (%.0f%% of the parse time)\n", free_seconds * 1e3,
              100.0 * free_seconds / parse_seconds);
  std::printf(
      "  heap held %.2f x input, peak %.2f x input; resident set grew %.2f x input, %ld page "
      "faults\n",
      static_cast<double>(held) / bytes, static_cast<double>(peak) / bytes,
      (static_cast<double>(memory_after.resident_bytes) -
       static_cast<double>(memory_before.resident_bytes)) / bytes,
      memory_after.minor_faults - memory_before.minor_faults);
  return 0;
}
