#include "quorvane_native/identifiers/value_err.hpp"

namespace quorvane_native::identifiers {

py::Failure value_err(const rubo4e::error::IdentifierError& error) { return py::value_error(error.message()); }

}  // namespace quorvane_native::identifiers
