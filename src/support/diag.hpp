// Structured diagnostic events: level, target (the emitting module's path), message and named
// fields. Nothing happens unless a sink is installed; tests install one to observe events.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace support::diag {

enum class Level { Trace, Debug, Info, Warn, Error };

struct Field {
  std::string name;
  std::string value;
};

struct Event {
  Level level;
  std::string target;
  std::string message;
  std::vector<Field> fields;
};

using Sink = std::function<void(const Event&)>;

// Installs a sink (an empty one removes it) and returns the one it replaces.
Sink set_sink(Sink sink);
bool has_sink();
void emit(Level level, std::string_view target, std::string_view message,
          std::initializer_list<Field> fields = {});

}  // namespace support::diag
