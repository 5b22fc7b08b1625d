// Clock and units shared by the EDIFACT benchmarks. Rates are in MB/s of 10^6 bytes.
#pragma once

#include <chrono>
#include <cstddef>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double seconds_between(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double>(end - start).count();
}

inline double megabytes_per_second(double bytes, double seconds) {
  return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

}  // namespace bench
