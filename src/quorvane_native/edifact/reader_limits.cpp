#include "quorvane_native/edifact/reader_limits.hpp"

#include <fmt/format.h>

#include <string>

#include "edi_energy/platform/input_segments.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::platform::MAX_INPUT_BYTES;
using edi_energy::platform::MAX_SEGMENTS;

// No segment is shorter than its tag and terminator: a shorter message cannot hold too many.
constexpr std::size_t shortest_segment = 4;

// The sequence argument with the most items: what a message grows with.
std::string longest_list(py::Args args) {
  std::string name = "arguments";
  Py_ssize_t most = -1;
  for (std::size_t index = 0; index < args.size(); ++index) {
    const py::Arg arg = args[index];
    if (arg.omitted() || (!PyList_Check(arg.object) && !PyTuple_Check(arg.object))) continue;
    const Py_ssize_t items = PySequence_Size(arg.object);
    if (items > most) {
      most = items;
      name = std::string(arg.name());
    }
  }
  return name;
}

}  // namespace

std::size_t written_segments(std::string_view message) {
  std::size_t segments = 0;
  for (std::size_t at = 0; at < message.size(); ++at) {
    if (message[at] == '?') {
      ++at;
    } else if (message[at] == '\'') {
      ++segments;
    }
  }
  return segments;
}

py::Status fits_one_interchange(std::string_view message, py::Args args) {
  if (message.size() <= shortest_segment * (MAX_SEGMENTS - envelope_segments) &&
      message.size() + envelope_bytes <= MAX_INPUT_BYTES) {
    return {};
  }
  return fits_reader(written_segments(message), message.size(), args);
}

py::Status fits_reader(std::size_t segments, std::size_t bytes, py::Args args) {
  if (segments + envelope_segments <= MAX_SEGMENTS && bytes + envelope_bytes <= MAX_INPUT_BYTES) return {};
  return py::value_error(fmt::format(
      "{}: the message would hold {} segments ({} bytes); validate_edifact reads at most {} segments and {} bytes in "
      "one interchange, UNB and UNZ included, so the partner could not read it",
      longest_list(args), segments, bytes, MAX_SEGMENTS, MAX_INPUT_BYTES));
}

}  // namespace quorvane_native::edifact
