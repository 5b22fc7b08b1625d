// A builder's message and, for each segment it wrote, the field of its record that the segment
// (or one data element of it) came from: a fault found in the message later can then name the
// value that made it, however the builder ordered, joined or dropped its values.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/error.hpp"

namespace edi_energy::builders {

struct Source {
  std::size_t segment = 0;              // counted from UNH
  std::optional<std::size_t> element;   // absent: the whole segment
  std::optional<std::size_t> component;  // absent: the whole data element
  std::string field;                    // the record's path, indices as the caller listed them: "references[1]"
};

struct Written {
  std::string bytes;
  std::vector<Source> sources;
};

// The bytes alone, for a caller that names no values.
inline Result<std::string> bytes_of(Result<Written> written) {
  if (!written) return std::unexpected(std::move(written.error()));
  return std::move(written->bytes);
}

}  // namespace edi_energy::builders
