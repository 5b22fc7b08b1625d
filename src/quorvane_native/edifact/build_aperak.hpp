// build_aperak and build_aperak_for: the APERAK acknowledgement, from the caller's fields or
// correlated with a received interchange, completed to the column its BGM code selects.
#pragma once

#include <cstdint>
#include <string_view>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_aperak(py::Args args);
py::Result build_aperak_for(py::Args args);

// 29002 (positive Anerkennungsmeldung) when the message holds "BGM+312", else 29001.
std::uint32_t aperak_pid(std::string_view message);

}  // namespace quorvane_native::edifact
