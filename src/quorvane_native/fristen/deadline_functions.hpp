// Bodies of the Python deadline functions: Werktag arithmetic, CONTRL and APERAK due times,
// Berlin day bounds and market time units, format-303 text. Registered by fristen.cpp.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::fristen {

py::Result is_werktag(py::Args args);
py::Result add_werktage(py::Args args);
py::Result next_werktag(py::Args args);
py::Result deadline_at_werktage(py::Args args);
py::Result end_of_werktag_after(py::Args args);
py::Result next_werktag_at(py::Args args);
py::Result add_hours(py::Args args);
py::Result contrl_due_at(py::Args args);
py::Result aperak_strom_due_at(py::Args args);
py::Result aperak_gas_folgeprozess_due_at(py::Args args);
py::Result aperak_gas_initialprozess_due_at(py::Args args);
py::Result berlin_day_bounds(py::Args args);
py::Result format_303(py::Args args);
py::Result berlin_instant(py::Args args);
py::Result berlin_mtu_count(py::Args args);

}  // namespace quorvane_native::fristen
