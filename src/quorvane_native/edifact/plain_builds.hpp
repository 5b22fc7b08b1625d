// The builds whose layouts are written segment by segment by the energy-market builders: IFTSTA,
// REMADV, ORDERS, ORDRSP and QUOTES, each completed to the AHB column of its Prüfidentifikator.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_iftsta(py::Args args);
py::Result build_remadv(py::Args args);
py::Result build_orders(py::Args args);
py::Result build_ordrsp(py::Args args);
py::Result build_quotes(py::Args args);

}  // namespace quorvane_native::edifact
