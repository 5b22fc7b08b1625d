// Whether the texts a build is given can be written at all: no EDIFACT segment may hold more than
// 65,536 bytes, so a longer text fails when the message is read back. Refused up front, naming the
// argument, in every builder alike.
#pragma once

#include <cstddef>
#include <string_view>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// The bytes a segment may hold before its terminator.
inline constexpr std::size_t segment_room = 65536;

// The bytes `text` takes once written: UTF-8, with a release character before "+", ":", "?", "'".
std::size_t written_length(std::string_view text);

// ValueError naming the argument (and the item of a sequence argument) whose text, written, needs
// more room than a segment has beside its tag. Objects other than str, tuple and list are left to
// the body's conversion.
py::Status texts_fit_segments(py::Args args);

// A build body behind that check.
template <py::Result (*Body)(py::Args)>
py::Result with_texts_that_fit(py::Args args) {
  if (auto fits = texts_fit_segments(args); !fits) return py::propagate(fits);
  return Body(args);
}

}  // namespace quorvane_native::edifact
