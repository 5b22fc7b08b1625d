// An allocator whose `resize` leaves new elements default-initialised, that is, for integers,
// unwritten. The scan sizes its arrays exactly and then writes every entry, so zeroing them
// first would only be a second pass over memory that is about to be overwritten.
#pragma once

#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace edifact::model {

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
