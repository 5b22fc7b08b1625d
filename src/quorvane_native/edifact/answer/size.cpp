#include "quorvane_native/edifact/answer/size.hpp"

#include <fmt/format.h>

#include <utility>

#include "edi_energy/platform/input_segments.hpp"
#include "quorvane_native/edifact/answer/trim.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/reader_limits.hpp"
#include "quorvane_native/edifact/vorgang_layout.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using edi_energy::platform::MAX_INPUT_BYTES;
using edi_energy::platform::MAX_SEGMENTS;

constexpr std::size_t segment_limit = MAX_SEGMENTS - envelope_segments;
constexpr std::size_t byte_limit = MAX_INPUT_BYTES - envelope_bytes;

bool within(MessageSize size) { return size.segments <= segment_limit && size.bytes <= byte_limit; }

py::Status within_limits(MessageSize size, std::size_t vorgaenge, std::string_view verb) {
  if (within(size)) return {};
  return py::value_error(fmt::format(
      "received: an answer to {} Vorgänge {} {} segments ({} bytes); validate_edifact reads at most {} segments and "
      "{} bytes in one interchange, UNB and UNZ included, so the partner could not read it",
      vorgaenge, verb, size.segments, size.bytes, MAX_SEGMENTS, MAX_INPUT_BYTES));
}

// The message the layout's Vorgänge make when the first grows to `first_as` (a message of that
// Vorgang alone) and each further one by as much as the first grew.
std::optional<MessageSize> extrapolated(std::string_view first_as, const Layout& layout) {
  const auto alone = sizes_alone(first_as);
  if (!alone) return std::nullopt;
  MessageSize estimate = alone->frame;
  estimate += alone->vorgang;
  for (std::size_t k = 1; k < layout.vorgaenge.size(); ++k) estimate += layout.vorgaenge[k].size();
  estimate += added(alone->vorgang, layout.vorgaenge.front().size(), layout.vorgaenge.size() - 1);
  return estimate;
}

}  // namespace

py::Status answer_would_fit(std::string_view built, const AnswerPlan& plan, const VorgangCut& request,
                            const Places& request_places,
                            const StringPairs& given_dates, const std::optional<ColumnRef>& column,
                            const edi_energy::release::Release& release, std::uint32_t answer_pid) {
  const std::size_t vorgaenge = plan.vorgaenge.size();
  // Ten Vorgänge would each need a thousand segments of completion's to reach the limit.
  if (vorgaenge < 10) return {};
  const auto layout = layout_of(built);
  if (!layout) return {};
  ColumnVerdict verdict;
  const VerdictScope scope(verdict);
  auto completed = completed_alone(built, *layout, layout->vorgaenge.front(), release, answer_pid);
  // The answer's own completion reports what went wrong.
  if (!completed) return {};
  auto estimate = extrapolated(*completed, *layout);
  if (!estimate) return {};
  // Carrying over adds at most the request's own segments: where the completed answer fits with
  // them, so does the answer, and the first Vorgang need not be made what the answer makes of it.
  MessageSize bound = *estimate;
  if (!request.segments.empty()) {
    std::size_t bytes = 0;
    for (const CutSegment& segment : request.segments) bytes += segment.text.size();
    bound += MessageSize{request.segments.size(), bytes};
  }
  if (within(bound)) return {};
  // The first Vorgang as the answer holds it, kept as completed where the column faults it (the
  // answer then keeps all, too) or the answer would be refused (then whatever its size).
  if (column && verdict.rejections.empty()) {
    AnswerPlan first;
    first.document_code = plan.document_code;
    first.vorgaenge = {plan.vorgaenge.front()};
    if (auto answered = as_answered(*completed, cut_vorgaenge(*completed), first, request, request_places, *column,
                                    answer_pid, given_dates, 0)) {
      if (auto answered_estimate = extrapolated(*answered, *layout)) estimate = answered_estimate;
    }
  }
  return within_limits(*estimate, vorgaenge, "would hold");
}

py::Status answer_fits(std::string_view completed, std::size_t vorgaenge) {
  return within_limits(MessageSize{.segments = written_segments(completed), .bytes = completed.size()}, vorgaenge,
                       "holds");
}

}  // namespace quorvane_native::edifact::answer
