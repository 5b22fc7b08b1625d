#include "quorvane_native/edifact/answer/draft.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

#include "edi_energy/message_type.hpp"
#include "edi_energy/report/findings_batches.hpp"
#include "edi_energy/report/findings_cap.hpp"

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

using edi_energy::report::Batch;

// A batch as the message it was judged in: the draft's head, then the batch's segments.
struct BatchVerdict {
  Draft batch;
  std::optional<ColumnVerdict> verdict;  // none where the batch is no message
};

// Judges segments [first, last) of the draft after its head, as a message of their own.
edi_energy::report::Heard<BatchVerdict> judge_segments(const Draft& draft, std::size_t head, std::size_t first,
                                                       std::size_t last, const ColumnRef& column,
                                                       std::uint32_t answer_pid) {
  edi_energy::report::Heard<BatchVerdict> heard;
  Draft& batch = heard.verdict.batch;
  batch.reference = draft.reference;
  for (std::size_t at = 0; at < head; ++at) batch.add(draft.texts[at], 0, at);
  for (std::size_t at = first; at < last; ++at) batch.add(draft.texts[at], draft.vorgang[at], at);
  ColumnVerdict verdict;
  if (!judge_message(verdict, column, edi_energy::message_type::MessageType::Utilmd, answer_pid, batch.message())) {
    return heard;
  }
  heard.verdict.verdict = std::move(verdict);
  heard.cut_short = std::ranges::any_of(heard.verdict.verdict->rejections, [](const Rejection& rejection) {
    return rejection.rule == edi_energy::report::FINDINGS_LEFT_OUT_RULE;
  });
  return heard;
}

// Tells each fault of a batch's verdict to the Vorgang it falls in, and to the draft segment it
// falls on or was judged in.
// A Vorgang judged alone (`alone`, from 1; 0 for a batch of several) keeps the findings its
// verdict left out to itself.
void keep_verdict(BatchVerdict heard, std::size_t alone, Judged& judged) {
  if (!heard.verdict) {
    judged.faulted_message = judged.unread = true;
    return;
  }
  const Draft& batch = heard.batch;
  for (const Rejection& rejection : judged.verdicts.emplace_back(std::move(*heard.verdict)).rejections) {
    std::optional<std::size_t> at = rejection.segment ? rejection.segment : rejection.scope;
    if (at && *at >= batch.texts.size()) at.reset();
    const std::size_t vorgang = at ? batch.vorgang[*at] : 0;
    if (vorgang != 0) {
      judged.faults[vorgang].push_back({&rejection, batch.origin[*at]});
    } else if (alone != 0 && rejection.rule == edi_energy::report::FINDINGS_LEFT_OUT_RULE) {
      judged.faults[alone].push_back({&rejection, std::nullopt});
    } else {
      judged.faulted_message = true;
    }
  }
}

}  // namespace

Judged judge(const Draft& draft, const ColumnRef& column, std::uint32_t answer_pid) {
  Judged judged;
  judged.faults.resize(draft.vorgaenge + 1);
  std::size_t head = 0;
  while (head < draft.texts.size() && draft.vorgang[head] == 0) ++head;
  // The first segment of each Vorgang (from 1); past the last, the draft's end.
  std::vector<std::size_t> starts(draft.vorgaenge + 2, draft.texts.size());
  for (std::size_t vorgang = 1, at = head; vorgang <= draft.vorgaenge; ++vorgang) {
    while (at < draft.texts.size() && draft.vorgang[at] < vorgang) ++at;
    starts[vorgang] = at;
  }
  edi_energy::report::judge_in_batches(
      draft.vorgaenge, draft.expected_faults,
      [&](Batch batch) {
        const std::size_t first = starts[batch.first + 1];
        const std::size_t last = starts[batch.last + 1];
        // A draft of some of the message's Vorgänge leaves batches without one, which hold no fault.
        if (first == last && draft.vorgaenge > 0) {
          edi_energy::report::Heard<BatchVerdict> none;
          none.verdict.verdict.emplace();
          return none;
        }
        return judge_segments(draft, head, first, last, column, answer_pid);
      },
      [&](Batch batch, BatchVerdict heard) {
        keep_verdict(std::move(heard), batch.last - batch.first == 1 ? batch.last : 0, judged);
      });
  return judged;
}

std::optional<edi_energy::profile::structure::NodeIndex> missing_node(const ColumnRef& column,
                                                                      const Rejection& rejection) {
  if (!rejection.rule.ends_with("-MISSING") && !rejection.rule.ends_with("-REQUIRED")) return std::nullopt;
  const auto& index = column.profile->structure().nr_index;
  const auto found = index.find(rejection.nr);
  if (found == index.end()) return std::nullopt;
  return found->second;
}

}  // namespace quorvane_native::edifact::answer
