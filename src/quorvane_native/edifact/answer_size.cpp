#include "quorvane_native/edifact/answer_size.hpp"

#include <fmt/format.h>

#include <utility>

#include "edi_energy/platform/input_segments.hpp"
#include "quorvane_native/edifact/answer_trim.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
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

// The first Vorgang completed alone and made what the answer makes of it. Kept as completed where
// the column faults it (the answer then keeps all, too) or the answer would be refused (then
// whatever its size).
std::optional<Alone> first_as_answered(std::string_view built, const Layout& layout, const AnswerPlan& plan,
                                       const VorgangCut& request, const StringPairs& given_dates,
                                       const std::optional<ColumnRef>& column,
                                       const edi_energy::release::Release& release, std::uint32_t answer_pid) {
  ColumnVerdict verdict;
  const VerdictScope scope(verdict);
  auto completed = completed_alone(built, layout, layout.vorgaenge.front(), release, answer_pid);
  if (!completed) return std::nullopt;
  if (column && verdict.rejections.empty()) {
    AnswerPlan first;
    first.document_code = plan.document_code;
    first.vorgaenge = {plan.vorgaenge.front()};
    if (auto answered = as_answered(*completed, first, request, *column, answer_pid, given_dates, 0)) {
      *completed = std::move(*answered);
    }
  }
  return sizes_alone(*completed);
}

}  // namespace

py::Status answer_would_fit(std::string_view built, const AnswerPlan& plan, const VorgangCut& request,
                            const StringPairs& given_dates, const std::optional<ColumnRef>& column,
                            const edi_energy::release::Release& release, std::uint32_t answer_pid) {
  const std::size_t vorgaenge = plan.vorgaenge.size();
  // Ten Vorgänge would each need a thousand segments of completion's to reach the limit.
  if (vorgaenge < 10) return {};
  const auto layout = layout_of(built);
  if (!layout) return {};
  const Stretch& first = layout->vorgaenge.front();
  const auto alone = first_as_answered(built, *layout, plan, request, given_dates, column, release, answer_pid);
  // The answer's own completion reports what went wrong.
  if (!alone) return {};
  // The first Vorgang as answered; each further one with its own segments and what completion
  // left of its share in the first.
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
