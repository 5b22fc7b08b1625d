#include "quorvane_native/edifact/answer_trim_batches.hpp"

#include <fmt/format.h>

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/answer_trim.hpp"
#include "quorvane_native/edifact/vorgang_layout.hpp"

namespace quorvane_native::edifact {

namespace {

// Made-up units a batch may hold. Leaving one out finds about one fault, and a judgement keeps a
// thousand.
constexpr std::size_t units_per_batch = 400;

// The segments of `vorgang` that may open something completion made up: a Lokation, SG8 or SG12.
std::size_t openings(std::string_view message, const Stretch& vorgang) {
  std::size_t count = 0;
  std::size_t start = vorgang.start;
  for (std::size_t at = vorgang.start; at < vorgang.end; ++at) {
    if (message[at] == '?') {
      ++at;
      continue;
    }
    if (message[at] != '\'') continue;
    const std::string_view tag = message.substr(start, 3);
    if (tag == "SEQ" || tag == "NAD" || tag == "LOC") ++count;
    start = at + 1;
  }
  return count;
}

struct Batch {
  std::size_t first = 0;
  std::size_t end = 0;
};

std::vector<Batch> batches_of(std::string_view message, const Layout& layout) {
  std::vector<Batch> batches{Batch{}};
  std::size_t units = 0;
  for (std::size_t k = 0; k < layout.vorgaenge.size(); ++k) {
    const std::size_t more = openings(message, layout.vorgaenge[k]);
    if (k > batches.back().first && units + more > units_per_batch) {
      batches.push_back(Batch{.first = k, .end = k});
      units = 0;
    }
    units += more;
    batches.back().end = k + 1;
  }
  return batches;
}

}  // namespace

py::Expected<std::string> without_made_up_in_batches(std::string completed, const AnswerPlan& plan,
                                                     const ColumnRef& column, std::uint32_t answer_pid,
                                                     std::uint64_t message_index) {
  const auto layout = layout_of(completed);
  if (!layout || layout->vorgaenge.size() != plan.vorgaenge.size()) {
    return without_made_up(std::move(completed), plan, column, answer_pid, message_index);
  }
  const std::vector<Batch> batches = batches_of(completed, *layout);
  if (batches.size() == 1) return without_made_up(std::move(completed), plan, column, answer_pid, message_index);
  const std::string_view whole = completed;
  const std::string_view head = whole.substr(0, layout->head.end);
  const std::string_view trailer = whole.substr(layout->trailer.start);
  std::string answer(head);
  std::size_t segments = layout->head.segments + layout->trailer.segments;
  for (const Batch& batch : batches) {
    const Stretch& first = layout->vorgaenge[batch.first];
    std::string message(head);
    message += whole.substr(first.start, layout->vorgaenge[batch.end - 1].end - first.start);
    message += trailer;
    const auto from = plan.vorgaenge.begin() + static_cast<std::ptrdiff_t>(batch.first);
    const AnswerPlan part{.document_code = plan.document_code,
                          .vorgaenge = {from, from + static_cast<std::ptrdiff_t>(batch.end - batch.first)},
                          .faulty_date = plan.faulty_date};
    auto left = without_made_up(std::move(message), part, column, answer_pid, message_index);
    if (!left) return py::propagate(left);
    const auto cut = layout_of(*left);
    // Left as completed where a batch cannot be told apart again, as a whole answer would be.
    if (!cut || cut->vorgaenge.size() != batch.end - batch.first) return completed;
    answer.append(*left, cut->head.end, cut->trailer.start - cut->head.end);
    for (const Stretch& vorgang : cut->vorgaenge) segments += vorgang.segments;
  }
  // UNT's count is digits alone; its reference follows as written.
  const std::size_t reference = trailer.find('+', 4);
  if (reference == std::string_view::npos) return completed;
  answer += fmt::format("UNT+{}", segments);
  answer += trailer.substr(reference);
  return answer;
}

}  // namespace quorvane_native::edifact
