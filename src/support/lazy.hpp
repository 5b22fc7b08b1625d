// A process-wide value built once on first use. A second caller blocks until the first has
// finished. A loader that throws either poisons the cell (every later use faults without running
// the loader again) or leaves it empty so that the next use tries again.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "support/internal_fault.hpp"

namespace support {

enum class OnLoaderFailure { Poison, Retry };

template <class T>
class Lazy {
 public:
  explicit Lazy(std::function<T()> loader, OnLoaderFailure on_failure = OnLoaderFailure::Poison)
      : loader_(std::move(loader)), on_failure_(on_failure) {}

  Lazy(const Lazy&) = delete;
  Lazy& operator=(const Lazy&) = delete;

  const T& get() {
    std::lock_guard lock(mutex_);
    if (value_) return *value_;
    if (poisoned_) throw InternalFault("Lazy instance has previously been poisoned");
    try {
      value_.emplace(loader_());
    } catch (...) {
      poisoned_ = on_failure_ == OnLoaderFailure::Poison;
      throw;
    }
    return *value_;
  }

  bool is_built() const {
    std::lock_guard lock(mutex_);
    return value_.has_value();
  }

 private:
  mutable std::mutex mutex_;
  std::function<T()> loader_;
  OnLoaderFailure on_failure_;
  std::optional<T> value_;
  bool poisoned_ = false;
};

}  // namespace support
