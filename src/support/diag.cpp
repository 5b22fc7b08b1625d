#include "support/diag.hpp"

#include <atomic>
#include <mutex>
#include <utility>

namespace support::diag {
namespace {

std::mutex sink_mutex;
Sink current_sink;
std::atomic<bool> sink_installed{false};

}  // namespace

Sink set_sink(Sink sink) {
  std::lock_guard lock(sink_mutex);
  Sink previous = std::exchange(current_sink, std::move(sink));
  sink_installed.store(static_cast<bool>(current_sink), std::memory_order_release);
  return previous;
}

bool has_sink() { return sink_installed.load(std::memory_order_acquire); }

void emit(Level level, std::string_view target, std::string_view message,
          std::initializer_list<Field> fields) {
  if (!has_sink()) return;
  Event event{level, std::string(target), std::string(message), std::vector<Field>(fields)};
  std::lock_guard lock(sink_mutex);
  if (current_sink) current_sink(event);
}

}  // namespace support::diag
