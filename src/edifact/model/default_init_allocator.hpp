// An allocator whose `resize` leaves new elements default-initialised, that is, for integers,
// unwritten. The scan sizes its arrays exactly and then writes every entry, so zeroing them
// first would only be a second pass over memory that is about to be overwritten.
#pragma once

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace edifact::model {

// Asks the kernel to back the whole 2 MiB pages inside a large fresh block with huge pages, so
// that filling it takes a few page faults instead of one per 4 KiB.
inline void advise_huge_pages(void* block, std::size_t bytes) {
#if defined(__linux__)
  constexpr std::uintptr_t HUGE_PAGE = std::uintptr_t{2} << 20;
  if (bytes < 2 * HUGE_PAGE) return;
  const auto begin = (reinterpret_cast<std::uintptr_t>(block) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(HUGE_PAGE - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)block;
  (void)bytes;
#endif
}

template <class T>
class DefaultInitAllocator : public std::allocator<T> {
 public:
  using value_type = T;
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U>;
  };

  DefaultInitAllocator() = default;
  template <class U>
  DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    T* block = std::allocator<T>::allocate(count);
    advise_huge_pages(block, count * sizeof(T));
    return block;
  }

  template <class U>
  void construct(U* at) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(at)) U;
  }
  template <class U, class... Args>
  void construct(U* at, Args&&... args) {
    std::construct_at(at, std::forward<Args>(args)...);
  }
};

// A vector of plain values that `resize` grows without writing.
template <class T>
using UnzeroedVector = std::vector<T, DefaultInitAllocator<T>>;

}  // namespace edifact::model
