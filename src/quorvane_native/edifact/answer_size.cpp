#include "quorvane_native/edifact/answer_size.hpp"

#include <fmt/format.h>

#include "edi_energy/platform/input_segments.hpp"
#include "quorvane_native/edifact/reader_limits.hpp"
#include "quorvane_native/edifact/vorgang_layout.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::platform::MAX_INPUT_BYTES;
using edi_energy::platform::MAX_SEGMENTS;

constexpr std::size_t segment_limit = MAX_SEGMENTS - envelope_segments;
constexpr std::size_t byte_limit = MAX_INPUT_BYTES - envelope_bytes;

py::Status within_limits(MessageSize size, std::size_t vorgaenge, std::string_view verb) {
  if (size.segments <= segment_limit && size.bytes <= byte_limit) return {};
  return py::value_error(fmt::format(
      "received: an answer to {} Vorgänge {} {} segments ({} bytes); validate_edifact reads at most {} segments and "
      "{} bytes in one interchange, UNB and UNZ included, so the partner could not read it",
      vorgaenge, verb, size.segments, size.bytes, MAX_SEGMENTS, MAX_INPUT_BYTES));
}

}  // namespace

py::Status answer_would_fit(std::string_view built, std::size_t vorgaenge, const edi_energy::release::Release& release,
                            std::uint32_t answer_pid) {
  // Ten Vorgänge would each need a thousand segments of completion's to reach the limit.
  if (vorgaenge < 10) return {};
  const auto layout = layout_of(built);
  if (!layout) return {};
  const Part& first = layout->vorgaenge.front();
  // The answer's own completion reports what went wrong.
  const auto alone = completed_alone(built, *layout, first, release, answer_pid);
  if (!alone) return {};
  // The first Vorgang as completed; each further one with its own segments and what completion
  // added to the first.
  MessageSize estimate = alone->frame;
  estimate += alone->vorgang;
  for (std::size_t k = 1; k < layout->vorgaenge.size(); ++k) estimate += layout->vorgaenge[k].size();
  estimate += added(alone->vorgang, first.size(), vorgaenge - 1);
  return within_limits(estimate, vorgaenge, "would hold");
}

py::Status answer_fits(std::string_view completed, std::size_t vorgaenge) {
  return within_limits(MessageSize{.segments = written_segments(completed), .bytes = completed.size()}, vorgaenge,
                       "holds");
}

}  // namespace quorvane_native::edifact
