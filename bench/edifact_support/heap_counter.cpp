#include "heap_counter.hpp"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace bench::heap {
namespace {

// The benchmarks run on one thread. Relaxed loads and stores keep the counting to plain moves
// (no locked instruction per allocation) while staying free of data races on paper.
std::atomic<std::size_t> live{0};
std::atomic<std::size_t> peak{0};

void add(std::size_t size) {
  const std::size_t now = live.load(std::memory_order_relaxed) + size;
  live.store(now, std::memory_order_relaxed);
  if (now > peak.load(std::memory_order_relaxed)) peak.store(now, std::memory_order_relaxed);
}

void subtract(std::size_t size) {
  live.store(live.load(std::memory_order_relaxed) - size, std::memory_order_relaxed);
}

}  // namespace

std::size_t live_bytes() { return live.load(std::memory_order_relaxed); }
std::size_t peak_bytes() { return peak.load(std::memory_order_relaxed); }
void restart_peak() { peak.store(live_bytes(), std::memory_order_relaxed); }

}  // namespace bench::heap

// The usable size is read on both sides, so a block needs no header of our own and the
// allocator's layout stays what an unmeasured run would see.
void* operator new(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  bench::heap::add(malloc_usable_size(block));
  return block;
}

void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  bench::heap::subtract(malloc_usable_size(block));
  std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
