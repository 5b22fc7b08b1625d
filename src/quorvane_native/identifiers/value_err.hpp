// The one translation of an identifier rule's rejection into the exception Python callers see.
#pragma once

#include "quorvane_native/py/errors.hpp"
#include "rubo4e/error.hpp"

namespace quorvane_native::identifiers {

// ValueError with the rejection's display text.
py::Failure value_err(const rubo4e::error::IdentifierError& error);

}  // namespace quorvane_native::identifiers
