// Bodies of the identifier functions, one group per file; identifiers.cpp declares them to Python.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::identifiers {

// lokation_ids.cpp
py::Result malo_is_valid(py::Args args);
py::Result malo_check_digit(py::Args args);
py::Result malo_from_base(py::Args args);
py::Result melo_is_valid(py::Args args);

// marktpartner.cpp
py::Result mp_id_is_valid(py::Args args);
py::Result mp_id_check_digit_schemes(py::Args args);
py::Result mp_id_from_base(py::Args args);
py::Result mp_id_authority(py::Args args);
py::Result mp_id_unb_qualifier(py::Args args);

// eic.cpp
py::Result eic_from_prefix(py::Args args);
py::Result eic_is_valid(py::Args args);
py::Result eic_type_char(py::Args args);
py::Result bilanzkreis_from_prefix(py::Args args);
py::Result bilanzkreis_is_valid(py::Args args);
py::Result bilanzierungsgebiet_from_prefix(py::Args args);
py::Result bilanzierungsgebiet_is_valid(py::Args args);

// resource_ids.cpp
py::Result resource_id_from_base(py::Args args);
py::Result resource_id_is_valid(py::Args args);
py::Result resource_id_kinds(py::Args args);

}  // namespace quorvane_native::identifiers
