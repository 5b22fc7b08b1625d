// Range check of a Prüfidentifikator before a build.
#pragma once

#include <cstdint>

#include "edi_energy/error.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::pid_check {

inline py::Status pid(std::uint32_t pruefidentifikator) {
  if (pruefidentifikator >= 10000 && pruefidentifikator <= 99999) return {};
  return py::value_error(edi_energy::Error::invalid_pruefidentifikator(pruefidentifikator).message());
}

}  // namespace quorvane_native::edifact::pid_check
