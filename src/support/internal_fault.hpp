// An internal fault: a broken invariant of the system itself, never a consequence of bad input.
// Thrown, caught at the Python boundary and raised there as PanicException.
#pragma once

#include <stdexcept>
#include <string>

namespace support {

class InternalFault : public std::runtime_error {
 public:
  explicit InternalFault(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace support
