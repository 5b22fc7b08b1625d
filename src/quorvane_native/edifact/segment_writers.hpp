// Which argument of a build wrote each segment of its message (or one data element of it): the
// sources the builder recorded as it wrote, named as the call names them. A fault of the column
// in a value an argument wrote names that argument.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/builders/written.hpp"
#include "quorvane_native/py/args.hpp"

namespace quorvane_native::edifact {

struct SegmentWriter {
  std::size_t segment = 0;             // counted from UNH
  std::optional<std::size_t> element;  // absent: the whole segment
  std::optional<std::size_t> component;  // absent: the whole data element
  std::string argument;                // "transactions[1].locations[0]"
};

using SegmentWriters = std::vector<SegmentWriter>;

// A builder's field that the call's arguments name otherwise: `field` with its indices left
// out ("transactions[].id_parties[]"), `argument` a format taking the field's indices in order
// ("transactions[{0}].customers[{1}]"); an argument may leave indices out.
struct Rename {
  std::string_view field;
  std::string_view argument;
};

// Whether the argument chooses the column (a date, a release, a Prüfidentifikator) rather than
// writing into it.
bool chooses_column(std::string_view argument);

// The builder's sources as arguments: renamed where a rename names the field, and only those
// whose argument the call gave (not None). The arguments that choose the column write nothing.
SegmentWriters writers_of(std::span<const edi_energy::builders::Source> sources, py::Args args,
                          std::span<const Rename> renames = {});

// The argument that wrote component `component` of data element `element` of segment `segment`,
// else the one that wrote the data element, else the one that wrote the segment.
std::optional<std::string> writer_of(std::span<const SegmentWriter> writers, std::size_t segment,
                                     std::optional<std::size_t> element,
                                     std::optional<std::size_t> component = std::nullopt);

}  // namespace quorvane_native::edifact
