#include "quorvane_native/edifact/answer/draft.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

#include "edi_energy/message_type.hpp"
#include "edi_energy/report/findings_cap.hpp"
#include "edifact/parse/from_bytes.hpp"

namespace quorvane_native::edifact::answer {

std::string Draft::message() const {
  std::string written;
  for (const std::string_view text : texts) written += text;
  written += fmt::format("UNT+{}+{}'", texts.size() + 1, reference);
  return written;
}

bool Judged::faulted() const {
  return faulted_message || std::ranges::any_of(faults, [](const auto& each) { return !each.empty(); });
}

namespace {

// Judges segments [first, last) of the draft after its `head` segments, faults told to the whole
// draft; a verdict cut short by its findings cap is judged again in halves.
void judge_batch(const Draft& draft, std::size_t head, std::size_t first, std::size_t last, const ColumnRef& column,
                 std::uint32_t answer_pid, Judged& judged) {
  Draft batch;
  batch.reference = draft.reference;
  for (std::size_t at = 0; at < head; ++at) batch.add(draft.texts[at], 0, at);
  for (std::size_t at = first; at < last; ++at) batch.add(draft.texts[at], draft.vorgang[at], at);
  const std::string message = batch.message();
  std::vector<::edifact::model::Segment> segments;
  auto parsed = ::edifact::from_bytes_with_config(message, ::edifact::ParserConfig{});
  while (auto item = parsed.next()) {
    if (!*item) {
      judged.faulted_message = true;
      return;
    }
    segments.push_back(std::move(**item));
  }
  ColumnVerdict verdict;
  judge_completed(verdict, column, edi_energy::message_type::MessageType::Utilmd, answer_pid, std::move(segments),
                  message, {});
  const bool cut_short = std::ranges::any_of(verdict.rejections, [](const Rejection& rejection) {
    return rejection.rule == edi_energy::report::FINDINGS_LEFT_OUT_RULE;
  });
  if (cut_short && last > first && draft.vorgang[first] != draft.vorgang[last - 1]) {
    std::size_t middle = first + (last - first) / 2;
    while (middle > first && draft.vorgang[middle] == draft.vorgang[middle - 1]) --middle;
    if (middle == first) {
      middle = first + 1;
      while (draft.vorgang[middle] == draft.vorgang[first]) ++middle;
    }
    judge_batch(draft, head, first, middle, column, answer_pid, judged);
    judge_batch(draft, head, middle, last, column, answer_pid, judged);
    return;
  }
  // One Vorgang's faults past the cap are that Vorgang's, not its neighbours'.
  const std::size_t alone = cut_short && last > first ? draft.vorgang[first] : 0;
  for (const Rejection& rejection : judged.verdicts.emplace_back(std::move(verdict)).rejections) {
    std::optional<std::size_t> at = rejection.segment ? rejection.segment : rejection.scope;
    if (at && *at >= batch.texts.size()) at.reset();
    const std::size_t vorgang = at ? batch.vorgang[*at] : 0;
    if (vorgang != 0) judged.faults[vorgang].push_back({&rejection, batch.origin[*at]});
    else if (alone != 0 && rejection.rule == edi_energy::report::FINDINGS_LEFT_OUT_RULE)
      judged.faults[alone].push_back({&rejection, std::nullopt});
    else judged.faulted_message = true;
  }
}

}  // namespace

Judged judge(const Draft& draft, const ColumnRef& column, std::uint32_t answer_pid) {
  Judged judged;
  judged.faults.resize(draft.vorgaenge + 1);
  std::size_t head = 0;
  while (head < draft.texts.size() && draft.vorgang[head] == 0) ++head;
  // Well within the cap, so that a batch is seldom judged twice.
  constexpr std::size_t faults_per_batch = edi_energy::report::KEPT_FINDINGS / 2;
  const std::size_t batches = std::min(draft.vorgaenge, draft.expected_faults / faults_per_batch + 1);
  std::size_t first = head;
  for (std::size_t batch = 1; batch <= batches; ++batch) {
    // The batch ends before the first segment of its last Vorgang's successor.
    const std::size_t last_vorgang = draft.vorgaenge * batch / batches;
    std::size_t last = first;
    while (last < draft.texts.size() && draft.vorgang[last] <= last_vorgang) ++last;
    if (batch == batches) last = draft.texts.size();
    if (last > first) judge_batch(draft, head, first, last, column, answer_pid, judged);
    first = last;
  }
  return judged;
}

}  // namespace quorvane_native::edifact::answer
