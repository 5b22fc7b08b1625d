// A build returns only a message that the AHB column it was completed to accepts. When the column
// rejects it, the build is refused naming the argument that made it do so. A fault in a value the
// builder wrote names the argument the builder recorded as writing it, from the one validation. Otherwise
// the argument named is the first argument (or item of a list argument, or value of such an item)
// whose absence takes a fault of the column away. Items are found by halves, so that a refusal
// costs a few builds per list, not one per item. A fault in what completion wrote, or one that no
// argument causes (a published contradiction of the column), refuses nothing.
#pragma once

#include <optional>
#include <string_view>

#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result accepted_by_column(py::Result (*body)(py::Args), py::Args args);

// The refusal naming the argument (`argument`, or an item of it) that wrote a segment the verdict
// finds no place for, else the first value it rejects that such an argument wrote; none where
// none did.
std::optional<py::Failure> argument_fault(const ColumnVerdict& verdict, std::string_view argument);

template <py::Result (*Body)(py::Args)>
py::Result checked_by_column(py::Args args) {
  return accepted_by_column(Body, args);
}

}  // namespace quorvane_native::edifact
