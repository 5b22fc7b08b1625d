// Which argument wrote a segment of a builder's message, told from the segment's place among the
// segments the builder wrote: a fault of the column in a value the builder wrote names it.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/py/args.hpp"

namespace quorvane_native::edifact {

// The argument (with its index path) that wrote segment `at` of `written`, where the fault names
// data element `element` of it when it names one; none where no argument did (a qualifier, the
// UNT, a value the column chose).
using WrittenBy = std::optional<std::string> (*)(py::Args args, std::span<const WrittenSegment> written,
                                                  std::size_t at, std::optional<std::size_t> element);

// NAD+MS and NAD+MR of the message: `sender` and `receiver`.
std::optional<std::string> parties_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                         std::optional<std::size_t> element);

// The parties of a message that answers a received one: `received`.
std::optional<std::string> received_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                          std::optional<std::size_t> element);

// An APERAK acknowledging a received message: what correlates it with that message (parties,
// references, dates) is `received`'s, the error block and the message's own reference the caller's.
std::optional<std::string> aperak_for_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                            std::optional<std::size_t> element);

std::optional<std::string> utilmd_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                        std::optional<std::size_t> element);

std::optional<std::string> mscons_wrote(py::Args args, std::span<const WrittenSegment> written, std::size_t at,
                                        std::optional<std::size_t> element);

}  // namespace quorvane_native::edifact
