// A built message is sent in an interchange, which the partner's reader takes only up to its
// limits. A build whose message would not fit into one, beside its UNB and UNZ, is refused
// naming the list argument that made it so large, in every builder alike.
#pragma once

#include <string_view>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::edifact {

// Room the UNB and UNZ of the interchange take of the reader's limits.
inline constexpr std::size_t envelope_segments = 2;
inline constexpr std::size_t envelope_bytes = 512;

// The segments of a message as written with the default service characters: its unreleased
// terminators.
std::size_t written_segments(std::string_view message);

// ValueError when `message` holds more segments or bytes than an interchange the reader takes.
py::Status fits_one_interchange(std::string_view message, py::Args args);

// The same for a message of `segments` segments and `bytes` bytes.
py::Status fits_reader(std::size_t segments, std::size_t bytes, py::Args args);

template <py::Result (*Body)(py::Args)>
py::Result within_reader_limits(py::Args args) {
  py::Result built = Body(args);
  if (!built) return built;
  char* data = nullptr;
  Py_ssize_t size = 0;
  if (PyBytes_AsStringAndSize(built->get(), &data, &size) < 0) return py::raised();
  if (auto fits = fits_one_interchange(std::string_view(data, static_cast<std::size_t>(size)), args); !fits) {
    return py::propagate(fits);
  }
  return built;
}

}  // namespace quorvane_native::edifact
